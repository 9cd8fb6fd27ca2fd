// The commit's three-way merge, the stamps in the store, the base of a run
// and the session hammer's detector, natively under the sanitizers.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "detector.h"
#include "pending_change.h"
#include "store.h"

namespace {

// Versions of one item: -1 absent, 0.. distinct contents.
kx::Configuration Version(const std::string &name, int v) {
  kx::Configuration c;
  c.name = name;
  c.words = kx::Words{"user", "shared", "optional"};
  c.os = "DOS";
  c.products = {"P" + std::to_string(v)};
  return c;
}
kx::Words WordsVersion(int v) {
  static const char *const location[] = {"shared", "local", "download"};
  return kx::Words{"user", location[v % 3], "optional"};
}

struct Rule {
  const char *what;
  int base, mine, theirs;
  int result;  // the version that ends in the store; ignored for a conflict
  int conflict;  // -1 none, else the kx::Conflict::Kind
};

class MergeRule : public ::testing::TestWithParam<std::tuple<Rule, bool>> {};

kx::ConfigData With(int v, bool isDefault) {
  kx::ConfigData d;
  d.configs.push_back(Version("Other", 0));
  if (v >= 0) {
    if (isDefault) d.resolution = WordsVersion(v);
    else d.configs.push_back(Version("X", v));
  }
  return d;
}

}  // namespace

// Every rule, for a configuration and for the installation-wide default.
TEST_P(MergeRule, DecidesTheItemAndKeepsTheOthers) {
  const Rule &r = std::get<0>(GetParam());
  const bool isDefault = std::get<1>(GetParam());
  kx::ConfigData base = With(r.base, isDefault), mine = With(r.mine, isDefault), theirs = With(r.theirs, isDefault);
  theirs.generation = 7;
  // Another run changed "Other" too: it stays whatever this run does.
  theirs.configs[0].clients = {"theirs"};
  kx::ConfigData out;
  std::vector<kx::Conflict> conflicts;
  kx::Stamp stamp{0, "HOST", "me", 42, 1000};
  bool merged = kx::MergeConfigData(base, mine, theirs, stamp, &out, &conflicts);
  if (r.conflict >= 0) {
    ASSERT_FALSE(merged);
    ASSERT_EQ(conflicts.size(), 1u);
    EXPECT_EQ(conflicts[0].kind, r.conflict);
    EXPECT_EQ(conflicts[0].isDefault, isDefault);
    if (!isDefault) EXPECT_EQ(conflicts[0].name, "X");
    return;
  }
  ASSERT_TRUE(merged) << r.what;
  EXPECT_EQ(out.generation, 8u);
  ASSERT_NE(out.Find("Other"), nullptr);
  EXPECT_EQ(out.Find("Other")->clients, std::vector<std::string>{"theirs"});
  if (isDefault) {
    EXPECT_EQ(out.resolution.has_value(), r.result >= 0);
    if (r.result >= 0) EXPECT_TRUE(kx::SameWords(*out.resolution, WordsVersion(r.result)));
  } else {
    const kx::Configuration *x = out.Find("X");
    EXPECT_EQ(x != nullptr, r.result >= 0);
    if (x && r.result >= 0) EXPECT_TRUE(kx::SameContent(*x, Version("X", r.result)));
  }
}

const Rule kRules[] = {
    {"unchanged here, changed there", 0, 0, 1, 1, -1},
    {"unchanged here, removed there", 0, 0, -1, -1, -1},
    {"changed here only", 0, 1, 0, 1, -1},
    {"the same change in both", 0, 1, 1, 1, -1},
    {"changed to two results", 0, 1, 2, 0, kx::Conflict::kBothChanged},
    {"removed here only", 0, -1, 0, -1, -1},
    {"removed here, changed there", 0, -1, 1, 0, kx::Conflict::kRemovedChanged},
    {"changed here, removed there", 0, 1, -1, 0, kx::Conflict::kChangedRemoved},
    {"removed in both", 0, -1, -1, -1, -1},
    {"created here", -1, 1, -1, 1, -1},
    {"created there, not mentioned here", -1, -1, 1, 1, -1},
    {"created alike in both", -1, 1, 1, 1, -1},
    {"created differently in both", -1, 1, 2, 0, kx::Conflict::kBothCreated},
};
INSTANTIATE_TEST_SUITE_P(Rules, MergeRule, ::testing::Combine(::testing::ValuesIn(kRules), ::testing::Bool()));

