// libFuzzer target for the writer: bytes become a configuration set (names,
// words, OS texts, values, product and client lists, stamps cut from the
// input), which is written, read back and must come back field for field; a
// second write must give the same bytes. Whatever the names hold, as long as
// the store accepts them, nothing may change on the way. Then the set is the
// base of a commit's merge, with this run's and another run's changes taken
// from the input: every item must be decided by the rules, every conflict
// must be a true one, and the merged store must write and read back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "store_format.h"
#include "store_merge.h"

namespace {

// Takes the next text from the input: a length byte, then that many bytes.
std::string Next(const uint8_t *&p, const uint8_t *end) {
  if (p >= end) return std::string();
  size_t n = *p++;
  if (n > static_cast<size_t>(end - p)) n = static_cast<size_t>(end - p);
  std::string s(reinterpret_cast<const char *>(p), n);
  p += n;
  return s;
}

const char *Pick(const char *const *words, size_t count, const std::string &s) {
  return words[s.empty() ? 0 : static_cast<unsigned char>(s[0]) % count];
}

// One of four versions of a configuration: as it is, removed, or one of two
// changes (which two runs may make alike).
void Change(std::vector<kx::Configuration> &configs, size_t i, int how) {
  if (how == 1) configs[i].name.clear();  // removed below
  if (how == 2) configs[i].value ^= 1;
  if (how == 3) configs[i].clients.push_back("x");
}

void Drop(std::vector<kx::Configuration> &configs) {
  std::vector<kx::Configuration> kept;
  for (auto &c : configs)
    if (!c.name.empty()) kept.push_back(c);
  configs = kept;
}

const kx::Configuration *Find(const kx::ConfigData &d, const std::string &name) { return d.Find(name); }

void Merge(const kx::ConfigData &base, const uint8_t *data, size_t size) {
  kx::ConfigData mine = base, theirs = base;
  for (size_t i = 0; i < base.configs.size(); ++i) {
    uint8_t k = data[i % size];
    Change(mine.configs, i, k & 3);
    Change(theirs.configs, i, (k >> 2) & 3);
  }
  Drop(mine.configs);
  Drop(theirs.configs);
  if (size > 1 && (data[1] & 1)) mine.configs.push_back(kx::Configuration{"new", {}, {"user", "shared", "optional"}, "", 0, {}, {}});
  if (size > 1 && (data[1] & 2)) theirs.configs.push_back(kx::Configuration{"new", {}, {"user", "local", "optional"}, "", 0, {}, {}});
  theirs.generation = base.generation + 3;
  kx::ConfigData out;
  std::vector<kx::Conflict> conflicts;
  bool merged = kx::MergeConfigData(base, mine, theirs, kx::Stamp{0, "h", "u", 1, 2}, &out, &conflicts);
  if (!merged) {
    if (conflicts.empty()) std::abort();
    for (const auto &c : conflicts) {
      if (c.isDefault) continue;  // the default is not changed here
      const kx::Configuration *B = Find(base, c.name), *M = Find(mine, c.name), *T = Find(theirs, c.name);
      if (kx::Same(M, B) || kx::Same(T, B) || kx::Same(M, T)) std::abort();  // not a true conflict
    }
    return;
  }
  std::vector<std::string> names;
  for (const auto &c : mine.configs) names.push_back(c.name);
  for (const auto &c : theirs.configs) names.push_back(c.name);
  for (const auto &name : names) {
    const kx::Configuration *B = Find(base, name), *M = Find(mine, name), *T = Find(theirs, name);
    const kx::Configuration *want = kx::Same(M, B) ? T : M, *got = Find(out, name);
    if (!kx::Same(got, want)) std::abort();
  }
  if (out.generation != theirs.generation + 1) std::abort();
  kx::ConfigData back;
  std::string err;
  if (!kx::ReadConfigData(kx::WriteConfigData(out), "merged", &back, &err)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const char *const admin[] = {"administrator", "user"};
  static const char *const location[] = {"shared", "local", "download"};
  static const char *const mandatory[] = {"mandatory", "optional"};
  if (size == 0) return 0;
  const uint8_t *p = data, *end = data + size;
  kx::ConfigData d;
  std::string err, seed = Next(p, end);
  d.generation = 1 + (seed.empty() ? 0 : static_cast<unsigned char>(seed[0]));
  if (!seed.empty() && (seed[0] & 1)) d.resolution = kx::Words{"user", "local", "optional"};
  while (p < end && d.configs.size() < 64) {
    kx::Configuration c;
    c.name = Next(p, end);
    std::string words = Next(p, end);
    c.words = kx::Words{Pick(admin, 2, words), Pick(location, 3, words.size() > 1 ? words.substr(1) : words),
                        Pick(mandatory, 2, words.size() > 2 ? words.substr(2) : words)};
    c.os = Next(p, end);
    std::string v = Next(p, end);
    uint32_t value = 0;
    std::memcpy(&value, v.data(), v.size() < 4 ? v.size() : 4);
    c.value = static_cast<int32_t>(value);
    size_t lists = p < end ? *p++ : 0;
    for (size_t i = 0; i < (lists & 7); ++i) c.products.push_back(Next(p, end));
    for (size_t i = 0; i < (lists >> 3 & 7); ++i) c.clients.push_back(Next(p, end));
    bool storable = kx::CheckName(c.name, "configuration", &err) && kx::CheckText(c.os, "OS", &err) &&
                    !d.Find(c.name);
    for (const auto &n : c.products) storable = storable && kx::CheckName(n, "product", &err);
    for (const auto &n : c.clients) storable = storable && kx::CheckName(n, "client", &err);
    if (lists & 64) c.stamp = kx::Stamp{lists, c.name, c.os, lists, -static_cast<int64_t>(lists)};
    if (storable) d.configs.push_back(c);
  }
  if (!seed.empty() && (seed[0] & 2)) d.commits.push_back(kx::Stamp{d.generation, "h", "u", 1, 2});
  std::string once = kx::WriteConfigData(d);
  kx::ConfigData back;
  if (!kx::ReadConfigData(once, "fuzz", &back, &err)) {
    fprintf(stderr, "written store does not read: %s\n", err.c_str());
    std::abort();
  }
  if (back.generation != d.generation || back.configs.size() != d.configs.size() ||
      back.resolution.has_value() != d.resolution.has_value())
    std::abort();
  for (size_t i = 0; i < d.configs.size(); ++i) {
    const kx::Configuration &a = d.configs[i], &b = back.configs[i];
    if (a.name != b.name || a.os != b.os || a.value != b.value || a.products != b.products || a.clients != b.clients ||
        a.words.administrator != b.words.administrator || a.words.location != b.words.location ||
        a.words.mandatory != b.words.mandatory)
      std::abort();
  }
  if (kx::WriteConfigData(back) != once) std::abort();
  Merge(d, data, size);
  return 0;
}
