// A real store in a fresh temporary directory, reached by the DLLs through
// VELKAN_INSTALL, and helpers that take the DLLs' buffers over (releasing
// them with PKRGfree, as the program does).
#ifndef INSTALLER_STORE_FIXTURE_H
#define INSTALLER_STORE_FIXTURE_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "installer_api.h"
#include "store.h"

namespace kxtest {

inline kx::Store &CoreStore() {
  static kx::Store store(kx::SystemFileSystem(), kx::ProcessFaults());
  return store;
}

// Takes a text handed out by either DLL; a null text reads as "<null>".
inline std::string Take(char *text) {
  std::string s = text ? text : "<null>";
  PKRGfree(text);
  return s;
}

inline std::vector<std::string> TakeNames(char **names, KXCOUNT count) {
  std::vector<std::string> v;
  for (KXCOUNT i = 0; i < count; ++i) v.push_back(Take(names[i]));
  PKRGfree(names);
  return v;
}

inline std::string ReadFile(const std::string &path) {
  std::string bytes, err;
  kx::SystemFileSystem().ReadAll(path, &bytes, &err);
  return bytes;
}

inline void PutFile(const std::string &path, const std::string &bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD put = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(h);
}

inline bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The files of a directory whose names end with suffix.
inline std::vector<std::string> FilesEndingWith(const std::string &dir, const std::string &suffix) {
  std::vector<std::string> found;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return found;
  do {
    std::string n = fd.cFileName;
    if (n.size() >= suffix.size() && n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0)
      found.push_back(n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return found;
}

// A small installation: two homes, products with and without fields,
// clients, two configurations, a resolution and a language.
inline void SampleLayout(kx::Catalogue *c, kx::ConfigData *d) {
  *c = kx::Catalogue();
  *d = kx::ConfigData();
  c->language = "us";
  kx::Home first{"C:\\VELKAN\\POOL", {}};
  first.products.push_back(kx::Product{"Mail", std::string("Velkan Mail"), std::string("4.2"), std::string("1200")});
  first.products.push_back(kx::Product{"Broken", std::nullopt, std::string("1.0"), std::string("10")});
  first.products.push_back(kx::Product{"Forms", std::string("Velkan Forms"), std::string("3.1"), std::nullopt});
  c->homes.push_back(first);
  c->homes.push_back(kx::Home{"D:\\OLD", {kx::Product{"Retired", std::string("R"), std::string("1"), std::string("1")}}});
  c->clients.push_back(kx::Client{"PC-1", std::string("Windows NT"), std::string("4.0")});
  c->clients.push_back(kx::Client{"PC-2", std::string("Windows 95"), std::nullopt});
  c->clients.push_back(kx::Client{"PC-3", std::nullopt, std::string("6.22")});
  d->resolution = kx::Words{"administrator", "shared", "optional"};
  kx::Configuration lab;
  lab.name = "Lab";
  lab.products = {"Mail", "Forms"};
  lab.words = kx::Words{"user", "local", "mandatory"};
  lab.os = "Windows NT";
  lab.value = 7;
  lab.clients = {"PC-1", "PC-3"};
  kx::Configuration office;
  office.name = "Office";
  office.words = kx::Words{"administrator", "download", "optional"};
  office.os = "Windows 95";
  d->configs = {lab, office};
}

// A store file's content without who committed it (stamps, the commits and
// removals remembered): what a change is compared by. Unreadable bytes come
// back as they are.
inline std::string Unstamped(const std::string &bytes) {
  kx::ConfigData d;
  std::string err;
  if (!kx::ReadConfigData(bytes, "store", &d, &err)) return bytes;
  d.resolutionStamp.reset();
  for (auto &c : d.configs) c.stamp.reset();
  d.commits.clear();
  d.removed.clear();
  return kx::WriteConfigData(d);
}

class TempStore : public ::testing::Test {
 protected:
  void SetUp() override { NewDirectory(); }
  // Moves the test to a new, empty directory: an installation this process
  // has never read, so that its first read is a new base.
  void Fresh() {
    DropDirectory();
    NewDirectory();
  }
  void NewDirectory() {
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    static int serial = 0;
    // Wine hands out the same process ids run after run: a name left by a
    // crashed run is skipped, not reused.
    do {
      dir_ = std::string(tmp) + "kxtest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    } while (!CreateDirectoryA(dir_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS && serial < 100000);
    ASSERT_NE(GetFileAttributesA(dir_.c_str()), INVALID_FILE_ATTRIBUTES) << dir_;
    SetEnvironmentVariableA("VELKAN_INSTALL", dir_.c_str());
    SetEnvironmentVariableA("KX_FAULT", nullptr);
  }
  void TearDown() override {
    SetEnvironmentVariableA("KX_FAULT", nullptr);
    // Drop any pending change a test left in KXIMPL32: a makeTempFiles that
    // fails ends the earlier change.
    SetEnvironmentVariableA("VELKAN_INSTALL", (dir_ + "\\no-such-store").c_str());
    char *err = nullptr;
    makeTempFiles(nullptr, "win32", &err);
    PKRGfree(err);
    SetEnvironmentVariableA("VELKAN_INSTALL", nullptr);
    DropDirectory();
  }
  void DropDirectory() { RemoveTree(dir_); }
  static void RemoveTree(const std::string &dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string n = fd.cFileName, path = dir + "\\" + n;
        if (n == "." || n == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
        else DeleteFileA(path.c_str());
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
  }

  void Lay(const kx::Catalogue &c, const kx::ConfigData &d) {
    std::string err;
    ASSERT_TRUE(CoreStore().WriteLayout(dir_, c, d, &err)) << err;
  }
  void LaySample() {
    kx::Catalogue c;
    kx::ConfigData d;
    SampleLayout(&c, &d);
    Lay(c, d);
  }
  std::string Path(const char *file) const { return dir_ + "\\" + file; }
  std::string ConfigPath() const { return Path(kx::kConfigFile); }
  std::string CataloguePath() const { return Path(kx::kCatalogueFile); }

  kx::ConfigData Stored() {
    kx::ConfigData d;
    std::string err;
    EXPECT_TRUE(CoreStore().LoadConfig(dir_, &d, &err)) << err;
    return d;
  }

  // One call's context, as the program makes it.
  char *Ctx() {
    kxsaoh("win32", ctx_);
    return ctx_;
  }

  std::string dir_;
  char ctx_[KX_CONTEXT_SIZE];
};

// An error text taken over; fails the test when the call set none.
inline std::string ErrText(char *err) {
  EXPECT_NE(err, nullptr) << "a failed call set no error text";
  return Take(err);
}

inline bool Contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

// Names that trip up formats: blanks at either end, brackets, '=', ';',
// '%', quotes, commas, tabs, every 8-bit byte, the longest name.
inline std::vector<std::string> OddNames() {
  std::string high;
  for (int b = 0x80; b <= 0xFF; ++b) high += static_cast<char>(b);
  std::string every;
  for (int b = 1; b <= 255; ++b)
    if (b != '\r' && b != '\n') every += static_cast<char>(b);
  return {"plain", " leading", "trailing ", "  both  ", "in ner  blanks", "[section]", "key=value", "a;comment",
          "100%", "%41 not an escape", "%", "\"quoted\"", "'single'", "tab\there", high, every,
          std::string(kx::kMaxNameLength, 'L'), "a,b", "back\\slash", "|bar|", "#hash"};
}

// Configuration names cannot hold a comma (the store refuses it); every
// other byte goes through them too.
inline std::string ConfigName(std::string name) {
  for (char &ch : name)
    if (ch == ',') ch = ';';
  return name;
}

}  // namespace kxtest
#endif
