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
#include <memory>
#include <string>
#include <vector>

#include "fault_switch.h"
#include "store_format.h"
#include "store_merge.h"
#include "store_fs.h"
#include "store_history.h"

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
  bool LoadCatalogue(const std::string &dir, std::shared_ptr<const Catalogue> *c, std::string *err);
  bool LoadConfig(const std::string &dir, ConfigData *d, std::string *err);
  // As LoadConfig; a file that holds the bytes known was read from is not
  // parsed again: *d then shares known.
  bool LoadConfig(const std::string &dir, const std::shared_ptr<const ConfigData> &known,
                  std::shared_ptr<const ConfigData> *d, std::string *err);

  // Commits a change made from base (the store as the committing run first
  // read it): mine is base with the run's change. Under the lock: read the
  // store as it is now, decide each item by the three-way merge of
  // store_merge.h (a conflict refuses the whole commit with a text that
  // names every conflicting item), write pending, flush, close, rename,
  // unlock. *written, when given, receives what was stored. On failure the
  // store is unchanged (unless err says otherwise).
  bool CommitConfig(const std::string &dir, const ConfigData &base, const ConfigData &mine, ConfigData *written,
                    std::string *err);
  // What CommitConfig would decide on the store as it is now, without the
  // lock and without writing: true when the change could be stored, else
  // *err is the text the commit would give.
  bool CheckCommit(const std::string &dir, const ConfigData &base, const ConfigData &mine, std::string *err);
  // Recovery of a store whose config.kxs exists but does not read (torn,
  // edited, a flipped bit): under the lock, writes the content of a kept
  // generation as the next generation, past every generation the store has
  // known; the damaged bytes are kept in history/ and the audit gets the
  // commit's line. Refused while config.kxs reads, or when it is missing.
  bool ReplaceDamaged(const std::string &dir, uint64_t generation, ConfigData *written, std::string *err);

  // False only in the test build with KX_UNSAFE_NOMERGE=1: a run's pending
  // change then starts from the store at makeTempFiles, as before the merge.
  bool Merging();
  // Who commits from this process, now.
  Stamp CommitStamp();

  // Lays out (or re-lays) an installation: both files, each replaced
  // atomically, under the lock. Generations move past the old ones, so a
  // pending change begun before is refused at its commit.
  bool WriteLayout(const std::string &dir, Catalogue catalogue, ConfigData config, std::string *err);

  // History (store_history.cpp). The configuration data of a generation:
  // the current one or one kept in history/; *bytes (may be null) gets the
  // file's bytes. A kept generation reads also when config.kxs does not.
  bool LoadGeneration(const std::string &dir, uint64_t generation, ConfigData *d, std::string *bytes,
                      std::string *err);
  // Every commit recorded, oldest first, one entry per generation (the line
  // of the commit that made it; lines of commits that never completed are
  // left out). A store without history/ has none. When config.kxs does not
  // read, every generation recorded is listed, kept where its file is.
  bool LoadAudit(const std::string &dir, std::vector<AuditEntry> *entries, std::string *err);
  std::string HistoryPath(const std::string &dir, uint64_t generation) const;
  // Tests keep fewer generations to see the oldest go.
  void SetHistoryDepth(unsigned depth) { depth_ = depth ? depth : 1; }

 private:
  // Under the commit lock, before config.kxs is replaced: keeps the file
  // being replaced as history/<keptName> (KeptName of its generation, or a
  // damaged file's own name), then appends the audit line of the change
  // from old to next.
  static std::string KeptName(uint64_t generation) { return "config." + std::to_string(generation) + ".kxs"; }
  bool KeepOld(const std::string &dir, const std::string &keptName, const std::string &oldBytes, std::string *err);
  bool Audit(const std::string &dir, const ConfigData &old, const ConfigData &next, const std::string &nextBytes,
             std::string *err);
  // After the commit: the generation that fell out of the kept ones goes.
  void PruneHistory(const std::string &dir, uint64_t replaced);
  // What a dead committer left in history/.
  void ClearDeadHistory(const std::string &dir, const std::string &pid);

  // The decision under the lock: what to write over current, or why not.
  bool Decide(const std::string &dir, const ConfigData &base, const ConfigData &mine, const ConfigData &current,
              ConfigData *next, std::string *err);
  bool Lock(const std::string &dir, std::string *err);
  bool Unlock(const std::string &dir, std::string *err);
  // step names the fault points ("commit" → "commit.create", ...).
  bool Replace(const std::string &dir, const char *file, const std::string &bytes, std::string *err,
               const char *step = "commit");

  bool Load(const std::string &dir, const char *file, std::string *bytes, std::string *err);

  FileSystem &fs_;
  FaultSwitch &faults_;
  unsigned depth_ = kHistoryDepth;
};

// Keeps the last parsed file and parses again only when its size or time
// changed: the program asks for each of 65,535 clients one by one. What it
// keeps is shared: the base of a run's edits is the same parsed data as the
// view the read calls answer from.
//
// Looking at the file's stamp costs more than answering a query (a file
// system call, some 15 us under Wine). A caller that asks item by item may
// pass freshMs: a file whose stamp was looked at less than that long ago is
// taken as it was, without looking again.
template <class T>
class CachedFile {
 public:
  // load(std::shared_ptr<const T> *out, std::string *err) parses the file.
  template <class Load>
  bool Get(FileSystem &fs, Store &store, const std::string &dir, const char *file, Load load, const T **out,
           std::string *err, unsigned freshMs = 0) {
    auto now = std::chrono::steady_clock::now();
    if (freshMs && valid_ && now - checked_ < std::chrono::milliseconds(freshMs) && SamePath(dir, file)) {
      *out = value_.get();
      return true;
    }
    std::string path = store.PathOf(dir, file);
    FileStamp before;
    bool stamped = fs.Stamp(path, &before);
    if (valid_ && stamped && path == path_ && before == stamp_) {
      checked_ = now;
      *out = value_.get();
      return true;
    }
    valid_ = false;
    ++loads_;
    std::shared_ptr<const T> fresh;
    if (!load(&fresh, err)) return false;
    value_ = std::move(fresh);
    FileStamp after;
    valid_ = stamped && fs.Stamp(path, &after) && after == before;
    path_ = path;
    dir_ = dir;
    file_ = file;
    stamp_ = before;
    checked_ = now;
    *out = value_.get();
    return true;
  }
  // What Get gave last, to keep beyond the next parse.
  const std::shared_ptr<const T> &Share() const { return value_; }
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
  std::shared_ptr<const T> value_;
};

}  // namespace kx
#endif
