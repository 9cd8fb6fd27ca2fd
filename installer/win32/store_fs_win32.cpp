// The store's seam on Win32. Quirks that shape it (measured under Wine 8):
// MoveFileEx over an existing file is rename(2) and fails with error 5 while
// any handle has the target open, so the rename is retried briefly; readers
// keep no handle open; ReplaceFile is not atomic under Wine (the target is
// gone for a moment), so it is not used.
#include <windows.h>

#include <ctime>
#include <string>

#include "store_fs.h"

namespace kx {
namespace {

std::string ErrorText(DWORD code) {
  char *msg = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char *>(&msg), 0, nullptr);
  std::string text = (n && msg) ? std::string(msg, n) : std::string();
  if (msg) LocalFree(msg);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  return (text.empty() ? std::string("system error") : text) + " (error " + std::to_string(code) + ")";
}

class Win32FileSystem : public FileSystem {
 public:
  char Separator() const override { return '\\'; }

  ReadResult ReadAll(const std::string &path, std::string *bytes, std::string *err) override {
    bytes->clear();
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD e = GetLastError();
      if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return kMissing;
      *err = ErrorText(e);
      return kFailed;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size) || size.QuadPart > 0x7FFFFFFF) {
      *err = size.QuadPart > 0x7FFFFFFF ? std::string("the file is too large") : ErrorText(GetLastError());
      CloseHandle(h);
      return kFailed;
    }
    bytes->resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes->size()) {
      DWORD got = 0;
      if (!ReadFile(h, &(*bytes)[done], static_cast<DWORD>(bytes->size() - done), &got, nullptr)) {
        *err = ErrorText(GetLastError());
        CloseHandle(h);
        return kFailed;
      }
      if (got == 0) break;  // shrank under us: the checksum will tell
      done += got;
    }
    bytes->resize(done);
    CloseHandle(h);
    return kRead;
  }

  bool Stamp(const std::string &path, FileStamp *stamp) override {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return false;
    if (stamp) {
      stamp->size = (static_cast<uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
      stamp->modified = (static_cast<uint64_t>(a.ftLastWriteTime.dwHighDateTime) << 32) | a.ftLastWriteTime.dwLowDateTime;
    }
    return true;
  }

  bool CreateNew(const std::string &path, Handle *h, bool *existed, std::string *err) override {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
      DWORD e = GetLastError();
      *existed = e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS;
      *err = ErrorText(e);
      return false;
    }
    *existed = false;
    *h = f;
    return true;
  }

  bool Write(Handle h, const void *data, size_t size, std::string *err) override {
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
      DWORD chunk = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size), put = 0;
      if (!WriteFile(static_cast<HANDLE>(h), p, chunk, &put, nullptr) || put == 0) {
        *err = ErrorText(GetLastError());
        return false;
      }
      p += put;
      size -= put;
    }
    return true;
  }

  bool Flush(Handle h, std::string *err) override {
    if (FlushFileBuffers(static_cast<HANDLE>(h))) return true;
    *err = ErrorText(GetLastError());
    return false;
  }

  bool Close(Handle h, std::string *err) override {
    if (CloseHandle(static_cast<HANDLE>(h))) return true;
    *err = ErrorText(GetLastError());
    return false;
  }

  bool Rename(const std::string &from, const std::string &to, std::string *err) override {
    // A reader holds the target for the moment of its read; two seconds
    // outlast any read of a store file.
    for (int attempt = 0;; ++attempt) {
      if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
      DWORD e = GetLastError();
      bool busy = e == ERROR_ACCESS_DENIED || e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION;
      if (!busy || attempt >= 100) {
        *err = ErrorText(e);
        return false;
      }
      Sleep(20);
    }
  }

  bool Remove(const std::string &path, std::string *err) override {
    if (DeleteFileA(path.c_str())) return true;
    DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return true;
    *err = ErrorText(e);
    return false;
  }

  bool MakeDirectory(const std::string &path, std::string *err) override {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    DWORD e = GetLastError();
    if (e == ERROR_ALREADY_EXISTS && (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY)) return true;
    *err = ErrorText(e);
    return false;
  }

  std::string HostName() override {
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD n = sizeof name;
    return GetComputerNameA(name, &n) ? std::string(name, n) : std::string("unknown-host");
  }

  std::string UserName() override {
    char name[257];
    DWORD n = sizeof name;
    if (!GetUserNameA(name, &n) || n == 0) return "unknown-user";
    return std::string(name, n - 1);  // n counts the terminating zero
  }

  unsigned long ProcessId() override { return GetCurrentProcessId(); }

  bool ProcessAlive(unsigned long pid) override {
    HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!p) return GetLastError() != ERROR_INVALID_PARAMETER;  // no such process: gone
    bool alive = WaitForSingleObject(p, 0) == WAIT_TIMEOUT;
    CloseHandle(p);
    return alive;
  }

  int64_t Now() override { return static_cast<int64_t>(time(nullptr)); }
  void Pause(unsigned milliseconds) override { Sleep(milliseconds); }

  bool GetEnv(const char *name, std::string *value) override {
    char small[256];
    DWORD n = GetEnvironmentVariableA(name, small, sizeof small);
    if (n == 0) return false;
    if (n < sizeof small) {
      value->assign(small, n);
      return true;
    }
    std::string big(n, '\0');
    DWORD m = GetEnvironmentVariableA(name, &big[0], n);
    if (m == 0 || m >= n) return false;
    big.resize(m);
    *value = big;
    return true;
  }

  void Abandon() override { TerminateProcess(GetCurrentProcess(), 99); }
};

}  // namespace

FileSystem &SystemFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

}  // namespace kx
