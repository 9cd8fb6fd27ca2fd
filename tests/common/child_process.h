// Runs a program that stands beside the test program and collects its exit
// status, standard output and standard error (through files, read after the
// child ended). The child inherits the environment, VELKAN_INSTALL among it.
#ifndef TESTS_CHILD_PROCESS_H
#define TESTS_CHILD_PROCESS_H

#include <windows.h>

#include <string>

namespace kxtest {

struct ProgramRun {
  DWORD code = 0xFFFFFFFF;  // also when the program could not be started
  std::string out, err;
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

// args is the rest of the command line, quoted by the caller where needed.
inline ProgramRun RunProgram(const std::string &exe, const std::string &args, DWORD timeoutMs = 120000) {
  ProgramRun r;
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  static int serial = 0;
  const std::string base = std::string(tmp) + "kxchild-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(++serial);
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileA((base + ".out").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  HANDLE err = CreateFileA((base + ".err").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  std::string cmd = "\"" + BesideMe(exe) + "\" " + args;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = err;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi = {};
  BOOL started = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(out);
  CloseHandle(err);
  if (started) {
    if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 0xFFFFFFFD);
    GetExitCodeProcess(pi.hProcess, &r.code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  r.out = SlurpAndDelete(base + ".out");
  r.err = SlurpAndDelete(base + ".err");
  return r;
}

// A command-line argument in double quotes (no quote or trailing backslash
// inside, which the tests' paths never hold).
inline std::string Quote(const std::string &arg) { return "\"" + arg + "\""; }

}  // namespace kxtest
#endif
