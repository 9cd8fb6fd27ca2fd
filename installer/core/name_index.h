// Finds an item of a list by its name in constant time: open addressing over
// the items' positions, built in one pass without a heap block per name.
// The program asks for two fields of each of 65,535 clients and three of
// each product, one call each.
#ifndef KX_NAME_INDEX_H
#define KX_NAME_INDEX_H

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace kx {

class NameIndex {
 public:
  // name(i) is the i-th item's name; of equal names the first wins.
  template <class Name>
  void Build(size_t n, Name name) {
    size_t size = 16;
    while (size < n * 2) size *= 2;
    slots_.assign(size, kEmpty);
    for (size_t i = 0; i < n; ++i) {
      std::string_view key = name(i);
      for (size_t s = Slot(key);; s = (s + 1) & (slots_.size() - 1)) {
        if (slots_[s] == kEmpty) {
          slots_[s] = static_cast<uint32_t>(i);
          break;
        }
        if (name(slots_[s]) == key) break;  // an earlier item of that name
      }
    }
  }
  // The position of the first item named key, or -1.
  template <class Name>
  long Find(std::string_view key, Name name) const {
    if (slots_.empty()) return -1;
    for (size_t s = Slot(key);; s = (s + 1) & (slots_.size() - 1)) {
      if (slots_[s] == kEmpty) return -1;
      if (name(slots_[s]) == key) return static_cast<long>(slots_[s]);
    }
  }
  void Clear() { slots_.clear(); }

 private:
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
  size_t Slot(std::string_view key) const { return std::hash<std::string_view>()(key) & (slots_.size() - 1); }
  std::vector<uint32_t> slots_;
};

}  // namespace kx
#endif
