#include "store.h"

#include <algorithm>
#include <cstdlib>

namespace kx {

const char kCatalogueFile[] = "catalogue.kxs";
const char kConfigFile[] = "config.kxs";
const char kLockFile[] = "config.lock";

std::string Store::PathOf(const std::string &dir, const char *file) const {
  std::string p = dir;
  if (!p.empty() && p.back() != fs_.Separator() && p.back() != '/') p += fs_.Separator();
  return p + file;
}

bool Store::Load(const std::string &dir, const char *file, std::string *bytes, std::string *err) {
  std::string path = PathOf(dir, file);
  std::string why;
  switch (fs_.ReadAll(path, bytes, &why)) {
    case FileSystem::kRead:
      return true;
    case FileSystem::kMissing:
      *err = "no installation store at " + dir + ": " + path + " is missing";
      return false;
    default:
      *err = path + ": cannot be read: " + why;
      return false;
  }
}

bool Store::LoadCatalogue(const std::string &dir, Catalogue *c, std::string *err) {
  std::string bytes;
  return Load(dir, kCatalogueFile, &bytes, err) && ReadCatalogue(bytes, PathOf(dir, kCatalogueFile), c, err);
}

bool Store::LoadCatalogue(const std::string &dir, std::shared_ptr<const Catalogue> *c, std::string *err) {
  auto fresh = std::make_shared<Catalogue>();
  if (!LoadCatalogue(dir, fresh.get(), err)) return false;
  *c = std::move(fresh);
  return true;
}

bool Store::LoadConfig(const std::string &dir, ConfigData *d, std::string *err) {
  std::string bytes;
  return Load(dir, kConfigFile, &bytes, err) && ReadConfigData(bytes, PathOf(dir, kConfigFile), d, err);
}

bool Store::LoadConfig(const std::string &dir, const std::shared_ptr<const ConfigData> &known,
                       std::shared_ptr<const ConfigData> *d, std::string *err) {
  std::string bytes;
  if (!Load(dir, kConfigFile, &bytes, err)) return false;
  if (known && SameSource(bytes, *known)) {
    *d = known;
    return true;
  }
  auto fresh = std::make_shared<ConfigData>();
  if (!ReadConfigData(bytes, PathOf(dir, kConfigFile), fresh.get(), err)) return false;
  *d = std::move(fresh);
  return true;
}

// The lock file holds "KXLOCK <host> <pid> <time>". It is broken only when its
// owner is known to be dead: same host and no such process. An old lock of a
// live or a foreign owner is reported, never taken over for its age alone.
bool Store::Lock(const std::string &dir, std::string *err) {
  if (faults_.Hit("commit.lock", err)) return false;
  std::string path = PathOf(dir, kLockFile);
  // A lock file is empty (and, under Win32, unreadable) for the moment
  // between its creation and its first write: such a lock is looked at again
  // a little later before it is called ownerless.
  const int kAttempts = 40;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    FileSystem::Handle h = nullptr;
    bool existed = false;
    std::string why;
    if (fs_.CreateNew(path, &h, &existed, &why)) {
      std::string owner = "KXLOCK " + EscapeField(fs_.HostName()) + " " + std::to_string(fs_.ProcessId()) +
                          " " + std::to_string(fs_.Now()) + "\n";
      bool ok = fs_.Write(h, owner.data(), owner.size(), &why) && fs_.Flush(h, &why);
      std::string closeWhy;
      ok = fs_.Close(h, &closeWhy) && ok;
      if (!ok) {
        fs_.Remove(path, &closeWhy);
        *err = path + ": cannot write the lock file: " + why;
        return false;
      }
      return true;
    }
    if (!existed) {
      *err = path + ": cannot create the lock file: " + why;
      return false;
    }
    std::string bytes;
    FileSystem::ReadResult read = fs_.ReadAll(path, &bytes, &why);
    if (read == FileSystem::kMissing) continue;  // released meanwhile
    std::string host, pidText, timeText;
    {
      size_t a = bytes.find(' '), b = bytes.find(' ', a + 1), c = bytes.find(' ', b + 1), e = bytes.find('\n');
      if (bytes.compare(0, 7, "KXLOCK ") == 0 && a != std::string::npos && b != std::string::npos &&
          c != std::string::npos && e != std::string::npos && e > c) {
        UnescapeField(bytes.substr(a + 1, b - a - 1), &host);
        pidText = bytes.substr(b + 1, c - b - 1);
        timeText = bytes.substr(c + 1, e - c - 1);
      }
    }
    if (pidText.empty() || pidText.find_first_not_of("0123456789") != std::string::npos) {
      if (attempt + 1 < kAttempts) {
        fs_.Pause(5);
        continue;
      }
      if (read == FileSystem::kFailed) {
        *err = "the store at " + dir + " is locked, and its lock file " + path + " cannot be read: " + why;
        return false;
      }
      *err = "the store at " + dir + " is locked, and the lock file " + path +
             " does not name its owner; remove it once no commit runs";
      return false;
    }
    unsigned long pid = std::strtoul(pidText.c_str(), nullptr, 10);
    if (host == fs_.HostName() && pid != fs_.ProcessId() && !fs_.ProcessAlive(pid)) {
      // The owner died: its commit never finished. Remove the lock only if
      // it is still the dead one's, not a fresh lock that a third process
      // took meanwhile. (A window of one read remains; it needs two
      // committers meeting a dead owner's lock at the same moment.)
      std::string again;
      if (fs_.ReadAll(path, &again, &why) != FileSystem::kRead || again != bytes) continue;
      if (fs_.Remove(path, &why)) {
        // Its half-done commit left its pending files: nobody will finish
        // them, and the store itself is still the old file.
        std::string ignored;
        for (const char *file : {kConfigFile, kCatalogueFile})
          fs_.Remove(PathOf(dir, file) + "." + pidText + ".pending", &ignored);
        ClearDeadHistory(dir, pidText);
        continue;
      }
    }
    long long age = fs_.Now() - std::strtoll(timeText.c_str(), nullptr, 10);
    *err = "the store at " + dir + " is locked by process " + pidText + " on host " + host + " since " +
           std::to_string(age) + " s (" + path + "); try again when that commit has finished";
    return false;
  }
  *err = "the store at " + dir + " stays locked (" + path + ")";
  return false;
}

