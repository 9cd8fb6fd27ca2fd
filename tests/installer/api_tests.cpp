// The installer DLLs' entry points on real stores: what they hand out, who
// releases it, what every call leaves in its out-parameters on failure, and
// which names come back byte for byte or are refused.
#include <functional>

#include "store_fixture.h"

using namespace kxtest;

namespace {

class Api : public TempStore {};

// What an out-parameter holds before the call: a call that leaves it
// alone is caught without freeing a pointer it never handed out.
char g_untouched[] = "untouched";
char *g_untouchedList[] = {g_untouched};

// Every out-parameter of every call, set to the sentinel first.
struct Outs {
  char **names = g_untouchedList;
  KXCOUNT count = 77;
  char *a = g_untouched, *b = g_untouched, *c = g_untouched, *d = g_untouched;
  int value = 99;
  char *err = nullptr;
};

void ExpectEmptyList(const Outs &o, int line) {
  EXPECT_EQ(o.names, nullptr) << "line " << line;
  EXPECT_EQ(o.count, 0) << "line " << line;
}
void ExpectEmptyText(char *t, int line) {
  ASSERT_NE(t, nullptr) << "line " << line;
  ASSERT_NE(t, g_untouched) << "line " << line << ": the call left the text unset";
  EXPECT_STREQ(t, "") << "line " << line;
  PKRGfree(t);
}

}  // namespace

TEST_F(Api, MissingStoreSetsEveryOutputAndNamesThePlace) {
  char lang[KX_LANG_SIZE] = "xx";
  Outs o;
  EXPECT_NE(getCurrentLangAbrev(lang, &o.err), 0);
  EXPECT_STREQ(lang, "");
  EXPECT_TRUE(Contains(ErrText(o.err), dir_));

  o = Outs();
  EXPECT_NE(getAllConfigurations(Ctx(), "win32", &o.names, &o.count, &o.err), 0);
  ExpectEmptyList(o, __LINE__);
  EXPECT_TRUE(Contains(ErrText(o.err), "config.kxs"));

  o = Outs();
  EXPECT_NE(getConfiguration(Ctx(), "win32", "Lab", &o.names, &o.count, &o.a, &o.b, &o.c, &o.d, &o.value, &o.err), 0);
  ExpectEmptyList(o, __LINE__);
  ExpectEmptyText(o.a, __LINE__);
  ExpectEmptyText(o.b, __LINE__);
  ExpectEmptyText(o.c, __LINE__);
  ExpectEmptyText(o.d, __LINE__);
  EXPECT_EQ(o.value, 0);
  EXPECT_TRUE(Contains(ErrText(o.err), "config.kxs"));

  o = Outs();
  EXPECT_NE(getConfigurationClients(Ctx(), "win32", "Lab", &o.names, &o.count, &o.err), 0);
  ExpectEmptyList(o, __LINE__);
  Take(o.err);

  o = Outs();
  EXPECT_NE(getAllClients(Ctx(), "win32", &o.names, &o.count, &o.err), 0);
  ExpectEmptyList(o, __LINE__);
  EXPECT_TRUE(Contains(ErrText(o.err), "catalogue.kxs"));

  o = Outs();
  EXPECT_NE(getClientOS(Ctx(), "win32", "PC-1", &o.a, &o.err), 0);
  ExpectEmptyText(o.a, __LINE__);
  Take(o.err);
  o = Outs();
  EXPECT_NE(getClientOSVersion(Ctx(), "win32", "PC-1", &o.a, &o.err), 0);
  ExpectEmptyText(o.a, __LINE__);
  Take(o.err);

  o = Outs();
  EXPECT_NE(getConflictResolution(Ctx(), "win32", &o.a, &o.b, &o.c, &o.err), 0);
  ExpectEmptyText(o.a, __LINE__);
  ExpectEmptyText(o.b, __LINE__);
  ExpectEmptyText(o.c, __LINE__);
  Take(o.err);

  o = Outs();
  EXPECT_NE(makeTempFiles(Ctx(), "win32", &o.err), 0);
  Take(o.err);
  o = Outs();
  EXPECT_NE(commitRVXChanges(Ctx(), "win32", &o.err), 0);
  Take(o.err);
  EXPECT_FALSE(Exists(ConfigPath())) << "a failed commit must not create a store";

  o = Outs();
  EXPECT_NE(getAllVelkanHomes("win32", &o.names, &o.count), 0);
  ExpectEmptyList(o, __LINE__);
  o = Outs();
  EXPECT_NE(getInstalledProducts("C:\\VELKAN\\POOL", "win32", 0, &o.names, &o.count, &o.err), 0);
  ExpectEmptyList(o, __LINE__);
  EXPECT_TRUE(Contains(ErrText(o.err), "catalogue.kxs"));
  for (auto query : {getInstalledProductLabel, getInstalledProductVersion, getInstalledProductSize}) {
    o = Outs();
    EXPECT_NE(query("C:\\VELKAN\\POOL", "win32", 0, "Mail", &o.a, &o.err), 0);
    ExpectEmptyText(o.a, __LINE__);
    Take(o.err);
  }
}

