// rvxcfg.exe as an administrator runs it: a child process on a real store,
// which the test lays out and reads back with the store's core.
#include <cstring>
#include <functional>
#include <regex>

#include "child_process.h"
#include "detector.h"
#include "store_fixture.h"

using namespace kxtest;

namespace {

const char *const kFiles[] = {"configurations.csv", "products.csv", "assignments.csv", "generation.txt"};

// The export folders are inside the store's directory, which TempStore
// removes whole.
class Rvxcfg : public TempStore {
 protected:
  std::string Sub(const std::string &name) const { return dir_ + "\\" + name; }
  // A copy of an exported set, as an administrator makes one to edit.
  void CopySet(const std::string &from, const std::string &to) {
    CreateDirectoryA(Sub(to).c_str(), nullptr);
    for (const char *f : kFiles) CopyFileA((Sub(from) + "\\" + f).c_str(), (Sub(to) + "\\" + f).c_str(), FALSE);
  }
  void Append(const std::string &dir, const char *file, const std::string &rows) { Put(dir, file, Get(dir, file) + rows); }
  ProgramRun Cfg(const std::string &args) { return RunProgram("rvxcfg.exe", args); }
  void Put(const std::string &dir, const char *file, const std::string &bytes) { PutFile(Sub(dir) + "\\" + file, bytes); }
  std::string Get(const std::string &dir, const char *file) { return ReadFile(Sub(dir) + "\\" + file); }
  // Each configuration's products and clients, in order.
  std::string Brief() {
    std::string t;
    for (const kx::Configuration &c : Stored().configs) {
      t += c.name + ":";
      for (const std::string &p : c.products) t += " " + p;
      t += " |";
      for (const std::string &n : c.clients) t += " " + n;
      t += "; ";
    }
    return t;
  }
  std::vector<kx::AuditEntry> Audit() {
    std::vector<kx::AuditEntry> a;
    std::string err;
    EXPECT_TRUE(CoreStore().LoadAudit(dir_, &a, &err)) << err;
    return a;
  }
  // What the configurations and the default are, without generation and
  // commit stamps.
  static std::string Text(const kx::ConfigData &d) {
    std::string t = d.resolution ? d.resolution->administrator + " " + d.resolution->location + " " +
                                       d.resolution->mandatory + "\n"
                                 : "(none)\n";
    for (const kx::Configuration &c : d.configs) {
      t += kx::EscapeField(c.name) + " " + c.words.administrator + " " + c.words.location + " " + c.words.mandatory +
           " " + kx::EscapeField(c.os) + " " + std::to_string(c.value) + "\n";
      for (const std::string &p : c.products) t += " product " + kx::EscapeField(p) + "\n";
      for (const std::string &n : c.clients) t += " client " + kx::EscapeField(n) + "\n";
    }
    return t;
  }
};

// Every odd name as product, client, configuration and OS text: export,
// import and export again change nothing (not even the generation), and an
// import into an emptied store brings every byte back.
TEST_F(Rvxcfg, ExportImportExportChangesNothingForEveryOddName) {
  const std::vector<std::string> names = OddNames();
  kx::Catalogue c;
  kx::ConfigData d;
  SampleLayout(&c, &d);
  c.homes[0].products.clear();
  c.clients.clear();
  d.configs.clear();
  const char *const admin[] = {"administrator", "user"}, *const loc[] = {"shared", "local", "download"};
  for (size_t i = 0; i < names.size(); ++i) {
    c.homes[0].products.push_back(kx::Product{names[i], names[i], names[i], names[i]});
    c.clients.push_back(kx::Client{names[i], names[i], names[i]});
    kx::Configuration k;
    k.name = ConfigName(names[i]);
    k.products = {names[i], names[(i + 1) % names.size()]};
    k.clients = {names[(i + 2) % names.size()], names[i]};
    k.words = kx::Words{admin[i % 2], loc[i % 3], i % 2 ? "mandatory" : "optional"};
    k.os = names[i];
    d.configs.push_back(k);
  }
  Lay(c, d);
  const std::string before = ReadFile(ConfigPath());

  ProgramRun r = Cfg("export " + Quote(Sub("x1")));
  ASSERT_EQ(r.code, 0u) << r.err;
  r = Cfg("import " + Quote(Sub("x1")));
  ASSERT_EQ(r.code, 0u) << r.err;
  EXPECT_TRUE(Contains(r.out, "nothing to change")) << r.out;
  EXPECT_EQ(ReadFile(ConfigPath()), before);
  EXPECT_TRUE(Audit().empty());
  ASSERT_EQ(Cfg("export " + Quote(Sub("x2"))).code, 0u);
  for (const char *f : kFiles) EXPECT_EQ(Get("x2", f), Get("x1", f)) << f;

  kx::ConfigData empty;
  empty.resolution = kx::Words{"user", "local", "mandatory"};
  Lay(c, empty);
  r = Cfg("import " + Quote(Sub("x1")) + " --force");
  ASSERT_EQ(r.code, 0u) << r.err;
  EXPECT_EQ(Text(Stored()), Text(d));
}

struct Refusal {
  const char *what;
  const char *file;
  std::string bytes;
  std::string says;
};

class RvxcfgRefuses : public Rvxcfg, public ::testing::WithParamInterface<Refusal> {};

// A refused import names the file and the line, exits with 1 and leaves the
// store and its history as they were.
TEST_P(RvxcfgRefuses, NamingFileAndLineAndWritingNothing) {
  LaySample();
  ASSERT_EQ(Cfg("export " + Quote(Sub("x1"))).code, 0u);
  Put("x1", GetParam().file, GetParam().bytes);
  const std::string before = ReadFile(ConfigPath());
  ProgramRun r = Cfg("import " + Quote(Sub("x1")));
  EXPECT_EQ(r.code, 1u);
  EXPECT_TRUE(Contains(r.err, Sub("x1") + "\\" + GetParam().file + ": " + GetParam().says)) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
  EXPECT_EQ(ReadFile(ConfigPath()), before);
  EXPECT_TRUE(Audit().empty());
}

const std::string kConfigsHeader = "name,operating system,administrator,location,mandatory\r\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, RvxcfgRefuses,
    ::testing::Values(
        Refusal{"product", "products.csv", "configuration,product,position\r\nLab,Mail,1\r\nLab,Velkan Nothing,2\r\n",
                "line 3: product \"Velkan Nothing\" is not installed"},
        Refusal{"client", "assignments.csv", "configuration,client,position\r\nLab,PC-404,1\r\n",
                "line 2: client \"PC-404\" is not listed"},
        Refusal{"duplicate", "configurations.csv",
                kConfigsHeader + "Lab,DOS,user,local,optional\r\nLab,DOS,user,local,optional\r\n",
                "line 3: a duplicate"},
        Refusal{"word", "configurations.csv", kConfigsHeader + "\r\nNew,DOS,user,remote,optional\r\n",
                "line 3: location \"remote\""},
        Refusal{"name", "configurations.csv", kConfigsHeader + std::string(1025, 'N') + ",DOS,user,local,optional\r\n",
                "line 2: the configuration name is longer than 1024 bytes"},
        Refusal{"utf8", "configurations.csv", kConfigsHeader + "Au\xC3\x9F" "endienst,DOS,user,local,optional\r\n",
                "line 2, column 1: the file reads as UTF-8 without a byte-order mark, so \"Au\xC3\x9F" "endienst\" "
                "would be taken for another name: save it as UTF-8 with the mark (\"CSV UTF-8\") or in code page "
                "1252, as export --utf8"},
        Refusal{"outside", "products.csv", "\xEF\xBB\xBF" "configuration,product,position\r\nLab,\xE4\xB8\xAD,1\r\n",
                "line 2, column 2: \"\xE4\xB8\xAD\" holds U+4E2D, which code page 1252 cannot hold"},
        Refusal{"case", "configurations.csv",
                kConfigsHeader + "\xC4mter,DOS,user,local,optional\r\n\xE4mter,DOS,user,local,optional\r\n",
                "line 3: a duplicate: configuration \"\xE4mter\" differs from \"\xC4mter\" only in letter case"},
        Refusal{"formula", "configurations.csv", kConfigsHeader + "=1+1,DOS,user,local,optional\r\n",
                "line 2, column 1: \"=1+1\" starts with \"=\", which a spreadsheet runs as a formula"}),
    [](const ::testing::TestParamInfo<Refusal> &i) { return std::string(i.param.what); });

