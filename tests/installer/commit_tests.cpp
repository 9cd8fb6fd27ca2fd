// The commit protocol: a fault at any step, a writer that dies in the middle,
// a second writer in between, a lock that is not ours, a reader holding the
// store open. After each, the store is wholly the old or wholly the new one.
#include <thread>

#include "store_fixture.h"

using namespace kxtest;

namespace {

class Commit : public TempStore {
 protected:
  // Begins a change of the resolution to "user local mandatory".
  void BeginChange() {
    char *err = nullptr;
    ASSERT_EQ(makeTempFiles(Ctx(), "win32", &err), 0) << Take(err);
    ASSERT_EQ(setConflictResolution(Ctx(), "win32", "user", "local", "mandatory", &err), 0) << Take(err);
  }
  std::string Resolution() {
    kx::ConfigData d = Stored();
    return d.resolution ? d.resolution->administrator + " " + d.resolution->location + " " + d.resolution->mandatory
                        : "<none>";
  }
  void ExpectNoLeftovers(int line) {
    EXPECT_TRUE(FilesEndingWith(dir_, ".pending").empty()) << "line " << line;
    EXPECT_FALSE(Exists(Path(kx::kLockFile))) << "line " << line;
  }
};

// Runs rvxlayout with the given arguments and KX_FAULT; returns its exit code.
DWORD RunTool(const std::string &args, const char *fault = "", int line = __builtin_LINE()) {
  return RunProgram("rvxlayout.exe", args, RunOptions{{std::string("KX_FAULT=") + fault}}, line).code;
}

}  // namespace

TEST_F(Commit, FaultAtAnyStepLeavesTheOldStoreAndNoLeftovers) {
  for (const char *step : {"commit.lock", "commit.check", "commit.create", "commit.write", "commit.flush",
                           "commit.close", "commit.rename"}) {
    Fresh();  // each step on an installation of its own
    LaySample();
    std::string before = ReadFile(ConfigPath());
    BeginChange();
    SetEnvironmentVariableA("KX_FAULT", (std::string(step) + "@1").c_str());
    char *err = nullptr;
    EXPECT_NE(commitRVXChanges(Ctx(), "win32", &err), 0) << step;
    std::string text = ErrText(err);
    EXPECT_TRUE(Contains(text, step)) << text;
    SetEnvironmentVariableA("KX_FAULT", nullptr);
    EXPECT_EQ(ReadFile(ConfigPath()), before) << step;
    ExpectNoLeftovers(__LINE__);
    // The pending change survives a failed commit; the retry stores it.
    ASSERT_EQ(commitRVXChanges(Ctx(), "win32", &err), 0) << step << ": " << Take(err);
    EXPECT_EQ(Resolution(), "user local mandatory") << step;
    ExpectNoLeftovers(__LINE__);
  }
}

TEST_F(Commit, UnlockFailureAfterTheRenameSaysTheChangeWasStored) {
  LaySample();
  BeginChange();
  SetEnvironmentVariableA("KX_FAULT", "commit.unlock@1");
  char *err = nullptr;
  EXPECT_NE(commitRVXChanges(Ctx(), "win32", &err), 0);
  std::string text = ErrText(err);
  EXPECT_TRUE(Contains(text, "stored, but") && Contains(text, "config.lock")) << text;
  EXPECT_EQ(Resolution(), "user local mandatory");
}

