#include "store_merge.h"

#include <unordered_map>
#include <unordered_set>

#include "utc_text.h"

namespace kx {

bool SameWords(const Words &a, const Words &b) {
  return a.administrator == b.administrator && a.location == b.location && a.mandatory == b.mandatory;
}

bool SameContent(const Configuration &a, const Configuration &b) {
  return a.name == b.name && a.value == b.value && a.os == b.os && SameWords(a.words, b.words) &&
         a.products == b.products && a.clients == b.clients;
}

bool Same(const Configuration *a, const Configuration *b) { return a && b ? SameContent(*a, *b) : a == b; }
bool Same(const std::optional<Words> &a, const std::optional<Words> &b) {
  return a && b ? SameWords(*a, *b) : a.has_value() == b.has_value();
}

namespace {

typedef std::unordered_map<std::string, const Configuration *> Index;

Index IndexOf(const ConfigData &d) {
  Index index;
  index.reserve(d.configs.size());
  for (const auto &c : d.configs) index.emplace(c.name, &c);
  return index;
}

const Configuration *Lookup(const Index &index, const std::string &name) {
  auto it = index.find(name);
  return it == index.end() ? nullptr : it->second;
}

// 0: take theirs, 1: take mine, -1: a conflict.
template <class T>
int Decide(const T &base, const T &mine, const T &theirs, MergeCounts *counts) {
  if (Same(mine, base)) {
    if (!Same(theirs, base)) ++counts->theirs;
    return 0;
  }
  if (Same(theirs, base) || Same(mine, theirs)) {
    ++counts->mine;
    return 1;
  }
  return -1;
}

Conflict::Kind KindOf(bool inBase, bool inMine, bool inTheirs) {
  if (inMine && inTheirs) return inBase ? Conflict::kBothChanged : Conflict::kBothCreated;
  return inMine ? Conflict::kChangedRemoved : Conflict::kRemovedChanged;
}

std::optional<Stamp> RemovedBy(const ConfigData &d, const std::string &name) {
  for (auto it = d.removed.rbegin(); it != d.removed.rend(); ++it)
    if (it->name == name) return it->stamp;
  return std::nullopt;
}

}  // namespace

void StampAsNext(const ConfigData &theirs, Stamp stamp, ConfigData *data) {
  stamp.generation = theirs.generation + 1;
  data->generation = stamp.generation;
  Index t = IndexOf(theirs);
  std::unordered_set<std::string> present;
  present.reserve(data->configs.size());
  for (auto &c : data->configs) {
    const Configuration *old = Lookup(t, c.name);
    c.stamp = old && SameContent(*old, c) ? old->stamp : std::optional<Stamp>(stamp);
    present.insert(c.name);
  }
  if (!data->resolution) {
    data->resolutionStamp.reset();
  } else {
    data->resolutionStamp = Same(data->resolution, theirs.resolution) ? theirs.resolutionStamp
                                                                       : std::optional<Stamp>(stamp);
  }
  std::vector<Removal> removed;
  for (const auto &r : theirs.removed)
    if (!present.count(r.name)) removed.push_back(r);
  for (const auto &c : theirs.configs)
    if (!present.count(c.name)) removed.push_back(Removal{c.name, stamp});
  if (removed.size() > kMaxRemovals) removed.erase(removed.begin(), removed.end() - kMaxRemovals);
  data->removed = std::move(removed);
  data->commits = theirs.commits;
  data->commits.push_back(stamp);
  if (data->commits.size() > kMaxCommits)
    data->commits.erase(data->commits.begin(), data->commits.end() - kMaxCommits);
}

bool MergeConfigData(const ConfigData &base, const ConfigData &mine, const ConfigData &theirs, Stamp stamp,
                     ConfigData *out, std::vector<Conflict> *conflicts, MergeCounts *counts) {
  MergeCounts ignored;
  if (!counts) counts = &ignored;
  *counts = MergeCounts();
  conflicts->clear();
  Index b = IndexOf(base), m = IndexOf(mine), t = IndexOf(theirs);
  // The version each name ends with; null: the name is not in the result.
  std::unordered_map<std::string, const Configuration *> chosen;
  chosen.reserve(mine.configs.size() + theirs.configs.size());
  auto decide = [&](const std::string &name) {
    if (chosen.count(name)) return;
    const Configuration *B = Lookup(b, name), *M = Lookup(m, name), *T = Lookup(t, name);
    int d = Decide(B, M, T, counts);
    chosen[name] = d == 1 ? M : T;
    if (d >= 0) return;
    Conflict c;
    c.kind = KindOf(B != nullptr, M != nullptr, T != nullptr);
    c.name = name;
    c.other = T ? T->stamp : RemovedBy(theirs, name);
    conflicts->push_back(c);
  };
  for (const auto &c : mine.configs) decide(c.name);
  for (const auto &c : theirs.configs) decide(c.name);

  int d = Decide(base.resolution, mine.resolution, theirs.resolution, counts);
  if (d < 0) {
    Conflict c;
    c.kind = KindOf(base.resolution.has_value(), mine.resolution.has_value(), theirs.resolution.has_value());
    c.isDefault = true;
    c.other = theirs.resolutionStamp;
    conflicts->push_back(c);
  }
  if (!conflicts->empty()) return false;

  ConfigData next;
  next.resolution = d == 1 ? mine.resolution : theirs.resolution;
  next.configs.reserve(theirs.configs.size() + mine.configs.size());
  for (const auto &c : theirs.configs)
    if (const Configuration *take = chosen[c.name]) next.configs.push_back(*take);
  for (const auto &c : mine.configs)
    if (!Lookup(t, c.name) && chosen[c.name]) next.configs.push_back(c);
  StampAsNext(theirs, stamp, &next);
  *out = std::move(next);
  return true;
}

namespace {

std::string Who(const std::optional<Stamp> &s) {
  if (!s) return "another administrator (the store does not say who or when)";
  return s->user + " on " + s->host + " at " + UtcText(s->time);
}

}  // namespace

std::string ConflictText(const std::vector<Conflict> &conflicts, const std::string &path, uint64_t baseGeneration,
                         uint64_t nowGeneration) {
  std::string text = "Nothing was stored: since this run read the installation (" + path + ", generation " +
                     std::to_string(baseGeneration) + ", now " + std::to_string(nowGeneration) +
                     "), other commits changed what this run changes:\n";
  // What each side did, by Conflict::Kind.
  static const char *const kWhat[] = {"changed here, and changed otherwise by ", "changed here, and removed by ",
                                      "removed here, and changed by ", "created here, and created otherwise by "};
  for (const Conflict &c : conflicts)
    text += "- " + (c.isDefault ? std::string("the installation-wide default") : "configuration \"" + c.name + "\"") +
            ": " + kWhat[c.kind] + Who(c.other) + "\n";
  text +=
      "To keep the other version, undo your edits of these items and press OK again: everything else is then "
      "stored. To edit the current state instead, close the program without saving (Cancel), start it again "
      "and make your edits once more.";
  return text;
}

}  // namespace kx
