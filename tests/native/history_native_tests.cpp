// The store's history and audit natively: what a commit keeps, how many
// generations stay, every history step failing, and the audit lines of
// commits that never completed.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "store.h"
#include "temp_dir.h"

namespace {

class History : public TempDir {
 protected:
  void SetUp() override {
    TempDir::SetUp();
    kx::ConfigData d;
    d.resolution = kx::Words{"user", "local", "optional"};
    std::string err;
    ASSERT_TRUE(store_.WriteLayout(dir_, kx::Catalogue(), d, &err)) << err;
  }
  kx::ConfigData Now() {
    kx::ConfigData d;
    std::string err;
    EXPECT_TRUE(store_.LoadConfig(dir_, &d, &err)) << err;
    return d;
  }
  // Adds configuration name with n clients; true when committed.
  bool CommitAdding(const std::string &name, int clients, std::string *err) {
    const kx::ConfigData base = Now();
    kx::ConfigData d = base;
    kx::Configuration c;
    c.name = name;
    c.words = kx::Words{"user", "local", "optional"};
    for (int i = 0; i < clients; ++i) c.clients.push_back("PC-" + std::to_string(i));
    d.configs.push_back(c);
    kx::ConfigData written;
    return store_.CommitConfig(dir_, base, d, &written, err);
  }
  std::vector<kx::AuditEntry> Audit() {
    std::vector<kx::AuditEntry> a;
    std::string err;
    EXPECT_TRUE(store_.LoadAudit(dir_, &a, &err)) << err;
    return a;
  }
  kx::Store store_{kx::SystemFileSystem(), kx::ProcessFaults()};
};

TEST_F(History, EachCommitKeepsTheDataItReplacedAndRecordsWhoAndWhat) {
  std::string err;
  const std::string first = kx::WriteConfigData(Now());
  ASSERT_TRUE(CommitAdding("A", 3, &err)) << err;
  ASSERT_TRUE(CommitAdding("B", 0, &err)) << err;
  kx::ConfigData g1;
  std::string bytes;
  ASSERT_TRUE(store_.LoadGeneration(dir_, 1, &g1, &bytes, &err)) << err;
  EXPECT_EQ(bytes, first);
  ASSERT_TRUE(store_.LoadGeneration(dir_, 3, &g1, nullptr, &err)) << err;  // the current one
  EXPECT_EQ(g1.configs.size(), 2u);
  std::vector<kx::AuditEntry> a = Audit();
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].generation, 2u);
  EXPECT_EQ(a[0].counts.added, 1u);
  EXPECT_EQ(a[0].counts.clientsAdded, 3u);
  EXPECT_EQ(a[0].user, kx::SystemFileSystem().UserName());
  EXPECT_EQ(a[0].host, kx::SystemFileSystem().HostName());
  EXPECT_TRUE(a[0].kept && a[1].kept);
  EXPECT_FALSE(store_.LoadGeneration(dir_, 9, &g1, nullptr, &err));
  EXPECT_NE(err.find("generation 9 is not kept"), std::string::npos) << err;
}

TEST_F(History, KeepsTheNewestGenerationsOnlyAndTheWholeAudit) {
  store_.SetHistoryDepth(3);
  std::string err;
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(CommitAdding("C" + std::to_string(i), i, &err)) << err;
  kx::ConfigData d;
  for (uint64_t g = 1; g <= 7; ++g)
    EXPECT_EQ(store_.LoadGeneration(dir_, g, &d, nullptr, &err), g >= 4) << "generation " << g;
  std::vector<kx::AuditEntry> a = Audit();
  ASSERT_EQ(a.size(), 6u);
  EXPECT_FALSE(a[0].kept);  // generation 2 no longer readable
  EXPECT_TRUE(a[5].kept);
}

// A failing history step fails the commit with a text and leaves the store
// as it was; the audit lists no commit that did not happen.
TEST_F(History, AFailingHistoryStepFailsTheCommitAndChangesNothing) {
  for (const char *step : {"history.directory", "history.create", "history.write", "history.flush", "history.close",
                           "history.rename", "audit.create", "audit.write", "audit.flush", "audit.rename",
                           "commit.rename"}) {
    SCOPED_TRACE(step);
    const std::string before = kx::WriteConfigData(Now());
    setenv("KX_FAULT", (std::string(step) + "@1").c_str(), 1);
    std::string err;
    EXPECT_FALSE(CommitAdding(step, 1, &err));
    EXPECT_NE(err.find(step), std::string::npos) << err;
    unsetenv("KX_FAULT");
    EXPECT_EQ(kx::WriteConfigData(Now()), before);
    for (const kx::AuditEntry &e : Audit()) EXPECT_LE(e.generation, Now().generation);
  }
  // The audit line a failed rename left for the next generation is replaced
  // by the one of the commit that really made it.
  std::string err;
  ASSERT_TRUE(CommitAdding("real", 5, &err)) << err;
  std::vector<kx::AuditEntry> a = Audit();
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].counts.clientsAdded, 5u);
}

TEST(AuditLine, RoundTripsAwkwardNamesAndRefusesDamage) {
  kx::AuditEntry e;
  e.generation = 9999999999999999999ull;  // the most the store's files hold
  e.time = 1765238400;
  e.host = "host with blanks %";
  e.user = "DOMAIN\\\xE9user";
  e.crc = 0xdeadbeef;
  e.counts.added = 4;
  e.counts.clientsRemoved = 65535;
  e.counts.defaultChanged = true;
  std::string line = kx::FormatAuditLine(e);
  ASSERT_EQ(line.back(), '\n');
  kx::AuditEntry back;
  ASSERT_TRUE(kx::ParseAuditLine(line.substr(0, line.size() - 1), &back));
  EXPECT_EQ(back.generation, e.generation);
  EXPECT_EQ(back.host, e.host);
  EXPECT_EQ(back.user, e.user);
  EXPECT_EQ(back.crc, e.crc);
  EXPECT_EQ(back.counts.clientsRemoved, 65535u);
  EXPECT_TRUE(back.counts.defaultChanged);
  for (const std::string &bad : {std::string(""), std::string("KXAUDIT 1"), line.substr(0, line.size() / 2),
                                 "commit x" + line.substr(8), line.substr(0, line.size() - 3) + "2"})
    EXPECT_FALSE(kx::ParseAuditLine(bad, &back)) << bad;
}

}  // namespace