// What a spreadsheet makes of an export reads back as it was: UTF-8 with a
// byte-order mark, semicolons, and cells that would run as formulas, which
// carry an apostrophe in the file and lose it again.
TEST_F(Rvxcfg, SpreadsheetFormatsRoundTrip) {
  kx::Catalogue c;
  kx::ConfigData d;
  SampleLayout(&c, &d);
  for (const std::string n : {"Au\xDF" "endienst", "=HYPERLINK(\"http://x\",\"y\")", "+1+cmd|' /C calc'!A0", "'=q",
                              "-x", "@S"}) {
    c.homes[0].products.push_back(kx::Product{n, {}, {}, {}});
    d.configs[1].products.push_back(n);
    d.configs.push_back(d.configs[0]);
    d.configs.back().name = ConfigName(n);
  }
  Lay(c, d);
  for (const char *format : {"", " --utf8", " --semicolon", " --utf8 --semicolon"}) {
    SCOPED_TRACE(format);
    const std::string set = "x" + std::to_string(std::strlen(format));
    ASSERT_EQ(Cfg("export " + Quote(Sub(set)) + format).code, 0u);
    const std::string configs = Get(set, "configurations.csv"), sep = Contains(format, "semicolon") ? ";" : ",";
    const bool utf8 = Contains(format, "utf8");
    EXPECT_EQ(configs.compare(0, 3, "\xEF\xBB\xBF") == 0, utf8);
    EXPECT_TRUE(Contains(configs, "name" + sep + "operating system" + sep));
    EXPECT_TRUE(Contains(configs, utf8 ? "Au\xC3\x9F" "endienst" : "Au\xDF" "endienst"));
    EXPECT_TRUE(Contains(configs, "\r\n\"'=HYPERLINK(\"\"http://x\"\";") && Contains(configs, "\r\n''=q")) << configs;
    EXPECT_TRUE(Contains(Get(set, "products.csv"), "Office" + sep + "'-x" + sep));
    ProgramRun r = Cfg("import " + Quote(Sub(set)));
    EXPECT_EQ(r.code, 0u) << r.err;
    EXPECT_EQ(r.out, "nothing to change\n");
  }
}

