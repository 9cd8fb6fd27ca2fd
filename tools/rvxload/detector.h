// The detector of the session hammer: given the store before a run of
// administrator sessions, the store after it, and what each session read,
// wrote and was told, it finds every update that was lost and every refusal
// that held no true conflict. Pure: no file or process of its own.
//
// An item is a configuration (by name) or the installation-wide default. A
// session changed an item when what it wrote differs from what it read. The
// successful commits, in the order of the generations they wrote, define
// what each item must be at each generation: the version of the last commit
// that changed it, else the version before the run. Then
//  - the final store holds, item by item, that last version (else: lost);
//  - each successful commit found, for each item it changed, what it had read
//    or what it wrote (else it overwrote a change it never saw: lost);
//  - each refused commit named only items that it changed, that another
//    commit had changed since its read, to another result (else: a false
//    conflict), and named all of them (else: missed).
#ifndef RVX_DETECTOR_H
#define RVX_DETECTOR_H

#include <cstdint>
#include <string>
#include <vector>

#include "store_model.h"

namespace rvx {

struct SessionRecord {
  enum Result { kCommitted, kRefused, kFailed };
  Result result = kFailed;
  kx::ConfigData read;     // the store as the session loaded it
  kx::ConfigData wrote;    // everything it wrote at OK
  uint64_t generation = 0; // committed: the generation its commit wrote
  uint64_t now = 0;        // refused: the store's generation at the refusal
  std::vector<std::string> conflicts;  // refused: the items named ("" = the default)
};

struct Verdict {
  long commits = 0, merged = 0, refused = 0, failed = 0;
  long lost = 0;             // updates lost without a word
  long falseConflicts = 0;   // refusals of items that held no true conflict
  long missed = 0;           // true conflicts a refusal did not name
  std::vector<std::string> findings;  // one line each, for the report
};

Verdict Detect(const kx::ConfigData &before, const kx::ConfigData &after, const std::vector<SessionRecord> &sessions);

}  // namespace rvx
#endif