TEST_F(Commit, EntryPointFaultsCountCallsAndRestartWhenTheSwitchChanges) {
  LaySample();
  const char *home = "C:\\VELKAN\\POOL";
  auto label = [&]() {
    char *text = nullptr, *err = nullptr;
    int rc = getInstalledProductLabel(home, "win32", 0, "Mail", &text, &err);
    Take(text);
    if (rc) {
      EXPECT_TRUE(Contains(ErrText(err), "getInstalledProductLabel"));
    }
    return rc == 0;
  };
  SetEnvironmentVariableA("KX_FAULT", "getInstalledProductLabel@2");
  EXPECT_TRUE(label());
  EXPECT_FALSE(label());
  EXPECT_TRUE(label());
  SetEnvironmentVariableA("KX_FAULT", "getAllClients@1,getInstalledProductLabel@1");
  EXPECT_FALSE(label()) << "a new value counts from the start";
  EXPECT_TRUE(label());
  SetEnvironmentVariableA("KX_FAULT", "getInstalledProductLabel@*");
  EXPECT_FALSE(label());
  EXPECT_FALSE(label());
  SetEnvironmentVariableA("KX_FAULT", "getInstalledProductLabelX@*,getInstalledProduct@*,nonsense");
  EXPECT_TRUE(label()) << "only the exact entry name matches";
  SetEnvironmentVariableA("KX_FAULT", "getAllVelkanHomes@1");
  char **homes = nullptr;
  KXCOUNT count = 5;
  EXPECT_NE(getAllVelkanHomes("win32", &homes, &count), 0);
  EXPECT_EQ(homes, nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(getAllVelkanHomes("win32", &homes, &count), 0);
  TakeNames(homes, count);
}

// Another administrator's commit between this run's read and its commit is
// kept where this run changed nothing; a change of the same item to another
// result refuses the whole commit and writes nothing.
TEST_F(Commit, AChangeCommittedInBetweenIsMergedOrRefused) {
  LaySample();
  BeginChange();
  kx::ConfigData base = Stored(), other = base;
  other.configs.pop_back();
  std::string err;
  ASSERT_TRUE(CoreStore().CommitConfig(dir_, base, other, nullptr, &err)) << err;
  char *text = nullptr;
  ASSERT_EQ(commitRVXChanges(Ctx(), "win32", &text), 0) << Take(text);
  EXPECT_EQ(Stored().configs.size(), 1u) << "the other removal is kept";
  EXPECT_EQ(Resolution(), "user local mandatory");

  base = Stored();
  other = base;
  other.resolution = kx::Words{"administrator", "download", "optional"};
  ASSERT_TRUE(CoreStore().CommitConfig(dir_, base, other, nullptr, &err)) << err;
  std::string theirs = ReadFile(ConfigPath());
  ASSERT_EQ(makeTempFiles(Ctx(), "win32", &text), 0) << Take(text);
  ASSERT_EQ(setConflictResolution(Ctx(), "win32", "user", "shared", "optional", &text), 0) << Take(text);
  EXPECT_NE(commitRVXChanges(Ctx(), "win32", &text), 0);
  std::string why = ErrText(text);
  EXPECT_TRUE(Contains(why, "the installation-wide default") && Contains(why, "Nothing was stored")) << why;
  EXPECT_EQ(ReadFile(ConfigPath()), theirs);
  ExpectNoLeftovers(__LINE__);
  // This run's edit undone, its commit keeps the other default.
  ASSERT_EQ(setConflictResolution(Ctx(), "win32", "user", "local", "mandatory", &text), 0) << Take(text);
  ASSERT_EQ(commitRVXChanges(Ctx(), "win32", &text), 0) << Take(text);
  EXPECT_EQ(Resolution(), "administrator download optional");
}

TEST_F(Commit, AWriterKilledBeforeItsRenameLeavesTheOldStore) {
  LaySample();
  std::string before = ReadFile(ConfigPath());
  // The tool ends itself where the rename would come: pending file written
  // and flushed, lock held, store untouched.
  EXPECT_EQ(RunTool("set-resolution \"" + dir_ + "\" user download mandatory", "commit.rename@1!"), 99u);
  EXPECT_EQ(ReadFile(ConfigPath()), before);
  std::vector<std::string> pending = FilesEndingWith(dir_, ".pending");
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_TRUE(Exists(Path(kx::kLockFile))) << "the dead writer's lock";
  // The dead writer's pending file is complete, and still not the store.
  kx::ConfigData staged;
  std::string err;
  ASSERT_TRUE(kx::ReadConfigData(ReadFile(Path(pending[0].c_str())), "pending", &staged, &err)) << err;
  EXPECT_EQ(staged.resolution->location, "download");
  EXPECT_EQ(Resolution(), "administrator shared optional");

  // Its lock names a process that is gone on this host: the next commit
  // breaks it.
  BeginChange();
  char *text = nullptr;
  ASSERT_EQ(commitRVXChanges(Ctx(), "win32", &text), 0) << Take(text);
  EXPECT_EQ(Resolution(), "user local mandatory");
  EXPECT_FALSE(Exists(Path(kx::kLockFile)));
  // Without a fault the tool commits as well.
  EXPECT_EQ(RunTool("set-resolution \"" + dir_ + "\" user download optional"), 0u);
  EXPECT_EQ(Resolution(), "user download optional");
}

TEST_F(Commit, StalePendingFilesAreNeverTakenForTheStore) {
  LaySample();
  kx::ConfigData newer = Stored();
  newer.generation = 99;
  newer.configs.clear();
  PutFile(ConfigPath() + ".1234.pending", kx::WriteConfigData(newer));
  PutFile(ConfigPath() + ".pending", kx::WriteConfigData(newer));
  char **names = nullptr;
  KXCOUNT count = 0;
  char *err = nullptr;
  ASSERT_EQ(getAllConfigurations(Ctx(), "win32", &names, &count, &err), 0);
  EXPECT_EQ(TakeNames(names, count).size(), 2u);
  // With the store itself gone, a pending file does not stand in for it.
  DeleteFileA(ConfigPath().c_str());
  EXPECT_NE(getAllConfigurations(Ctx(), "win32", &names, &count, &err), 0);
  EXPECT_TRUE(Contains(ErrText(err), "config.kxs"));
  EXPECT_NE(makeTempFiles(Ctx(), "win32", &err), 0);
  Take(err);
}

TEST_F(Commit, ALockOfALiveOrForeignOwnerIsReportedNotBroken) {
  LaySample();
  std::string before = ReadFile(ConfigPath());
  BeginChange();
  std::string lock = "KXLOCK FARHOST 4321 " + std::to_string(time(nullptr) - 7200) + "\n";
  PutFile(Path(kx::kLockFile), lock);
  char *err = nullptr;
  EXPECT_NE(commitRVXChanges(Ctx(), "win32", &err), 0);
  std::string text = ErrText(err);
  EXPECT_TRUE(Contains(text, "FARHOST") && Contains(text, "4321") && Contains(text, "720")) << text;
  EXPECT_EQ(ReadFile(Path(kx::kLockFile)), lock) << "an old lock is not broken for its age";
  // This host, a process that is alive (this one).
  lock = "KXLOCK " + kx::EscapeField(kx::SystemFileSystem().HostName()) + " " +
         std::to_string(GetCurrentProcessId()) + " " + std::to_string(time(nullptr)) + "\n";
  PutFile(Path(kx::kLockFile), lock);
  EXPECT_NE(commitRVXChanges(Ctx(), "win32", &err), 0);
  Take(err);
  // A lock file that names no owner.
  PutFile(Path(kx::kLockFile), "");
  EXPECT_NE(commitRVXChanges(Ctx(), "win32", &err), 0);
  EXPECT_TRUE(Contains(ErrText(err), "does not name its owner"));
  EXPECT_EQ(ReadFile(ConfigPath()), before);
  DeleteFileA(Path(kx::kLockFile).c_str());
  ASSERT_EQ(commitRVXChanges(Ctx(), "win32", &err), 0) << Take(err);
}

TEST_F(Commit, RenameWaitsForAReaderThatHoldsTheStoreOpen) {
  LaySample();
  BeginChange();
  HANDLE reader = CreateFileA(ConfigPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  std::thread closer([reader]() {
    Sleep(300);
    CloseHandle(reader);
  });
  char *err = nullptr;
  int rc = commitRVXChanges(Ctx(), "win32", &err);
  closer.join();
  ASSERT_EQ(rc, 0) << Take(err);
  EXPECT_EQ(Resolution(), "user local mandatory");
}