TEST_F(Rvxcfg, DryRunPrintsWhatWouldChangeAndWritesNothing) {
  LaySample();
  ASSERT_EQ(Cfg("export " + Quote(Sub("x1"))).code, 0u);
  Put("x1", "assignments.csv", "configuration,client,position\r\nOffice,PC-2,1\r\n");
  const std::string before = ReadFile(ConfigPath());
  ProgramRun r = Cfg("import " + Quote(Sub("x1")) + " --dry-run");
  ASSERT_EQ(r.code, 0u) << r.err;
  EXPECT_TRUE(Contains(r.out, "changed \"Lab\": 2 clients removed: \"PC-1\", \"PC-3\"")) << r.out;
  EXPECT_TRUE(Contains(r.out, "changed \"Office\": 1 clients added: \"PC-2\"")) << r.out;
  EXPECT_TRUE(Contains(r.out, "dry run: nothing was written")) << r.out;
  EXPECT_EQ(ReadFile(ConfigPath()), before);
}

// An export into a folder holding an edited set replaces nothing without
// --force, and with it nothing unless every file can be replaced (one
// read-only, one open in a spreadsheet): no half-written set, no pending file
// left, nothing else in the folder touched.
TEST_F(Rvxcfg, ExportReplacesAllFilesOrNone) {
  LaySample();
  ASSERT_EQ(Cfg("export " + Quote(Sub("x1"))).code, 0u);
  for (const char *f : kFiles) Put("x1", f, std::string("edited ") + f);
  Put("x1", "notes.txt", "mine");
  const std::string products = Sub("x1") + "\\products.csv";
  // In the way: nothing (but no --force), a read-only file, one a spreadsheet holds open.
  const std::string says[] = {"already holds configurations.csv, products.csv, assignments.csv, generation.txt",
                              products + ": the file is read-only", products + ": "};
  for (int i = 0; i < 3; ++i) {
    if (i == 1) SetFileAttributesA(products.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE h = i == 2 ? CreateFileA(products.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                      : INVALID_HANDLE_VALUE;
    ProgramRun r = Cfg("export " + Quote(Sub("x1")) + (i ? " --force" : ""));
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    SetFileAttributesA(products.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(r.code, 1u) << says[i];
    EXPECT_TRUE(Contains(r.err, says[i]) && Contains(r.err, "nothing was written")) << r.err;
    for (const char *f : kFiles) EXPECT_EQ(Get("x1", f), std::string("edited ") + f);
    EXPECT_TRUE(FilesEndingWith(Sub("x1"), ".pending").empty());
  }
  ASSERT_EQ(Cfg("export " + Quote(Sub("x1")) + " --force").code, 0u);
  ASSERT_EQ(Cfg("export " + Quote(Sub("x2"))).code, 0u);
  for (const char *f : kFiles) EXPECT_EQ(Get("x1", f), Get("x2", f)) << f;
  EXPECT_EQ(Get("x1", "notes.txt"), "mine");
}

struct TwoSets {
  const char *what;
  std::string rowA, rowB;  // assignments added to two copies of one export
  std::string refusal;     // of the second import; empty: both edits are kept
  std::string after;       // Brief() of the store after both imports
};

class RvxcfgTwoSets : public Rvxcfg, public ::testing::WithParamInterface<TwoSets> {};

// Two administrators copy one export, each edits a copy, and both import:
// the second import merges against the generation exported, so the first
// one's edit stays, or it is refused naming the configuration both changed
// (also in its dry run). The untouched export, imported last, changes
// nothing.
TEST_P(RvxcfgTwoSets, KeepBothEditsOrRefuseTheSecond) {
  LaySample();
  ASSERT_EQ(Cfg("export " + Quote(Sub("c0"))).code, 0u);
  CopySet("c0", "cA");
  CopySet("c0", "cB");
  Append("cA", "assignments.csv", GetParam().rowA);
  Append("cB", "assignments.csv", GetParam().rowB);
  ASSERT_EQ(Cfg("import " + Quote(Sub("cA"))).code, 0u);
  for (const char *dry : {" --dry-run", ""}) {
    ProgramRun r = Cfg("import " + Quote(Sub("cB")) + dry);
    EXPECT_EQ(r.code, GetParam().refusal.empty() ? 0u : 1u);
    const std::string &no = GetParam().refusal;
    EXPECT_TRUE(no.empty() ? r.err.empty() : Contains(r.err, no) && Contains(r.err, "Nothing was imported")) << r.err;
  }
  EXPECT_EQ(Brief(), GetParam().after);
  const std::string before = ReadFile(ConfigPath());
  EXPECT_EQ(Cfg("import " + Quote(Sub("c0"))).out, "nothing to change\n");
  EXPECT_EQ(ReadFile(ConfigPath()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, RvxcfgTwoSets,
    ::testing::Values(TwoSets{"OtherConfigurations", "Office,PC-2,1\r\n", "Lab,PC-2,9\r\n", "",
                              "Lab: Mail Forms | PC-1 PC-3 PC-2; Office: | PC-2; "},
                      TwoSets{"SameConfiguration", "Office,PC-2,1\r\n", "Office,PC-3,1\r\n",
                              "configuration \"Office\": changed here, and changed otherwise by",
                              "Lab: Mail Forms | PC-1 PC-3; Office: | PC-2; "}),
    [](const ::testing::TestParamInfo<TwoSets> &i) { return std::string(i.param.what); });

// A set whose generation is unknown (no generation file, a generation no
// longer kept, one of another installation) is refused; --force imports it
// and says what it overwrites.
TEST_F(Rvxcfg, UnknownGenerationIsRefusedUnlessForced) {
  const std::vector<std::function<void()>> spoil = {
      [&] { DeleteFileA((Sub("x1") + "\\generation.txt").c_str()); },
      [&] { LaySample(); },  // laid out anew: generation 1 is no longer kept
      [&] { Put("x1", "generation.txt", "generation 1\r\ncontent 0123456789abcdef\r\n"); }};
  for (size_t i = 0; i < spoil.size(); ++i) {
    SCOPED_TRACE(i);
    Fresh();
    LaySample();
    ASSERT_EQ(Cfg("export " + Quote(Sub("x1"))).code, 0u);
    Put("x1", "assignments.csv", "configuration,client,position\r\n");
    spoil[i]();
    const std::string before = ReadFile(ConfigPath());
    ProgramRun r = Cfg("import " + Quote(Sub("x1")));
    EXPECT_EQ(r.code, 1u);
    EXPECT_TRUE(Contains(r.err, "nothing was imported")) << r.err;
    EXPECT_EQ(ReadFile(ConfigPath()), before);
    r = Cfg("import " + Quote(Sub("x1")) + " --force");
    EXPECT_EQ(r.code, 0u) << r.err;
    EXPECT_EQ(r.out.substr(0, 8), "--force:") << r.out;
    EXPECT_TRUE(Stored().Find("Lab")->clients.empty());
  }
}

// N imports of copies of one export at once, each adding a client to one
// configuration, some to the same one: the sessions' detector finds no update
// lost, no refusal without a true conflict and none missed.
TEST_F(Rvxcfg, ParallelImportsLoseNoUpdate) {
  const int kImports = 6, kConfigs = 4;
  kx::Catalogue c;
  kx::ConfigData d;
  SampleLayout(&c, &d);
  for (int i = 0; i < kImports; ++i) c.clients.push_back(kx::Client{"PC-" + std::to_string(10 + i), {}, {}});
  d.configs.push_back(d.configs[0]);
  d.configs.back().name = "Hall";
  d.configs.push_back(d.configs[1]);
  d.configs.back().name = "Shop";
  Lay(c, d);
  const kx::ConfigData before = Stored();
  ASSERT_EQ(Cfg("export " + Quote(Sub("x0"))).code, 0u);
  std::vector<std::string> args;
  std::vector<rvx::SessionRecord> sessions(kImports);
  for (int i = 0; i < kImports; ++i) {
    const std::string set = "s" + std::to_string(i), client = "PC-" + std::to_string(10 + i);
    const std::string &name = before.configs[i % kConfigs].name;
    CopySet("x0", set);
    Append(set, "assignments.csv", name + "," + client + ",99\r\n");
    sessions[i].read = sessions[i].wrote = before;
    sessions[i].wrote.Find(name)->clients.push_back(client);
    args.push_back("import " + Quote(Sub(set)));
  }
  std::vector<ProgramRun> runs = RunPrograms("rvxcfg.exe", args);
  const kx::ConfigData after = Stored();
  for (int i = 0; i < kImports; ++i) {
    rvx::SessionRecord &s = sessions[i];
    const std::string &e = runs[i].err;
    if (runs[i].code == 0) {
      s.result = rvx::SessionRecord::kCommitted;
      for (const kx::Stamp &st : after.commits)
        if (st.process == runs[i].pid) s.generation = st.generation;
    } else if (Contains(e, "changed otherwise")) {
      s.result = rvx::SessionRecord::kRefused;
      s.now = std::strtoull(e.c_str() + e.find(", now ") + 6, nullptr, 10);
      for (size_t at = e.find("configuration \""); at != std::string::npos; at = e.find("configuration \"", at + 1))
        s.conflicts.push_back(e.substr(at + 15, e.find('"', at + 15) - at - 15));
    }
  }
  rvx::Verdict v = rvx::Detect(before, after, sessions);
  for (const std::string &f : v.findings) ADD_FAILURE() << f;
  EXPECT_EQ(v.commits, kConfigs);
  EXPECT_EQ(v.refused, kImports - kConfigs);
}

// Two imports, each one commit; the history lists them; diff tells what
// changed; restore brings generation 1 back as a new generation.
TEST_F(Rvxcfg, HistoryDiffAndRestore) {
  LaySample();
  const kx::ConfigData first = Stored();
  ASSERT_EQ(Cfg("export " + Quote(Sub("x1"))).code, 0u);
  Put("x1", "assignments.csv", "configuration,client,position\r\nLab,PC-1,1\r\n");
  ASSERT_EQ(Cfg("import " + Quote(Sub("x1"))).code, 0u);
  EXPECT_EQ(Stored().generation, first.generation + 1) << "one commit for the whole import";
  Put("x1", "products.csv", "configuration,product,position\r\nLab,Mail,1\r\nLab,Forms,2\r\nOffice,Mail,1\r\n");
  ASSERT_EQ(Cfg("import " + Quote(Sub("x1"))).code, 0u);

  ProgramRun r = Cfg("history");
  ASSERT_EQ(r.code, 0u) << r.err;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("generation 2  20\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d UTC  ")))
      << r.out;
  EXPECT_TRUE(Contains(r.out, "configurations +0 -0 ~1, products +0 -0, clients +0 -1")) << r.out;
  EXPECT_TRUE(Contains(r.out, "configurations +0 -0 ~1, products +1 -0, clients +0 -0  (current)")) << r.out;

  r = Cfg("diff 1 3");
  ASSERT_EQ(r.code, 0u) << r.err;
  EXPECT_EQ(r.out, "changed \"Lab\": 1 clients removed: \"PC-3\"\nchanged \"Office\": 1 products added: \"Mail\"\n");

  r = Cfg("restore 1");
  ASSERT_EQ(r.code, 0u) << r.err;
  EXPECT_TRUE(Contains(r.out, "restored generation 1 as generation 4")) << r.out;
  EXPECT_EQ(Text(Stored()), Text(first));
  EXPECT_EQ(Cfg("diff 1 current").out, "no difference\n");

  r = Cfg("restore 99");
  EXPECT_EQ(r.code, 1u);
  EXPECT_TRUE(Contains(r.err, "generation 99 is not kept")) << r.err;
  EXPECT_EQ(Stored().generation, 4u);
}

// A writer that dies after its audit line, before its store: the history
// lists no generation that never came, the store is the old one, and a
// restore of the generation before still works.
TEST_F(Rvxcfg, ACrashedCommitLeavesNoGenerationInTheHistory) {
  LaySample();
  const kx::ConfigData first = Stored();
  ASSERT_EQ(Cfg("export " + Quote(Sub("x1"))).code, 0u);
  Put("x1", "assignments.csv", "configuration,client,position\r\nLab,PC-2,1\r\n");
  ASSERT_EQ(Cfg("import " + Quote(Sub("x1"))).code, 0u);
  const kx::ConfigData second = Stored();
  for (const char *step : {"audit.rename@1!", "commit.rename@1!", "history.write@1!"}) {
    SCOPED_TRACE(step);
    SetEnvironmentVariableA("KX_FAULT", step);
    ProgramRun dead = RunProgram("rvxlayout.exe", "set-resolution " + Quote(dir_) + " user download mandatory");
    SetEnvironmentVariableA("KX_FAULT", nullptr);
    EXPECT_EQ(dead.code, 99u);
    EXPECT_EQ(Text(Stored()), Text(second));
    ProgramRun r = Cfg("history");
    ASSERT_EQ(r.code, 0u) << r.err;
    EXPECT_TRUE(Contains(r.out, "generation 2 ")) << r.out;
    EXPECT_FALSE(Contains(r.out, "generation 3 ")) << r.out;
  }
  ProgramRun r = Cfg("restore 1");
  ASSERT_EQ(r.code, 0u) << r.err;
  EXPECT_EQ(Text(Stored()), Text(first));
  EXPECT_TRUE(Contains(Cfg("history").out, "generation 3 ")) << "the restore is generation 3";
}

// A config.kxs that fails its checksum blocks no recovery: history and diff
// read the kept generations, and restore writes one back as the next
// generation, through the lock and with its audit line; a store that reads
// is never replaced that way.
TEST_F(Rvxcfg, ADamagedStoreIsRecoveredFromTheKeptGenerations) {
  LaySample();
  ASSERT_EQ(Cfg("export " + Quote(Sub("x1"))).code, 0u);
  Put("x1", "assignments.csv", "configuration,client,position\r\nLab,PC-2,1\r\n");
  ASSERT_EQ(Cfg("import " + Quote(Sub("x1"))).code, 0u);
  const kx::ConfigData second = Stored();
  ASSERT_EQ(Cfg("export " + Quote(Sub("x2"))).code, 0u);
  Put("x2", "assignments.csv", "configuration,client,position\r\n");
  ASSERT_EQ(Cfg("import " + Quote(Sub("x2"))).code, 0u);
  char *e = nullptr;
  EXPECT_NE(replaceDamagedStore(Ctx(), "win32", 2, &e), 0);
  EXPECT_TRUE(Contains(ErrText(e), "is not damaged"));
  std::string bytes = ReadFile(ConfigPath());
  bytes[bytes.size() / 2] ^= 0x20;
  PutFile(ConfigPath(), bytes);

  ProgramRun r = Cfg("history");
  EXPECT_EQ(r.code, 0u);
  EXPECT_TRUE(Contains(r.out, "generation 3 ")) << r.out;
  EXPECT_TRUE(Contains(r.err, "the store does not read (")) << r.err;
  r = Cfg("diff 1 2");
  EXPECT_EQ(r.out, "changed \"Lab\": 1 clients added: \"PC-2\"; 2 clients removed: \"PC-1\", \"PC-3\"\n") << r.err;
  EXPECT_EQ(Cfg("restore 2 --dry-run").code, 0u);
  EXPECT_EQ(ReadFile(ConfigPath()), bytes);
  r = Cfg("restore 2");
  ASSERT_EQ(r.code, 0u) << r.err;
  EXPECT_TRUE(Contains(r.out, "restored generation 2 as generation 4, replacing a damaged store")) << r.out;
  EXPECT_EQ(Text(Stored()), Text(second));
  EXPECT_EQ(Audit().back().generation, 4u);
  EXPECT_EQ(ReadFile(dir_ + "\\history\\damaged-before-4.kxs"), bytes);
}

// where names every configuration of a client, quotes in names doubled; a
// client of none is said so, and one the installation does not list is
// refused.
TEST_F(Rvxcfg, WhereListsEveryConfigurationOfAClient) {
  kx::Catalogue c;
  kx::ConfigData d;
  SampleLayout(&c, &d);
  d.configs[1].name = "Say \"hi\"";
  d.configs[1].clients = {"PC-1"};
  Lay(c, d);
  ProgramRun r = Cfg("where PC-1");
  ASSERT_EQ(r.code, 0u) << r.err;
  EXPECT_EQ(r.out,
            "\"Lab\": system \"Windows NT\"; user, local, mandatory; products: \"Mail\", \"Forms\"\n"
            "\"Say \"\"hi\"\"\": system \"Windows 95\"; administrator, download, optional; products: (none)\n");
  EXPECT_EQ(Cfg("where PC-2").out, "no configuration lists client \"PC-2\"\n");
  r = Cfg("where PC-9");
  EXPECT_EQ(r.code, 1u);
  EXPECT_EQ(r.err, "rvxcfg: client \"PC-9\" is not listed among the installation's clients\n");
}

struct EditCase {
  std::string args, input;  // input: standard input
  DWORD code;
  std::string says;   // part of standard output for 0, of standard error otherwise
  std::string after;  // Brief() of the store afterwards; empty: unchanged
};

class RvxcfgEdits : public Rvxcfg, public ::testing::WithParamInterface<EditCase> {};

// Each scripted edit is one commit with its audit line, or nothing at all:
// refused as an import refuses, or a dry run.
TEST_P(RvxcfgEdits, OneCommitOrNothing) {
  LaySample();
  const std::string before = Brief();
  const EditCase &c = GetParam();
  RunOptions withInput;
  withInput.input = c.input;
  ProgramRun r = RunProgram("rvxcfg.exe", c.args, withInput);
  EXPECT_EQ(r.code, c.code) << r.out << r.err;
  EXPECT_TRUE(Contains(c.code ? r.err : r.out, c.says)) << r.out << r.err;
  EXPECT_EQ(Brief(), c.after.empty() ? before : c.after);
  EXPECT_EQ(Audit().size(), c.after.empty() ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, RvxcfgEdits,
    ::testing::Values(
        EditCase{"assign Lab PC-2", "", 0, "changed \"Lab\": 1 clients added: \"PC-2\"\nstored as generation 2\n",
                 "Lab: Mail Forms | PC-1 PC-3 PC-2; Office: |; "},
        EditCase{"assign Lab - PC-3", "\xEF\xBB\xBFPC-2\r\n\r\nPC-1\n", 0, "client \"PC-1\" is listed already in \"Lab\"",
                 "Lab: Mail Forms | PC-1 PC-3 PC-2; Office: |; "},
        EditCase{"unassign Lab PC-3 PC-2", "", 0, "client \"PC-2\" is not listed in \"Lab\"",
                 "Lab: Mail Forms | PC-1; Office: |; "},
        EditCase{"add-product Office Forms Mail", "", 0, "2 products added", "Lab: Mail Forms | PC-1 PC-3; Office: Forms Mail |; "},
        EditCase{"remove-product Lab Mail", "", 0, "1 products removed", "Lab: Forms | PC-1 PC-3; Office: |; "},
        EditCase{"copy Lab \"Lab 2\"", "", 0, "added \"Lab 2\"",
                 "Lab: Mail Forms | PC-1 PC-3; Office: |; Lab 2: Mail Forms |; "},
        EditCase{"assign Lab PC-2 --dry-run", "", 0, "dry run: nothing was written", ""},
        EditCase{"assign Lab PC-404", "", 1, "client \"PC-404\" is not listed among the installation's clients", ""},
        EditCase{"add-product Lab Retired", "", 1, "product \"Retired\" is not installed", ""},
        EditCase{"add-product Office Mail Mail", "", 1, "a duplicate: product \"Mail\" is given twice", ""},
        EditCase{"assign LAB PC-2", "", 1, "no configuration \"LAB\" (there is \"Lab\")", ""},
        EditCase{"copy Lab OFFICE", "", 1, "differs from \"Office\" only in letter case", ""},
        EditCase{"copy Lab A,B", "", 1, "holds a comma", ""},
        EditCase{"assign Lab - -", "", 2, "rvxcfg assign: \"-\" (standard input) is given twice", ""},
        EditCase{"show Lab", "", 0,
                 "name: Lab\nsystem: Windows NT\nadministrator: user\nlocation: local\nmandatory: mandatory\n"
                 "product: Mail\nproduct: Forms\nclient: PC-1\nclient: PC-3\n",
                 ""}));

struct UsageCase {
  std::string args;
  DWORD code;
  std::string says;  // the start of standard output for 0, of standard error otherwise
};

class RvxcfgUsage : public Rvxcfg, public ::testing::WithParamInterface<UsageCase> {};

// Help on every command exits 0 and does nothing else; a usage error says
// what was wrong on its first line, then that command's usage only.
TEST_P(RvxcfgUsage, HelpAndUsageErrors) {
  LaySample();
  const std::string before = ReadFile(ConfigPath());
  ProgramRun r = Cfg(GetParam().args);
  EXPECT_EQ(r.code, GetParam().code) << r.out << r.err;
  const std::string &text = r.code == 0 ? r.out : r.err;
  EXPECT_EQ(text.substr(0, GetParam().says.size()), GetParam().says);
  EXPECT_FALSE(Exists("--help")) << "a folder named --help";
  EXPECT_EQ(ReadFile(ConfigPath()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Args, RvxcfgUsage,
    ::testing::Values(UsageCase{"--help", 0, "usage: rvxcfg export DIR"},
                      UsageCase{"export --help", 0, "usage: rvxcfg export DIR [--force] [--utf8] [--semicolon]\n\nWrites"},
                      UsageCase{"export x -h", 0, "usage: rvxcfg export DIR"},
                      UsageCase{"help where", 0, "usage: rvxcfg where CLIENT\n"},
                      UsageCase{"where --help", 0, "usage: rvxcfg where CLIENT\n"},
                      UsageCase{"", 2, "rvxcfg: no command given\nusage: rvxcfg export"},
                      UsageCase{"frobnicate", 2, "rvxcfg: unknown command \"frobnicate\"\nusage: rvxcfg export"},
                      UsageCase{"export", 2, "rvxcfg export: missing DIR\nusage: rvxcfg export DIR [--force] [--utf8] [--semicolon]\n("},
                      UsageCase{"import a b", 2, "rvxcfg import: one argument too many: \"b\"\nusage: rvxcfg import"},
                      UsageCase{"import a --frob", 2, "rvxcfg import: unknown option \"--frob\"\nusage: rvxcfg import"},
                      UsageCase{"diff 1 x", 2, "rvxcfg diff: \"x\" is neither a generation number"},
                      UsageCase{"restore 0", 2, "rvxcfg restore: \"0\" is not a generation number"},
                      UsageCase{"history", 0, "no commit recorded yet"},
                      UsageCase{"import no-such-folder", 1, "rvxcfg: no-such-folder\\configurations.csv: path not found"}));

}  // namespace