// The store after a merge: theirs' order with this run's new configurations
// after it; changed items stamped by this commit, the others keep theirs;
// removals and commits remembered, the oldest dropped past their limits.
TEST(Merge, OrdersStampsAndRemembers) {
  kx::ConfigData base;
  for (const char *n : {"A", "B", "C"}) base.configs.push_back(Version(n, 0));
  kx::Stamp old{3, "OLD", "them", 7, 500};
  for (auto &c : base.configs) c.stamp = old;
  base.generation = 3;
  kx::ConfigData theirs = base;
  theirs.configs.insert(theirs.configs.begin(), Version("T", 0));
  for (int i = 0; i < kx::kMaxCommits; ++i) theirs.commits.push_back(old);
  for (int i = 0; i < kx::kMaxRemovals; ++i) theirs.removed.push_back(kx::Removal{"gone" + std::to_string(i), old});
  theirs.generation = 9;
  kx::ConfigData mine = base;
  mine.configs[1] = Version("B", 1);            // changed
  mine.configs.erase(mine.configs.begin() + 2);  // C removed
  mine.configs.push_back(Version("N", 0));       // created
  kx::ConfigData out;
  std::vector<kx::Conflict> conflicts;
  ASSERT_TRUE(kx::MergeConfigData(base, mine, theirs, kx::Stamp{0, "H", "me", 1, 2000}, &out, &conflicts));
  std::vector<std::string> names;
  for (const auto &c : out.configs) names.push_back(c.name);
  EXPECT_EQ(names, (std::vector<std::string>{"T", "A", "B", "N"}));
  EXPECT_EQ(out.Find("A")->stamp->host, "OLD");
  EXPECT_EQ(out.Find("B")->stamp->generation, 10u);
  EXPECT_EQ(out.Find("N")->stamp->user, "me");
  EXPECT_EQ(out.removed.size(), static_cast<size_t>(kx::kMaxRemovals));
  EXPECT_EQ(out.removed.back().name, "C");
  EXPECT_EQ(out.commits.size(), static_cast<size_t>(kx::kMaxCommits));
  EXPECT_EQ(out.commits.back().generation, 10u);
  // What was written reads back the same, stamps and all.
  kx::ConfigData back;
  std::string err, bytes = kx::WriteConfigData(out);
  ASSERT_TRUE(kx::ReadConfigData(bytes, "p", &back, &err)) << err;
  EXPECT_EQ(kx::WriteConfigData(back), bytes);
}

