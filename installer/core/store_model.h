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

struct Configuration {
  std::string name;
  std::vector<std::string> products;
  Words words;
  std::string os;
  int32_t value = 0;
  std::vector<std::string> clients;
};

struct ConfigData {
  uint64_t generation = 1;
  std::optional<Words> resolution;
  std::vector<Configuration> configs;

  Configuration *Find(const std::string &name);
  const Configuration *Find(const std::string &name) const;
};

}  // namespace kx
#endif
