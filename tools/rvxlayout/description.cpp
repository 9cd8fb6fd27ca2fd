#include "description.h"

#include <vector>

#include "store_format.h"

namespace rvx {
namespace {

std::string Trim(const std::string &s) {
  size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Decode(const std::string &s, std::string *out) {
  out->clear();
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      *out += s[i];
      continue;
    }
    if (i + 2 >= s.size() || Hex(s[i + 1]) < 0 || Hex(s[i + 2]) < 0 || (Hex(s[i + 1]) | Hex(s[i + 2])) == 0)
      return false;
    *out += static_cast<char>(Hex(s[i + 1]) * 16 + Hex(s[i + 2]));
    i += 2;
  }
  return true;
}

std::string Encode(const std::string &s) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    bool edge = (i == 0 || i + 1 == s.size()) && (b == ' ' || b == '\t');
    if (b < 0x20 || b >= 0x7F || b == '%' || b == '|' || edge) {
      out += '%';
      out += hex[b >> 4];
      out += hex[b & 15];
    } else {
      out += static_cast<char>(b);
    }
  }
  return out;
}

struct Part {
  std::string key;  // empty for the positional part
  std::string value;
  bool hasValue = false;
};

}  // namespace

bool ParseDescription(const std::string &text, Layout *layout, std::string *err) {
  *layout = Layout();
  kx::Home *home = nullptr;
  kx::Configuration *config = nullptr;
  size_t number = 0, pos = 0;
  auto fail = [&](const std::string &what) {
    *err = "line " + std::to_string(number) + ": " + what;
    return false;
  };
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    std::string line = text.substr(pos, eol - pos);
    pos = eol + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string t = Trim(line);
    if (t.empty() || t[0] == '#') continue;
    size_t sp = t.find_first_of(" \t");
    std::string keyword = t.substr(0, sp);
    std::string rest = sp == std::string::npos ? std::string() : t.substr(sp + 1);
    std::vector<Part> parts;
    size_t start = 0;
    while (start <= rest.size()) {
      size_t bar = rest.find('|', start);
      if (bar == std::string::npos) bar = rest.size();
      std::string raw = Trim(rest.substr(start, bar - start));
      start = bar + 1;
      Part p;
      size_t eq = raw.find('=');
      if (!parts.empty() && eq != std::string::npos) {
        p.key = Trim(raw.substr(0, eq));
        raw = Trim(raw.substr(eq + 1));
        p.hasValue = true;
      } else if (!parts.empty()) {
        p.key = raw;
        raw.clear();
      }
      if (!Decode(raw, &p.value)) return fail("bad %XX escape");
      parts.push_back(p);
    }
    const std::string &name = parts[0].value;
    std::string why;
    if (keyword == "language") {
      if (name.empty() || name.size() > kx::kMaxLanguageLength) return fail("language needs 1..99 characters");
      layout->catalogue.language = name;
    } else if (keyword == "resolution") {
      // "resolution administrator | shared | optional": three bare words.
      if (parts.size() != 3) return fail("resolution takes three words separated by '|'");
      kx::Words w{name, parts[1].key, parts[2].key};
      if (!kx::CheckWords(w, &why)) return fail(why);
      layout->config.resolution = w;
    } else if (keyword == "home") {
      if (!kx::CheckName(name, "home", &why)) return fail(why);
      layout->catalogue.homes.push_back(kx::Home{name, {}});
      home = &layout->catalogue.homes.back();
    } else if (keyword == "product") {
      if (!home) return fail("a product before any home");
      kx::Product p;
      p.name = name;
      if (!kx::CheckName(name, "product", &why)) return fail(why);
      bool share = false;
      for (size_t i = 1; i < parts.size(); ++i) {
        const Part &q = parts[i];
        if (q.key == "label") p.label = q.value;
        else if (q.key == "version") p.version = q.value;
        else if (q.key == "size") p.size = q.value;
        else if (q.key == "shareable") share = !q.hasValue || q.value == "TRUE";
        else return fail("unknown product field \"" + q.key + "\"");
      }
      layout->shareable[name] = share;
      home->products.push_back(p);
    } else if (keyword == "client") {
      kx::Client c;
      c.name = name;
      if (!kx::CheckName(name, "client", &why)) return fail(why);
      for (size_t i = 1; i < parts.size(); ++i) {
        const Part &q = parts[i];
        if (q.key == "os") c.os = q.value;
        else if (q.key == "version") c.version = q.value;
        else return fail("unknown client field \"" + q.key + "\"");
      }
      layout->catalogue.clients.push_back(c);
    } else if (keyword == "config") {
      kx::Configuration c;
      c.name = name;
      c.words = kx::Words{"user", "shared", "optional"};
      if (!kx::CheckConfigurationName(name, &why)) return fail(why);
      if (layout->config.Find(name)) return fail("configuration \"" + name + "\" given twice");
      for (size_t i = 1; i < parts.size(); ++i) {
        const Part &q = parts[i];
        if (q.key == "admin") c.words.administrator = q.value;
        else if (q.key == "location") c.words.location = q.value;
        else if (q.key == "mandatory") c.words.mandatory = q.value;
        else if (q.key == "os") c.os = q.value;
        else if (q.key == "value") c.value = static_cast<int32_t>(std::strtol(q.value.c_str(), nullptr, 10));
        else return fail("unknown config field \"" + q.key + "\"");
      }
      if (!kx::CheckWords(c.words, &why) || !kx::CheckText(c.os, "OS text", &why)) return fail(why);
      layout->config.configs.push_back(c);
      config = &layout->config.configs.back();
    } else if (keyword == "uses" || keyword == "assign") {
      if (!config) return fail(keyword + " before any config");
      if (!kx::CheckName(name, keyword == "uses" ? "product" : "client", &why)) return fail(why);
      (keyword == "uses" ? config->products : config->clients).push_back(name);
    } else {
      return fail("unknown keyword \"" + keyword + "\"");
    }
    if (parts.size() > 1 && (keyword == "language" || keyword == "home" || keyword == "uses" || keyword == "assign"))
      return fail(keyword + " takes one part");
  }
  return true;
}

