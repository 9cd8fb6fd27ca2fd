#include "model.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "csv.h"

namespace rvxcfg {

const char kConfigurationsFile[] = "configurations.csv";
const char kProductsFile[] = "products.csv";
const char kAssignmentsFile[] = "assignments.csv";
const char kGenerationFile[] = "generation.txt";

std::string Quoted(const std::string &s) {
  std::string q = "\"";
  for (size_t i = 0; i < s.size() && i < 80; ++i) q += s[i] == '"' ? "\"\"" : std::string(1, s[i]);
  return q + (s.size() > 80 ? "...\"" : "\"");
}

namespace {

const std::vector<std::string> kConfigurationsHeader = {"name", "operating system", "administrator", "location",
                                                        "mandatory"};
const std::vector<std::string> kProductsHeader = {"configuration", "product", "position"};
const std::vector<std::string> kAssignmentsHeader = {"configuration", "client", "position"};

// The store's limits: names of 1..1024 bytes without CR or LF, and lists
// that a 16-bit count can give back.
const size_t kMaxName = 1024;
const size_t kMaxList = 65535;


bool StorableName(const std::string &s, std::string *why) {
  if (s.empty()) {
    *why = "is empty";
    return false;
  }
  if (s.size() > kMaxName) {
    *why = "is longer than " + std::to_string(kMaxName) + " bytes";
    return false;
  }
  if (s.find_first_of("\r\n") != std::string::npos) {
    *why = "holds a line break";
    return false;
  }
  return true;
}

bool StorableText(const std::string &s, std::string *why) {
  if (s.size() > kMaxName) {
    *why = "is longer than " + std::to_string(kMaxName) + " bytes";
    return false;
  }
  if (s.find_first_of("\r\n") != std::string::npos) {
    *why = "holds a line break";
    return false;
  }
  return true;
}

bool GoodWords(const Words &w, std::string *why) {
  if (w.administrator != "administrator" && w.administrator != "user") {
    *why = "administrator " + Quoted(w.administrator) + " is neither \"administrator\" nor \"user\"";
    return false;
  }
  if (w.location != "shared" && w.location != "local" && w.location != "download") {
    *why = "location " + Quoted(w.location) + " is none of \"shared\", \"local\", \"download\"";
    return false;
  }
  if (w.mandatory != "mandatory" && w.mandatory != "optional") {
    *why = "mandatory " + Quoted(w.mandatory) + " is neither \"mandatory\" nor \"optional\"";
    return false;
  }
  return true;
}

class Reader {
 public:
  Reader(const std::string &dir, const CodePage &cp, std::function<bool(const std::string &)> known,
         std::string *err)
      : dir_(dir), cp_(cp), known_(known), err_(err) {}
  // The records after the header, each cell as the store holds it; blank
  // lines are skipped.
  bool Records(const std::string &bytes, const char *file, const std::vector<std::string> &header,
               std::vector<csv::Record> *out) {
    file_ = file;
    const bool marked = csv::StartsWithByteOrderMark(bytes);
    std::string stripped;
    if (marked) stripped = bytes.substr(3);
    const std::string &body = marked ? stripped : bytes;
    std::vector<csv::Record> all;
    std::string why, first;
    if (!csv::Parse(body, &all, &why, csv::SeparatorOf(body))) return Fail(why);
    const bool unmarkedUtf8 = !marked && csv::LooksUtf8(body);
    out->clear();
    for (size_t i = 0; i < all.size(); ++i) {
      csv::Record &r = all[i];
      for (size_t k = 0; k < r.fields.size(); ++k) {
        std::string &f = r.fields[k];
        if (csv::BeyondAscii(f)) {
          std::string converted;
          if (marked && !cp_.FromUtf8(f, &converted, &why)) return Fail(r.line, k, Quoted(f) + " " + why);
          if (marked) f.swap(converted);
          if (unmarkedUtf8 && !known_(f))
            return Fail(r.line, k,
                        "the file reads as UTF-8 without a byte-order mark, so " + Quoted(f) +
                            " would be taken for another name: save it as UTF-8 with the mark (\"CSV UTF-8\") or "
                            "in code page " + std::to_string(cp_.Number()) + ", as export --utf8 and export write it");
        }
        if (!csv::Unguard(&f, &first))
          return Fail(r.line, k,
                      Quoted(f) + " starts with " + first +
                          ", which a spreadsheet runs as a formula: write it with an apostrophe in front, as "
                          "export does");
      }
      if (i == 0) {
        if (r.fields == header) continue;
        std::string want;
        for (const std::string &h : header) want += (want.empty() ? "" : ",") + h;
        return Fail(r.line, "the first line must be the header \"" + want + "\" (or with semicolons)");
      }
      if (r.fields.size() == 1 && r.fields[0].empty()) continue;
      if (r.fields.size() != header.size())
        return Fail(r.line, std::to_string(r.fields.size()) + " fields where the header has " +
                                std::to_string(header.size()));
      out->push_back(std::move(r));
    }
    if (all.empty()) return Fail(1, "the first line must be the header");
    return true;
  }
  bool Fail(size_t line, size_t field, const std::string &what) {
    return Fail("line " + std::to_string(line) + ", column " + std::to_string(field + 1) + ": " + what);
  }
  bool Fail(size_t line, const std::string &what) { return Fail("line " + std::to_string(line) + ": " + what); }
  bool Fail(const std::string &what) {
    *err_ = dir_ + "\\" + file_ + ": " + what;
    return false;
  }

