#include "store_format.h"

#include <cstring>
#include <unordered_set>
#include <vector>

namespace kx {

Configuration *ConfigData::Find(const std::string &name) {
  for (auto &c : configs)
    if (c.name == name) return &c;
  return nullptr;
}
const Configuration *ConfigData::Find(const std::string &name) const {
  return const_cast<ConfigData *>(this)->Find(name);
}

namespace {

// Eight tables, so that the loop takes eight bytes a step ("slicing by
// eight"): every load and commit runs the whole file through it.
struct CrcTables {
  uint32_t t[8][256];
  CrcTables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
      for (int k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  }
};

}  // namespace

uint32_t Crc32(const void *data, size_t size) {
  static const CrcTables tables;
  const uint32_t(*t)[256] = tables.t;
  uint32_t crc = 0xFFFFFFFFu;
  const unsigned char *p = static_cast<const unsigned char *>(data);
  for (; size >= 8; p += 8, size -= 8) {
    uint32_t lo = crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    uint32_t hi = uint32_t(p[4]) | uint32_t(p[5]) << 8 | uint32_t(p[6]) << 16 | uint32_t(p[7]) << 24;
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^ t[3][hi & 0xFF] ^
          t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
  }
  for (; size > 0; ++p, --size) crc = t[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

static const char kHex[] = "0123456789ABCDEF";

// Appends text's field form to out.
static bool Plain(unsigned char b) { return b >= 0x21 && b <= 0x7E && b != '%'; }

static void EscapeInto(std::string &out, const std::string &text) {
  if (text.empty()) {
    out += '%';
    return;
  }
  // Runs of plain bytes are appended whole: most names are one run.
  const char *p = text.data(), *end = p + text.size();
  while (p < end) {
    const char *run = p;
    while (p < end && Plain(static_cast<unsigned char>(*p))) ++p;
    out.append(run, static_cast<size_t>(p - run));
    for (; p < end && !Plain(static_cast<unsigned char>(*p)); ++p) {
      unsigned char b = static_cast<unsigned char>(*p);
      const char escaped[3] = {'%', kHex[b >> 4], kHex[b & 15]};
      out.append(escaped, 3);
    }
  }
}

std::string EscapeField(const std::string &text) {
  std::string out;
  out.reserve(text.size());
  EscapeInto(out, text);
  return out;
}

static int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The text of the escaped field [p, p + n).
static bool UnescapeInto(const char *p, size_t n, std::string *text) {
  text->clear();
  if (n == 1 && p[0] == '%') return true;
  if (n == 0) return false;
  // Most fields hold no escapes: check and copy them whole.
  size_t plain = 0;
  while (plain < n && static_cast<unsigned char>(p[plain]) >= 0x21 && static_cast<unsigned char>(p[plain]) <= 0x7E &&
         p[plain] != '%')
    ++plain;
  text->assign(p, plain);
  for (size_t i = plain; i < n; ++i) {
    unsigned char b = static_cast<unsigned char>(p[i]);
    if (b == '%') {
      if (i + 2 >= n) return false;
      int hi = HexValue(p[i + 1]), lo = HexValue(p[i + 2]);
      if (hi < 0 || lo < 0) return false;
      char v = static_cast<char>(hi * 16 + lo);
      if (v == 0) return false;
      *text += v;
      i += 2;
    } else if (b >= 0x21 && b <= 0x7E) {
      *text += static_cast<char>(b);
    } else {
      return false;
    }
  }
  return true;
}

bool UnescapeField(const std::string &field, std::string *text) {
  return UnescapeInto(field.data(), field.size(), text);
}

// No NUL, CR or LF, and not too long: what every stored text must be.
static bool Storable(const std::string &text) {
  if (text.size() > kMaxNameLength) return false;
  for (char c : text)
    if (c == '\0' || c == '\r' || c == '\n') return false;
  return true;
}

bool CheckText(const std::string &text, const char *what, std::string *err) {
  if (Storable(text)) return true;
  if (text.size() > kMaxNameLength) {
    *err = std::string(what) + " is longer than " + std::to_string(kMaxNameLength) +
           " bytes (" + std::to_string(text.size()) + "): the store cannot hold it";
    return false;
  }
  // A NUL would be written as %00, which no reader takes: the whole file
  // would stop reading. (Texts from the C entry points cannot hold one.)
  if (text.find('\0') != std::string::npos) {
    *err = std::string(what) + " contains a NUL byte: the store cannot hold it";
    return false;
  }
  if (text.find_first_of("\r\n") != std::string::npos) {
    *err = std::string(what) + " \"" + text.substr(0, 64) +
           "\" contains a line break: the store cannot hold it";
    return false;
  }
  return true;
}

bool CheckName(const std::string &name, const char *what, std::string *err) {
  if (!name.empty() && Storable(name)) return true;
  if (name.empty()) {
    *err = std::string("an empty ") + what + " name cannot be stored";
    return false;
  }
  return CheckText(name, (std::string(what) + " name").c_str(), err);
}

bool CheckConfigurationName(const std::string &name, std::string *err) {
  if (!CheckName(name, "configuration", err)) return false;
  if (name.find(',') != std::string::npos) {
    *err = "configuration name \"" + name.substr(0, 64) + "\" contains a comma: configuration names cannot hold one";
    return false;
  }
  return true;
}

bool CheckWords(const Words &w, std::string *err) {
  if (w.administrator != "administrator" && w.administrator != "user") {
    *err = "administrator word \"" + w.administrator.substr(0, 64) +
           "\" is neither \"administrator\" nor \"user\"";
    return false;
  }
  if (w.location != "shared" && w.location != "local" && w.location != "download") {
    *err = "location word \"" + w.location.substr(0, 64) +
           "\" is none of \"shared\", \"local\", \"download\"";
    return false;
  }
  if (w.mandatory != "mandatory" && w.mandatory != "optional") {
    *err = "mandatory word \"" + w.mandatory.substr(0, 64) +
           "\" is neither \"mandatory\" nor \"optional\"";
    return false;
  }
  return true;
}

// ---- writing ---------------------------------------------------------------

namespace {

class LineWriter {
 public:
  LineWriter(const char *kind, uint64_t generation, size_t expected) {
    out_.reserve(expected);
    out_ += "KXSTORE " + std::to_string(kFormatVersion) + " " + kind + " " +
           std::to_string(generation) + "\n";
  }
  LineWriter &Record(const char *tag) {
    out_ += tag;
    return *this;
  }
  LineWriter &Field(const std::string &text) {
    out_ += ' ';
    EscapeInto(out_, text);
    return *this;
  }
  LineWriter &Tagged(const char *tag, const std::optional<std::string> &text) {
    if (text) {
      out_ += ' ';
      out_ += tag;
      out_ += '=';
      EscapeInto(out_, *text);
    }
    return *this;
  }
  void End() { out_ += '\n'; }
  std::string Finish() {
    char crc[16];
    uint32_t v = Crc32(out_.data(), out_.size());
    static const char hex[] = "0123456789abcdef";
    for (int i = 0; i < 8; ++i) crc[i] = hex[(v >> (28 - 4 * i)) & 15];
    crc[8] = 0;
    out_ += "end ";
    out_ += crc;
    out_ += '\n';
    return std::move(out_);
  }

 private:
  std::string out_;
};

}  // namespace

std::string WriteCatalogue(const Catalogue &c) {
  size_t expected = 64;
  for (const auto &h : c.homes) expected += 16 + h.name.size() + h.products.size() * 80;
  expected += c.clients.size() * 48;
  LineWriter w("catalogue", c.generation, expected);
  if (c.language) w.Record("language").Field(*c.language).End();
  for (const auto &h : c.homes) {
    w.Record("home").Field(h.name).End();
    for (const auto &p : h.products)
      w.Record("product").Field(p.name).Tagged("label", p.label).Tagged("version", p.version)
          .Tagged("size", p.size).End();
  }
  for (const auto &cl : c.clients)
    w.Record("client").Field(cl.name).Tagged("os", cl.os).Tagged("version", cl.version).End();
  return w.Finish();
}

static void WriteStamp(LineWriter &w, const Stamp &s) {
  w.Field(std::to_string(s.generation)).Field(s.host).Field(s.user).Field(std::to_string(s.process))
      .Field(std::to_string(s.time)).End();
}

std::string WriteConfigData(const ConfigData &d) {
  size_t expected = 128 + (d.commits.size() + d.removed.size() + 1) * 96;
  for (const auto &r : d.removed) expected += r.name.size();
  for (const auto &c : d.configs) {
    expected += 64 + c.name.size() + c.os.size() + (c.stamp ? 96 : 0);
    for (const auto &p : c.products) expected += 10 + p.size();
    for (const auto &cl : c.clients) expected += 9 + cl.size();
  }
  LineWriter w("config", d.generation, expected);
  for (const auto &s : d.commits) WriteStamp(w.Record("commit"), s);
  for (const auto &r : d.removed) WriteStamp(w.Record("removed").Field(r.name), r.stamp);
  if (d.resolution) {
    w.Record("resolution").Field(d.resolution->administrator).Field(d.resolution->location)
        .Field(d.resolution->mandatory).End();
    if (d.resolutionStamp) WriteStamp(w.Record("stamp"), *d.resolutionStamp);
  }
  for (const auto &c : d.configs) {
    w.Record("config").Field(c.name).Field(c.words.administrator).Field(c.words.location)
        .Field(c.words.mandatory).Field(c.os).Field(std::to_string(c.value)).End();
    if (c.stamp) WriteStamp(w.Record("stamp"), *c.stamp);
    for (const auto &p : c.products) w.Record("product").Field(p).End();
    for (const auto &cl : c.clients) w.Record("client").Field(cl).End();
  }
  return w.Finish();
}

// ---- reading ---------------------------------------------------------------

bool ParseDecimal(const std::string &s, uint64_t *v) {
  if (s.empty() || s.size() > 19) return false;
  uint64_t n = 0;
  for (char ch : s) {
    if (ch < '0' || ch > '9') return false;
    n = n * 10 + static_cast<uint64_t>(ch - '0');
  }
  *v = n;
  return true;
}

namespace {

// A part of the file's bytes: a tag or a field, still escaped.
struct Span {
  const char *p = nullptr;
  size_t n = 0;
  bool Is(const char *text) const { return n == std::strlen(text) && std::memcmp(p, text, n) == 0; }
  // A tag: the compiler compares the few bytes in line.
  template <size_t N>
  bool Is(const char (&text)[N]) const {
    if (n != N - 1) return false;
    for (size_t i = 0; i + 1 < N; ++i)
      if (p[i] != text[i]) return false;
    return true;
  }
  std::string Str(size_t most = std::string::npos) const { return std::string(p, n < most ? n : most); }
};

struct Line {
  size_t number = 0;
  Span tag;
  std::vector<Span> fields;
};

// Reads a store file in place: the frame first (end line, checksum, header),
// then one record line at a time, so that a file of a million lines is never
// held as a million small strings. An empty field is found as the lines are
// split; a line refused for anything else first has the rest of the file
// looked at for one, so the first fault reported is the same as when every
// line was checked for empty fields before any record.
class Reader {
 public:
  Reader(const std::string &path, std::string *err) : path_(path), err_(err) {}

  bool Fail(size_t line, const std::string &what) {
    // An empty field anywhere comes before what any line holds, as when
    // every line was looked at first: the lines not split yet are looked at
    // now. (The lines split so far had none: Next refuses them.)
    size_t number = number_ + 1;
    char previous = '\n';
    for (size_t i = pos_; i < end_; ++i) {
      const char ch = data_[i];
      if ((ch == ' ' || ch == '\n') && (previous == ' ' || previous == '\n')) return EmptyField(number);
      if (ch == '\n') ++number;
      previous = ch;
    }
    *err_ = path_ + ": line " + std::to_string(line) + ": " + what;
    return false;
  }
  bool EmptyField(size_t line) {
    failed_ = true;
    *err_ = path_ + ": line " + std::to_string(line) + ": empty field (double or trailing blank)";
    return false;
  }
  // After the last record: whether a line was refused.
  bool Done() const { return !failed_; }
  bool FailFile(const std::string &what) {
    *err_ = path_ + ": " + what;
    return false;
  }

  // Checks the frame: end line, checksum and header. kind is "catalogue" or
  // "config". Next then hands out the record lines after the header.
  bool Frame(const std::string &bytes, const char *kind, uint64_t *generation) {
    if (bytes.empty()) return FailFile("the file is empty (a torn or truncated store file)");
    if (bytes.back() != '\n') return FailFile("the file does not end with its end line (truncated)");
    size_t lastStart = bytes.rfind('\n', bytes.size() - 2);
    lastStart = (lastStart == std::string::npos) ? 0 : lastStart + 1;
    const char *data = bytes.data();
    // The end line's number, for the texts below: only a failure counts.
    auto lineCount = [&] {
      size_t n = 0;
      for (const char *q = data; (q = static_cast<const char *>(std::memchr(q, '\n', bytes.size() - (q - data))));
           ++q)
        ++n;
      return n;
    };
    std::string last = bytes.substr(lastStart, bytes.size() - 1 - lastStart);
    if (last.size() != 12 || last.compare(0, 4, "end ") != 0)
      return Fail(lineCount(), "the end line with the checksum is missing (truncated file)");
    uint32_t want = 0;
    for (size_t i = 4; i < 12; ++i) {
      char ch = last[i];
      int v = (ch >= '0' && ch <= '9') ? ch - '0' : (ch >= 'a' && ch <= 'f') ? ch - 'a' + 10 : -1;
      if (v < 0) return Fail(lineCount(), "the checksum is not 8 lowercase hex digits");
      want = want * 16 + static_cast<uint32_t>(v);
    }
#ifndef KX_FUZZ_NO_CHECKSUM
    // (The fuzz targets build without this check, so that mutated records
    // reach the parser behind it instead of stopping here.)
    crc_ = want;
    if (Crc32(bytes.data(), lastStart) != want)
      return Fail(lineCount(), "checksum mismatch: the file is damaged or was changed by hand");
#else
    (void)want;
#endif

    if (lastStart == 0) return FailFile("the header line is missing");

    data_ = data;
    end_ = lastStart;
    pos_ = 0;
    number_ = 0;
    Line h;
    if (!Next(&h)) return false;
    if (!h.tag.Is("KXSTORE") || h.fields.size() != 3)
      return Fail(1, "not a store file (header \"KXSTORE <format> <kind> <generation>\" expected)");
    if (h.fields[0].Str() != std::to_string(kFormatVersion))
      return Fail(1, "format version " + h.fields[0].Str() + " is not understood (this library reads " +
                         std::to_string(kFormatVersion) + ")");
    if (!h.fields[1].Is(kind)) return Fail(1, "holds \"" + h.fields[1].Str() + "\" data where \"" + kind + "\" data belong");
    if (!ParseDecimal(h.fields[2].Str(), generation) || *generation == 0)
      return Fail(1, "the generation number is not a positive decimal number");
    return true;
  }

  // The next line of the frame, split at its blanks; false after the last,
  // and for a line with an empty field (an empty line, a blank at either
  // end, two blanks in a row), which Done then reports.
  bool Next(Line *line) {
    if (pos_ >= end_) return false;
    // Lines and fields are short: a loop here beats a library search per
    // field (Wine's memchr goes byte by byte behind a call).
    const char *p = data_ + pos_, *start = p;
    line->number = ++number_;
    line->fields.clear();
    bool first = true;
    for (;; ++p) {
      const char ch = *p;
      if (ch != ' ' && ch != '\n') continue;
      Span part;
      part.p = start;
      part.n = static_cast<size_t>(p - start);
      if (part.n == 0) {
        pos_ = end_;
        return EmptyField(line->number);
      }
      if (first) line->tag = part; else line->fields.push_back(part);
      first = false;
      start = p + 1;
      if (ch == '\n') break;
    }
    pos_ = static_cast<size_t>(p - data_) + 1;
    return true;
  }

  // Five fields from i: generation, host, user, process, time.
  bool StampAt(const Line &l, size_t i, Stamp *s) {
    if (l.fields.size() != i + 5) return Fail(l.number, l.tag.Str() + " takes " + std::to_string(i + 5) + " fields");
    uint64_t process = 0;
    if (!ParseDecimal(l.fields[i].Str(), &s->generation) || !Text(l, i + 1, "host", false, &s->host) ||
        !Text(l, i + 2, "user", false, &s->user) || !ParseDecimal(l.fields[i + 3].Str(), &process) ||
        process > 0xFFFFFFFFu || !ParseSigned(l.fields[i + 4].Str(), &s->time))
      return Fail(l.number, "a stamp is generation, host, user, process and time");
    s->process = static_cast<unsigned long>(process);
    return true;
  }

  static bool ParseSigned(const std::string &s, int64_t *v) {
    bool negative = !s.empty() && s[0] == '-';
    uint64_t magnitude = 0;
    if (!ParseDecimal(s.substr(negative ? 1 : 0), &magnitude) || magnitude > 9223372036854775807ull) return false;
    *v = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return true;
  }

  bool Text(const Line &l, size_t i, const char *what, bool name, std::string *out) {
    // Most fields are plain bytes (no escape): such a field holds no NUL, CR
    // or LF and is not empty, so only its length is left to check.
    const Span &f = l.fields[i];
    size_t plain = 0;
    while (plain < f.n && Plain(static_cast<unsigned char>(f.p[plain]))) ++plain;
    if (plain == f.n && f.n <= kMaxNameLength) {
      out->assign(f.p, f.n);
      return true;
    }
    if (!UnescapeInto(f.p, f.n, out)) return Fail(l.number, std::string("badly escaped ") + what);
    std::string why;
    if (name ? !CheckName(*out, what, &why) : !CheckText(*out, what, &why)) return Fail(l.number, why);
    return true;
  }

  // Optional tagged fields "tag=value" after the positional ones.
  bool Tagged(const Line &l, size_t from, const char *const *tags, std::optional<std::string> *const *outs) {
    for (size_t i = from; i < l.fields.size(); ++i) {
      const Span &f = l.fields[i];
      const char *eqp = static_cast<const char *>(std::memchr(f.p, '=', f.n));
      size_t eq = eqp ? static_cast<size_t>(eqp - f.p) : std::string::npos;
      bool known = false;
      for (size_t t = 0; tags[t]; ++t) {
        if (eq != std::string::npos && std::strlen(tags[t]) == eq && std::memcmp(f.p, tags[t], eq) == 0) {
          if (*outs[t]) return Fail(l.number, std::string("field \"") + tags[t] + "\" given twice");
          std::string v;
          if (!UnescapeInto(f.p + eq + 1, f.n - eq - 1, &v))
            return Fail(l.number, std::string("badly escaped ") + tags[t]);
          std::string why;
          if (!CheckText(v, tags[t], &why)) return Fail(l.number, why);
          *outs[t] = std::move(v);
          known = true;
        }
      }
      if (!known) return Fail(l.number, "unknown field \"" + f.Str(32) + "\"");
    }
    return true;
  }

  uint32_t Crc() const { return crc_; }

 private:
  std::string path_;
  std::string *err_;
  uint32_t crc_ = 0;
  const char *data_ = nullptr;
  size_t end_ = 0, pos_ = 0, number_ = 0;
  bool failed_ = false;
};

}  // namespace

bool ReadCatalogue(const std::string &bytes, const std::string &path, Catalogue *c, std::string *err) {
  *c = Catalogue();
  Reader r(path, err);
  if (!r.Frame(bytes, "catalogue", &c->generation)) return false;
  for (Line l; r.Next(&l);) {
    if (l.tag.Is("language")) {
      if (l.fields.size() != 1) return r.Fail(l.number, "language takes one field");
      if (c->language) return r.Fail(l.number, "a second language line");
      std::string v;
      if (!r.Text(l, 0, "language", true, &v)) return false;
      if (v.size() > kMaxLanguageLength) return r.Fail(l.number, "language abbreviation too long");
      c->language = v;
    } else if (l.tag.Is("home")) {
      if (l.fields.size() != 1) return r.Fail(l.number, "home takes one field");
      Home h;
      if (!r.Text(l, 0, "home", true, &h.name)) return false;
      c->homes.push_back(std::move(h));
    } else if (l.tag.Is("product")) {
      if (c->homes.empty()) return r.Fail(l.number, "a product before any home");
      if (l.fields.empty()) return r.Fail(l.number, "product without a name");
      Product p;
      if (!r.Text(l, 0, "product", true, &p.name)) return false;
      static const char *const tags[] = {"label", "version", "size", nullptr};
      std::optional<std::string> *outs[] = {&p.label, &p.version, &p.size};
      if (!r.Tagged(l, 1, tags, outs)) return false;
      c->homes.back().products.push_back(std::move(p));
    } else if (l.tag.Is("client")) {
      if (l.fields.empty()) return r.Fail(l.number, "client without a name");
      Client cl;
      if (!r.Text(l, 0, "client", true, &cl.name)) return false;
      static const char *const tags[] = {"os", "version", nullptr};
      std::optional<std::string> *outs[] = {&cl.os, &cl.version};
      if (!r.Tagged(l, 1, tags, outs)) return false;
      c->clients.push_back(std::move(cl));
    } else {
      return r.Fail(l.number, "unknown record \"" + l.tag.Str(32) + "\"");
    }
  }
  return r.Done();
}

bool ReadConfigData(const std::string &bytes, const std::string &path, ConfigData *d, std::string *err) {
  *d = ConfigData();
  Reader r(path, err);
  if (!r.Frame(bytes, "config", &d->generation)) return false;
  d->source.size = bytes.size();
  d->source.crc = r.Crc();
  // A stamp belongs to the resolution or configuration line right above it.
  enum { kOther, kResolution, kConfig } previous = kOther;
  std::unordered_set<std::string> names;  // a linear search each would make a long file quadratic
  for (Line l; r.Next(&l);) {
    auto above = previous;
    previous = l.tag.Is("resolution") ? kResolution : l.tag.Is("config") ? kConfig : kOther;
    if (l.tag.Is("stamp")) {
      Stamp s;
      if (!r.StampAt(l, 0, &s)) return false;
      if (above == kResolution) {
        d->resolutionStamp = s;
      } else if (above == kConfig) {
        d->configs.back().stamp = s;
      } else {
        return r.Fail(l.number, "a stamp that follows no resolution or config line");
      }
    } else if (l.tag.Is("commit")) {
      Stamp s;
      if (!r.StampAt(l, 0, &s)) return false;
      if (d->commits.size() >= kMaxCommits) return r.Fail(l.number, "more commit lines than a store keeps");
      d->commits.push_back(s);
    } else if (l.tag.Is("removed")) {
      Removal m;
      if (l.fields.empty()) return r.Fail(l.number, "removed takes a name and a stamp");
      if (!r.Text(l, 0, "configuration", true, &m.name) || !r.StampAt(l, 1, &m.stamp)) return false;
      if (d->removed.size() >= kMaxRemovals) return r.Fail(l.number, "more removed lines than a store keeps");
      d->removed.push_back(std::move(m));
    } else if (l.tag.Is("resolution")) {
      if (l.fields.size() != 3) return r.Fail(l.number, "resolution takes three words");
      if (d->resolution) return r.Fail(l.number, "a second resolution line");
      Words w;
      if (!r.Text(l, 0, "administrator word", false, &w.administrator) ||
          !r.Text(l, 1, "location word", false, &w.location) ||
          !r.Text(l, 2, "mandatory word", false, &w.mandatory))
        return false;
      d->resolution = w;
    } else if (l.tag.Is("config")) {
      if (l.fields.size() != 6) return r.Fail(l.number, "config takes six fields");
      Configuration c;
      std::string value;
      if (!r.Text(l, 0, "configuration", true, &c.name) ||
          !r.Text(l, 1, "administrator word", false, &c.words.administrator) ||
          !r.Text(l, 2, "location word", false, &c.words.location) ||
          !r.Text(l, 3, "mandatory word", false, &c.words.mandatory) ||
          !r.Text(l, 4, "OS text", false, &c.os) || !r.Text(l, 5, "value", true, &value))
        return false;
      bool negative = value[0] == '-';
      uint64_t magnitude = 0;
      if (!ParseDecimal(value.substr(negative ? 1 : 0), &magnitude) ||
          magnitude > (negative ? 2147483648ull : 2147483647ull))
        return r.Fail(l.number, "the value is not a 32-bit decimal number");
      c.value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
      if (!names.insert(c.name).second)
        return r.Fail(l.number, "configuration \"" + c.name.substr(0, 64) + "\" appears twice");
      d->configs.push_back(std::move(c));
    } else if (l.tag.Is("product") || l.tag.Is("client")) {
      const bool product = l.tag.Is("product");
      const std::string tag = product ? "product" : "client";
      if (d->configs.empty()) return r.Fail(l.number, tag + " before any config");
      if (l.fields.size() != 1) return r.Fail(l.number, tag + " takes one field");
      auto &list = product ? d->configs.back().products : d->configs.back().clients;
      if (!r.Text(l, 0, tag.c_str(), true, &list.emplace_back())) return false;
    } else {
      return r.Fail(l.number, "unknown record \"" + l.tag.Str(32) + "\"");
    }
  }
  return r.Done();
}

bool SameSource(const std::string &bytes, const ConfigData &d) {
  if (!d.source.size || bytes.size() != d.source.size || bytes.back() != '\n') return false;
  // "KXSTORE 1 config <generation>\n" ... "end <crc>\n"
  const std::string head = "KXSTORE " + std::to_string(kFormatVersion) + " config " + std::to_string(d.generation) + "\n";
  char tail[16];
  static const char hex[] = "0123456789abcdef";
  std::memcpy(tail, "end ", 4);
  for (int i = 0; i < 8; ++i) tail[4 + i] = hex[(d.source.crc >> (28 - 4 * i)) & 15];
  tail[12] = '\n';
  return bytes.size() > head.size() + 13 && bytes.compare(0, head.size(), head) == 0 &&
         bytes.compare(bytes.size() - 13, 13, tail, 13) == 0 && (bytes.size() == 13 || bytes[bytes.size() - 14] == '\n') &&
         Crc32(bytes.data(), bytes.size() - 13) == d.source.crc;
}

FileSignature SignatureOf(const std::string &written) {
  FileSignature f;
  if (written.size() < 13) return f;
  f.size = written.size();
  for (size_t i = written.size() - 9; i < written.size() - 1; ++i) {
    char ch = written[i];
    f.crc = f.crc * 16 + static_cast<uint32_t>(ch <= '9' ? ch - '0' : ch - 'a' + 10);
  }
  return f;
}

}  // namespace kx
