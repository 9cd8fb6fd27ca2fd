#include "system.h"

#include <windows.h>

#include <cstdio>

namespace rvxcfg {

std::string SystemText(unsigned long code) {
  char *text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char *>(&text), 0, nullptr);
  std::string s = n && text ? std::string(text, n) : "system error " + std::to_string(code);
  LocalFree(text);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.')) s.pop_back();
  if (s.size() > 1 && s[0] >= 'A' && s[0] <= 'Z' && !(s[1] >= 'A' && s[1] <= 'Z')) s[0] = static_cast<char>(s[0] + 32);
  return s;
}

std::string PathIn(const std::string &dir, const std::string &file) {
  std::string p = dir;
  if (!p.empty() && p.back() != '\\' && p.back() != '/') p += '\\';
  return p + file;
}

bool FileExists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ReadWhole(const std::string &path, std::string *bytes, std::string *err) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *err = path + ": " + SystemText(GetLastError());
    return false;
  }
  bytes->clear();
  LARGE_INTEGER size;
  if (GetFileSizeEx(h, &size)) bytes->reserve(static_cast<size_t>(size.QuadPart));
  char buf[65536];
  DWORD got = 0;
  BOOL ok;
  while ((ok = ::ReadFile(h, buf, sizeof buf, &got, nullptr)) && got) bytes->append(buf, got);
  if (!ok) *err = path + ": " + SystemText(GetLastError());
  CloseHandle(h);
  return ok != FALSE;
}

namespace {

bool WriteNew(const std::string &path, const std::string &bytes, std::string *err) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *err = path + ": " + SystemText(GetLastError());
    return false;
  }
  DWORD put = 0;
  bool ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size() &&
            FlushFileBuffers(h);
  if (!ok) *err = path + ": " + SystemText(GetLastError());
  if (!CloseHandle(h) && ok) {
    *err = path + ": " + SystemText(GetLastError());
    ok = false;
  }
  return ok;
}

// Wine refuses a rename over a file another program holds open for a
// moment (a virus scanner, a spreadsheet reading it): try for two seconds.
bool Rename(const std::string &from, const std::string &to, std::string *err) {
  for (int waited = 0;; waited += 50) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DWORD code = GetLastError();
    if ((code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION) || waited >= 2000) {
      *err = to + ": " + SystemText(code);
      return false;
    }
    Sleep(50);
  }
}

// Whether a rename can replace path: not read-only (root ignores the
// attribute, Windows' rename does not), and not held open against writing.
bool Replaceable(const std::string &path, std::string *err) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    *err = path + ": the file is read-only";
    return false;
  }
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *err = path + ": " + SystemText(GetLastError());
    return false;
  }
  CloseHandle(h);
  return true;
}

