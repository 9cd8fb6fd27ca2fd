// Damaged stores: each is a failure whose text names the file (and the line
// where one can be named), never a crash and never an empty store that a
// commit would then write over the real one.
#include "store_fixture.h"

using namespace kxtest;

namespace {

class Corrupt : public TempStore {
 protected:
  std::string AllConfigurationsError() {
    char **names = reinterpret_cast<char **>(1);
    KXCOUNT count = 9;
    char *err = nullptr;
    EXPECT_NE(getAllConfigurations(Ctx(), "win32", &names, &count, &err), 0);
    EXPECT_EQ(names, nullptr);
    EXPECT_EQ(count, 0);
    return ErrText(err);
  }
  std::string AllClientsError() {
    char **names = nullptr;
    KXCOUNT count = 9;
    char *err = nullptr;
    EXPECT_NE(getAllClients(Ctx(), "win32", &names, &count, &err), 0);
    EXPECT_EQ(count, 0);
    return ErrText(err);
  }
};

std::string Flip(std::string bytes, size_t at) {
  bytes[at] = static_cast<char>(bytes[at] ^ 0x20);
  return bytes;
}

}  // namespace

TEST_F(Corrupt, DamagedConfigurationFileIsAFailureNamingTheFile) {
  LaySample();
  const std::string good = ReadFile(ConfigPath());
  struct Case {
    const char *what;
    std::string bytes;
    const char *expect;
  } cases[] = {
      {"empty", "", "empty"},
      {"truncated mid-line", good.substr(0, good.size() / 2), "truncated"},
      {"end line lost", good.substr(0, good.rfind("end ")), "line"},
      {"flipped byte", Flip(good, good.find("Lab")), "checksum"},
      {"garbage", std::string("\x01\x02garbage\xFF\n", 12), "line"},
      {"another kind", ReadFile(CataloguePath()), "catalogue"},
      {"an INI file", "[config]\nname=Lab\n", "line"},
  };
  for (const Case &c : cases) {
    PutFile(ConfigPath(), c.bytes);
    std::string text = AllConfigurationsError();
    EXPECT_TRUE(Contains(text, ConfigPath())) << c.what << ": " << text;
    EXPECT_TRUE(Contains(text, c.expect)) << c.what << ": " << text;
    // No pending change can start from it, so no commit can replace it.
    char *err = nullptr;
    EXPECT_NE(makeTempFiles(Ctx(), "win32", &err), 0) << c.what;
    Take(err);
    EXPECT_NE(commitRVXChanges(Ctx(), "win32", &err), 0) << c.what;
    Take(err);
    EXPECT_EQ(ReadFile(ConfigPath()), c.bytes) << c.what;
  }
  // Mended, the store answers again.
  PutFile(ConfigPath(), good);
  char **names = nullptr;
  KXCOUNT count = 0;
  char *err = nullptr;
  ASSERT_EQ(getAllConfigurations(Ctx(), "win32", &names, &count, &err), 0);
  TakeNames(names, count);
}

TEST_F(Corrupt, DamagedCatalogueFailsClientsProductsAndLanguage) {
  LaySample();
  const std::string good = ReadFile(CataloguePath());
  for (const std::string &bad : {good.substr(0, good.size() - 3), Flip(good, good.find("PC-2")), std::string("\n")}) {
    PutFile(CataloguePath(), bad);
    std::string text = AllClientsError();
    EXPECT_TRUE(Contains(text, CataloguePath())) << text;
    char **homes = reinterpret_cast<char **>(1);
    KXCOUNT count = 3;
    EXPECT_NE(getAllVelkanHomes("win32", &homes, &count), 0);
    EXPECT_EQ(homes, nullptr);
    EXPECT_EQ(count, 0);
    char lang[KX_LANG_SIZE] = "zz";
    char *err = nullptr;
    EXPECT_NE(getCurrentLangAbrev(lang, &err), 0);
    EXPECT_STREQ(lang, "");
    EXPECT_TRUE(Contains(ErrText(err), CataloguePath()));
  }
}

TEST_F(Corrupt, WellFramedFileWithBadRecordsNamesTheLine) {
  LaySample();
  // A correct frame (header, checksum) around records that are wrong: the
  // text says which line.
  auto framed = [](const std::string &body) {
    std::string text = "KXSTORE 1 config 4\n" + body;
    char crc[9];
    snprintf(crc, sizeof crc, "%08x", kx::Crc32(text.data(), text.size()));
    return text + "end " + crc + "\n";
  };
  struct Case {
    const char *body;
    const char *expect;
  } cases[] = {
      {"config A user shared optional DOS 0\nconfig A user shared optional DOS 0\n", "line 3: configuration \"A\" appears twice"},
      {"product Mail\n", "line 2: product before any config"},
      {"config A user shared optional DOS 0\nclient bad%4\n", "line 3: badly escaped"},
      {"config A user shared optional DOS 0\nclient %0D\n", "line 3:"},
      {"config A user shared optional DOS x\n", "line 2: the value"},
      {"config A user  shared optional DOS 0\n", "line 2: empty field"},
      {"resolution user shared\n", "line 2: resolution takes three words"},
      {"frobnicate x\n", "line 2: unknown record"},
  };
  for (const Case &c : cases) {
    PutFile(ConfigPath(), framed(c.body));
    std::string text = AllConfigurationsError();
    EXPECT_TRUE(Contains(text, ConfigPath() + ": " + c.expect)) << text;
  }
  PutFile(ConfigPath(), framed("config A user shared optional DOS 0\nclient %25%20x\n"));
  char **names = nullptr;
  KXCOUNT count = 0;
  char *err = nullptr;
  ASSERT_EQ(getConfigurationClients(Ctx(), "win32", "A", &names, &count, &err), 0) << Take(err);
  EXPECT_EQ(TakeNames(names, count), (std::vector<std::string>{"% x"}));
  // A future format is refused rather than guessed at.
  std::string future = "KXSTORE 2 config 4\n";
  char crc[9];
  snprintf(crc, sizeof crc, "%08x", kx::Crc32(future.data(), future.size()));
  PutFile(ConfigPath(), future + "end " + crc + "\n");
  EXPECT_TRUE(Contains(AllConfigurationsError(), "format version 2"));
}
