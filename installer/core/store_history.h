// The history of an installation's configuration data, in the store's
// subdirectory history/:
//   config.<generation>.kxs   a config.kxs as it was before the commit that
//                             replaced it (the newest kHistoryDepth are kept)
//   audit.log                 one line per commit: who, when, which
//                             generation, what changed in counts
// Both are written by the commit under its lock, before config.kxs is
// replaced, each through a pending file and a rename: a crash leaves the
// store wholly old or wholly new, and a commit whose history cannot be
// written is not made.
#ifndef KX_STORE_HISTORY_H
#define KX_STORE_HISTORY_H

#include <cstdint>
#include <string>
#include <vector>

#include "store_model.h"

namespace kx {

extern const char kHistoryDir[];
extern const char kAuditFile[];
// Replaced stores kept, newest first; older ones are removed by the commit
// that pushes them out.
enum { kHistoryDepth = 50 };

// What one commit changed, in counts.
struct ChangeCounts {
  unsigned added = 0, removed = 0, changed = 0;  // configurations
  unsigned productsAdded = 0, productsRemoved = 0, clientsAdded = 0, clientsRemoved = 0;
  bool defaultChanged = false;
  bool Any() const {
    return added || removed || changed || defaultChanged;
  }
};
ChangeCounts CountChanges(const ConfigData &before, const ConfigData &after);

struct AuditEntry {
  uint64_t generation = 0;  // the generation the commit made
  int64_t time = 0;         // seconds since 1970, UTC
  std::string host, user;
  uint32_t crc = 0;  // of the config.kxs the commit wrote
  ChangeCounts counts;
  bool kept = false;  // its content can still be read (LoadGeneration)
};

std::string FormatAuditLine(const AuditEntry &e);
// False for a line that is not an audit line (a damaged or foreign line is
// skipped by readers, never fatal).
bool ParseAuditLine(const std::string &line, AuditEntry *e);

}  // namespace kx
#endif
