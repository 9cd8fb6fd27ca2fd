#include "detector.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "store_format.h"

namespace rvx {
namespace {

// Items by key ("" for the default, else "config:" and the name) with their
// content as one text; absent items are not in the map.
typedef std::map<std::string, std::string> Items;

std::string KeyOf(const std::string &name) { return "config:" + name; }
std::string Shown(const std::string &key) { return key.empty() ? "the default" : "\"" + key.substr(7) + "\""; }

Items ItemsOf(const kx::ConfigData &d) {
  Items items;
  if (d.resolution) items[""] = d.resolution->administrator + " " + d.resolution->location + " " + d.resolution->mandatory;
  for (const auto &c : d.configs) {
    std::string text = kx::EscapeField(c.words.administrator) + " " + kx::EscapeField(c.words.location) + " " +
                       kx::EscapeField(c.words.mandatory) + " " + kx::EscapeField(c.os) + " " +
                       std::to_string(c.value) + " |";
    for (const auto &p : c.products) text += " " + kx::EscapeField(p);
    text += " |";
    for (const auto &n : c.clients) text += " " + kx::EscapeField(n);
    items[KeyOf(c.name)] = text;
  }
  return items;
}

std::optional<std::string> At(const Items &items, const std::string &key) {
  auto it = items.find(key);
  if (it == items.end()) return std::nullopt;
  return it->second;
}

struct Commit {
  uint64_t generation;
  Items read, wrote;
  std::set<std::string> changed;
};

std::set<std::string> Changed(const Items &read, const Items &wrote) {
  std::set<std::string> keys;
  for (const auto &i : read)
    if (At(wrote, i.first) != i.second) keys.insert(i.first);
  for (const auto &i : wrote)
    if (At(read, i.first) != i.second) keys.insert(i.first);
  return keys;
}

}  // namespace

Verdict Detect(const kx::ConfigData &before, const kx::ConfigData &after, const std::vector<SessionRecord> &sessions) {
  Verdict v;
  const Items initial = ItemsOf(before), final = ItemsOf(after);
  std::vector<Commit> commits;
  for (const auto &s : sessions) {
    if (s.result != SessionRecord::kCommitted) continue;
    Commit c{s.generation, ItemsOf(s.read), ItemsOf(s.wrote), {}};
    c.changed = Changed(c.read, c.wrote);
    ++v.commits;
    if (s.generation > s.read.generation + 1) ++v.merged;
    commits.push_back(std::move(c));
  }
  std::sort(commits.begin(), commits.end(),
            [](const Commit &a, const Commit &b) { return a.generation < b.generation; });
  for (size_t i = 1; i < commits.size(); ++i)
    if (commits[i].generation == commits[i - 1].generation)
      v.findings.push_back("two commits report generation " + std::to_string(commits[i].generation));

  // The version of key at generation g: of the last commit up to g that
  // changed it, else as before the run.
  auto state = [&](const std::string &key, uint64_t g) -> std::optional<std::string> {
    for (auto it = commits.rbegin(); it != commits.rend(); ++it)
      if (it->generation <= g && it->changed.count(key)) return At(it->wrote, key);
    return At(initial, key);
  };

  std::set<std::string> keys;
  for (const auto &i : initial) keys.insert(i.first);
  for (const auto &i : final) keys.insert(i.first);
  for (const auto &c : commits) keys.insert(c.changed.begin(), c.changed.end());
  for (const auto &key : keys) {
    if (state(key, UINT64_MAX) == At(final, key)) continue;
    ++v.lost;
    v.findings.push_back("lost: " + Shown(key) + " is not what the last commit that changed it stored");
  }
  for (const auto &c : commits)
    for (const auto &key : c.changed) {
      std::optional<std::string> seen = state(key, c.generation - 1);
      if (seen == At(c.read, key) || seen == At(c.wrote, key)) continue;
      ++v.lost;
      v.findings.push_back("lost: the commit of generation " + std::to_string(c.generation) + " overwrote " +
                           Shown(key) + " without having seen its change");
    }

  for (const auto &s : sessions) {
    if (s.result == SessionRecord::kFailed) ++v.failed;
    if (s.result != SessionRecord::kRefused) continue;
    ++v.refused;
    Items read = ItemsOf(s.read), wrote = ItemsOf(s.wrote);
    std::set<std::string> named;
    for (const auto &n : s.conflicts) named.insert(n.empty() ? std::string() : KeyOf(n));
    for (const auto &key : Changed(read, wrote)) {
      std::optional<std::string> now = state(key, s.now);
      bool conflict = now != At(read, key) && now != At(wrote, key);
      if (conflict && !named.count(key)) {
        ++v.missed;
        v.findings.push_back("missed: a refusal at generation " + std::to_string(s.now) + " did not name " +
                             Shown(key));
      }
      if (!conflict && named.count(key)) {
        ++v.falseConflicts;
        v.findings.push_back("false conflict: " + Shown(key) + " at generation " + std::to_string(s.now));
      }
      named.erase(key);
    }
    for (const auto &key : named) {
      ++v.falseConflicts;
      v.findings.push_back("false conflict: " + Shown(key) + " was not changed by the refused session");
    }
  }
  return v;
}

}  // namespace rvx