// The folder and any of its parents that are missing.
bool MakeFolder(const std::string &dir) {
  if (CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return true;
  const size_t cut = dir.find_last_of("\\/");
  if (GetLastError() != ERROR_PATH_NOT_FOUND || cut == std::string::npos || !MakeFolder(dir.substr(0, cut)))
    return false;
  return CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

bool WriteSet(const std::string &dir, const std::vector<OutFile> &files, bool replace, std::string *err) {
  if (!MakeFolder(dir)) {
    *err = dir + ": " + SystemText(GetLastError()) + "; nothing was written";
    return false;
  }
  std::string existing;
  for (const OutFile &f : files) {
    const std::string target = PathIn(dir, f.name);
    if (!FileExists(target)) continue;
    if (replace && !Replaceable(target, err)) {
      *err += "; nothing was written";
      return false;
    }
    existing += (existing.empty() ? "" : ", ") + f.name;
  }
  if (!existing.empty() && !replace) {
    *err = dir + " already holds " + existing + "; nothing was written (--force replaces them)";
    return false;
  }
  const std::string suffix = "." + std::to_string(GetCurrentProcessId()) + ".pending";
  size_t written = 0;
  for (; written < files.size(); ++written)
    if (!WriteNew(PathIn(dir, files[written].name) + suffix, files[written].bytes, err)) break;
  bool ok = written == files.size();
  if (ok && FileExists(PathIn(dir, files.back().name)) && !DeleteFileA(PathIn(dir, files.back().name).c_str())) {
    *err = PathIn(dir, files.back().name) + ": " + SystemText(GetLastError());
    ok = false;
  }
  if (!ok) *err += "; nothing was written";
  size_t renamed = 0;
  for (; ok && renamed < files.size(); ++renamed) {
    const std::string target = PathIn(dir, files[renamed].name);
    if (Rename(target + suffix, target, err)) continue;
    *err += "; the set in " + dir + " is incomplete and has no " + files.back().name + ", so no import takes it: " +
            "export again";
    ok = false;
    break;
  }
  for (size_t i = renamed; i < files.size(); ++i) DeleteFileA((PathIn(dir, files[i].name) + suffix).c_str());
  return ok;
}

namespace {

bool Widen(UINT page, const std::string &text, std::wstring *wide) {
  wide->assign(text.size(), L'\0');
  int n = text.empty() ? 0
                       : MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                             &(*wide)[0], static_cast<int>(wide->size()));
  wide->resize(n);
  return n > 0 || text.empty();
}

// WideCharToMultiByte refuses the used-default flag for UTF-8.
bool Narrow(UINT page, const std::wstring &wide, std::string *text) {
  BOOL lost = FALSE;
  text->assign(wide.size() * 4, '\0');
  int n = wide.empty() ? 0
                       : WideCharToMultiByte(page, page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS, wide.data(),
                                             static_cast<int>(wide.size()), &(*text)[0],
                                             static_cast<int>(text->size()), nullptr, page == CP_UTF8 ? nullptr : &lost);
  text->resize(n);
  return (n > 0 || wide.empty()) && !lost;
}

class Active : public CodePage {
 public:
  unsigned Number() const override { return GetACP(); }
  std::string Fold(const std::string &text) const override {
    std::string t = text;
    if (!t.empty()) CharLowerBuffA(&t[0], static_cast<DWORD>(t.size()));
    return t;
  }
  bool FromUtf8(const std::string &utf8, std::string *out, std::string *why) const override {
    std::wstring wide;
    if (!Widen(CP_UTF8, utf8, &wide)) {
      *why = "is not valid UTF-8, though the file starts with UTF-8's byte-order mark";
      return false;
    }
    if (Narrow(GetACP(), wide, out)) return true;
    // The first character that does not go through.
    for (size_t i = 0; i < wide.size(); ++i) {
      const bool pair = wide[i] >= 0xD800 && wide[i] < 0xDC00 && i + 1 < wide.size();
      std::string one;
      if (Narrow(GetACP(), wide.substr(i, pair ? 2 : 1), &one)) {
        i += pair;
        continue;
      }
      const unsigned long code = pair ? 0x10000 + ((wide[i] - 0xD800UL) << 10) + (wide[i + 1] - 0xDC00UL) : wide[i];
      char text[16];
      std::snprintf(text, sizeof text, "U+%04lX", code);
      *why = std::string("holds ") + text + ", which code page " + std::to_string(GetACP()) + " cannot hold";
      return false;
    }
    *why = "cannot be converted to code page " + std::to_string(GetACP());
    return false;
  }
  bool ToUtf8(const std::string &text, std::string *out, std::string *why) const override {
    std::wstring wide;
    std::string back;
    if (Widen(GetACP(), text, &wide) && Narrow(GetACP(), wide, &back) && back == text && Narrow(CP_UTF8, wide, out))
      return true;
    *why = "holds a byte that code page " + std::to_string(GetACP()) + " gives no character";
    return false;
  }
};

}  // namespace

const CodePage &ActiveCodePage() {
  static const Active page;
  return page;
}

}  // namespace rvxcfg
