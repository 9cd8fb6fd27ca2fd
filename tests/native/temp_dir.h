// A fresh directory under /tmp for each test, removed afterwards, with no
// fault switched on.
#ifndef KX_NATIVE_TEMP_DIR_H
#define KX_NATIVE_TEMP_DIR_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kxnative-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    unsetenv("KX_FAULT");
  }
  void TearDown() override {
    unsetenv("KX_FAULT");
    std::string cmd = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  std::string dir_;
};

#endif