bool Store::Unlock(const std::string &dir, std::string *err) {
  std::string why;
  if (faults_.Hit("commit.unlock", &why) || !fs_.Remove(PathOf(dir, kLockFile), &why)) {
    *err = "cannot remove the lock file " + PathOf(dir, kLockFile) + ": " + why;
    return false;
  }
  return true;
}

// Writes bytes beside the target and renames them over it. A failed step
// removes the pending file again; a crash leaves it behind, where no reader
// ever looks.
bool Store::Replace(const std::string &dir, const char *file, const std::string &bytes, std::string *err,
                    const char *step) {
  const std::string at = std::string(step) + ".";
  std::string target = PathOf(dir, file);
  std::string pending = target + "." + std::to_string(fs_.ProcessId()) + ".pending";
  std::string why, ignored;
  FileSystem::Handle h = nullptr;
  bool existed = false;
  if (faults_.Hit(at + "create", &why)) {
    *err = pending + ": " + why;
    return false;
  }
  if (!fs_.CreateNew(pending, &h, &existed, &why)) {
    // A pending file of the same name is the garbage of a dead run of a
    // process that had this id: nobody else writes it while we hold the lock.
    if (!existed || !fs_.Remove(pending, &ignored) || !fs_.CreateNew(pending, &h, &existed, &why)) {
      *err = pending + ": cannot create the pending file: " + why;
      return false;
    }
  }
  bool open = true;
  bool ok = !faults_.Hit(at + "write", &why) && fs_.Write(h, bytes.data(), bytes.size(), &why) &&
            !faults_.Hit(at + "flush", &why) && fs_.Flush(h, &why);
  if (ok) {
    // The handle is gone after CloseHandle whatever it reports, and an open
    // pending file could not be removed below.
    bool injected = faults_.Hit(at + "close", &why);
    open = false;
    ok = fs_.Close(h, injected ? &ignored : &why) && !injected;
  }
  if (ok) ok = !faults_.Hit(at + "rename", &why) && fs_.Rename(pending, target, &why);
  if (!ok) {
    if (open) fs_.Close(h, &ignored);
    fs_.Remove(pending, &ignored);
    *err = target + ": the change was not stored: " + why;
  }
  return ok;
}

