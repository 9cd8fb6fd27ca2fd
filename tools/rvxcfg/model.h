// What rvxcfg moves between the store and its three files, as plain values,
// and the rules of an import. Portable: no call of the installer libraries
// here (main.cpp and installation.cpp make those).
#ifndef RVXCFG_MODEL_H
#define RVXCFG_MODEL_H

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace rvxcfg {

// A name in double quotes for a message, its own quotes doubled as in the
// files; a name over 80 bytes is cut there and ends with "...".
std::string Quoted(const std::string &s);

// The three words, in the order the libraries exchange them.
struct Words {
  std::string administrator, location, mandatory;
  bool operator==(const Words &o) const {
    return administrator == o.administrator && location == o.location && mandatory == o.mandatory;
  }
  bool operator!=(const Words &o) const { return !(*this == o); }
};

struct Config {
  std::string name, os;
  Words words;
  int value = 0;  // the 32-bit value; not exported, kept as stored
  std::vector<std::string> products, clients;
  bool SameContent(const Config &o) const {
    return os == o.os && words == o.words && products == o.products && clients == o.clients;
  }
};

struct Installation {
  std::vector<Config> configs;
  std::optional<Words> resolution;  // the installation-wide default
  // By name, the first of that name, through an index made again whenever
  // the number of configurations changed: configurations are appended,
  // never renamed or replaced in place by others.
  const Config *Find(const std::string &name) const;

 private:
  mutable std::unordered_map<std::string, size_t> index_;
  mutable size_t indexed_ = static_cast<size_t>(-1);
};

// The installed products and listed clients an import may name.
struct Catalog {
  std::unordered_set<std::string> products, clients;
};

extern const char kConfigurationsFile[];
extern const char kProductsFile[];
extern const char kAssignmentsFile[];
extern const char kGenerationFile[];

// The three files of an export.
struct Files {
  std::string configurations, products, assignments;
};

// The code page the store's names are in (texts are 8-bit, in the active
// code page): how names compare without regard to letter case, and how
// files in UTF-8 are read and written.
class CodePage {
 public:
  virtual ~CodePage() = default;
  virtual unsigned Number() const = 0;
  virtual std::string Fold(const std::string &text) const = 0;
  // False when the text cannot be converted; *why then says why ("holds
  // U+4E2D, which code page 1252 cannot hold", "is not valid UTF-8").
  virtual bool FromUtf8(const std::string &utf8, std::string *out, std::string *why) const = 0;
  virtual bool ToUtf8(const std::string &text, std::string *out, std::string *why) const = 0;
};

// How an export writes its files. Every cell that a spreadsheet would run
// as a formula gets an apostrophe in front (csv::Guard), whatever the format.
struct Format {
  bool utf8 = false;  // a UTF-8 byte-order mark, and the names in UTF-8
  char separator = ',';
};
bool Export(const Installation &in, const Format &format, const CodePage &cp, Files *out, std::string *err);

// The installation the three files describe, checked against base (the
// generation they were exported from) and the catalogue. dir names the files
// in error texts: "<dir>\products.csv: line 7: ...". Configurations base
// holds keep their place and their 32-bit value; new ones follow in file
// order.
//
// Each file may start with a UTF-8 byte-order mark (its names are then
// converted to the code page) and may use semicolons when its header does;
// one whose bytes read as UTF-8 without the mark is refused where it holds a
// name beyond ASCII that base and the catalogue do not know, rather than
// read as another name. A cell guarded against spreadsheets loses its
// apostrophe; one that starts like a formula without it is refused.
bool Import(const Files &files, const std::string &dir, const Installation &base, const Catalog &catalog,
            const CodePage &cp, Installation *out, std::string *err);

// The fourth file of an export: the generation the three files were taken
// from and a fingerprint of its content. An import merges the files against
// that generation, and the fingerprint tells when the store's generation of
// that number is not the one exported (another installation, a new layout).
struct Origin {
  uint64_t generation = 0;
  std::string content;  // Fingerprint of the installation exported
};
std::string WriteOrigin(const Origin &o);
// 1 to 19 decimal digits and nothing else, as generations are written.
bool ParseGeneration(const std::string &text, uint64_t *g);
bool ReadOrigin(const std::string &bytes, const std::string &path, Origin *o, std::string *err);
std::string Fingerprint(const Installation &in);

// What the store becomes when a change made from base to mine is committed
// on theirs (the store as it is now): per configuration and for the
// default, mine where mine differs from base, else theirs; theirs' order,
// then the configurations only mine has. The libraries' merge decides the
// commit and refuses conflicts; this only tells beforehand what it writes.
Installation Merged(const Installation &base, const Installation &mine, const Installation &theirs);

// Scripted edits of one configuration, refused as an import refuses them.
// EditList adds names at the end of a list (in the order given) or removes
// them: refused for a name the store cannot hold, one given twice, one
// neither listed already nor in known (the catalogue: else unknown says
// what it is not), or a list that grows
// past 65,535. A name that changes nothing (listed already, or not there
// to remove) gets a line in *notes.
bool EditList(Config *c, std::vector<std::string> Config::*list, bool add, const std::vector<std::string> &names,
              const std::unordered_set<std::string> &known, const char *what, const char *unknown,
              std::vector<std::string> *notes, std::string *err);
// A name for a new configuration: storable, without a comma, and not one
// that differs from a configuration of in only in letter case.
bool CheckNewName(const Installation &in, const std::string &name, const CodePage &cp, std::string *err);

// What changes from before to after, one line a change, in before's order
// of configurations; empty when nothing does.
std::vector<std::string> Describe(const Installation &before, const Installation &after);

}  // namespace rvxcfg
#endif
