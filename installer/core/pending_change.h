// The pending change of one process and the base it is made from.
//
// A run of the program reads the store at start-up and commits at OK,
// minutes or hours later. The base is the store as this process first read
// it (content and generation); it stays the base until a commit of this
// process succeeds, and then what that commit stored becomes the base.
// makeTempFiles starts the pending change from the base, the set and remove
// calls change it, and the commit merges it with the store as it is then
// (store_merge.h): what this run did not change keeps whatever other runs
// committed meanwhile.
#ifndef KX_PENDING_CHANGE_H
#define KX_PENDING_CHANGE_H

#include <memory>
#include <string>

#include "store.h"

namespace kx {

class PendingChange {
 public:
  explicit PendingChange(Store &store) : store_(store) {}

  // A read call of the installation at dir answered from d. The first read
  // of an installation makes d the base; later reads change nothing.
  void Read(const std::string &dir, const ConfigData &d);
  // The same, keeping d itself as the base (no copy).
  void Read(const std::string &dir, std::shared_ptr<const ConfigData> d);
  // makeTempFiles: current is the store as just read from the disk. Drops an
  // earlier pending change and starts a new one from the base.
  void Begin(const std::string &dir, const ConfigData &current);
  void Begin(const std::string &dir, std::shared_ptr<const ConfigData> current);
  void End();
  // makeTempFilesFrom: base (a generation read from the history, or the
  // store as it is) becomes the base of this run's edits, and the pending
  // change starts from it.
  void BeginFrom(const std::string &dir, const ConfigData &base);

  bool Active() const { return active_; }
  const std::string &Directory() const { return dir_; }
  ConfigData &Data() { return data_; }
  // The base of the installation at dir, or null before its first read.
  std::shared_ptr<const ConfigData> Base(const std::string &dir) const {
    return hasBase_ && baseDir_ == dir ? base_ : nullptr;
  }

  // On success what was stored becomes the base and the pending change
  // ends; on failure both stay, so that a retry may store it.
  bool Commit(std::string *err);
  // What Commit would decide now; writes nothing.
  bool Check(std::string *err);

 private:
  Store &store_;
  bool hasBase_ = false;
  std::string baseDir_;
  std::shared_ptr<const ConfigData> base_;
  bool active_ = false;
  std::string dir_;
  ConfigData data_;
};

}  // namespace kx
#endif