bool Store::Merging() { return !UnsafeSwitchOn(fs_, kNoMerge); }

namespace {

// A host or user name as a stamp can hold it.
std::string StampText(std::string text) {
  if (text.size() > 256) text.resize(256);
  for (char &ch : text)
    if (ch == '\r' || ch == '\n' || ch == '\0') ch = '?';
  return text.empty() ? std::string("unknown") : text;
}

}  // namespace

Stamp Store::CommitStamp() {
  Stamp s;
  s.host = StampText(fs_.HostName());
  s.user = StampText(fs_.UserName());
  s.process = fs_.ProcessId();
  s.time = fs_.Now();
  return s;
}

bool Store::Decide(const std::string &dir, const ConfigData &base, const ConfigData &mine, const ConfigData &current,
                   ConfigData *next, std::string *err) {
  if (UnsafeSwitchOn(fs_, kNoGeneration) || (!Merging() && current.generation == base.generation)) {
    *next = mine;
    StampAsNext(current, CommitStamp(), next);
    return true;
  }
  if (!Merging()) {
    *err = "another change was committed to " + PathOf(dir, kConfigFile) + " since this one began (generation " +
           std::to_string(base.generation) + ", now " + std::to_string(current.generation) +
           "); nothing was stored: start again from the current state";
    return false;
  }
  std::vector<Conflict> conflicts;
  if (MergeConfigData(base, mine, current, CommitStamp(), next, &conflicts)) return true;
  *err = ConflictText(conflicts, PathOf(dir, kConfigFile), base.generation, current.generation);
  return false;
}

bool Store::CommitConfig(const std::string &dir, const ConfigData &base, const ConfigData &mine, ConfigData *written,
                         std::string *err) {
  const bool locking = !UnsafeSwitchOn(fs_, kNoLock);
  if (locking && !Lock(dir, err)) return false;
  // The store as it is now: when nobody committed since the base was read,
  // its bytes are the base's, and the base serves without a second parse.
  ConfigData parsed, next;
  const ConfigData *current = &parsed;
  std::string why, bytes;
  bool ok = !faults_.Hit("commit.check", err) && Load(dir, kConfigFile, &bytes, err);
  if (ok && SameSource(bytes, base))
    current = &base;
  else if (ok)
    ok = ReadConfigData(bytes, PathOf(dir, kConfigFile), &parsed, err);
  ok = ok && Decide(dir, base, mine, *current, &next, err) && KeepOld(dir, KeptName(current->generation), bytes, err);
  // The old bytes are kept; the new ones are made after they have gone.
  std::string().swap(bytes);
  std::string out;
  if (ok) {
    out = WriteConfigData(next);
    ok = Audit(dir, *current, next, out, err) && Replace(dir, kConfigFile, out, err);
    if (ok) PruneHistory(dir, current->generation);
  }
  if (locking && !Unlock(dir, &why)) {
    // A retry merges the stored change with itself: nothing conflicts.
    *err = ok ? "the change was stored, but " + why : *err + "; also " + why;
    return false;
  }
  if (ok && written) {
    next.source = SignatureOf(out);
    *written = std::move(next);
  }
  return ok;
}

bool Store::CheckCommit(const std::string &dir, const ConfigData &base, const ConfigData &mine, std::string *err) {
  ConfigData current, next;
  return LoadConfig(dir, &current, err) && Decide(dir, base, mine, current, &next, err);
}

namespace {

// The generation a store file's header names, 0 when it names none: a
// damaged file often still says which generation it was.
uint64_t HeaderGeneration(const std::string &bytes) {
  const std::string line = bytes.substr(0, std::min<size_t>(bytes.find('\n'), 100));
  const size_t at = line.rfind(' ');
  if (line.compare(0, 16, "KXSTORE 1 config") != 0 || at == std::string::npos) return 0;
  // Its leading digits: the damage may have reached the header's end (a
  // carriage return of an editor).
  uint64_t g = 0;
  return ParseDecimal(line.substr(at + 1, line.find_first_not_of("0123456789", at + 1) - at - 1), &g) ? g : 0;
}

}  // namespace

