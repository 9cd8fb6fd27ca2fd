#include "store_history.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "store.h"

namespace kx {

const char kHistoryDir[] = "history";
const char kAuditFile[] = "audit.log";

namespace {

const char kAuditHeader[] = "KXAUDIT 1\n";

// Names that one list has more often than the other: a name listed twice
// and once counts one removal.
void CountNames(const std::vector<std::string> &before, const std::vector<std::string> &after, unsigned *added,
                unsigned *removed) {
  std::map<std::string, long> n;
  for (const std::string &s : before) --n[s];
  for (const std::string &s : after) ++n[s];
  for (const auto &kv : n) {
    if (kv.second > 0) *added += static_cast<unsigned>(kv.second);
    if (kv.second < 0) *removed += static_cast<unsigned>(-kv.second);
  }
}

}  // namespace

ChangeCounts CountChanges(const ConfigData &before, const ConfigData &after) {
  ChangeCounts c;
  std::set<std::string> seen;
  for (const Configuration &a : after.configs) {
    seen.insert(a.name);
    const Configuration *b = before.Find(a.name);
    if (!b) {
      ++c.added;
      CountNames({}, a.products, &c.productsAdded, &c.productsRemoved);
      CountNames({}, a.clients, &c.clientsAdded, &c.clientsRemoved);
    } else if (!SameContent(*b, a)) {
      ++c.changed;
      CountNames(b->products, a.products, &c.productsAdded, &c.productsRemoved);
      CountNames(b->clients, a.clients, &c.clientsAdded, &c.clientsRemoved);
    }
  }
  for (const Configuration &b : before.configs)
    if (!seen.count(b.name)) {
      ++c.removed;
      CountNames(b.products, {}, &c.productsAdded, &c.productsRemoved);
      CountNames(b.clients, {}, &c.clientsAdded, &c.clientsRemoved);
    }
  c.defaultChanged = !Same(before.resolution, after.resolution);
  return c;
}

// "commit <generation> <time> <host> <user> <crc> <added> <removed> <changed>
//  <products added> <products removed> <clients added> <clients removed>
//  <default changed 0|1>", host and user escaped as the store's fields.
std::string FormatAuditLine(const AuditEntry &e) {
  char crc[9];
  std::snprintf(crc, sizeof crc, "%08x", e.crc);
  const ChangeCounts &c = e.counts;
  std::string line = "commit " + std::to_string(e.generation) + " " + std::to_string(e.time) + " " +
                     EscapeField(e.host) + " " + EscapeField(e.user) + " " + crc;
  for (unsigned n : {c.added, c.removed, c.changed, c.productsAdded, c.productsRemoved, c.clientsAdded,
                     c.clientsRemoved, c.defaultChanged ? 1u : 0u})
    line += " " + std::to_string(n);
  return line + "\n";
}

bool ParseAuditLine(const std::string &line, AuditEntry *e) {
  std::vector<std::string> f;
  size_t at = 0;
  while (at <= line.size()) {
    size_t blank = line.find(' ', at);
    if (blank == std::string::npos) blank = line.size();
    f.push_back(line.substr(at, blank - at));
    at = blank + 1;
  }
  if (f.size() != 14 || f[0] != "commit") return false;
  uint64_t n[14] = {};
  for (size_t i : {1, 2, 6, 7, 8, 9, 10, 11, 12, 13})
    if (!ParseDecimal(f[i], &n[i]) || (i >= 6 && n[i] > 0xFFFFFFFFu)) return false;
  if (f[5].size() != 8 || f[5].find_first_not_of("0123456789abcdef") != std::string::npos || n[13] > 1) return false;
  AuditEntry r;
  if (!UnescapeField(f[3], &r.host) || !UnescapeField(f[4], &r.user)) return false;
  r.generation = n[1];
  r.time = static_cast<int64_t>(n[2]);
  r.crc = static_cast<uint32_t>(std::strtoul(f[5].c_str(), nullptr, 16));
  unsigned *counts[] = {&r.counts.added,         &r.counts.removed,      &r.counts.changed,
                        &r.counts.productsAdded, &r.counts.productsRemoved, &r.counts.clientsAdded,
                        &r.counts.clientsRemoved};
  for (int i = 0; i < 7; ++i) *counts[i] = static_cast<unsigned>(n[6 + i]);
  r.counts.defaultChanged = n[13] == 1;
  *e = r;
  return true;
}

std::string Store::HistoryPath(const std::string &dir, uint64_t generation) const {
  return PathOf(PathOf(dir, kHistoryDir), KeptName(generation).c_str());
}

bool Store::KeepOld(const std::string &dir, const std::string &keptName, const std::string &oldBytes,
                    std::string *err) {
  const std::string hdir = PathOf(dir, kHistoryDir);
  std::string why;
  if (faults_.Hit("history.directory", &why) || !fs_.MakeDirectory(hdir, &why)) {
    *err = hdir + ": cannot create the history directory: " + why + "; nothing was stored";
    return false;
  }
  // The replaced file as it was, byte for byte: every generation reads back
  // exactly as it was committed.
  if (!Replace(hdir, keptName.c_str(), oldBytes, &why, "history")) {
    *err = "the history of the store could not be kept (" + why + "); nothing was stored";
    return false;
  }
  return true;
}

bool Store::Audit(const std::string &dir, const ConfigData &old, const ConfigData &next, const std::string &nextBytes,
                  std::string *err) {
  const std::string hdir = PathOf(dir, kHistoryDir);
  std::string why;
  std::string audit;
  const std::string auditPath = PathOf(hdir, kAuditFile);
  switch (fs_.ReadAll(auditPath, &audit, &why)) {
    case FileSystem::kRead:
      break;
    case FileSystem::kMissing:
      audit.clear();
      break;
    default:
      *err = auditPath + ": cannot be read: " + why + "; nothing was stored";
      return false;
  }
  if (audit.empty()) audit = kAuditHeader;
  if (audit.back() != '\n') audit += '\n';  // a hand-edited last line stays a line of its own
  AuditEntry e;
  e.generation = next.generation;
  e.time = fs_.Now();
  e.host = fs_.HostName();
  e.user = fs_.UserName();
  e.crc = Crc32(nextBytes.data(), nextBytes.size());
  e.counts = CountChanges(old, next);
  audit += FormatAuditLine(e);
  if (!Replace(hdir, kAuditFile, audit, &why, "audit")) {
    *err = "the audit record of the store could not be written (" + why + "); nothing was stored";
    return false;
  }
  return true;
}

void Store::PruneHistory(const std::string &dir, uint64_t replaced) {
  if (replaced < depth_) return;
  std::string ignored;
  fs_.Remove(HistoryPath(dir, replaced - depth_), &ignored);
}

void Store::ClearDeadHistory(const std::string &dir, const std::string &pid) {
  std::string ignored;
  const std::string hdir = PathOf(dir, kHistoryDir);
  fs_.Remove(PathOf(hdir, kAuditFile) + "." + pid + ".pending", &ignored);
  // The dead commit kept the generation that is still the current one.
  ConfigData current;
  if (LoadConfig(dir, &current, &ignored))
    fs_.Remove(HistoryPath(dir, current.generation) + "." + pid + ".pending", &ignored);
}

bool Store::LoadGeneration(const std::string &dir, uint64_t generation, ConfigData *d, std::string *bytes,
                           std::string *err) {
  std::string raw, why, unread;
  // A damaged config.kxs does not hide the kept generations: they are what
  // recovers it.
  const bool current = Load(dir, kConfigFile, &raw, &unread) && ReadConfigData(raw, PathOf(dir, kConfigFile), d, &unread);
  if (!current || d->generation != generation) {
    const std::string path = HistoryPath(dir, generation);
    switch (fs_.ReadAll(path, &raw, &why)) {
      case FileSystem::kRead:
        break;
      case FileSystem::kMissing:
        *err = "generation " + std::to_string(generation) + " is not kept in " + PathOf(dir, kHistoryDir) +
               (current ? " (the current generation is " + std::to_string(d->generation) + ")" : " (and " + unread + ")");
        return false;
      default:
        *err = path + ": cannot be read: " + why;
        return false;
    }
    if (!ReadConfigData(raw, path, d, err)) return false;
    if (d->generation != generation) {
      *err = path + ": holds generation " + std::to_string(d->generation) + ", not " + std::to_string(generation);
      return false;
    }
  }
  if (bytes) *bytes = raw;
  return true;
}

bool Store::LoadAudit(const std::string &dir, std::vector<AuditEntry> *entries, std::string *err) {
  entries->clear();
  ConfigData current;
  std::string currentBytes, why;
  // A store whose config.kxs does not read still lists its history: that is
  // what its recovery chooses from. Nothing then bounds the generations.
  if (!Load(dir, kConfigFile, &currentBytes, &why) ||
      !ReadConfigData(currentBytes, PathOf(dir, kConfigFile), &current, &why)) {
    currentBytes.clear();
    current.generation = UINT64_MAX;
  }
  std::string audit;
  const std::string path = PathOf(PathOf(dir, kHistoryDir), kAuditFile);
  switch (fs_.ReadAll(path, &audit, &why)) {
    case FileSystem::kRead:
      break;
    case FileSystem::kMissing:
      return true;
    default:
      *err = path + ": cannot be read: " + why;
      return false;
  }
  // A commit writes its line before it replaces config.kxs, so a commit that
  // failed or died after that leaves a line for a generation that never
  // came, or that a later commit made with other content. Of the lines of
  // one generation the last whose checksum matches the kept file counts;
  // for a generation no longer kept, the last line; a generation beyond the
  // current one never happened.
  std::map<uint64_t, std::vector<AuditEntry>> byGeneration;
  size_t at = 0;
  while (at < audit.size()) {
    size_t end = audit.find('\n', at);
    if (end == std::string::npos) end = audit.size();
    AuditEntry e;
    if (ParseAuditLine(audit.substr(at, end - at), &e) && e.generation <= current.generation)
      byGeneration[e.generation].push_back(e);
    at = end + 1;
  }
  for (auto &kv : byGeneration) {
    std::string bytes;
    bool kept = kv.first == current.generation;
    if (kept)
      bytes = currentBytes;
    else
      kept = fs_.Stamp(HistoryPath(dir, kv.first), nullptr) &&
             fs_.ReadAll(HistoryPath(dir, kv.first), &bytes, &why) == FileSystem::kRead;
    uint32_t crc = kept ? Crc32(bytes.data(), bytes.size()) : 0;
    const AuditEntry *chosen = nullptr;
    for (const AuditEntry &e : kv.second)
      if (!kept || e.crc == crc) chosen = &e;
    if (!chosen) chosen = &kv.second.back();  // the file was laid out again or edited by hand
    entries->push_back(*chosen);
    entries->back().kept = kept;
  }
  return true;
}

}  // namespace kx