 private:
  std::string dir_;
  const CodePage &cp_;
  std::function<bool(const std::string &)> known_;
  std::string *err_;
  std::string file_;
};

bool Position(const std::string &text, unsigned long *out) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *out = std::stoul(text);
  return *out > 0;
}

// products.csv or assignments.csv into each configuration's list.
bool ReadMembers(Reader &rd, const std::string &bytes, const char *file, const std::vector<std::string> &header,
                 const char *what, const std::unordered_set<std::string> &known, const char *unknown,
                 std::vector<std::string> Config::*member, const Installation &current,
                 std::map<std::string, size_t> &index, Installation *out) {
  std::vector<csv::Record> rows;
  if (!rd.Records(bytes, file, header, &rows)) return false;
  // (the names move out of the rows only after every row was checked)
  // Each configuration's rows as (position, row), sorted at the end; names
  // seen point into the rows, which outlive them.
  std::vector<std::vector<std::pair<unsigned long, size_t>>> byPosition(out->configs.size());
  std::vector<std::unordered_set<std::string_view>> seen(out->configs.size());
  std::unordered_map<std::string, std::unordered_set<std::string>> storedSets;
  for (size_t row = 0; row < rows.size(); ++row) {
    const csv::Record &r = rows[row];
    const std::string &cfg = r.fields[0], &name = r.fields[1];
    auto it = index.find(cfg);
    if (it == index.end())
      return rd.Fail(r.line, "configuration " + Quoted(cfg) + " is not in " + kConfigurationsFile);
    std::string why;
    if (!StorableName(name, &why)) return rd.Fail(r.line, std::string("the ") + what + " name " + why);
    // Entries the store already holds stay, as the program keeps them (a
    // set of them made only for a configuration that names one).
    if (!known.count(name)) {
      const Config *stored = current.Find(cfg);
      auto held = storedSets.find(cfg);
      if (stored && held == storedSets.end())
        held = storedSets.emplace(cfg, std::unordered_set<std::string>((stored->*member).begin(),
                                                                       (stored->*member).end())).first;
      if (!stored || !held->second.count(name))
        return rd.Fail(r.line, std::string(what) + " " + Quoted(name) + " " + unknown);
    }
    unsigned long pos = 0;
    if (!Position(r.fields[2], &pos))
      return rd.Fail(r.line, "position " + Quoted(r.fields[2]) + " is not a whole number from 1 to 999999999");
    size_t k = it->second;
    if (!seen[k].insert(name).second)
      return rd.Fail(r.line, "a duplicate: " + std::string(what) + " " + Quoted(name) + " is listed twice for " +
                                 Quoted(cfg));
    byPosition[k].emplace_back(pos, row);
    if (byPosition[k].size() > kMaxList)
      return rd.Fail(r.line, Quoted(cfg) + " lists more than " + std::to_string(kMaxList) + " " + what + "s");
  }
  for (size_t k = 0; k < out->configs.size(); ++k) {
    std::vector<std::pair<unsigned long, size_t>> &list = byPosition[k];
    std::sort(list.begin(), list.end());
    for (size_t i = 1; i < list.size(); ++i)
      if (list[i].first == list[i - 1].first) {
        const csv::Record &r = rows[std::max(list[i].second, list[i - 1].second)];
        return rd.Fail(r.line, "a duplicate: position " + std::to_string(list[i].first) + " is given twice for " +
                                   Quoted(r.fields[0]));
      }
    std::vector<std::string> &names = out->configs[k].*member;
    names.reserve(list.size());
    for (const auto &p : list) names.push_back(std::move(rows[p.second].fields[1]));
  }
  return true;
}

std::string Join(const std::vector<std::string> &names) {
  std::string s;
  const size_t shown = 10;
  for (size_t i = 0; i < names.size() && i < shown; ++i) s += (i ? ", " : "") + Quoted(names[i]);
  if (names.size() > shown) s += " and " + std::to_string(names.size() - shown) + " more";
  return s;
}

// Names in from but not in in (as many times as they are more often).
std::vector<std::string> Missing(const std::vector<std::string> &from, const std::vector<std::string> &in) {
  std::unordered_map<std::string_view, long> n;
  n.reserve(in.size());
  for (const std::string &s : in) ++n[s];
  std::vector<std::string> out;
  for (const std::string &s : from) {
    auto it = n.find(s);
    if (it == n.end() || it->second-- <= 0) out.push_back(s);
  }
  return out;
}

void DescribeList(const char *what, const std::vector<std::string> &before, const std::vector<std::string> &after,
                  std::vector<std::string> *parts) {
  if (before == after) return;
  // An edit touches a few entries: only what lies between the common start
  // and the common end is compared as a whole.
  size_t head = 0, tail = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
    ++tail;
  const std::vector<std::string> b(before.begin() + head, before.end() - tail),
      a(after.begin() + head, after.end() - tail);
  std::vector<std::string> added = Missing(a, b), removed = Missing(b, a);
  if (!added.empty()) parts->push_back(std::to_string(added.size()) + " " + what + " added: " + Join(added));
  if (!removed.empty()) parts->push_back(std::to_string(removed.size()) + " " + what + " removed: " + Join(removed));
  if (added.empty() && removed.empty()) parts->push_back(std::string(what) + " reordered");
}

std::string WordsText(const Words &w) { return w.administrator + " " + w.location + " " + w.mandatory; }

}  // namespace

