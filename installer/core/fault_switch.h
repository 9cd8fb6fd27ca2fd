// Fault injection and the unsafe switches, for the test build of the
// installer libraries only (compiled with KX_TEST_SWITCHES). The shipped
// libraries compile neither: there no environment variable can make a call
// fail, nor switch off the lock, the generation check or the merge of a
// real installation.
//
// In the test build, fault injection is off unless KX_FAULT is set:
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
  // The same for an entry point's name; costs nothing in the shipped build.
  bool Hit(const char *point, std::string *err);

 private:
  FileSystem &fs_;
  std::string value_;
  std::map<std::string, unsigned long> counts_;
};

// One switch per process for the libraries' entry points and commit steps.
FaultSwitch &ProcessFaults();

// The unsafe switches of the test build: KX_UNSAFE_NOLOCK=1 commits without
// the lock file, KX_UNSAFE_NOGENERATION=1 writes the pending change over the
// store as it is, KX_UNSAFE_NOMERGE=1 commits as before the merge (the
// pending change starts from the store at makeTempFiles and is refused when
// another commit came in after that). They exist only so that the
// concurrency tests show they detect the updates each safeguard keeps from
// being lost. Always false in the shipped libraries.
enum UnsafeSwitch { kNoLock, kNoGeneration, kNoMerge };
bool UnsafeSwitchOn(FileSystem &fs, UnsafeSwitch which);

}  // namespace kx
#endif