// The refusal names every item, who changed it and when, and what to do.
TEST(Merge, ConflictTextNamesEveryItemWhoAndWhen) {
  kx::Stamp bob{12, "DESK-2", "bob", 9, 1796774400};  // 2026-12-09 00:00:00 UTC
  std::vector<kx::Conflict> c = {{kx::Conflict::kBothChanged, false, "Office", bob},
                                 {kx::Conflict::kChangedRemoved, false, "Lab", std::nullopt},
                                 {kx::Conflict::kBothChanged, true, "", bob}};
  std::string text = kx::ConflictText(c, "/s/config.kxs", 10, 12);
  for (const char *part : {"\"Office\"", "\"Lab\": changed here, and removed", "the installation-wide default",
                           "bob on DESK-2 at 2026-12-09 00:00:00 UTC", "does not say who", "generation 10, now 12",
                           "Nothing was stored", "press OK again", "Cancel"})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

// Stamps and the new records: old files without them read; a stamp must
// follow its record.
TEST(Merge, StampRecordsReadOrAreRefused) {
  const std::string stamp = "stamp 4 HOST%20A alice 77 1796774400\n";
  struct Case {
    std::string body;
    bool readable;
  } cases[] = {
      {"resolution user shared optional\nconfig A user shared optional DOS 0\nproduct P\n", true},
      {"commit 4 H u 1 2\nremoved Gone 3 H u 1 2\nresolution user shared optional\n" + stamp +
           "config A user shared optional DOS 0\n" + stamp + "product P\n",
       true},
      {stamp, false},
      {"config A user shared optional DOS 0\nproduct P\n" + stamp, false},
      {"config A user shared optional DOS 0\n" + stamp + stamp, false},
      {"commit 4 H u\n", false},
      {"commit x H u 1 2\n", false},
      {"removed Gone 3 H u 1\n", false},
      {"removed\n", false},  // found by the reader's fuzz target: refused without a text
  };
  for (const Case &c : cases) {
    std::string text = "KXSTORE 1 config 5\n" + c.body;
    char crc[16];
    snprintf(crc, sizeof crc, "%08x", kx::Crc32(text.data(), text.size()));
    kx::ConfigData d;
    std::string err;
    EXPECT_EQ(kx::ReadConfigData(text + "end " + crc + "\n", "p", &d, &err), c.readable) << c.body << err;
    if (!c.readable) EXPECT_NE(err.find("line "), std::string::npos) << c.body << ": a refusal says where";
  }
}

namespace {

class Runs : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kxmerge-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    if (GetParam()) setenv("KX_UNSAFE_NOMERGE", "1", 1);
    std::string err;
    kx::ConfigData d;
    d.resolution = kx::Words{"administrator", "shared", "optional"};
    kx::Configuration office = Version("Office", 0);
    office.products = {"Velkan Mail", "Velkan Calendar", "Velkan Directory"};
    d.configs = {office, Version("Lab", 0)};
    ASSERT_TRUE(store_.WriteLayout(dir_, kx::Catalogue(), d, &err)) << err;
  }
  void TearDown() override {
    unsetenv("KX_UNSAFE_NOMERGE");
    ASSERT_EQ(system(("rm -rf '" + dir_ + "'").c_str()), 0);
  }
  // A run's start-up read: what its pages then show.
  kx::ConfigData Read(kx::PendingChange &run) {
    kx::ConfigData d;
    std::string err;
    EXPECT_TRUE(store_.LoadConfig(dir_, &d, &err)) << err;
    run.Read(dir_, d);
    return d;
  }
  // OK as the program runs it: the pending change, then every
  // configuration and the default as the run shows them, after the edit.
  bool Ok(kx::PendingChange &run, kx::ConfigData view, void (*edit)(kx::ConfigData &), std::string *err) {
    kx::ConfigData now;
    if (!store_.LoadConfig(dir_, &now, err)) return false;
    run.Begin(dir_, now);
    edit(view);
    for (const auto &c : view.configs) {
      if (kx::Configuration *old = run.Data().Find(c.name)) *old = c;
      else run.Data().configs.push_back(c);
    }
    run.Data().resolution = view.resolution;
    return run.Commit(err);
  }
  kx::ConfigData Stored() {
    kx::ConfigData d;
    std::string err;
    EXPECT_TRUE(store_.LoadConfig(dir_, &d, &err)) << err;
    return d;
  }
  kx::Store store_{kx::SystemFileSystem(), kx::ProcessFaults()};
  std::string dir_;
};

void DropCalendar(kx::ConfigData &d) { d.Find("Office")->products = {"Velkan Mail", "Velkan Directory"}; }
void TickMandatory(kx::ConfigData &d) { d.resolution->mandatory = "mandatory"; }
void DropMail(kx::ConfigData &d) { d.Find("Office")->products.erase(d.Find("Office")->products.begin()); }
void Nothing(kx::ConfigData &) {}

}  // namespace

