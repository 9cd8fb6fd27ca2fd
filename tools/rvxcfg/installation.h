// rvxcfg's only way to the store: the installer libraries' entry points,
// through the program's installer client (kxclient). So rvxcfg honours the
// store's lock, its generations and whatever the libraries check at a commit.
#ifndef RVXCFG_INSTALLATION_H
#define RVXCFG_INSTALLATION_H

#include <cstdint>
#include <string>
#include <vector>

#include "kxclient.h"
#include "model.h"

namespace rvxcfg {

// generation 0: the store as it is; otherwise one kept in its history.
// *read (may be null) gets the generation read: a read that met a commit
// half-way is made again, so that what it gives is one generation.
bool ReadInstallation(uint64_t generation, Installation *out, std::string *err, uint64_t *read = nullptr);
bool ReadGeneration(uint64_t *generation, std::string *err);
// The products of the first product home (the ones the program offers) and
// the client list.
bool ReadCatalog(Catalog *out, std::string *err);

// Changes the store from base to target in one pending change and one
// commit: removes what target lacks, sets what differs or is new, and the
// default when it differs. base is the store as this run read it
// (baseGeneration 0), or the generation baseGeneration kept in the history:
// the libraries' commit merges the change with what was committed since, per
// configuration and for the default, and refuses the whole change when both
// changed one item. A commit that meets another one's lock waits for it. dry:
// the libraries only decide, nothing is written. Nothing is called when
// target equals base.
bool Apply(uint64_t baseGeneration, const Installation &base, const Installation &target, bool dry,
           std::string *err);

// When the store's configuration file exists but does not read, writes the
// content of the kept generation as the next generation (under the lock,
// with its audit line); the libraries refuse while the file reads.
bool ReplaceDamaged(uint64_t generation, std::string *err);

bool ReadHistory(std::vector<kxc::HistoryEntry> *out, std::string *err);

}  // namespace rvxcfg
#endif
