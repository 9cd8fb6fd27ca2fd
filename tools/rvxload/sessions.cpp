#include "sessions.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "detector.h"
#include "kxclient.h"
#include "store.h"

namespace rvx {
namespace {

const int kTorn = 3;

kx::Store &CoreStore() {
  static kx::Store store(kx::SystemFileSystem(), kx::ProcessFaults());
  return store;
}

// What the program loads at start-up, and what its pages offer.
struct Loaded {
  kx::ConfigData config;
  std::vector<std::string> clients, products;
};

bool Load(Loaded *l, std::string *err) {
  kxc::Context ctx;
  kxc::Failure f;
  ctx.Open();
  std::vector<kxc::Configuration> configs;
  if (!ctx.ReadConfigurations(&configs, &f)) {
    *err = f.reason;
    return false;
  }
  for (const kxc::Configuration &c : configs)
    l->config.configs.push_back(kx::Configuration{c.name, c.products,
                                                  kx::Words{c.words.administrator, c.words.location, c.words.mandatory},
                                                  c.os, c.value, c.clients, {}});
  kxc::Words w;
  if (ctx.ReadResolution(&w)) l->config.resolution = kx::Words{w.administrator, w.location, w.mandatory};
  kxc::NameList names;
  if (!ctx.AllClients(names, &f)) {
    *err = f.reason;
    return false;
  }
  l->clients = names.Strings();
  // The program offers the first home's products.
  kxc::NameList homes;
  if (kxc::VelkanHomes(homes) && !homes.empty() && kxc::InstalledProducts(homes[0], names))
    l->products = names.Strings();
  return true;
}

const char *const kOs[] = {"Windows (32-bit)", "Windows 95", "Windows NT", "OS/2",
                           "NetWare",          "Windows 3.x", "DOS",       "(none)"};

kx::Words RandomWords(std::mt19937 &rng) {
  static const char *const admin[] = {"administrator", "user"};
  static const char *const location[] = {"shared", "local", "download"};
  static const char *const mandatory[] = {"mandatory", "optional"};
  return kx::Words{admin[rng() % 2], location[rng() % 3], mandatory[rng() % 2]};
}

void Toggle(std::vector<std::string> &list, const std::vector<std::string> &pool, std::mt19937 &rng) {
  if (pool.empty()) return;
  const std::string &pick = pool[rng() % pool.size()];
  for (auto it = list.begin(); it != list.end(); ++it)
    if (*it == pick) {
      list.erase(it);
      return;
    }
  list.push_back(pick);
}

// Edits as an administrator does on the three pages. Returns the names of
// stored configurations it removed.
std::vector<std::string> Edit(const Loaded &l, unsigned seed, kx::ConfigData *wrote) {
  std::mt19937 rng(seed);
  *wrote = l.config;
  for (auto &c : wrote->configs) c.value = 0;  // as the program saves
  std::vector<std::string> removed;
  int edits = 1 + static_cast<int>(rng() % 3);
  for (int i = 0; i < edits; ++i) {
    auto &configs = wrote->configs;
    int action = static_cast<int>(rng() % 10);
    if (action == 9 || configs.empty()) {
      kx::Configuration c;
      // Mostly a name of its own; now and then one that others may create too.
      c.name = rng() % 3 == 0 ? "Shared New " + std::to_string(rng() % 3) : "New " + std::to_string(seed);
      bool taken = false;
      for (const auto &o : configs) taken = taken || o.name == c.name;
      if (taken) continue;
      c.words = RandomWords(rng);
      c.os = kOs[rng() % 8];
      Toggle(c.products.Edit(), l.products, rng);
      Toggle(c.clients.Edit(), l.clients, rng);
      configs.push_back(c);
      continue;
    }
    size_t at = rng() % configs.size();
    kx::Configuration &c = configs[at];
    if (action <= 2) {
      Toggle(c.products.Edit(), l.products, rng);
    } else if (action == 3) {
      c.os = kOs[rng() % 8];
    } else if (action == 4) {
      c.words = RandomWords(rng);
    } else if (action <= 7) {
      Toggle(c.clients.Edit(), l.clients, rng);
    } else if (configs.size() > 3 && rng() % 3 == 0) {
      if (l.config.Find(c.name)) removed.push_back(c.name);
      configs.erase(configs.begin() + static_cast<long>(at));
    }
  }
  if (rng() % 10 < 3) wrote->resolution = RandomWords(rng);
  return removed;
}

// OK as the program runs it: temporary files, removals, every
// configuration, the default, the commit. A lock held by a live committer
// is waited for, as an administrator would press OK again.
bool Commit(const kx::ConfigData &wrote, const std::vector<std::string> &removed, std::string *err) {
  kxc::Context ctx;
  kxc::Failure f;
  ctx.Open();
  bool ok = ctx.MakeTempFiles(&f);
  for (size_t i = 0; ok && i < removed.size(); ++i) ok = ctx.RemoveConfiguration(removed[i].c_str(), &f);
  for (size_t i = 0; ok && i < wrote.configs.size(); ++i) {
    const kx::Configuration &c = wrote.configs[i];
    ok = ctx.WriteConfiguration(
        kxc::Configuration{c.name, c.products, c.clients,
                           kxc::Words{c.words.administrator, c.words.location, c.words.mandatory}, c.os, 0},
        &f);
  }
  if (ok && wrote.resolution)
    ok = ctx.SetConflictResolution(wrote.resolution->administrator.c_str(), wrote.resolution->location.c_str(),
                                   wrote.resolution->mandatory.c_str(), &f);
  for (int attempt = 0; ok; ++attempt) {
    if (ctx.Commit(&f)) return true;
    if (f.reason.find("is locked by process") == std::string::npos || attempt > 2000) break;
    Sleep(5);
  }
  *err = f.reason;
  return false;
}

bool PutText(const std::string &path, const std::string &text) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

// The generation this process's commit wrote: the store keeps its last
// commits' stamps.
uint64_t OwnGeneration(const std::string &dir, int64_t since) {
  kx::ConfigData d;
  std::string err;
  if (!CoreStore().LoadConfig(dir, &d, &err)) return 0;
  kx::Stamp me = CoreStore().CommitStamp();
  uint64_t found = 0;
  for (const auto &s : d.commits)
    if (s.process == me.process && s.host == me.host && s.user == me.user && s.time >= since && s.generation > found)
      found = s.generation;
  return found;
}

uint64_t NumberAfter(const std::string &text, const std::string &marker) {
  size_t at = text.find(marker);
  return at == std::string::npos ? 0 : std::strtoull(text.c_str() + at + marker.size(), nullptr, 10);
}

// The items a refusal names, one a line: "conflict-default" or
// "conflict <escaped name>".
std::string NamedConflicts(const std::string &text) {
  std::string out;
  size_t pos = 0;
  while ((pos = text.find("\n- ", pos)) != std::string::npos) {
    pos += 3;
    size_t eol = text.find('\n', pos);
    std::string line = text.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
    if (line.compare(0, 29, "the installation-wide default") == 0) {
      out += "conflict-default\n";
    } else if (line.compare(0, 15, "configuration \"") == 0) {
      size_t end = line.rfind("\": ");
      if (end != std::string::npos && end > 15) out += "conflict " + kx::EscapeField(line.substr(15, end - 15)) + "\n";
    }
  }
  return out;
}

}  // namespace

int Fail(const std::string &text) {
  std::fprintf(stderr, "rvxload: %s\n", text.c_str());
  return 1;
}

int Session(const std::string &dir, int argc, char **argv) {
  unsigned seed = 1;
  long waitMs = 200;
  std::string journal;
  for (int i = 0; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--seed")) seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
    else if (!std::strcmp(argv[i], "--journal")) journal = argv[i + 1];
    else if (!std::strcmp(argv[i], "--wait-ms")) waitMs = std::strtol(argv[i + 1], nullptr, 10);
    else return 2;
  }
  if (argc % 2 || journal.empty() || waitMs < 0) return 2;
  if (!SetEnvironmentVariableA("VELKAN_INSTALL", dir.c_str())) return 1;
  const int64_t start = kx::SystemFileSystem().Now();

  kx::ConfigData before, afterLoad;
  Loaded loaded;
  std::string err;
  if (!CoreStore().LoadConfig(dir, &before, &err)) {
    PutText(journal, "failed " + kx::EscapeField(err) + "\n");
    return 1;
  }
  bool read = Load(&loaded, &err);
  if (!CoreStore().LoadConfig(dir, &afterLoad, &err)) {
    PutText(journal, "failed " + kx::EscapeField(err) + "\n");
    return 1;
  }
  // A commit between the two reads: this session's view may mix two states
  // (a configuration listed, then gone before its own read).
  if (before.generation != afterLoad.generation) return kTorn;
  if (!read) {
    PutText(journal, "failed " + kx::EscapeField(err) + "\n");
    return 1;
  }
  loaded.config.generation = before.generation;

  std::mt19937 pause(seed * 7919u + 1u);
  if (waitMs > 0) Sleep(static_cast<DWORD>(pause() % static_cast<unsigned long>(waitMs + 1)));
  kx::ConfigData wrote;
  std::vector<std::string> removed = Edit(loaded, seed, &wrote);

  std::string outcome;
  if (Commit(wrote, removed, &err)) {
    outcome = "committed " + std::to_string(OwnGeneration(dir, start)) + "\n";
  } else if (err.find("other commits changed what this run changes") != std::string::npos) {
    outcome = "refused " + std::to_string(NumberAfter(err, ", now ")) + "\n" + NamedConflicts(err);
  } else {
    outcome = "failed " + kx::EscapeField(err) + "\n";
  }
  bool ok = PutText(journal + ".read.kxs", kx::WriteConfigData(loaded.config)) &&
            PutText(journal + ".wrote.kxs", kx::WriteConfigData(wrote)) && PutText(journal, outcome);
  return ok ? 0 : 1;
}

namespace {

bool ReadRecord(const std::string &journal, SessionRecord *r, std::string *err) {
  std::string text, bytes;
  kx::FileSystem &fs = kx::SystemFileSystem();
  if (fs.ReadAll(journal, &text, err) != kx::FileSystem::kRead) {
    *err = journal + ": no outcome";
    return false;
  }
  if (text.compare(0, 10, "committed ") == 0) {
    r->result = SessionRecord::kCommitted;
    r->generation = std::strtoull(text.c_str() + 10, nullptr, 10);
  } else if (text.compare(0, 8, "refused ") == 0) {
    r->result = SessionRecord::kRefused;
    r->now = std::strtoull(text.c_str() + 8, nullptr, 10);
    size_t pos = 0;
    while ((pos = text.find('\n', pos)) != std::string::npos) {
      ++pos;
      if (text.compare(pos, 16, "conflict-default") == 0) {
        r->conflicts.push_back("");
      } else if (text.compare(pos, 9, "conflict ") == 0) {
        std::string name;
        kx::UnescapeField(text.substr(pos + 9, text.find('\n', pos) - pos - 9), &name);
        r->conflicts.push_back(name);
      }
    }
  } else {
    r->result = SessionRecord::kFailed;
    return true;
  }
  return fs.ReadAll(journal + ".read.kxs", &bytes, err) == kx::FileSystem::kRead &&
         kx::ReadConfigData(bytes, journal + ".read.kxs", &r->read, err) &&
         fs.ReadAll(journal + ".wrote.kxs", &bytes, err) == kx::FileSystem::kRead &&
         kx::ReadConfigData(bytes, journal + ".wrote.kxs", &r->wrote, err);
}

struct Running {
  PROCESS_INFORMATION pi;
  std::string journal;
};

}  // namespace

int Sessions(const std::string &dir, int argc, char **argv) {
  long workers = 4, sessions = 40, waitMs = 200;
  unsigned seed = 1;
  bool noMerge = false;
  for (int i = 0; i < argc; ++i) {
    bool more = i + 1 < argc;
    if (!std::strcmp(argv[i], "--no-merge")) noMerge = true;
    else if (more && !std::strcmp(argv[i], "--workers")) workers = std::strtol(argv[++i], nullptr, 10);
    else if (more && !std::strcmp(argv[i], "--sessions")) sessions = std::strtol(argv[++i], nullptr, 10);
    else if (more && !std::strcmp(argv[i], "--seed")) seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    else if (more && !std::strcmp(argv[i], "--wait-ms")) waitMs = std::strtol(argv[++i], nullptr, 10);
    else return 2;
  }
  if (workers < 1 || workers > 32 || sessions < 0 || sessions > 100000 || waitMs < 0) return 2;
  kx::ConfigData before, after;
  std::string err;
  if (!CoreStore().LoadConfig(dir, &before, &err)) return Fail(err);
  std::string work = dir + ".sessions";
  CreateDirectoryA(work.c_str(), nullptr);
  if (noMerge) SetEnvironmentVariableA("KX_UNSAFE_NOMERGE", "1");
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);