// The bytes the process heap holds in use.
size_t HeapInUse() {
  size_t n = 0;
  PROCESS_HEAP_ENTRY e = {};
  HeapLock(GetProcessHeap());
  while (HeapWalk(GetProcessHeap(), &e))
    if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) n += e.cbData;
  HeapUnlock(GetProcessHeap());
  return n;
}

// Names and arrays of both DLLs share blocks: each piece is released once,
// in any order, through PKRGfree, and the block goes with its last piece.
TEST_F(Api, BuffersOfBothDllsAreReleasedOnceInAnyOrder) {
  LaySample();
  enum Order { kArrayFirst, kArrayLast, kMixed };
  auto release = [](char **names, KXCOUNT count, Order order) {
    if (order == kArrayFirst) PKRGfree(names);
    for (KXCOUNT i = count; i-- > 0;) {
      PKRGfree(names[i]);
      if (order == kMixed && i == 1) {
        PKRGfree(names);
        PKRGfree(names[i]);  // twice: counted once
      }
    }
    if (order == kArrayLast) PKRGfree(names);
  };
  const size_t before = HeapInUse();
  for (int round = 0; round < 300; ++round) {
    for (Order order : {kArrayFirst, kArrayLast, kMixed}) {
      Outs o, p;
      ASSERT_EQ(getAllClients(Ctx(), "win32", &o.names, &o.count, &o.err), 0);
      ASSERT_EQ(getInstalledProducts("C:\\VELKAN\\POOL", "win32", 0, &p.names, &p.count, &p.err), 0);
      ASSERT_EQ(getClientOS(Ctx(), "win32", "PC-1", &o.a, &o.err), 0);
      ASSERT_NE(getClientOS(Ctx(), "win32", "nobody", &o.b, &o.err), 0);
      std::string client = o.names[2], product = p.names[0];
      release(p.names, p.count, order);  // the other DLL's list between this one's texts
      EXPECT_EQ(client, "PC-3");
      EXPECT_EQ(product, "Mail");
      EXPECT_EQ(Take(o.b), "");
      EXPECT_TRUE(Contains(ErrText(o.err), "nobody"));
      release(o.names, o.count, order);
      Take(o.a);
    }
  }
  EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
  // 900 rounds of three lists and three texts: a block kept each round
  // would hold far more than two blocks of texts.
  EXPECT_LT(HeapInUse(), before + 40000);
  PKRGfree(nullptr);  // harmless, as free(NULL)
}