const Config *Installation::Find(const std::string &name) const {
  if (indexed_ != configs.size()) {
    index_.clear();
    index_.reserve(configs.size());
    for (size_t i = 0; i < configs.size(); ++i) index_.emplace(configs[i].name, i);
    indexed_ = configs.size();
  }
  auto it = index_.find(name);
  return it == index_.end() ? nullptr : &configs[it->second];
}

bool Export(const Installation &in, const Format &format, const CodePage &cp, Files *out, std::string *err) {
  std::vector<std::string> cells;
  auto line = [&](std::string *to) {
    for (std::string &c : cells) {
      c = csv::Guard(c);
      std::string utf8, why;
      if (format.utf8 && csv::BeyondAscii(c)) {
        if (!cp.ToUtf8(c, &utf8, &why)) {
          *err = "the store's text " + Quoted(c) + " cannot be written as UTF-8: it " + why;
          return false;
        }
        c.swap(utf8);
      }
    }
    *to += csv::Line(cells, format.separator);
    return true;
  };
  Files f;
  f.configurations = f.products = f.assignments = format.utf8 ? csv::kByteOrderMark : "";
  cells = kConfigurationsHeader;
  line(&f.configurations);
  cells = kProductsHeader;
  line(&f.products);
  cells = kAssignmentsHeader;
  line(&f.assignments);
  // The installation-wide default is the row without a name: no
  // configuration can have an empty one.
  const Words *w = in.resolution ? &*in.resolution : nullptr;
  cells = {"", "", w ? w->administrator : "", w ? w->location : "", w ? w->mandatory : ""};
  if (w && !line(&f.configurations)) return false;
  for (const Config &c : in.configs) {
    cells = {c.name, c.os, c.words.administrator, c.words.location, c.words.mandatory};
    if (!line(&f.configurations)) return false;
    for (size_t i = 0; i < c.products.size(); ++i) {
      cells = {c.name, c.products[i], std::to_string(i + 1)};
      if (!line(&f.products)) return false;
    }
    for (size_t i = 0; i < c.clients.size(); ++i) {
      cells = {c.name, c.clients[i], std::to_string(i + 1)};
      if (!line(&f.assignments)) return false;
    }
  }
  *out = std::move(f);
  return true;
}

