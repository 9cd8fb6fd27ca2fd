#include "pending_change.h"

namespace kx {

void PendingChange::Read(const std::string &dir, const ConfigData &d) {
  if (hasBase_ && baseDir_ == dir) return;
  // Another installation: its own first read. A pending change keeps the
  // base of its own installation.
  if (active_ && dir_ != dir) return;
  base_ = d;
  baseDir_ = dir;
  hasBase_ = true;
}

void PendingChange::Begin(const std::string &dir, const ConfigData &current) {
  End();
  if (!store_.Merging()) {
    // As before the merge: the change starts from the store as it is now
    // and is refused if any other commit comes in before it.
    hasBase_ = false;
  }
  Read(dir, current);
  data_ = base_;
  dir_ = dir;
  active_ = true;
}

void PendingChange::BeginFrom(const std::string &dir, const ConfigData &base) {
  hasBase_ = false;  // so that base is this installation's first read
  Begin(dir, base);
}

void PendingChange::End() {
  active_ = false;
  dir_.clear();
  data_ = ConfigData();
}

bool PendingChange::Commit(std::string *err) {
  ConfigData written;
  if (!active_ || !store_.CommitConfig(dir_, base_, data_, &written, err)) return false;
  base_ = std::move(written);
  baseDir_ = dir_;
  hasBase_ = true;
  End();
  return true;
}

bool PendingChange::Check(std::string *err) { return active_ && store_.CheckCommit(dir_, base_, data_, err); }

}  // namespace kx