TEST_F(Api, ReadsTheCatalogueAndTheConfigurations) {
  LaySample();
  char lang[KX_LANG_SIZE];
  char *err = nullptr;
  ASSERT_EQ(getCurrentLangAbrev(lang, &err), 0);
  EXPECT_STREQ(lang, "us");

  Outs o;
  ASSERT_EQ(getConfiguration(Ctx(), "win32", "Lab", &o.names, &o.count, &o.a, &o.b, &o.c, &o.d, &o.value, &o.err), 0);
  EXPECT_EQ(TakeNames(o.names, o.count), (std::vector<std::string>{"Mail", "Forms"}));
  EXPECT_EQ(Take(o.a), "user");
  EXPECT_EQ(Take(o.b), "local");
  EXPECT_EQ(Take(o.c), "mandatory");
  EXPECT_EQ(Take(o.d), "Windows NT");
  EXPECT_EQ(o.value, 7);
  ASSERT_EQ(getConfiguration(Ctx(), "win32", "Office", &o.names, &o.count, &o.a, &o.b, &o.c, &o.d, &o.value, &o.err), 0);
  EXPECT_EQ(o.names, nullptr);  // no products: no array
  EXPECT_EQ(o.count, 0);
  Take(o.a), Take(o.b), Take(o.c), Take(o.d);
  ASSERT_EQ(getConfigurationClients(Ctx(), "win32", "Lab", &o.names, &o.count, &o.err), 0);
  EXPECT_EQ(TakeNames(o.names, o.count), (std::vector<std::string>{"PC-1", "PC-3"}));
  EXPECT_NE(getConfigurationClients(Ctx(), "win32", "lab", &o.names, &o.count, &o.err), 0) << "names are case-sensitive";
  EXPECT_TRUE(Contains(ErrText(o.err), "\"lab\""));

  ASSERT_EQ(getConflictResolution(Ctx(), "win32", &o.a, &o.b, &o.c, &o.err), 0);
  EXPECT_EQ(Take(o.a) + " " + Take(o.b) + " " + Take(o.c), "administrator shared optional");

  ASSERT_EQ(getAllClients(Ctx(), "win32", &o.names, &o.count, &o.err), 0);
  EXPECT_EQ(TakeNames(o.names, o.count), (std::vector<std::string>{"PC-1", "PC-2", "PC-3"}));
  ASSERT_EQ(getClientOS(Ctx(), "win32", "PC-2", &o.a, &o.err), 0);
  EXPECT_EQ(Take(o.a), "Windows 95");
  // A client without a version, a client without an OS: failures with texts.
  EXPECT_NE(getClientOSVersion(Ctx(), "win32", "PC-2", &o.a, &o.err), 0);
  EXPECT_TRUE(Contains(ErrText(o.err), "PC-2"));
  EXPECT_EQ(Take(o.a), "");
  EXPECT_NE(getClientOS(Ctx(), "win32", "PC-3", &o.a, &o.err), 0);
  Take(o.err), Take(o.a);
}

TEST_F(Api, ProductRegistryAnswersPerHomeAndFailsForMissingFields) {
  LaySample();
  EXPECT_EQ(PKRGinit(), 0);
  EXPECT_EQ(PKRGinit(), 0);  // the program opens twice and closes once
  EXPECT_EQ(PKRGclose(), 0);
  Outs o;
  const char *home = "C:\\VELKAN\\POOL";
  ASSERT_EQ(getInstalledProducts(home, "win32", 0, &o.names, &o.count, &o.err), 0);
  EXPECT_EQ(TakeNames(o.names, o.count), (std::vector<std::string>{"Mail", "Broken", "Forms"}));
  ASSERT_EQ(getInstalledProducts("D:\\OLD", "win32", 0, &o.names, &o.count, &o.err), 0);
  EXPECT_EQ(TakeNames(o.names, o.count), (std::vector<std::string>{"Retired"}));

  ASSERT_EQ(getInstalledProductLabel(home, "win32", 0, "Mail", &o.a, &o.err), 0);
  EXPECT_EQ(Take(o.a), "Velkan Mail");
  ASSERT_EQ(getInstalledProductVersion(home, "win32", 0, "Mail", &o.a, &o.err), 0);
  EXPECT_EQ(Take(o.a), "4.2");
  ASSERT_EQ(getInstalledProductSize(home, "win32", 0, "Mail", &o.a, &o.err), 0);
  EXPECT_EQ(Take(o.a), "1200");

  EXPECT_NE(getInstalledProductLabel(home, "win32", 0, "Broken", &o.a, &o.err), 0);
  std::string e = ErrText(o.err);
  EXPECT_TRUE(Contains(e, "Broken") && Contains(e, "label")) << e;
  EXPECT_EQ(Take(o.a), "");
  EXPECT_NE(getInstalledProductSize(home, "win32", 0, "Forms", &o.a, &o.err), 0);
  Take(o.err), Take(o.a);
  // A product of the other home is not one of this home's.
  EXPECT_NE(getInstalledProductLabel(home, "win32", 0, "Retired", &o.a, &o.err), 0);
  Take(o.err), Take(o.a);
  EXPECT_NE(getInstalledProducts("E:\\NONE", "win32", 0, &o.names, &o.count, &o.err), 0);
  ExpectEmptyList(o, __LINE__);
  Take(o.err);
  EXPECT_NE(getInstalledProducts(home, "win16", 0, &o.names, &o.count, &o.err), 0);
  EXPECT_TRUE(Contains(ErrText(o.err), "win16"));
  EXPECT_NE(getAllVelkanHomes(nullptr, &o.names, &o.count), 0);
}