bool Import(const Files &files, const std::string &dir, const Installation &base, const Catalog &catalog,
            const CodePage &cp, Installation *out, std::string *err) {
  const Installation &current = base;
  // Every name the files may rightly hold; made only for a file that reads
  // as UTF-8 without a mark.
  std::unordered_set<std::string> known;
  auto isKnown = [&](const std::string &name) {
    if (known.empty()) {
      known.insert(catalog.products.begin(), catalog.products.end());
      known.insert(catalog.clients.begin(), catalog.clients.end());
      for (const Config &c : base.configs) {
        known.insert({c.name, c.os, c.words.administrator, c.words.location, c.words.mandatory});
        known.insert(c.products.begin(), c.products.end());
        known.insert(c.clients.begin(), c.clients.end());
      }
      if (base.resolution)
        known.insert({base.resolution->administrator, base.resolution->location, base.resolution->mandatory});
      known.insert("");
    }
    return known.count(name) != 0;
  };
  Reader rd(dir, cp, isKnown, err);
  std::vector<csv::Record> rows;
  if (!rd.Records(files.configurations, kConfigurationsFile, kConfigurationsHeader, &rows)) return false;
  Installation next;
  std::vector<Config> listed;
  // A new name may not differ from another only in letter case, by the code
  // page's rules (as the program's filter compares).
  std::map<std::string, size_t> byLower;
  std::map<std::string, size_t> rowOf;
  bool sawDefault = false;
  for (const csv::Record &r : rows) {
    Words w{r.fields[2], r.fields[3], r.fields[4]};
    std::string why;
    if (r.fields[0].empty()) {  // the installation-wide default
      if (sawDefault) return rd.Fail(r.line, "a duplicate: a second row of the installation-wide default");
      sawDefault = true;
      if (!r.fields[1].empty())
        return rd.Fail(r.line, "the installation-wide default (the row without a name) has no operating system");
      if (!GoodWords(w, &why) && !(current.resolution && *current.resolution == w)) return rd.Fail(r.line, why);
      next.resolution = w;
      continue;
    }
    Config c;
    c.name = r.fields[0];
    c.os = r.fields[1];
    c.words = w;
    if (!StorableName(c.name, &why)) return rd.Fail(r.line, "the configuration name " + why);
    const Config *stored = current.Find(c.name);
    // A comma the store already holds stays, as the program keeps it.
    if (c.name.find(',') != std::string::npos && !stored)
      return rd.Fail(r.line, "the configuration name " + Quoted(c.name) +
                                 " holds a comma, which the program's lists cannot show");
    if (!StorableText(c.os, &why)) return rd.Fail(r.line, "the operating system " + why);
    if (!GoodWords(w, &why) && !(stored && stored->words == w)) return rd.Fail(r.line, why);
    if (rowOf.count(c.name))
      return rd.Fail(r.line, "a duplicate: configuration " + Quoted(c.name) + " is also on line " +
                                 std::to_string(rowOf[c.name]));
    auto other = byLower.find(cp.Fold(c.name));
    if (other != byLower.end() && !(stored && current.Find(listed[other->second].name)))
      return rd.Fail(r.line, "a duplicate: configuration " + Quoted(c.name) + " differs from " +
                                 Quoted(listed[other->second].name) + " only in letter case");
    if (listed.size() >= kMaxList) return rd.Fail(r.line, "more than 65535 configurations");
    rowOf[c.name] = r.line;
    byLower.emplace(cp.Fold(c.name), listed.size());
    c.value = stored ? stored->value : 0;
    listed.push_back(c);
  }
  if (!sawDefault) next.resolution = current.resolution;  // no row: the default stays as it is
  std::map<std::string, size_t> index;
  for (size_t k = 0; k < listed.size(); ++k) index[listed[k].name] = k;
  Installation members;
  members.configs = std::move(listed);
  if (!ReadMembers(rd, files.products, kProductsFile, kProductsHeader, "product", catalog.products,
                   "is not installed", &Config::products, current, index, &members) ||
      !ReadMembers(rd, files.assignments, kAssignmentsFile, kAssignmentsHeader, "client", catalog.clients,
                   "is not listed among the installation's clients", &Config::clients, current, index, &members))
    return false;
  // The store's order for configurations it holds, then the new ones.
  std::vector<bool> held(members.configs.size());
  for (const Config &c : current.configs) {
    auto it = index.find(c.name);
    if (it == index.end()) continue;
    held[it->second] = true;
    next.configs.push_back(std::move(members.configs[it->second]));
  }
  for (size_t k = 0; k < members.configs.size(); ++k)
    if (!held[k]) next.configs.push_back(std::move(members.configs[k]));
  *out = std::move(next);
  return true;
}

