// The data an installation's store holds, as plain values. The catalogue
// (product homes, installed products, clients, language) is laid out by the
// layout tool and only read by the libraries; the configuration data is what
// the administrator's program changes through a pending change and a commit.
#ifndef KX_STORE_MODEL_H
#define KX_STORE_MODEL_H

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
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

// A configuration's products or clients, in order. Copies share the names
// until one of them is changed: the read view, a run's base, its pending
// change and the store a commit writes hold a list the run did not change
// once, not four times.
class NameList {
 public:
  typedef std::string value_type;
  typedef std::vector<std::string>::const_iterator const_iterator;
  typedef const_iterator iterator;
  typedef size_t size_type;

  NameList() = default;
  NameList(std::vector<std::string> names)  // NOLINT: a vector is a list
      : names_(names.empty() ? nullptr : std::make_shared<std::vector<std::string>>(std::move(names))) {}
  NameList(std::initializer_list<std::string> names) : NameList(std::vector<std::string>(names)) {}

  const std::vector<std::string> &Names() const { return names_ ? *names_ : Empty(); }
  operator const std::vector<std::string> &() const { return Names(); }  // NOLINT
  size_t size() const { return Names().size(); }
  bool empty() const { return Names().empty(); }
  const std::string &operator[](size_t i) const { return Names()[i]; }
  const std::string &front() const { return Names().front(); }
  const std::string &back() const { return Names().back(); }
  const_iterator begin() const { return Names().begin(); }
  const_iterator end() const { return Names().end(); }
  // Shares nothing any more: changes reach this list only.
  std::vector<std::string> &Edit() {
    if (!names_) names_ = std::make_shared<std::vector<std::string>>();
    else if (names_.use_count() > 1) names_ = std::make_shared<std::vector<std::string>>(*names_);
    return *names_;
  }
  void push_back(std::string name) { Edit().push_back(std::move(name)); }
  std::string &emplace_back() { return Edit().emplace_back(); }
  void pop_back() { Edit().pop_back(); }
  void clear() { names_.reset(); }
  void erase(const_iterator at) {
    size_t i = static_cast<size_t>(at - begin());
    Edit().erase(Edit().begin() + static_cast<std::ptrdiff_t>(i));
  }
  // The same names by the same storage: equal without comparing them.
  bool Shares(const NameList &o) const { return names_ == o.names_; }

  friend bool operator==(const NameList &a, const NameList &b) { return a.Shares(b) || a.Names() == b.Names(); }
  friend bool operator!=(const NameList &a, const NameList &b) { return !(a == b); }
  friend bool operator==(const NameList &a, const std::vector<std::string> &b) { return a.Names() == b; }
  friend bool operator!=(const NameList &a, const std::vector<std::string> &b) { return a.Names() != b; }
  friend bool operator==(const std::vector<std::string> &a, const NameList &b) { return a == b.Names(); }
  friend bool operator!=(const std::vector<std::string> &a, const NameList &b) { return a != b.Names(); }

 private:
  static const std::vector<std::string> &Empty() {
    static const std::vector<std::string> none;
    return none;
  }
  std::shared_ptr<std::vector<std::string>> names_;
};

struct Configuration {
  std::string name;
  NameList products;
  Words words;
  std::string os;
  int32_t value = 0;
  NameList clients;
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
