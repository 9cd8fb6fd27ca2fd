#include "pending_change.h"

namespace kx {

namespace {

// A read that makes no base needs no copy of what it read.
bool Takes(bool hasBase, const std::string &baseDir, bool active, const std::string &pendingDir,
           const std::string &dir) {
  if (hasBase && baseDir == dir) return false;
  // Another installation: its own first read. A pending change keeps the
  // base of its own installation.
  return !(active && pendingDir != dir);
}

}  // namespace

void PendingChange::Read(const std::string &dir, const ConfigData &d) {
  if (Takes(hasBase_, baseDir_, active_, dir_, dir)) Read(dir, std::make_shared<const ConfigData>(d));
}

void PendingChange::Read(const std::string &dir, std::shared_ptr<const ConfigData> d) {
  if (!Takes(hasBase_, baseDir_, active_, dir_, dir)) return;
  base_ = std::move(d);
  baseDir_ = dir;
  hasBase_ = true;
}

void PendingChange::Begin(const std::string &dir, const ConfigData &current) {
  Begin(dir, std::make_shared<const ConfigData>(current));
}

void PendingChange::Begin(const std::string &dir, std::shared_ptr<const ConfigData> current) {
  End();
  if (!store_.Merging()) {
    // As before the merge: the change starts from the store as it is now
    // and is refused if any other commit comes in before it.
    hasBase_ = false;
  }
  Read(dir, std::move(current));
  data_ = *base_;
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
  if (!active_ || !store_.CommitConfig(dir_, *base_, data_, &written, err)) return false;
  // The pending copy goes before the new base is kept: never three at once.
  data_ = ConfigData();
  base_ = std::make_shared<const ConfigData>(std::move(written));
  baseDir_ = dir_;
  hasBase_ = true;
  End();
  return true;
}

bool PendingChange::Check(std::string *err) { return active_ && store_.CheckCommit(dir_, *base_, data_, err); }

}  // namespace kx