TEST_F(Api, ContextCarriesTheInstallationAndLongPathsStillWork) {
  LaySample();
  char ctx[KX_CONTEXT_SIZE];
  ASSERT_EQ(kxsaoh("win32", ctx), 0);
  // The context keeps naming this store after the variable changes.
  SetEnvironmentVariableA("VELKAN_INSTALL", "C:\\nowhere");
  Outs o;
  ASSERT_EQ(getAllConfigurations(ctx, "win32", &o.names, &o.count, &o.err), 0);
  TakeNames(o.names, o.count);
  // A context never filled by kxsaoh: the call finds the installation itself.
  char blank[KX_CONTEXT_SIZE];
  memset(blank, 'x', sizeof blank);
  SetEnvironmentVariableA("VELKAN_INSTALL", dir_.c_str());
  ASSERT_EQ(getAllConfigurations(blank, "win32", &o.names, &o.count, &o.err), 0);
  TakeNames(o.names, o.count);

  // A store directory longer than the 260-character context is kept by the
  // DLL, not cut: the failure names all of it. (Wine's 8-bit file calls
  // stop at MAX_PATH, so no store can be laid out there.)
  std::string deep = dir_;
  while (deep.size() < 300) deep += "\\abcdefghijklmnopqrstuvwxyz0123456789";
  SetEnvironmentVariableA("VELKAN_INSTALL", deep.c_str());
  memset(ctx, 0, sizeof ctx);
  ASSERT_EQ(kxsaoh("win32", ctx), 0);
  EXPECT_NE(memchr(ctx, 0, sizeof ctx), nullptr);
  SetEnvironmentVariableA("VELKAN_INSTALL", dir_.c_str());
  EXPECT_NE(getAllConfigurations(ctx, "win32", &o.names, &o.count, &o.err), 0);
  EXPECT_TRUE(Contains(ErrText(o.err), deep));
}

