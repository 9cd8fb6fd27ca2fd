// The store's core on POSIX under the sanitizers: format round trips over
// every byte, damage detection at each byte, and the commit steps failing
// through the fault switch.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "store.h"

namespace {

kx::ConfigData Sample() {
  kx::ConfigData d;
  d.generation = 5;
  d.resolution = kx::Words{"user", "local", "mandatory"};
  std::string every;
  for (int b = 1; b < 256; ++b)
    if (b != '\n' && b != '\r') every += static_cast<char>(b);
  kx::Configuration c;
  c.name = every;
  c.products = {" a ", "%", "=;[x]"};
  c.words = kx::Words{"administrator", "shared", "optional"};
  c.os = "";
  c.value = -2147483647 - 1;
  c.clients = {every, "b"};
  d.configs.push_back(c);
  return d;
}

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

}  // namespace

TEST(NativeFormat, RoundTripsEveryByteAndDetectsEveryFlip) {
  kx::ConfigData d = Sample(), back;
  std::string bytes = kx::WriteConfigData(d), err;
  ASSERT_TRUE(kx::ReadConfigData(bytes, "p", &back, &err)) << err;
  EXPECT_EQ(kx::WriteConfigData(back), bytes);
  EXPECT_EQ(back.configs[0].name, d.configs[0].name);
  EXPECT_EQ(back.configs[0].value, d.configs[0].value);
  EXPECT_EQ(back.configs[0].os, "");
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::string bad = bytes;
    bad[i] = static_cast<char>(bad[i] ^ 0x01);
    EXPECT_FALSE(kx::ReadConfigData(bad, "p", &back, &err)) << "flip at " << i;
    EXPECT_FALSE(err.empty());
  }
  for (size_t n = 0; n < bytes.size(); ++n)
    EXPECT_FALSE(kx::ReadConfigData(bytes.substr(0, n), "p", &back, &err)) << "cut at " << n;
}

TEST_F(TempDir, EachCommitStepFailingLeavesTheOldFile) {
  kx::Store store(kx::SystemFileSystem(), kx::ProcessFaults());
  std::string err;
  ASSERT_TRUE(store.WriteLayout(dir_, kx::Catalogue(), Sample(), &err)) << err;
  kx::ConfigData old;
  ASSERT_TRUE(store.LoadConfig(dir_, &old, &err)) << err;
  std::string before = kx::WriteConfigData(old);
  for (const char *step : {"commit.lock", "commit.check", "commit.create", "commit.write", "commit.flush",
                           "commit.close", "commit.rename"}) {
    setenv("KX_FAULT", (std::string(step) + "@1").c_str(), 1);
    kx::ConfigData changed = old;
    changed.configs.clear();
    EXPECT_FALSE(store.CommitConfig(dir_, changed, old.generation, &err)) << step;
    EXPECT_NE(err.find(step), std::string::npos) << err;
    unsetenv("KX_FAULT");
    kx::ConfigData now;
    ASSERT_TRUE(store.LoadConfig(dir_, &now, &err)) << err;
    EXPECT_EQ(kx::WriteConfigData(now), before) << step;
    EXPECT_NE(access((dir_ + "/config.lock").c_str(), F_OK), 0) << step;
  }
  kx::ConfigData changed = old;
  changed.configs.clear();
  ASSERT_TRUE(store.CommitConfig(dir_, changed, old.generation, &err)) << err;
  EXPECT_FALSE(store.CommitConfig(dir_, changed, old.generation, &err)) << "the same base twice";
  EXPECT_NE(err.find("another change"), std::string::npos) << err;
}
