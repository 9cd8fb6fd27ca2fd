// The one way the tests start programs: a program beside the test program
// (or at a path), with environment variables of its own and a working
// directory, its exit status, standard output and standard error collected
// through files read after it ended. The child inherits the rest of the
// environment, VELKAN_INSTALL among it. A program that cannot be started
// fails the calling test with the caller's line.
#ifndef TESTS_CHILD_PROCESS_H
#define TESTS_CHILD_PROCESS_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kxtest {

struct ProgramRun {
  DWORD code = 0xFFFFFFFF;  // also when the program could not be started
  std::string out, err;
  DWORD pid = 0;
};

struct RunOptions {
  RunOptions(std::vector<std::string> env_ = {}, std::string dir_ = "") : env(env_), dir(dir_) {}
  std::vector<std::string> env;  // "NAME=VALUE", for the child only
  std::string dir;               // its working directory; "" = this one's
  DWORD timeoutMs = 120000;      // then it is ended and fails with 0xFFFFFFFD
  std::string input;             // its standard input when not empty; else this one's
};

inline std::string BesideMe(const std::string &file) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string p = self;
  return p.substr(0, p.find_last_of('\\')) + "\\" + file;
}

inline std::string SlurpAndDelete(const std::string &path) {
  std::string bytes;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got) bytes.append(buf, got);
    CloseHandle(h);
  }
  DeleteFileA(path.c_str());
  return bytes;
}

// One child, started now and finished later: several can run at once.
class Child {
 public:
  // exe: a file name beside the test program, or a path. args: the rest of
  // the command line, quoted by the caller where needed.
  bool Start(const std::string &exe, const std::string &args, const RunOptions &options = RunOptions(),
             int line = __builtin_LINE()) {
    options_ = options;
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    static int serial = 0;
    base_ = std::string(tmp) + "kxchild-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileA((base_ + ".out").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA((base_ + ".err").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    std::string path = exe.find_first_of("\\:") == std::string::npos ? BesideMe(exe) : exe;
    // Inherited, then unset again: the tests set none of them themselves.
    for (const std::string &e : options.env)
      SetEnvironmentVariableA(e.substr(0, e.find('=')).c_str(), e.substr(e.find('=') + 1).c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = err;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE in = nullptr;
    if (!options.input.empty()) {
      in = CreateFileA((base_ + ".in").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, &sa,
                       CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
      DWORD put = 0;
      ::WriteFile(in, options.input.data(), static_cast<DWORD>(options.input.size()), &put, nullptr);
      SetFilePointer(in, 0, nullptr, FILE_BEGIN);
      si.hStdInput = in;
    }
    // Under load Wine now and then fails a process start outright: a few
    // tries before the test hears of it.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
      if (attempt > 0) Sleep(200);
      std::string cmd = "\"" + path + "\" " + args;   // CreateProcessA may write into it
      started = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr,
                               options.dir.empty() ? nullptr : options.dir.c_str(), &si, &pi_);
    }
    for (const std::string &e : options.env) SetEnvironmentVariableA(e.substr(0, e.find('=')).c_str(), nullptr);
    CloseHandle(out);
    CloseHandle(err);
    if (in) CloseHandle(in);
    if (!started) ADD_FAILURE() << "line " << line << ": cannot start " << path << " " << args;
    return started != FALSE;
  }

  ProgramRun Finish() {
    ProgramRun r;
    if (pi_.hProcess) {
      if (WaitForSingleObject(pi_.hProcess, options_.timeoutMs) != WAIT_OBJECT_0)
        TerminateProcess(pi_.hProcess, 0xFFFFFFFD);
      GetExitCodeProcess(pi_.hProcess, &r.code);
      r.pid = pi_.dwProcessId;
      CloseHandle(pi_.hThread);
      CloseHandle(pi_.hProcess);
      pi_ = PROCESS_INFORMATION();
    }
    r.out = SlurpAndDelete(base_ + ".out");
    r.err = SlurpAndDelete(base_ + ".err");
    return r;
  }

 private:
  RunOptions options_;
  std::string base_;
  PROCESS_INFORMATION pi_ = {};
};

inline ProgramRun RunProgram(const std::string &exe, const std::string &args, const RunOptions &options = RunOptions(),
                             int line = __builtin_LINE()) {
  Child child;
  child.Start(exe, args, options, line);
  return child.Finish();
}

// One child per entry of argsList, all started before any is waited for.
inline std::vector<ProgramRun> RunPrograms(const std::string &exe, const std::vector<std::string> &argsList,
                                           const RunOptions &options = RunOptions(), int line = __builtin_LINE()) {
  std::vector<Child> children(argsList.size());
  for (size_t i = 0; i < argsList.size(); ++i) children[i].Start(exe, argsList[i], options, line);
  std::vector<ProgramRun> runs;
  for (Child &child : children) runs.push_back(child.Finish());
  return runs;
}

// A command-line argument in double quotes (no quote or trailing backslash
// inside, which the tests' paths never hold).
inline std::string Quote(const std::string &arg) { return "\"" + arg + "\""; }

}  // namespace kxtest
#endif
