// rvxload: the load harness of the reliability tests and figures: many
// administrators on one installation at once, each a process of its own,
// working through the installer libraries as the program does. A test
// program: it is built beside the tests and never shipped.
//
//   rvxload hammer DIR [--commits N] [--config NAME]
//   rvxload session DIR ... and sessions DIR ...   (see sessions.h)
//
// hammer is one administrator of many: N times makeTempFiles, read the value
// of the configuration NAME (default "counter"; missing counts as 0), set it
// one higher, commit. A commit refused because another came in between
// starts again from the current state; a lock held by a live committer is
// waited for. It prints
//   hammer: commits N refused R busy B failed F value V
// so that a test can add up the commits of all runs and compare the sum with
// the final value: any difference is an update lost without a word.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kxclient.h"
#include "sessions.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: rvxload hammer DIR [--commits N] [--config NAME]\n"
               "       rvxload session DIR --seed S --journal FILE [--wait-ms M]\n"
               "       rvxload sessions DIR [--workers N] [--sessions K] [--seed S] [--wait-ms M] [--no-merge]\n");
  return 2;
}

// The counter's value; false when the configuration cannot be read (why).
bool CounterValue(kxc::Context &ctx, const std::string &name, int *value, kxc::Failure *why) {
  kxc::NameList products;
  kxc::Text a, l, m, os;
  return ctx.GetConfiguration(name.c_str(), products, a, l, m, os, value, why);
}

// One change: the counter configuration's value, read and raised by one.
// False with the library's text in *why when it did not commit.
bool HammerOnce(const std::string &name, long *busy, unsigned *seed, std::string *why) {
  kxc::Context ctx;
  kxc::Failure f;
  if (!ctx.Open(&f) || !ctx.MakeTempFiles(&f)) {
    *why = f.reason;
    return false;
  }
  int value = 0;
  if (!CounterValue(ctx, name, &value, &f)) {
    if (f.reason.find("no configuration") == std::string::npos) {
      *why = f.reason;
      return false;
    }
    value = 0;  // the first commit of all adds it
  }
  // The OS text names this process: two processes never write the same
  // counter, which the merge would take as one change made twice.
  std::string mark = "hammer " + std::to_string(GetCurrentProcessId());
  if (!ctx.SetConfiguration(name.c_str(), {}, "user", "shared", "optional", mark.c_str(), value + 1, &f)) {
    *why = f.reason;
    return false;
  }
  // As the program's OK does: a commit that meets another's lock is tried
  // again with the same pending change, which may by then be out of date.
  for (;;) {
    if (ctx.Commit(&f)) return true;
    *why = f.reason;
    if (why->find("is locked by process") == std::string::npos) return false;
    ++*busy;
    *seed = *seed * 1103515245u + 12345u;
    Sleep((*seed >> 16) % 3);
  }
}

// Runs this program again with args, on the same standard handles; its exit
// code.
int RunAgain(const std::string &args) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string cmd = "\"" + std::string(self) + "\" " + args;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::fflush(stdout);
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
    return rvx::Fail("cannot start " + cmd);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<int>(code);
}

int Hammer(const std::string &dir, int argc, char **argv) {
  long commits = 100;
  std::string name = "counter";
  long done = 0, refused = 0, busy = 0, failed = 0;
  for (int i = 0; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--commits")) commits = std::strtol(argv[i + 1], nullptr, 10);
    else if (!std::strcmp(argv[i], "--config")) name = argv[i + 1];
    else if (!std::strcmp(argv[i], "--carry"))  // counts of the processes before this one
      std::sscanf(argv[i + 1], "%ld,%ld,%ld,%ld", &done, &refused, &busy, &failed);
    else return Usage();
  }
  if (argc % 2 || commits < 0 || commits > 10000000) return Usage();
  if (!SetEnvironmentVariableA("VELKAN_INSTALL", dir.c_str())) return rvx::Fail("cannot set VELKAN_INSTALL");
  std::string last;
  unsigned seed = GetCurrentProcessId();
  while (done < commits) {
    std::string why;
    if (HammerOnce(name, &busy, &seed, &why)) {
      ++done;
      continue;
    }
    if (why.find("other commits changed what this run changes") != std::string::npos) {
      // This process's base is out of date for good: go on in a new one.
      ++refused;
      return RunAgain("hammer \"" + dir + "\" --commits " + std::to_string(commits) + " --config \"" + name +
                      "\" --carry " + std::to_string(done) + "," + std::to_string(refused) + "," +
                      std::to_string(busy) + "," + std::to_string(failed));
    }
    if (why.find("another change was committed") != std::string::npos) {
      ++refused;
    } else {
      // Anything else is a real failure; a few in a row end the run.
      last = why;
      if (++failed > 20) break;
      Sleep(10);
    }
  }
  kxc::Context ctx;
  ctx.Open();
  int value = -1;
  if (!CounterValue(ctx, name, &value, nullptr)) value = -1;
  std::printf("hammer: commits %ld refused %ld busy %ld failed %ld value %d\n", done, refused, busy, failed, value);
  if (failed) std::printf("hammer: last failure: %s\n", last.c_str());
  std::fflush(stdout);
  if (done < commits) return rvx::Fail("gave up after " + std::to_string(failed) + " failures; the last: " + last);
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 3) return Usage();
  std::string command = argv[1], dir = argv[2];
  if (command == "hammer") return Hammer(dir, argc - 3, argv + 3);
  if (command == "session") return rvx::Session(dir, argc - 3, argv + 3);
  if (command == "sessions") return rvx::Sessions(dir, argc - 3, argv + 3);
  return Usage();
}
