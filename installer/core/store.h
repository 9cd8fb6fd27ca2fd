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

#include <string>

#include "fault_switch.h"
#include "store_format.h"
#include "store_merge.h"
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

  // Commits a change made from base (the store as the committing run first
  // read it): mine is base with the run's change. Under the lock: read the
  // store as it is now, decide each item by the three-way merge of
  // store_merge.h (a conflict refuses the whole commit with a text that
  // names every conflicting item), write pending, flush, close, rename,
  // unlock. *written, when given, receives what was stored. On failure the
  // store is unchanged (unless err says otherwise).
  bool CommitConfig(const std::string &dir, const ConfigData &base, const ConfigData &mine, ConfigData *written,
                    std::string *err);

  // False only in the test build with KX_UNSAFE_NOMERGE=1: a run's pending
  // change then starts from the store at makeTempFiles, as before the merge.
  bool Merging();
  // Who commits from this process, now.
  Stamp CommitStamp();

  // Lays out (or re-lays) an installation: both files, each replaced
  // atomically, under the lock. Generations move past the old ones, so a
  // pending change begun before is refused at its commit.
  bool WriteLayout(const std::string &dir, Catalogue catalogue, ConfigData config, std::string *err);

 private:
  // The decision under the lock: what to write over current, or why not.
  bool Decide(const std::string &dir, const ConfigData &base, const ConfigData &mine, const ConfigData &current,
              ConfigData *next, std::string *err);
  bool Lock(const std::string &dir, std::string *err);
  bool Unlock(const std::string &dir, std::string *err);
  bool Replace(const std::string &dir, const char *file, const std::string &bytes, std::string *err);
  bool Load(const std::string &dir, const char *file, std::string *bytes, std::string *err);

  FileSystem &fs_;
  FaultSwitch &faults_;
};

// Keeps the last parsed file and parses again only when its size or time
// changed: the program asks for each of 20,000 clients one by one.
template <class T>
class CachedFile {
 public:
  typedef bool (Store::*Loader)(const std::string &, T *, std::string *);
  bool Get(FileSystem &fs, Store &store, Loader load, const std::string &dir, const char *file,
           const T **out, std::string *err) {
    std::string path = store.PathOf(dir, file);
    FileStamp before;
    bool stamped = fs.Stamp(path, &before);
    if (valid_ && stamped && path == path_ && before == stamp_) {
      *out = &value_;
      return true;
    }
    valid_ = false;
    ++loads_;
    if (!(store.*load)(dir, &value_, err)) return false;
    FileStamp after;
    valid_ = stamped && fs.Stamp(path, &after) && after == before;
    path_ = path;
    stamp_ = before;
    *out = &value_;
    return true;
  }
  // Changes whenever Get parsed the file again: indexes built over the
  // value are stale then.
  unsigned long Loads() const { return loads_; }
  // After this process replaced the file: its stamp may not tell.
  void Forget() { valid_ = false; }

 private:
  bool valid_ = false;
  unsigned long loads_ = 0;
  std::string path_;
  FileStamp stamp_;
  T value_;
};

}  // namespace kx
#endif
