// What rvxcfg moves between the store and its three files, as plain values,
// and the rules of an import. Portable: no call of the installer libraries
// here (main.cpp and installation.cpp make those).
#ifndef RVXCFG_MODEL_H
#define RVXCFG_MODEL_H

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace rvxcfg {

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
  const Config *Find(const std::string &name) const;
};

// The installed products and listed clients an import may name.
struct Catalog {
  std::set<std::string> products, clients;
};

extern const char kConfigurationsFile[];
extern const char kProductsFile[];
extern const char kAssignmentsFile[];

// The three files of an export.
struct Files {
  std::string configurations, products, assignments;
};
Files Export(const Installation &in);

// The installation the three files describe, checked against the store as
// it is and its catalogue. dir names the files in error texts:
// "<dir>\products.csv: line 7: ...". Configurations already in the store
// keep their place and their 32-bit value; new ones follow in file order.
bool Import(const Files &files, const std::string &dir, const Installation &current, const Catalog &catalog,
            Installation *out, std::string *err);

// What changes from before to after, one line a change, in before's order
// of configurations; empty when nothing does.
std::vector<std::string> Describe(const Installation &before, const Installation &after);

}  // namespace rvxcfg
#endif