// Two administrators at once: A and B read at start-up; B drops a product
// from Office and commits; A ticks only the default's mandatory and commits.
// With the merge B's change survives and a third run that changed Office
// too is refused, naming it; without it (the test build's switch) B's
// change is lost, which shows the check can see it.
TEST_P(Runs, AnotherRunsCommitSurvivesOrConflictsAreRefused) {
  const bool noMerge = GetParam();
  kx::PendingChange a(store_), b(store_), c(store_);
  kx::ConfigData viewA = Read(a), viewB = Read(b), viewC = Read(c);
  std::string err;
  ASSERT_TRUE(Ok(b, viewB, DropCalendar, &err)) << err;
  ASSERT_TRUE(Ok(a, viewA, TickMandatory, &err)) << err;
  kx::ConfigData d = Stored();
  EXPECT_EQ(d.resolution->mandatory, "mandatory");
  const std::vector<std::string> withoutCalendar = {"Velkan Mail", "Velkan Directory"};
  if (noMerge) {
    EXPECT_NE(d.Find("Office")->products, withoutCalendar) << "the switch should lose B's change";
    return;
  }
  EXPECT_EQ(d.Find("Office")->products, withoutCalendar);
  EXPECT_EQ(d.Find("Office")->stamp->generation + 1, d.resolutionStamp->generation);

  std::string before = kx::WriteConfigData(d);
  EXPECT_FALSE(Ok(c, viewC, DropMail, &err));
  EXPECT_NE(err.find("configuration \"Office\": changed here, and changed otherwise by "), std::string::npos) << err;
  EXPECT_NE(err.find(kx::SystemFileSystem().HostName()), std::string::npos) << err;
  EXPECT_EQ(kx::WriteConfigData(Stored()), before) << "a refused commit writes nothing";
  // The same run, its edit undone: everything else is stored, Office stays
  // as B left it.
  ASSERT_TRUE(Ok(c, viewC, Nothing, &err)) << err;
  EXPECT_EQ(Stored().Find("Office")->products, withoutCalendar);
}
INSTANTIATE_TEST_SUITE_P(MergeOnOff, Runs, ::testing::Values(false, true));

namespace {

kx::ConfigData Store1(int v) {
  kx::ConfigData d;
  d.configs.push_back(Version("X", v));
  return d;
}

rvx::SessionRecord Committed(int read, int wrote, uint64_t readGen, uint64_t gen) {
  rvx::SessionRecord s;
  s.result = rvx::SessionRecord::kCommitted;
  s.read = Store1(read);
  s.read.generation = readGen;
  s.wrote = Store1(wrote);
  s.generation = gen;
  return s;
}

rvx::SessionRecord Refused(int read, int wrote, uint64_t readGen, uint64_t now, std::vector<std::string> named) {
  rvx::SessionRecord s = Committed(read, wrote, readGen, 0);
  s.result = rvx::SessionRecord::kRefused;
  s.now = now;
  s.conflicts = named;
  return s;
}

}  // namespace

// The detector over runs with a known outcome: it must see each loss and
// each false or missed conflict, and nothing in a sound run.
TEST(Detector, SeesEveryLossAndEveryFalseConflict) {
  struct Case {
    const char *what;
    int final;
    std::vector<rvx::SessionRecord> sessions;
    long lost, falseConflicts, missed;
  } cases[] = {
      {"one commit, stored", 1, {Committed(0, 1, 1, 2)}, 0, 0, 0},
      {"one commit, not in the store", 0, {Committed(0, 1, 1, 2)}, 1, 0, 0},
      {"two in a chain", 2, {Committed(0, 1, 1, 2), Committed(1, 2, 2, 3)}, 0, 0, 0},
      {"the second never saw the first", 2, {Committed(0, 1, 1, 2), Committed(0, 2, 1, 3)}, 1, 0, 0},
      {"an old copy written back", 0, {Committed(0, 1, 1, 2), Committed(0, 0, 1, 3)}, 1, 0, 0},
      {"a true conflict refused", 1, {Committed(0, 1, 1, 2), Refused(0, 2, 1, 2, {"X"})}, 0, 0, 0},
      {"a refusal with nothing in between", 0, {Refused(0, 2, 1, 1, {"X"})}, 0, 1, 0},
      {"a refusal that names nothing", 1, {Committed(0, 1, 1, 2), Refused(0, 2, 1, 2, {})}, 0, 0, 1},
      {"a refusal of the default it did not change", 1, {Committed(0, 1, 1, 2), Refused(0, 2, 1, 2, {"X", ""})},
       0, 1, 0},
  };
  for (const Case &c : cases) {
    rvx::Verdict v = rvx::Detect(Store1(0), Store1(c.final), c.sessions);
    EXPECT_EQ(v.lost, c.lost) << c.what;
    EXPECT_EQ(v.falseConflicts, c.falseConflicts) << c.what;
    EXPECT_EQ(v.missed, c.missed) << c.what;
  }
}
