// rvxlayout as the demo and the benchmarks use it: a description laid out,
// read back through the DLLs and the registry, printed, and laid out again
// from its own print.
#include "store_fixture.h"

using namespace kxtest;

namespace {

class Layout : public TempStore {
 protected:
  // Runs rvxlayout; its standard output goes to *out when given.
  DWORD Tool(const std::string &args, std::string *out = nullptr, int line = __builtin_LINE()) {
    ProgramRun run = RunProgram("rvxlayout.exe", args, RunOptions(), line);
    if (out) *out = run.out + run.err;
    return run.code;
  }
};

std::string Shareable(const std::string &product) {
  HKEY key;
  char value[32] = "<absent>";
  DWORD size = sizeof value - 1;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("SOFTWARE\\VELKAN\\BACKUP\\" + product).c_str(), 0, KEY_QUERY_VALUE, &key) ==
      ERROR_SUCCESS) {
    if (RegQueryValueExA(key, "Shareable", nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size) != ERROR_SUCCESS)
      strcpy(value, "<absent>");
    RegCloseKey(key);
  }
  return value;
}

// The print without its first line, which names the generations.
std::string Body(const std::string &print) { return print.substr(print.find('\n') + 1); }

}  // namespace

TEST_F(Layout, DemoDescriptionLaysOutWhatTheProgramReads) {
  ASSERT_EQ(Tool("create \"" + dir_ + "\" \"" DEMO_DESCRIPTION "\""), 0u);
  char **names = nullptr;
  KXCOUNT count = 0;
  ASSERT_EQ(getAllVelkanHomes("win32", &names, &count), 0);
  std::vector<std::string> homes = TakeNames(names, count);
  ASSERT_EQ(homes.size(), 2u);
  char *err = nullptr;
  ASSERT_EQ(getInstalledProducts(homes[0].c_str(), "win32", 0, &names, &count, &err), 0);
  std::vector<std::string> products = TakeNames(names, count);
  EXPECT_EQ(products.size(), 8u);
  EXPECT_EQ(products.front(), "Velkan Mail");
  EXPECT_EQ(Shareable("Velkan Mail"), "TRUE");
  EXPECT_EQ(Shareable("Velkan Backup Agent"), "FALSE");
  ASSERT_EQ(getAllClients(Ctx(), "win32", &names, &count, &err), 0);
  EXPECT_EQ(TakeNames(names, count).size(), 12u);
  ASSERT_EQ(getAllConfigurations(Ctx(), "win32", &names, &count, &err), 0);
  EXPECT_EQ(TakeNames(names, count), (std::vector<std::string>{"Office", "Field Sales", "Engineering"}));
  char lang[KX_LANG_SIZE];
  ASSERT_EQ(getCurrentLangAbrev(lang, &err), 0);
  EXPECT_STREQ(lang, "us");
}

TEST_F(Layout, PrintFedBackToCreateLaysOutTheSameStore) {
  kx::Catalogue c;
  kx::ConfigData d;
  SampleLayout(&c, &d);
  // Names that the description must carry exactly.
  c.clients.push_back(kx::Client{" pipe | and % and \xE9 ", std::string(""), std::nullopt});
  d.configs[0].clients.push_back(" pipe | and % and \xE9 ");
  Lay(c, d);
  std::string first, second;
  ASSERT_EQ(Tool("print \"" + dir_ + "\"", &first), 0u);
  EXPECT_TRUE(Contains(first, "client %20pipe %7C and %25 and %E9%20 | os=\n")) << first;
  std::string description = dir_ + "\\printed.txt";
  PutFile(description, first);
  std::string copy = dir_ + "\\copy";
  ASSERT_EQ(Tool("create \"" + copy + "\" \"" + description + "\""), 0u);
  ASSERT_EQ(Tool("print \"" + copy + "\"", &second), 0u);
  EXPECT_EQ(Body(second), Body(first));
  DeleteFileA((copy + "\\catalogue.kxs").c_str());
  DeleteFileA((copy + "\\config.kxs").c_str());
  RemoveDirectoryA(copy.c_str());
}

TEST_F(Layout, BadDescriptionsAreRefusedWithTheLineAndWriteNothing) {
  struct Case {
    const char *text;
    const char *expect;
  } cases[] = {
      {"language us\nfrobnicate\n", "line 2: unknown keyword"},
      {"product Orphan\n", "line 1: a product before any home"},
      {"config A | admin=boss\n", "boss"},
      {"uses Mail\n", "before any config"},
      {"home H\nproduct P | colour=red\n", "colour"},
      {"client bad%zz\n", "escape"},
      {"config A\nconfig A\n", "twice"},
  };
  for (const Case &c : cases) {
    std::string description = dir_ + "\\bad.txt", out;
    PutFile(description, c.text);
    EXPECT_EQ(Tool("create \"" + dir_ + "\" \"" + description + "\"", &out), 1u) << c.text;
    EXPECT_TRUE(Contains(out, c.expect)) << out;
    EXPECT_FALSE(Exists(ConfigPath())) << c.text;
  }
  std::string out;
  EXPECT_EQ(Tool("print \"" + dir_ + "\"", &out), 1u);
  EXPECT_TRUE(Contains(out, "catalogue.kxs is missing")) << out;
  EXPECT_EQ(Tool("create \"" + dir_ + "\" \"" + dir_ + "\\none.txt\"", &out), 1u);
  EXPECT_EQ(Tool("frob", &out), 2u);
}

TEST_F(Layout, GeneratorMakesTheRequestedSizes) {
  ASSERT_EQ(Tool("generate \"" + dir_ + "\" --clients 300 --configs 7 --per-config 40 --products 9"), 0u);
  char **names = nullptr;
  KXCOUNT count = 0;
  char *err = nullptr;
  ASSERT_EQ(getAllClients(Ctx(), "win32", &names, &count, &err), 0);
  EXPECT_EQ(TakeNames(names, count).size(), 300u);
  ASSERT_EQ(getAllConfigurations(Ctx(), "win32", &names, &count, &err), 0);
  std::vector<std::string> configs = TakeNames(names, count);
  ASSERT_EQ(configs.size(), 7u);
  ASSERT_EQ(getConfigurationClients(Ctx(), "win32", configs[6].c_str(), &names, &count, &err), 0);
  EXPECT_EQ(TakeNames(names, count).size(), 40u);
  ASSERT_EQ(getAllVelkanHomes("win32", &names, &count), 0);
  std::vector<std::string> homes = TakeNames(names, count);
  ASSERT_EQ(getInstalledProducts(homes[0].c_str(), "win32", 0, &names, &count, &err), 0);
  EXPECT_EQ(TakeNames(names, count).size(), 9u);
  // Every client's OS answers, through the index by name.
  char *os = nullptr;
  ASSERT_EQ(getClientOS(Ctx(), "win32", "CLIENT-000300", &os, &err), 0);
  EXPECT_EQ(Take(os), "OS/2") << "the OS texts in turn: client 300 has the fourth";
}
