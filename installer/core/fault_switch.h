// Fault injection, off unless the environment variable KX_FAULT is set.
//
//   KX_FAULT=point@N[,point@N...]
//
// point is a library entry point ("getInstalledProductLabel") or a commit
// step ("commit.lock", "commit.check", "commit.create", "commit.write",
// "commit.flush", "commit.close", "commit.rename", "commit.unlock"). N is the
// call of that point that fails (1 = the first), or "*" for every call. A "!"
// after N ends the process at that point instead, as a crash would, leaving
// whatever is on disk. The variable is read at every check, so a process can
// change it with SetEnvironmentVariable; a changed value restarts the count.
#ifndef KX_FAULT_SWITCH_H
#define KX_FAULT_SWITCH_H

#include <map>
#include <string>

#include "store_fs.h"

namespace kx {

class FaultSwitch {
 public:
  enum Action { kNone, kFail, kAbandon };
  explicit FaultSwitch(FileSystem &fs) : fs_(fs) {}
  // Counts one call of point; says whether it is to fail.
  Action Check(const std::string &point);
  // Check, and on kAbandon end the process; true when the call must fail
  // (err then names the injected fault).
  bool Hit(const std::string &point, std::string *err);

 private:
  FileSystem &fs_;
  std::string value_;
  std::map<std::string, unsigned long> counts_;
};

// One switch per process for the libraries' entry points and commit steps.
FaultSwitch &ProcessFaults();

}  // namespace kx
#endif
