// libFuzzer target for the writer: bytes become a configuration set (names,
// words, OS texts, values, product and client lists cut from the input),
// which is written, read back and must come back field for field; a second
// write must give the same bytes. Whatever the names hold, as long as the
// store accepts them, nothing may change on the way.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "store_format.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const char *const admin[] = {"administrator", "user"};
  static const char *const location[] = {"shared", "local", "download"};
  static const char *const mandatory[] = {"mandatory", "optional"};
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
    if (storable) d.configs.push_back(c);
  }
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
  return 0;
}