// Names as the administrator may type them, and as catalogues hold them.
TEST_F(Api, OddNamesComeBackByteForByte) {
  LaySample();
  std::vector<std::string> names = OddNames();
  char *err = nullptr;
  ASSERT_EQ(makeTempFiles(Ctx(), "win32", &err), 0);
  for (size_t i = 0; i < names.size(); ++i) {
    // Each name as configuration, product, client and OS text at once.
    char *list[] = {const_cast<char *>(names[i].c_str()), const_cast<char *>(names[(i + 1) % names.size()].c_str())};
    std::string config = ConfigName(names[i]);
    ASSERT_EQ(setConfiguration(Ctx(), "win32", config.c_str(), list, 2, "user", "shared", "optional",
                               names[i].c_str(), static_cast<int>(i) - 5, &err), 0)
        << "name " << i << ": " << Take(err);
    ASSERT_EQ(setConfigurationClients(Ctx(), "win32", config.c_str(), list, 2, &err), 0) << Take(err);
  }
  ASSERT_EQ(commitRVXChanges(Ctx(), "win32", &err), 0) << Take(err);

  Outs o;
  ASSERT_EQ(getAllConfigurations(Ctx(), "win32", &o.names, &o.count, &o.err), 0);
  std::vector<std::string> all = TakeNames(o.names, o.count);
  ASSERT_EQ(all.size(), names.size() + 2);
  for (size_t i = 0; i < names.size(); ++i) {
    std::string config = ConfigName(names[i]);
    EXPECT_EQ(all[i + 2], config) << "name " << i;
    ASSERT_EQ(getConfiguration(Ctx(), "win32", config.c_str(), &o.names, &o.count, &o.a, &o.b, &o.c, &o.d,
                               &o.value, &o.err), 0) << i;
    std::vector<std::string> products = TakeNames(o.names, o.count);
    EXPECT_EQ(products, (std::vector<std::string>{names[i], names[(i + 1) % names.size()]})) << i;
    Take(o.a), Take(o.b), Take(o.c);
    EXPECT_EQ(Take(o.d), names[i]) << i;
    EXPECT_EQ(o.value, static_cast<int>(i) - 5);
    ASSERT_EQ(getConfigurationClients(Ctx(), "win32", config.c_str(), &o.names, &o.count, &o.err), 0);
    EXPECT_EQ(TakeNames(o.names, o.count), products) << i;
  }

  // The same names in the read-only catalogue, through PKRG and the clients.
  kx::Catalogue c;
  kx::ConfigData d;
  SampleLayout(&c, &d);
  c.homes[0].name = names[4];
  c.homes[0].products.clear();
  c.clients.clear();
  for (const auto &n : names) {
    c.homes[0].products.push_back(kx::Product{n, n, n, n});
    c.clients.push_back(kx::Client{n, n, n});
  }
  Lay(c, d);
  ASSERT_EQ(getInstalledProducts(names[4].c_str(), "win32", 0, &o.names, &o.count, &o.err), 0);
  EXPECT_EQ(TakeNames(o.names, o.count), names);
  ASSERT_EQ(getAllClients(Ctx(), "win32", &o.names, &o.count, &o.err), 0);
  EXPECT_EQ(TakeNames(o.names, o.count), names);
  for (const auto &n : names) {
    ASSERT_EQ(getInstalledProductLabel(names[4].c_str(), "win32", 0, n.c_str(), &o.a, &o.err), 0);
    EXPECT_EQ(Take(o.a), n);
    ASSERT_EQ(getClientOSVersion(Ctx(), "win32", n.c_str(), &o.a, &o.err), 0);
    EXPECT_EQ(Take(o.a), n);
  }
}

TEST_F(Api, RefusesWhatTheStoreCannotHoldAndKeepsThePendingChange) {
  LaySample();
  char *err = nullptr;
  ASSERT_EQ(makeTempFiles(Ctx(), "win32", &err), 0);
  std::string tooLong(kx::kMaxNameLength + 1, 'L');
  char *good[] = {const_cast<char *>("Mail")};
  char *bad[] = {const_cast<char *>("")};
  struct Case {
    const char *what;
    std::function<int(char **)> call;
    const char *expect;
  } cases[] = {
      {"empty name", [&](char **e) { return setConfiguration(Ctx(), "win32", "", good, 1, "user", "shared", "optional", "DOS", 0, e); }, "empty"},
      {"line feed", [&](char **e) { return setConfiguration(Ctx(), "win32", "a\nb", good, 1, "user", "shared", "optional", "DOS", 0, e); }, "line break"},
      {"carriage return", [&](char **e) { return setConfiguration(Ctx(), "win32", "a\rb", good, 1, "user", "shared", "optional", "DOS", 0, e); }, "line break"},
      {"comma", [&](char **e) { return setConfiguration(Ctx(), "win32", "Lab,2", good, 1, "user", "shared", "optional", "DOS", 0, e); }, "comma"},
      {"over-long", [&](char **e) { return setConfiguration(Ctx(), "win32", tooLong.c_str(), good, 1, "user", "shared", "optional", "DOS", 0, e); }, "1024"},
      {"null name", [&](char **e) { return setConfiguration(Ctx(), "win32", nullptr, good, 1, "user", "shared", "optional", "DOS", 0, e); }, "name"},
      {"empty product", [&](char **e) { return setConfiguration(Ctx(), "win32", "X", bad, 1, "user", "shared", "optional", "DOS", 0, e); }, "product"},
      {"count without array", [&](char **e) { return setConfiguration(Ctx(), "win32", "X", nullptr, 3, "user", "shared", "optional", "DOS", 0, e); }, "without"},
      {"unknown word", [&](char **e) { return setConfiguration(Ctx(), "win32", "X", good, 1, "admin", "shared", "optional", "DOS", 0, e); }, "admin"},
      {"null word", [&](char **e) { return setConfiguration(Ctx(), "win32", "X", good, 1, "user", nullptr, "optional", "DOS", 0, e); }, "location"},
      {"OS with line break", [&](char **e) { return setConfiguration(Ctx(), "win32", "X", good, 1, "user", "shared", "optional", "D\nOS", 0, e); }, "line break"},
      {"resolution word", [&](char **e) { return setConflictResolution(Ctx(), "win32", "user", "remote", "optional", e); }, "remote"},
      {"wrong platform", [&](char **e) { return setConfiguration(Ctx(), "win16", "X", good, 1, "user", "shared", "optional", "DOS", 0, e); }, "win16"},
      {"client line break", [&](char **e) { char *l[] = {const_cast<char *>("PC\r\n1")}; return setConfigurationClients(Ctx(), "win32", "Lab", l, 1, e); }, "line break"},
      {"clients of an unknown configuration", [&](char **e) { return setConfigurationClients(Ctx(), "win32", "Nowhere", good, 1, e); }, "Nowhere"},
  };
  for (const Case &c : cases) {
    err = nullptr;
    EXPECT_NE(c.call(&err), 0) << c.what;
    std::string text = ErrText(err);
    EXPECT_TRUE(Contains(text, c.expect)) << c.what << ": " << text;
  }
  ASSERT_EQ(setConfigurationClients(Ctx(), "win32", "Lab", good, 1, &err), 0);
  // The refusals changed nothing; the change still commits.
  ASSERT_EQ(commitRVXChanges(Ctx(), "win32", &err), 0) << Take(err);
  kx::ConfigData d = Stored();
  ASSERT_EQ(d.configs.size(), 2u);
  EXPECT_EQ(d.configs[0].clients, (std::vector<std::string>{"Mail"})) << "the one accepted call";
}

