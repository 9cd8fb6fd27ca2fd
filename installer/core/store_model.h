// The data an installation's store holds, as plain values. The catalogue
// (product homes, installed products, clients, language) is laid out by the
// layout tool and only read by the libraries; the configuration data is what
// the administrator's program changes through a pending change and a commit.
#ifndef KX_STORE_MODEL_H
#define KX_STORE_MODEL_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kx {

// How many removals and commits a store remembers.
enum { kMaxRemovals = 64, kMaxCommits = 16 };

// A product may lack a field: its query then fails with a text, which is a
// real condition of an installation (a product whose set-up was broken off).
struct Product {
  std::string name;
  std::optional<std::string> label, version, size;
};

struct Home {
  std::string name;
  std::vector<Product> products;
};

struct Client {
  std::string name;
  std::optional<std::string> os, version;
};

struct Catalogue {
  uint64_t generation = 1;
  std::optional<std::string> language;
  std::vector<Home> homes;
  std::vector<Client> clients;
};

// The three words, always in this order: administrator word, location word,
// mandatory word.
struct Words {
  std::string administrator, location, mandatory;
};

// Who committed a change, and when: host, user, process and the time in
// seconds since 1970, with the generation that the commit wrote. Stamps say
// who; they are never part of what an item holds.
struct Stamp {
  uint64_t generation = 0;
  std::string host, user;
  unsigned long process = 0;
  int64_t time = 0;
};

struct Configuration {
  std::string name;
  std::vector<std::string> products;
  Words words;
  std::string os;
  int32_t value = 0;
  std::vector<std::string> clients;
  std::optional<Stamp> stamp;  // the commit that last changed it
};

// A configuration a commit removed: who removed it, for the text of a later
// conflict over it.
struct Removal {
  std::string name;
  Stamp stamp;
};

// The file data were read from, by size and checksum: a later read of the
// same bytes need not parse them again. Zero for data made in memory.
struct FileSignature {
  uint64_t size = 0;
  uint32_t crc = 0;
};

struct ConfigData {
  uint64_t generation = 1;
  FileSignature source;
  std::optional<Words> resolution;
  std::optional<Stamp> resolutionStamp;  // the commit that last changed it
  std::vector<Configuration> configs;
  std::vector<Removal> removed;  // oldest first; at most kMaxRemovals
  std::vector<Stamp> commits;    // the last commits, oldest first; at most kMaxCommits

  Configuration *Find(const std::string &name);
  const Configuration *Find(const std::string &name) const;
};

}  // namespace kx
#endif
