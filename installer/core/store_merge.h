// The three-way merge of a commit. A run of the program edits from its base
// (the store as it first read it) for minutes or hours; meanwhile other runs
// commit. Under the commit lock, each item (every configuration by name, and
// the installation-wide default) is decided from three versions:
//
//   base    the item as this run first read it (or absent)
//   mine    the item as this run writes it (absent: removed or never there)
//   theirs  the item in the store now (absent: removed or never created)
//
//   mine == base            theirs stays (also when it was changed or removed)
//   theirs == base          mine
//   mine == theirs          mine (both made the same change)
//   otherwise               a conflict: the whole commit is refused
//
// An item's content is everything but its stamp: for a configuration its
// name, products in order, the three words, the OS text, the value and the
// clients in order; for the default its three words.
#ifndef KX_STORE_MERGE_H
#define KX_STORE_MERGE_H

#include <string>
#include <vector>

#include "store_model.h"

namespace kx {

bool SameContent(const Configuration &a, const Configuration &b);
bool SameWords(const Words &a, const Words &b);
// The same for an item that may be absent: absent equals absent only.
bool Same(const Configuration *a, const Configuration *b);
bool Same(const std::optional<Words> &a, const std::optional<Words> &b);

struct Conflict {
  enum Kind {
    kBothChanged,        // changed here and there, to different results
    kChangedRemoved,     // changed here, removed there
    kRemovedChanged,     // removed here, changed there
    kBothCreated,        // created here and there with different content
  };
  Kind kind = kBothChanged;
  bool isDefault = false;         // the installation-wide default
  std::string name;               // the configuration's name otherwise
  std::optional<Stamp> other;     // who made the other change, if the store says
};

struct MergeCounts {
  size_t mine = 0;    // items taken from this run
  size_t theirs = 0;  // items another run changed since the base, kept
};

// Decides every item. Without conflicts *out is the store to write: the
// items in the order theirs has them, configurations created by this run
// after them in the order mine has them; generation theirs + 1; every item
// whose content differs from theirs stamped with stamp (whose generation is
// set to theirs + 1), and removals and the commit remembered. With conflicts
// *out is left alone and conflicts lists each of them, in the order of mine
// and then of theirs.
bool MergeConfigData(const ConfigData &base, const ConfigData &mine, const ConfigData &theirs, Stamp stamp,
                     ConfigData *out, std::vector<Conflict> *conflicts, MergeCounts *counts = nullptr);

// Makes data the next store after theirs as it is, without deciding
// anything: items that differ from theirs are stamped, removals and the
// commit remembered, generation theirs + 1.
void StampAsNext(const ConfigData &theirs, Stamp stamp, ConfigData *data);

// The error text of a refused commit: every conflicting item, who changed
// it and when, and what the administrator can do. path names the store.
std::string ConflictText(const std::vector<Conflict> &conflicts, const std::string &path, uint64_t baseGeneration,
                         uint64_t nowGeneration);

}  // namespace kx
#endif
