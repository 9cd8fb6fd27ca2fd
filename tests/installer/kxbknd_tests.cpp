// The text routines: bounded copies and the backslash position, with inputs
// that must not make them write past dst[limit].
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "installer_api.h"

namespace {

// A buffer with guard bytes after limit + 1 characters.
struct Guarded {
  explicit Guarded(int limit) : limit(limit), bytes(static_cast<size_t>(limit) + 1 + 16, '#') {}
  char *data() { return &bytes[0]; }
  bool GuardIntact() const { return bytes.compare(static_cast<size_t>(limit) + 1, 16, std::string(16, '#')) == 0; }
  int limit;
  std::string bytes;
};

}  // namespace

TEST(TextRoutines, CopyStopsAtTheLimit) {
  Guarded g(5);
  EXPECT_EQ(kxtxcp(g.data(), "abcdefghij", 5), g.data());
  EXPECT_STREQ(g.data(), "abcde");
  EXPECT_TRUE(g.GuardIntact());
  EXPECT_STREQ(kxtxcp(g.data(), "ab", 5), "ab");
  EXPECT_STREQ(kxtxcp(g.data(), "", 5), "");
  EXPECT_STREQ(kxtxcp(g.data(), nullptr, 5), "");
  Guarded zero(0);
  EXPECT_STREQ(kxtxcp(zero.data(), "abc", 0), "");
  EXPECT_TRUE(zero.GuardIntact());
  EXPECT_STREQ(kxtxcp(zero.data(), "abc", -4), "") << "a negative limit copies nothing";
  EXPECT_TRUE(zero.GuardIntact());
  EXPECT_EQ(kxtxcp(nullptr, "abc", 3), nullptr);
}

TEST(TextRoutines, AppendKeepsWithinTheLimit) {
  Guarded g(8);
  kxtxcp(g.data(), "abc", 8);
  EXPECT_STREQ(kxtxct(g.data(), "defghijkl", 8), "abcdefgh");
  EXPECT_TRUE(g.GuardIntact());
  EXPECT_STREQ(kxtxct(g.data(), "x", 8), "abcdefgh") << "full: nothing more";
  kxtxcp(g.data(), "ab", 8);
  EXPECT_STREQ(kxtxct(g.data(), nullptr, 8), "ab");
  EXPECT_STREQ(kxtxct(g.data(), "", 8), "ab");
  // A destination with no terminator within the limit is cut at the limit.
  std::memset(g.data(), 'z', 9);
  EXPECT_STREQ(kxtxct(g.data(), "q", 8), "zzzzzzzz");
  EXPECT_TRUE(g.GuardIntact());
}

TEST(TextRoutines, LastBackslashAndItsPosition) {
  const char *path = "C:\\APPS\\ADMIN\\BIN\\TOOL.HLP";
  int v = kxtxbs(path);
  EXPECT_EQ(v, 17);
  EXPECT_EQ(kxtxpo(path, v), 18) << "1-based: the caller ends the text at position - 1";
  EXPECT_EQ(kxtxbs("no backslash"), -1);
  EXPECT_EQ(kxtxpo("no backslash", -1), 0);
  EXPECT_EQ(kxtxbs(""), -1);
  EXPECT_EQ(kxtxbs(nullptr), -1);
  EXPECT_EQ(kxtxpo(nullptr, 3), 0);
  EXPECT_EQ(kxtxbs("\\"), 0);
  EXPECT_EQ(kxtxpo("\\", 0), 1);
  EXPECT_EQ(kxtxpo("abc", 3), 0) << "a value past the text names no character";
  EXPECT_EQ(kxtxpo("abc", 100), 0);
  // A position that does not fit 16 bits.
  std::string longPath(70000, 'a');
  longPath[69999] = '\\';
  EXPECT_EQ(kxtxbs(longPath.c_str()), 69999);
  EXPECT_EQ(kxtxpo(longPath.c_str(), 69999), 0);
  longPath[65533] = '\\';
  EXPECT_EQ(kxtxpo(longPath.c_str(), 65533), 65534);
}

TEST(TextRoutines, HelpPathCutTwiceAsTheProgramDoes) {
  static char buf[65536];
  kxtxcp(buf, "C:\\A\\B\\C.HLP", 65535);
  for (int cut = 0; cut < 2; ++cut) {
    unsigned short pos = kxtxpo(buf, kxtxbs(buf));
    ASSERT_GT(pos, 0);
    buf[pos - 1] = 0;
  }
  EXPECT_STREQ(kxtxct(buf, "\\poolcfg\\poolcfg.hlp", 65535), "C:\\A\\poolcfg\\poolcfg.hlp");
}