bool ParseGeneration(const std::string &text, uint64_t *g) {
  if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *g = std::strtoull(text.c_str(), nullptr, 10);
  return true;
}

std::string WriteOrigin(const Origin &o) {
  return "# The store's generation these files were exported from; import merges the files against it.\r\n"
         "generation " + std::to_string(o.generation) + "\r\ncontent " + o.content + "\r\n";
}

bool ReadOrigin(const std::string &bytes, const std::string &path, Origin *o, std::string *err) {
  *o = Origin();
  const std::vector<std::string> lines = csv::Lines(bytes);
  for (size_t line = 1; line <= lines.size(); ++line) {
    const std::string &text = lines[line - 1];
    if (text.empty() || text[0] == '#') continue;
    const size_t blank = text.find(' ');
    const std::string key = text.substr(0, blank), value = blank == std::string::npos ? "" : text.substr(blank + 1);
    if (key == "generation" && ParseGeneration(value, &o->generation))
      continue;
    if (key == "content" && value.size() == 16 && value.find_first_not_of("0123456789abcdef") == std::string::npos)
      o->content = value;
    else {
      *err = path + ": line " + std::to_string(line) + ": " + Quoted(text) +
             " is neither \"generation N\" nor \"content\" and 16 hexadecimal digits";
      return false;
    }
  }
  if (o->generation && !o->content.empty()) return true;
  *err = path + ": names no " + (o->generation ? "content" : "generation");
  return false;
}

