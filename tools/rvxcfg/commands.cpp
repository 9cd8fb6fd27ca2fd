// The commands: each reads through installation.cpp, decides with model.cpp
// and prints; a refusal is one line on standard error.
#include "commands.h"

#include <algorithm>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "csv.h"
#include "installation.h"
#include "model.h"
#include "system.h"
#include "utc_text.h"

namespace rvxcfg {

namespace {

// One line: the texts of the libraries may hold line breaks.
int Refuse(std::string text) {
  for (char &c : text)
    if (c == '\r' || c == '\n') c = ' ';
  std::fprintf(stderr, "rvxcfg: %s\n", text.c_str());
  return 1;
}

void Print(const std::string &line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// A generation on the command line: a number, or "current" (0).
bool GenerationWord(const std::string &text, uint64_t *g) {
  if (text == "current") {
    *g = 0;
    return true;
  }
  return ParseGeneration(text, g) && *g > 0;
}

}  // namespace

int ExportCommand(const Args &a) {
  const std::string &dir = a.words[0];
  const bool force = a.Has("--force");
  Installation in;
  std::string err;
  uint64_t generation = 0;
  if (!ReadInstallation(0, &in, &err, &generation)) return Refuse(err);
  Format format;
  format.utf8 = a.Has("--utf8");
  format.separator = a.Has("--semicolon") ? ';' : ',';
  Files f;
  if (!Export(in, format, ActiveCodePage(), &f, &err)) return Refuse(err + "; nothing was written");
  // generation.txt last: the set's mark of being whole.
  if (!WriteSet(dir,
                {{kConfigurationsFile, f.configurations},
                 {kProductsFile, f.products},
                 {kAssignmentsFile, f.assignments},
                 {kGenerationFile, WriteOrigin(Origin{generation, Fingerprint(in)})}},
                force, &err))
    return Refuse(err);
  size_t products = 0, clients = 0;
  for (const Config &c : in.configs) {
    products += c.products.size();
    clients += c.clients.size();
  }
  Print("exported " + std::to_string(in.configs.size()) + " configurations, " + std::to_string(products) +
        " product rows, " + std::to_string(clients) + " client rows to " + dir);
  return 0;
}

// The libraries' text of a refused commit lists each conflicting item on a
// line of its own ("- configuration ...: changed here, and ..."), then what
// the program's user can do; this tool says what to do instead.
namespace {

std::string ConflictAdvice(const std::string &text, const std::string &advice) {
  size_t last = text.rfind("\n- ");
  if (last == std::string::npos) return text;
  size_t end = text.find('\n', last + 1);
  return text.substr(0, end) + "\n" + advice;
}

// Makes the change from base to target, merged with current (the store as
// this run read it), and prints what the store becomes; dry: only decides.
int Change(uint64_t baseGeneration, const Installation &base, const Installation &current,
           const Installation &target, bool dry, const std::string &what, const std::string &advice) {
  const Installation after = Merged(base, target, current);
  std::vector<std::string> lines = Describe(current, after);
  if (lines.empty()) {
    Print("nothing to change");
    return 0;
  }
  std::string err;
  if (!Apply(baseGeneration, base, target, dry, &err))
    return Refuse(ConflictAdvice(err, "Nothing was " + what + ": " + advice));
  for (const std::string &l : lines) Print(l);
  if (dry) {
    Print("dry run: nothing was written");
    return 0;
  }
  uint64_t g = 0;
  Print(ReadGeneration(&g, &err) ? what + " as generation " + std::to_string(g) : what);
  return 0;
}

}  // namespace

int ImportCommand(const Args &a) {
  const std::string &dir = a.words[0];
  const bool dry = a.Has("--dry-run"), force = a.Has("--force");
  Files f;
  std::string err, originBytes, originErr;
  if (!ReadWhole(PathIn(dir, kConfigurationsFile), &f.configurations, &err) ||
      !ReadWhole(PathIn(dir, kProductsFile), &f.products, &err) ||
      !ReadWhole(PathIn(dir, kAssignmentsFile), &f.assignments, &err))
    return Refuse(err);
  Installation current, older, target;
  const Installation *base = &current;
  Catalog catalog;
  uint64_t now = 0, from = 0;
  if (!ReadInstallation(0, &current, &err, &now) || !ReadCatalog(&catalog, &err)) return Refuse(err);
  // The files are merged against the generation they were exported from:
  // what others committed since, and the files leave as exported, stays.
  const std::string originPath = PathIn(dir, kGenerationFile);
  Origin origin;
  if (!FileExists(originPath))
    originErr = originPath + " is missing, so the generation the files were exported from is not known";
  else if (ReadWhole(originPath, &originBytes, &originErr) && ReadOrigin(originBytes, originPath, &origin, &originErr)) {
    if (origin.generation != now && ReadInstallation(origin.generation, &older, &originErr))
      base = &older;
    else if (origin.generation != now)
      originErr = "the files were exported from generation " + std::to_string(origin.generation) + ", which " +
                  (originErr.find("is not kept") != std::string::npos ? "is no longer kept" : "cannot be read: " + originErr);
    if (originErr.empty() && Fingerprint(*base) != origin.content)
      originErr = "generation " + std::to_string(origin.generation) +
                  " of this store is not what the files were exported from (another installation, or a new layout)";
    if (originErr.empty()) from = origin.generation;
  }
  if (!originErr.empty()) {
    if (!force)
      return Refuse(originErr + "; nothing was imported: export again and make the edits there, or import with "
                                "--force to make the store equal to the files, overwriting what others committed");
    Print("--force: " + originErr + "; the files overwrite the store as it is (generation " + std::to_string(now) +
          ")");
    base = &current;
  }
  if (!Import(f, dir, *base, catalog, ActiveCodePage(), &target, &err)) return Refuse(err + "; nothing was imported");
  return Change(from, *base, current, target, dry, "imported",
                "bring these configurations in the files back to what they were, or export again and make the "
                "edits there.");
}

int WhereCommand(const Args &a) {
  const std::string &client = a.words[0];
  Installation in;
  Catalog catalog;
  std::string err;
  if (!ReadInstallation(0, &in, &err) || !ReadCatalog(&catalog, &err)) return Refuse(err);
  int found = 0;
  for (const Config &c : in.configs) {
    if (std::find(c.clients.begin(), c.clients.end(), client) == c.clients.end()) continue;
    ++found;
    std::string products;
    for (const std::string &p : c.products) products += (products.empty() ? "" : ", ") + Quoted(p);
    Print(Quoted(c.name) + ": system " + Quoted(c.os) + "; " + c.words.administrator + ", " + c.words.location +
          ", " + c.words.mandatory + "; products: " + (products.empty() ? "(none)" : products));
  }
  if (!found && !catalog.clients.count(client))
    return Refuse("client " + Quoted(client) + " is not listed among the installation's clients");
  if (!found) Print("no configuration lists client " + Quoted(client));
  return 0;
}

int HistoryCommand(const Args &) {
  std::vector<kxc::HistoryEntry> entries;
  std::string err;
  uint64_t current = 0;
  if (!ReadHistory(&entries, &err)) return Refuse(err);
  // The history also lists a store whose configuration file does not read:
  // it is what recovers it.
  std::string unread;
  const bool damaged = !ReadGeneration(&current, &unread);
  if (entries.empty()) Print("no commit recorded yet");
  for (const kxc::HistoryEntry &h : entries) {
    const unsigned *n = h.counts;
    std::string line = "generation " + std::to_string(h.generation) + "  " + kx::UtcText(h.time) + "  " + h.host +
                       "\\" + h.user + "  configurations +" + std::to_string(n[0]) + " -" + std::to_string(n[1]) + " ~" +
                       std::to_string(n[2]) + ", products +" + std::to_string(n[3]) + " -" + std::to_string(n[4]) +
                       ", clients +" + std::to_string(n[5]) + " -" + std::to_string(n[6]) +
                       (n[7] ? ", default changed" : "");
    if (h.generation == current)
      line += "  (current)";
    else if (!h.kept)
      line += "  (no longer kept)";
    Print(line);
  }
  if (damaged)
    Refuse("the store does not read (" + unread +
           "); rvxcfg restore G writes the kept generation G back as the next generation");
  return 0;
}

int DiffCommand(const Args &a) {
  uint64_t from = 0, to = 0;
  for (size_t i = 0; i < 2; ++i)
    if (!GenerationWord(a.words[i], i ? &to : &from))
      return BadUsage(Quoted(a.words[i]) + " is neither a generation number nor \"current\"");
  Installation older, newer;
  std::string err;
  if (!ReadInstallation(from, &older, &err) || !ReadInstallation(to, &newer, &err)) return Refuse(err);
  std::vector<std::string> lines = Describe(older, newer);
  for (const std::string &l : lines) Print(l);
  if (lines.empty()) Print("no difference");
  return 0;
}

int RestoreCommand(const Args &a) {
  uint64_t g = 0;
  if (!GenerationWord(a.words[0], &g) || !g)
    return BadUsage(Quoted(a.words[0]) + " is not a generation number (history lists them)");
  const bool dry = a.Has("--dry-run");
  Installation current, old;
  std::string err, unread;
  // The store as it is first: it is this run's starting point, so that a
  // commit made meanwhile is not overwritten blindly.
  if (!ReadInstallation(0, &current, &unread)) {
    // It does not read: a kept generation replaces it, if the libraries
    // find it damaged under their lock.
    if (!ReadInstallation(g, &old, &err)) return Refuse(unread + "; " + err);
    if (dry) {
      Print("generation " + std::to_string(g) + " (" + std::to_string(old.configs.size()) +
            " configurations) would replace the store, which does not read (" + unread + ")");
      Print("dry run: nothing was written");
      return 0;
    }
    if (!ReplaceDamaged(g, &err)) return Refuse(err);
    uint64_t now = 0;
    Print("restored generation " + std::to_string(g) + (ReadGeneration(&now, &err) ? " as generation " + std::to_string(now) : "") +
          ", replacing a damaged store (" + unread + ")");
    return 0;
  }
  if (!ReadInstallation(g, &old, &err)) return Refuse(err);
  // The store's order for what both hold, then what only the old one has.
  Installation target;
  target.resolution = old.resolution ? old.resolution : current.resolution;
  for (const Config &c : current.configs)
    if (const Config *o = old.Find(c.name)) target.configs.push_back(*o);
  for (const Config &o : old.configs)
    if (!current.Find(o.name)) target.configs.push_back(o);
  return Change(0, current, current, target, dry, "restored generation " + std::to_string(g),
                "restore again, or restore only after those commits.");
}

namespace {

const char kAgain[] = "run the command again: it starts from the store as it is then.";

// The words after the first, with "-" standing for standard input: one name
// a line (CRLF or LF; empty lines skipped), in UTF-8 after a byte-order mark,
// else in the code page.
bool Names(const Args &a, std::vector<std::string> *names, std::string *err) {
  for (size_t i = 1; i < a.words.size(); ++i) {
    if (a.words[i] != "-") {
      names->push_back(a.words[i]);
      continue;
    }
    _setmode(_fileno(stdin), _O_BINARY);
    std::string bytes;
    char buf[65536];
    for (size_t got; (got = std::fread(buf, 1, sizeof buf, stdin)) > 0;) bytes.append(buf, got);
    const bool utf8 = csv::StartsWithByteOrderMark(bytes);
    const std::vector<std::string> lines = csv::Lines(utf8 ? bytes.substr(3) : bytes);
    for (size_t line = 0; line < lines.size(); ++line) {
      std::string converted, why;
      if (lines[line].empty()) continue;
      if (utf8 && !ActiveCodePage().FromUtf8(lines[line], &converted, &why)) {
        *err = "standard input: line " + std::to_string(line + 1) + ": " + Quoted(lines[line]) + " " + why;
        return false;
      }
      names->push_back(utf8 ? converted : lines[line]);
    }
  }
  return true;
}

// The configuration a command names, or why there is none.
const Config *Named(const Installation &in, const std::string &name, std::string *err) {
  if (const Config *c = in.Find(name)) return c;
  *err = "no configuration " + Quoted(name);
  for (const Config &c : in.configs)
    if (ActiveCodePage().Fold(c.name) == ActiveCodePage().Fold(name)) *err += " (there is " + Quoted(c.name) + ")";
  return nullptr;
}

int EditList(const Args &a, std::vector<std::string> Config::*list, bool add) {
  const bool clients = list == &Config::clients;
  Installation current;
  Catalog catalog;
  std::vector<std::string> names, notes;
  std::string err;
  if (std::count(a.words.begin(), a.words.end(), "-") > 1) return BadUsage("\"-\" (standard input) is given twice");
  if (!Names(a, &names, &err)) return Refuse(err);
  if (!ReadInstallation(0, &current, &err) || !ReadCatalog(&catalog, &err)) return Refuse(err);
  const Config *named = Named(current, a.words[0], &err);
  if (!named) return Refuse(err);
  Installation target = current;
  Config *c = &target.configs[named - current.configs.data()];
  if (!EditList(c, list, add, names, clients ? catalog.clients : catalog.products, clients ? "client" : "product",
                clients ? "is not listed among the installation's clients" : "is not installed", &notes, &err))
    return Refuse(err + "; nothing was stored");
  for (const std::string &n : notes) Print(n);
  return Change(0, current, current, target, a.Has("--dry-run"), "stored", kAgain);
}

}  // namespace

int ShowCommand(const Args &a) {
  Installation in;
  std::string err;
  if (!ReadInstallation(0, &in, &err)) return Refuse(err);
  const Config *c = Named(in, a.words[0], &err);
  if (!c) return Refuse(err);
  Print("name: " + c->name);
  Print("system: " + c->os);
  Print("administrator: " + c->words.administrator);
  Print("location: " + c->words.location);
  Print("mandatory: " + c->words.mandatory);
  for (const std::string &p : c->products) Print("product: " + p);
  for (const std::string &n : c->clients) Print("client: " + n);
  return 0;
}

int AssignCommand(const Args &a) { return EditList(a, &Config::clients, true); }
int UnassignCommand(const Args &a) { return EditList(a, &Config::clients, false); }
int AddProductCommand(const Args &a) { return EditList(a, &Config::products, true); }
int RemoveProductCommand(const Args &a) { return EditList(a, &Config::products, false); }

int CopyCommand(const Args &a) {
  Installation current;
  std::string err;
  if (!ReadInstallation(0, &current, &err)) return Refuse(err);
  const Config *from = Named(current, a.words[0], &err);
  if (!from || !CheckNewName(current, a.words[1], ActiveCodePage(), &err)) return Refuse(err + "; nothing was stored");
  // Products, system and words; no clients, and the value a new one gets.
  Config copy;
  copy.name = a.words[1];
  copy.os = from->os;
  copy.words = from->words;
  copy.products = from->products;
  Installation target = current;
  target.configs.push_back(copy);
  return Change(0, current, current, target, a.Has("--dry-run"), "stored", kAgain);
}

}  // namespace rvxcfg
