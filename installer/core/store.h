// The store of one network installation: a directory with
//   catalogue.kxs   product homes, installed products, clients, language
//                   (laid out by the layout tool, read-only to the libraries)
//   config.kxs      configurations, their clients, the conflict resolution
//   config.lock     present while a commit runs; names its owner
//   config.kxs.<pid>.pending
//                   a commit's new file before it is renamed over config.kxs;
//                   never read: one left by a dead run is garbage.
#ifndef KX_STORE_H
#define KX_STORE_H

#include <chrono>
#include <string>

#include "fault_switch.h"
#include "store_format.h"
#include "store_fs.h"

namespace kx {

extern const char kCatalogueFile[];
extern const char kConfigFile[];
extern const char kLockFile[];

class Store {
 public:
  Store(FileSystem &fs, FaultSwitch &faults) : fs_(fs), faults_(faults) {}

  std::string PathOf(const std::string &dir, const char *file) const;
  // A missing file is a failure too: an installation without its files is
  // never taken for an empty one.
  bool LoadCatalogue(const std::string &dir, Catalogue *c, std::string *err);
  bool LoadConfig(const std::string &dir, ConfigData *d, std::string *err);

  // Makes data the new config.kxs, with generation base + 1, provided the
  // store still has generation base: another commit that came in between
  // is not overwritten. Under the lock: check, write pending, flush, close,
  // rename. On failure the store is unchanged (unless err says otherwise).
  bool CommitConfig(const std::string &dir, ConfigData data, uint64_t base, std::string *err);

  // Lays out (or re-lays) an installation: both files, each replaced
  // atomically, under the lock. Generations move past the old ones, so a
  // pending change begun before is refused at its commit.
  bool WriteLayout(const std::string &dir, Catalogue catalogue, ConfigData config, std::string *err);

 private:
  bool Unsafe(const char *name);
  bool Lock(const std::string &dir, std::string *err);
  bool Unlock(const std::string &dir, std::string *err);
  bool Replace(const std::string &dir, const char *file, const std::string &bytes, std::string *err);
  bool Load(const std::string &dir, const char *file, std::string *bytes, std::string *err);

  FileSystem &fs_;
  FaultSwitch &faults_;
};

// Keeps the last parsed file and parses again only when its size or time
// changed: the program asks for each of 65,535 clients one by one.
//
// Looking at the file's stamp costs more than answering a query (a file
// system call, some 15 us under Wine). A caller that asks item by item may
// pass freshMs: a file whose stamp was looked at less than that long ago is
// taken as it was, without looking again.
template <class T>
class CachedFile {
 public:
  typedef bool (Store::*Loader)(const std::string &, T *, std::string *);
  bool Get(FileSystem &fs, Store &store, Loader load, const std::string &dir, const char *file,
           const T **out, std::string *err, unsigned freshMs = 0) {
    auto now = std::chrono::steady_clock::now();
    if (freshMs && valid_ && now - checked_ < std::chrono::milliseconds(freshMs) && SamePath(dir, file)) {
      *out = &value_;
      return true;
    }
    std::string path = store.PathOf(dir, file);
    FileStamp before;
    bool stamped = fs.Stamp(path, &before);
    if (valid_ && stamped && path == path_ && before == stamp_) {
      checked_ = now;
      *out = &value_;
      return true;
    }
    valid_ = false;
    ++loads_;
    if (!(store.*load)(dir, &value_, err)) return false;
    FileStamp after;
    valid_ = stamped && fs.Stamp(path, &after) && after == before;
    path_ = path;
    dir_ = dir;
    file_ = file;
    stamp_ = before;
    checked_ = now;
    *out = &value_;
    return true;
  }
  // Changes whenever Get parsed the file again: indexes built over the
  // value are stale then.
  unsigned long Loads() const { return loads_; }
  // After this process replaced the file: its stamp may not tell.
  void Forget() { valid_ = false; }

 private:
  bool SamePath(const std::string &dir, const char *file) const { return dir == dir_ && file_ == file; }

  bool valid_ = false;
  std::string dir_;
  std::string file_;
  std::chrono::steady_clock::time_point checked_;
  unsigned long loads_ = 0;
  std::string path_;
  FileStamp stamp_;
  T value_;
};

}  // namespace kx
#endif