// FNV-1a over every field with a separator no name holds: cheap, and enough
// to tell two different installations' generations of one number apart.
std::string Fingerprint(const Installation &in) {
  uint64_t h = 14695981039346656037ull;
  auto add = [&h](const std::string &text) {
    for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
    h = (h ^ 0u) * 1099511628211ull;
  };
  auto words = [&add](const Words &w) {
    add(w.administrator);
    add(w.location);
    add(w.mandatory);
  };
  add(in.resolution ? "default" : "no default");
  if (in.resolution) words(*in.resolution);
  for (const Config &c : in.configs) {
    add(c.name);
    add(c.os);
    words(c.words);
    add(std::to_string(c.value));
    add(std::to_string(c.products.size()));
    for (const std::string &p : c.products) add(p);
    add(std::to_string(c.clients.size()));
    for (const std::string &n : c.clients) add(n);
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

Installation Merged(const Installation &base, const Installation &mine, const Installation &theirs) {
  auto changed = [&base](const Config *m, const std::string &name) {
    const Config *b = base.Find(name);
    return m && b ? !(m->SameContent(*b) && m->value == b->value) : m != b;
  };
  Installation out;
  out.resolution = mine.resolution != base.resolution ? mine.resolution : theirs.resolution;
  for (const Config &t : theirs.configs) {
    const Config *m = mine.Find(t.name);
    if (!changed(m, t.name))
      out.configs.push_back(t);
    else if (m)
      out.configs.push_back(*m);
  }
  for (const Config &m : mine.configs)
    if (!theirs.Find(m.name) && changed(&m, m.name)) out.configs.push_back(m);
  return out;
}

bool EditList(Config *c, std::vector<std::string> Config::*list, bool add, const std::vector<std::string> &names,
              const std::unordered_set<std::string> &known, const char *what, const char *unknown,
              std::vector<std::string> *notes, std::string *err) {
  std::vector<std::string> &entries = c->*list;
  const std::unordered_set<std::string> listed(entries.begin(), entries.end());
  std::unordered_set<std::string> given;
  for (const std::string &n : names) {
    std::string why;
    if (!StorableName(n, &why)) {
      *err = std::string("the ") + what + " name " + Quoted(n) + " " + why;
      return false;
    }
    if (!given.insert(n).second) {
      *err = std::string("a duplicate: ") + what + " " + Quoted(n) + " is given twice";
      return false;
    }
    const bool there = listed.count(n) != 0;
    if (!there && !known.count(n)) {
      *err = std::string(what) + " " + Quoted(n) + " " + unknown;
      return false;
    }
    if (add && !there) entries.push_back(n);
    if (add == there) notes->push_back(what + (" " + Quoted(n)) + (there ? " is listed already in " : " is not listed in ") +
                                       Quoted(c->name));
  }
  if (!add)
    entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const std::string &e) { return given.count(e) != 0; }),
                  entries.end());
  if (entries.size() > kMaxList) {
    *err = Quoted(c->name) + " would list more than " + std::to_string(kMaxList) + " " + what + "s";
    return false;
  }
  return true;
}

bool CheckNewName(const Installation &in, const std::string &name, const CodePage &cp, std::string *err) {
  std::string why;
  if (!StorableName(name, &why) || name.find(',') != std::string::npos) {
    *err = "the configuration name " + Quoted(name) + " " + (why.empty() ? "holds a comma, which the program's lists cannot show" : why);
    return false;
  }
  const std::string folded = cp.Fold(name);
  for (const Config &c : in.configs)
    if (cp.Fold(c.name) == folded) {
      *err = "configuration " + Quoted(name) +
             (c.name == name ? " exists already" : " differs from " + Quoted(c.name) + " only in letter case");
      return false;
    }
  return true;
}

std::vector<std::string> Describe(const Installation &before, const Installation &after) {
  std::vector<std::string> lines;
  if (before.resolution != after.resolution) {
    auto text = [](const std::optional<Words> &w) { return w ? WordsText(*w) : std::string("(none)"); };
    lines.push_back("installation-wide default: " + text(before.resolution) + " -> " + text(after.resolution));
  }
  for (const Config &b : before.configs)
    if (!after.Find(b.name))
      lines.push_back("removed " + Quoted(b.name) + " (" + std::to_string(b.products.size()) + " products, " +
                      std::to_string(b.clients.size()) + " clients)");
  for (const Config &a : after.configs) {
    const Config *b = before.Find(a.name);
    if (!b) {
      lines.push_back("added " + Quoted(a.name) + ": " + Quoted(a.os) + ", " + WordsText(a.words) + ", " +
                      std::to_string(a.products.size()) + " products, " + std::to_string(a.clients.size()) +
                      " clients");
      continue;
    }
    std::vector<std::string> parts;
    if (b->os != a.os) parts.push_back("operating system " + Quoted(b->os) + " -> " + Quoted(a.os));
    if (b->words != a.words) parts.push_back(WordsText(b->words) + " -> " + WordsText(a.words));
    DescribeList("products", b->products, a.products, &parts);
    DescribeList("clients", b->clients, a.clients, &parts);
    if (parts.empty()) continue;
    std::string line = "changed " + Quoted(a.name) + ": ";
    for (size_t i = 0; i < parts.size(); ++i) line += (i ? "; " : "") + parts[i];
    lines.push_back(line);
  }
  return lines;
}

}  // namespace rvxcfg