  // Every process handle stays open to the end, so that no process id is
  // given out twice during the run (the detector finds commits by it).
  std::vector<HANDLE> handles;
  std::vector<Running> running;
  std::vector<std::string> finished;
  long started = 0, restarted = 0, startFailures = 0;
  unsigned nextSeed = seed;
  while (static_cast<long>(finished.size()) < sessions) {
    while (static_cast<long>(running.size()) < workers &&
           static_cast<long>(finished.size() + running.size()) < sessions) {
      Running r = {};
      r.journal = work + "\\s" + std::to_string(started++) + ".txt";
      DeleteFileA(r.journal.c_str());
      std::string cmd = "\"" + std::string(self) + "\" session \"" + dir + "\" --seed " +
                        std::to_string(nextSeed++) + " --journal \"" + r.journal + "\" --wait-ms " +
                        std::to_string(waitMs);
      STARTUPINFOA si = {};
      si.cb = sizeof si;
      if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &r.pi)) {
        if (++startFailures > 20) return Fail("cannot start sessions");
        Sleep(50);
        continue;
      }
      handles.push_back(r.pi.hProcess);
      CloseHandle(r.pi.hThread);
      running.push_back(r);
    }
    std::vector<HANDLE> wait;
    for (const auto &r : running) wait.push_back(r.pi.hProcess);
    DWORD which = WaitForMultipleObjects(static_cast<DWORD>(wait.size()), wait.data(), FALSE, 600000);
    if (which >= WAIT_OBJECT_0 + wait.size()) return Fail("a session does not end");
    Running done = running[which - WAIT_OBJECT_0];
    running.erase(running.begin() + (which - WAIT_OBJECT_0));
    DWORD code = 1;
    GetExitCodeProcess(done.pi.hProcess, &code);
    if (code == static_cast<DWORD>(kTorn)) ++restarted;
    else finished.push_back(done.journal);
  }
  for (HANDLE h : handles) CloseHandle(h);

  std::vector<SessionRecord> records;
  for (const auto &journal : finished) {
    SessionRecord r;
    if (!ReadRecord(journal, &r, &err)) Fail(err);
    records.push_back(r);
  }
  if (!CoreStore().LoadConfig(dir, &after, &err)) return Fail(err);
  Verdict v = Detect(before, after, records);
  std::printf("sessions: %ld commits %ld merged %ld refused %ld failed %ld lost %ld false-conflicts %ld missed %ld "
              "restarted %ld\n",
              static_cast<long>(records.size()), v.commits, v.merged, v.refused, v.failed, v.lost, v.falseConflicts,
              v.missed, restarted);
  for (size_t i = 0; i < v.findings.size() && i < 20; ++i) std::printf("  %s\n", v.findings[i].c_str());
  std::fflush(stdout);
  return 0;
}

}  // namespace rvx
