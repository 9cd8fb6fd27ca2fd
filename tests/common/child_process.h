// Runs a program that stands beside the test program and collects its exit
// status, standard output and standard error (through files, read after the
// child ended). The child inherits the environment, VELKAN_INSTALL among it.
#ifndef TESTS_CHILD_PROCESS_H
#define TESTS_CHILD_PROCESS_H

#include <windows.h>

#include <string>
#include <vector>

namespace kxtest {

struct ProgramRun {
  DWORD code = 0xFFFFFFFF;  // also when the program could not be started
  std::string out, err;
  DWORD pid = 0;
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

// Starts one child per entry of argsList, all at once, and waits for every
// one; each args is the rest of a command line, quoted by the caller where
// needed. input, when not empty, is every child's standard input.
inline std::vector<ProgramRun> RunPrograms(const std::string &exe, const std::vector<std::string> &argsList,
                                           const std::string &input = std::string(), DWORD timeoutMs = 120000) {
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  static int serial = 0;
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  std::vector<ProgramRun> runs(argsList.size());
  std::vector<std::string> bases;
  std::vector<HANDLE> processes;
  for (size_t i = 0; i < argsList.size(); ++i) {
    const std::string base = std::string(tmp) + "kxchild-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++serial);
    bases.push_back(base);
    HANDLE out = CreateFileA((base + ".out").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA((base + ".err").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (!input.empty()) {
      in = CreateFileA((base + ".in").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, &sa,
                       CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
      DWORD put = 0;
      ::WriteFile(in, input.data(), static_cast<DWORD>(input.size()), &put, nullptr);
      SetFilePointer(in, 0, nullptr, FILE_BEGIN);
    }
    std::string cmd = "\"" + BesideMe(exe) + "\" " + argsList[i];
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = err;
    si.hStdInput = in;
    PROCESS_INFORMATION pi = {};
    if (CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
      CloseHandle(pi.hThread);
      runs[i].pid = pi.dwProcessId;
      processes.push_back(pi.hProcess);
    } else {
      processes.push_back(nullptr);
    }
    CloseHandle(out);
    CloseHandle(err);
    if (!input.empty()) CloseHandle(in);
  }
  for (size_t i = 0; i < processes.size(); ++i) {
    if (!processes[i]) continue;
    if (WaitForSingleObject(processes[i], timeoutMs) != WAIT_OBJECT_0) TerminateProcess(processes[i], 0xFFFFFFFD);
    GetExitCodeProcess(processes[i], &runs[i].code);
    CloseHandle(processes[i]);
  }
  for (size_t i = 0; i < runs.size(); ++i) {
    runs[i].out = SlurpAndDelete(bases[i] + ".out");
    runs[i].err = SlurpAndDelete(bases[i] + ".err");
  }
  return runs;
}

inline ProgramRun RunProgram(const std::string &exe, const std::string &args, DWORD timeoutMs = 120000) {
  return RunPrograms(exe, {args}, std::string(), timeoutMs)[0];
}

// A command-line argument in double quotes (no quote or trailing backslash
// inside, which the tests' paths never hold).
inline std::string Quote(const std::string &arg) { return "\"" + arg + "\""; }

}  // namespace kxtest
#endif