TEST_F(Api, PendingChangeReplacesInPlaceAppendsRemovesAndNeedsMakeTempFiles) {
  LaySample();
  char *err = nullptr;
  char *one[] = {const_cast<char *>("Forms")};
  EXPECT_NE(setConfiguration(Ctx(), "win32", "New", one, 1, "user", "shared", "optional", "DOS", 0, &err), 0);
  EXPECT_TRUE(Contains(ErrText(err), "makeTempFiles"));
  EXPECT_NE(commitRVXChanges(Ctx(), "win32", &err), 0);
  EXPECT_TRUE(Contains(ErrText(err), "makeTempFiles"));
  EXPECT_NE(setConflictResolution(Ctx(), "win32", "user", "local", "mandatory", &err), 0);
  Take(err);
  EXPECT_NE(removeConfiguration(Ctx(), "win32", "Lab", &err), 0);
  Take(err);

  ASSERT_EQ(makeTempFiles(Ctx(), "win32", &err), 0);
  ASSERT_EQ(setConfiguration(Ctx(), "win32", "New", one, 1, "user", "shared", "optional", "DOS", 0, &err), 0);
  ASSERT_EQ(setConfiguration(Ctx(), "win32", "Lab", nullptr, 0, "administrator", "download", "optional",
                             "Windows 95", 0, &err), 0);
  ASSERT_EQ(removeConfiguration(Ctx(), "win32", "Office", &err), 0);
  EXPECT_EQ(removeConfiguration(Ctx(), "win32", "Never There", &err), 0) << "removing an absent name is a no-op";
  ASSERT_EQ(setConflictResolution(Ctx(), "win32", "user", "local", "mandatory", &err), 0);
  // Reads answer from the committed store until the commit.
  Outs o;
  ASSERT_EQ(getAllConfigurations(Ctx(), "win32", &o.names, &o.count, &o.err), 0);
  EXPECT_EQ(TakeNames(o.names, o.count), (std::vector<std::string>{"Lab", "Office"}));
  ASSERT_EQ(commitRVXChanges(Ctx(), "win32", &err), 0) << Take(err);

  kx::ConfigData d = Stored();
  ASSERT_EQ(d.configs.size(), 2u);
  EXPECT_EQ(d.configs[0].name, "Lab");
  EXPECT_TRUE(d.configs[0].products.empty());
  EXPECT_EQ(d.configs[0].clients, (std::vector<std::string>{"PC-1", "PC-3"})) << "setConfiguration keeps the clients";
  EXPECT_EQ(d.configs[0].words.location, "download");
  EXPECT_EQ(d.configs[1].name, "New");
  EXPECT_EQ(d.resolution->location, "local");
  EXPECT_EQ(d.generation, 2u) << "a fresh layout is generation 1, each commit adds one";
  // A commit ends the pending change.
  EXPECT_NE(commitRVXChanges(Ctx(), "win32", &err), 0);
  Take(err);
}