std::string PrintLayout(const kx::Catalogue &c, const kx::ConfigData &d, bool (*shareable)(const std::string &)) {
  std::string out = "# catalogue generation " + std::to_string(c.generation) + ", configuration generation " +
                    std::to_string(d.generation) + "\n";
  if (c.language) out += "language " + Encode(*c.language) + "\n";
  if (d.resolution)
    out += "resolution " + Encode(d.resolution->administrator) + " | " + Encode(d.resolution->location) + " | " +
           Encode(d.resolution->mandatory) + "\n";
  for (const auto &h : c.homes) {
    out += "home " + Encode(h.name) + "\n";
    for (const auto &p : h.products) {
      out += "product " + Encode(p.name);
      if (p.label) out += " | label=" + Encode(*p.label);
      if (p.version) out += " | version=" + Encode(*p.version);
      if (p.size) out += " | size=" + Encode(*p.size);
      if (shareable && shareable(p.name)) out += " | shareable";
      out += "\n";
    }
  }
  for (const auto &cl : c.clients) {
    out += "client " + Encode(cl.name);
    if (cl.os) out += " | os=" + Encode(*cl.os);
    if (cl.version) out += " | version=" + Encode(*cl.version);
    out += "\n";
  }
  for (const auto &cf : d.configs) {
    out += "config " + Encode(cf.name) + " | admin=" + Encode(cf.words.administrator) +
           " | location=" + Encode(cf.words.location) + " | mandatory=" + Encode(cf.words.mandatory) +
           " | os=" + Encode(cf.os) + " | value=" + std::to_string(cf.value) + "\n";
    for (const auto &p : cf.products) out += "uses " + Encode(p) + "\n";
    for (const auto &cl : cf.clients) out += "assign " + Encode(cl) + "\n";
  }
  return out;
}

}  // namespace rvx