bool Store::ReplaceDamaged(const std::string &dir, uint64_t generation, ConfigData *written, std::string *err) {
  if (!Lock(dir, err)) return false;
  const std::string path = PathOf(dir, kConfigFile);
  std::string damaged, why;
  ConfigData current, kept, next;
  bool ok = false;
  switch (fs_.ReadAll(path, &damaged, &why)) {
    case FileSystem::kMissing:
      *err = "no installation store at " + dir + ": " + path + " is missing; nothing was replaced";
      break;
    case FileSystem::kFailed:
      *err = path + ": cannot be read: " + why + "; nothing was replaced";
      break;
    default:
      ok = !ReadConfigData(damaged, path, &current, &why);
      if (!ok)
        *err = path + " reads as generation " + std::to_string(current.generation) +
               ": it is not damaged, and nothing was replaced";
  }
  if (ok) ok = LoadGeneration(dir, generation, &kept, nullptr, err);
  if (ok) {
    // Past every generation the store has known (its audit, the kept one,
    // the damaged file's own header), so that no generation number means
    // two contents to a reader.
    std::vector<AuditEntry> audit;
    uint64_t last = std::max(generation, HeaderGeneration(damaged));
    if (LoadAudit(dir, &audit, &why))
      for (const AuditEntry &e : audit) last = std::max(last, e.generation);
    ConfigData prior;
    prior.generation = last;
    prior.removed = kept.removed;
    prior.commits = kept.commits;
    next = kept;
    StampAsNext(prior, CommitStamp(), &next);
    const std::string bytes = WriteConfigData(next);
    // The replaced data counts as empty: nothing of it could be read.
    ok = KeepOld(dir, "damaged-before-" + std::to_string(next.generation) + ".kxs", damaged, err) &&
         Audit(dir, ConfigData(), next, bytes, err) && Replace(dir, kConfigFile, bytes, err);
  }
  if (!Unlock(dir, &why)) {
    *err = ok ? "the store was replaced, but " + why : *err + "; also " + why;
    return false;
  }
  if (ok && written) *written = std::move(next);
  return ok;
}

bool Store::WriteLayout(const std::string &dir, Catalogue catalogue, ConfigData config, std::string *err) {
  std::string why;
  if (!fs_.MakeDirectory(dir, &why)) {
    *err = dir + ": cannot create the directory: " + why;
    return false;
  }
  if (!Lock(dir, err)) return false;
  // Past every generation seen: an unreadable old file cannot say its own,
  // so take the clock, which no count of commits reaches.
  Catalogue oldCatalogue;
  ConfigData oldConfig;
  uint64_t stamp = static_cast<uint64_t>(fs_.Now());
  catalogue.generation = LoadCatalogue(dir, &oldCatalogue, &why) ? oldCatalogue.generation + 1
                         : fs_.Stamp(PathOf(dir, kCatalogueFile), nullptr) ? stamp : 1;
  config.generation = LoadConfig(dir, &oldConfig, &why) ? oldConfig.generation + 1
                      : fs_.Stamp(PathOf(dir, kConfigFile), nullptr) ? stamp : 1;
  // A layout is a commit of its own tool: its items carry its stamp.
  Stamp laid = CommitStamp();
  laid.generation = config.generation;
  for (auto &c : config.configs) c.stamp = laid;
  config.resolutionStamp = config.resolution ? std::optional<Stamp>(laid) : std::nullopt;
  config.removed.clear();
  config.commits.assign(1, laid);
  bool ok = Replace(dir, kCatalogueFile, WriteCatalogue(catalogue), err) &&
            Replace(dir, kConfigFile, WriteConfigData(config), err);
  if (!Unlock(dir, &why)) {
    *err = ok ? why : *err + "; also " + why;
    return false;
  }
  return ok;
}

}  // namespace kx