TEST_F(Api, ListsOverSixtyFiveThousandFailInsteadOfTruncating) {
  kx::Catalogue c;
  kx::ConfigData d;
  SampleLayout(&c, &d);
  c.clients.clear();
  for (int i = 0; i < 65536; ++i) c.clients.push_back(kx::Client{"C" + std::to_string(i), std::nullopt, std::nullopt});
  Lay(c, d);
  Outs o;
  EXPECT_NE(getAllClients(Ctx(), "win32", &o.names, &o.count, &o.err), 0);
  ExpectEmptyList(o, __LINE__);
  EXPECT_TRUE(Contains(ErrText(o.err), "65,535"));
  c.clients.pop_back();
  Lay(c, d);
  ASSERT_EQ(getAllClients(Ctx(), "win32", &o.names, &o.count, &o.err), 0);
  EXPECT_EQ(o.count, 65535);
  EXPECT_EQ(TakeNames(o.names, o.count).back(), "C65534");
}

TEST_F(Api, MissingLanguageAndResolutionAreFailuresWithTexts) {
  kx::Catalogue c;
  kx::ConfigData d;
  SampleLayout(&c, &d);
  c.language.reset();
  d.resolution.reset();
  Lay(c, d);
  char lang[KX_LANG_SIZE] = "zz";
  char *err = nullptr;
  EXPECT_NE(getCurrentLangAbrev(lang, &err), 0);
  EXPECT_STREQ(lang, "");
  EXPECT_TRUE(Contains(ErrText(err), "language"));
  Outs o;
  EXPECT_NE(getConflictResolution(Ctx(), "win32", &o.a, &o.b, &o.c, &o.err), 0);
  EXPECT_TRUE(Contains(ErrText(o.err), "conflict resolution"));
  Take(o.a), Take(o.b), Take(o.c);
}

TEST_F(Api, EmptyInstallationListsNothingAndSucceeds) {
  Lay(kx::Catalogue(), kx::ConfigData());
  Outs o;
  ASSERT_EQ(getAllVelkanHomes("win32", &o.names, &o.count), 0);
  ExpectEmptyList(o, __LINE__);
  o = Outs();
  ASSERT_EQ(getAllClients(Ctx(), "win32", &o.names, &o.count, &o.err), 0);
  ExpectEmptyList(o, __LINE__);
  o = Outs();
  ASSERT_EQ(getAllConfigurations(Ctx(), "win32", &o.names, &o.count, &o.err), 0);
  ExpectEmptyList(o, __LINE__);
  EXPECT_EQ(o.err, nullptr) << "no error text on success";
  // The first configuration of an empty installation.
  ASSERT_EQ(makeTempFiles(Ctx(), "win32", &o.err), 0);
  ASSERT_EQ(setConfiguration(Ctx(), "win32", "First", nullptr, 0, "user", "shared", "optional", "(none)", 0, &o.err), 0);
  ASSERT_EQ(setConflictResolution(Ctx(), "win32", "user", "download", "optional", &o.err), 0);
  ASSERT_EQ(commitRVXChanges(Ctx(), "win32", &o.err), 0) << Take(o.err);
  ASSERT_EQ(getConfigurationClients(Ctx(), "win32", "First", &o.names, &o.count, &o.err), 0);
  ExpectEmptyList(o, __LINE__);
  ASSERT_EQ(getConflictResolution(Ctx(), "win32", &o.a, &o.b, &o.c, &o.err), 0);
  EXPECT_EQ(Take(o.a) + Take(o.b) + Take(o.c), "userdownloadoptional");
}
