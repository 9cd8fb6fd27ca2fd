// rvxcfg's only way to the store: the installer libraries' entry points, as
// the program calls them (a context from kxsaoh, "win32", every buffer
// released with PKRGfree). So rvxcfg honours the store's lock, its
// generations and whatever the libraries check at a commit.
#ifndef RVXCFG_INSTALLATION_H
#define RVXCFG_INSTALLATION_H

#include <cstdint>
#include <string>
#include <vector>

#include "model.h"

namespace rvxcfg {

// generation 0: the store as it is; otherwise one kept in its history.
bool ReadInstallation(uint64_t generation, Installation *out, std::string *err);
bool ReadGeneration(uint64_t *generation, std::string *err);
// The products of the first product home (the ones the program offers) and
// the client list.
bool ReadCatalog(Catalog *out, std::string *err);

// Makes the store equal to target in one pending change and one commit:
// removes what target lacks, sets what differs or is new, and the default
// when it differs. current is what this run read before; nothing is called
// when nothing differs.
bool Apply(const Installation &current, const Installation &target, std::string *err);

struct HistoryEntry {
  uint64_t generation = 0;
  int64_t time = 0;
  std::string host, user;
  bool kept = false;
  unsigned counts[8] = {};  // as getCommitHistory lists them
};
bool ReadHistory(std::vector<HistoryEntry> *out, std::string *err);

}  // namespace rvxcfg
#endif
