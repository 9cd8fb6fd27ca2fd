// rvxlayout: lays out an installation's store for the demo, the tests and
// the benchmarks, and prints one.
//
//   rvxlayout create DIR DESCRIPTION-FILE
//   rvxlayout print DIR
//   rvxlayout generate DIR [--clients N] [--configs N] [--per-config N] [--products N]
//   rvxlayout set-resolution DIR ADMINISTRATOR LOCATION MANDATORY
//
// create and generate also set the registry values that mark products
// shareable: HKLM\SOFTWARE\VELKAN\BACKUP\<product> "Shareable" = "TRUE" or
// "FALSE". set-resolution commits one change the way the libraries do (the
// tests use it as a second writer, and with KX_FAULT as a writer that dies
// in the middle of its commit). The load harness is a test program of its
// own (tools/rvxload), built beside the tests and not shipped.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "description.h"
#include "store.h"

namespace {

const char kBackupKey[] = "SOFTWARE\\VELKAN\\BACKUP\\";

int Usage() {
  std::fprintf(stderr,
               "usage: rvxlayout create DIR DESCRIPTION-FILE\n"
               "       rvxlayout print DIR\n"
               "       rvxlayout generate DIR [--clients N] [--configs N] [--per-config N] [--products N]\n"
               "       rvxlayout set-resolution DIR ADMINISTRATOR LOCATION MANDATORY\n");
  return 2;
}

int Error(const std::string &text) {
  std::fprintf(stderr, "rvxlayout: %s\n", text.c_str());
  return 1;
}

kx::Store &TheStore() {
  static kx::Store store(kx::SystemFileSystem(), kx::ProcessFaults());
  return store;
}

bool SetShareable(const std::string &product, bool shareable, std::string *err) {
  HKEY key;
  std::string path = kBackupKey + product;
  LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  if (rc == ERROR_SUCCESS) {
    const char *value = shareable ? "TRUE" : "FALSE";
    rc = RegSetValueExA(key, "Shareable", 0, REG_SZ, reinterpret_cast<const BYTE *>(value),
                        static_cast<DWORD>(std::strlen(value) + 1));
    RegCloseKey(key);
  }
  if (rc != ERROR_SUCCESS) {
    *err = "cannot set HKLM\\" + path + " Shareable (error " + std::to_string(rc) + ")";
    return false;
  }
  return true;
}

bool IsShareable(const std::string &product) {
  char value[16] = {0};
  DWORD size = sizeof value - 1, type = 0;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kBackupKey + product).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  LONG rc = RegQueryValueExA(key, "Shareable", nullptr, &type, reinterpret_cast<BYTE *>(value), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS && type == REG_SZ && std::strcmp(value, "TRUE") == 0;
}

int Lay(const std::string &dir, const rvx::Layout &layout) {
  std::string err;
  if (!TheStore().WriteLayout(dir, layout.catalogue, layout.config, &err)) return Error(err);
  for (const auto &s : layout.shareable)
    if (!SetShareable(s.first, s.second, &err)) return Error(err);
  return 0;
}

int Create(const std::string &dir, const std::string &file) {
  std::string text, err;
  if (kx::SystemFileSystem().ReadAll(file, &text, &err) != kx::FileSystem::kRead)
    return Error(file + ": cannot read the description" + (err.empty() ? std::string() : ": " + err));
  rvx::Layout layout;
  if (!rvx::ParseDescription(text, &layout, &err)) return Error(file + ": " + err);
  return Lay(dir, layout);
}

int Print(const std::string &dir) {
  kx::Catalogue c;
  kx::ConfigData d;
  std::string err;
  if (!TheStore().LoadCatalogue(dir, &c, &err) || !TheStore().LoadConfig(dir, &d, &err)) return Error(err);
  std::string out = rvx::PrintLayout(c, d, &IsShareable);
  // Byte for byte, LF line ends: the print is compared and fed back to create.
  _setmode(_fileno(stdout), _O_BINARY);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

const char *const kOsTexts[] = {"Windows (32-bit)", "Windows 95", "Windows NT", "OS/2",
                                "NetWare",          "Windows 3.x", "DOS",       "(none)"};

int Generate(const std::string &dir, int argc, char **argv) {
  long clients = 1000, configs = 50, perConfig = 50, products = 20;
  for (int i = 0; i + 1 < argc; i += 2) {
    long v = std::strtol(argv[i + 1], nullptr, 10);
    if (v < 0 || v > 1000000) return Error(std::string("bad number for ") + argv[i]);
    if (!std::strcmp(argv[i], "--clients")) clients = v;
    else if (!std::strcmp(argv[i], "--configs")) configs = v;
    else if (!std::strcmp(argv[i], "--per-config")) perConfig = v;
    else if (!std::strcmp(argv[i], "--products")) products = v;
    else return Usage();
  }
  if (argc % 2) return Usage();
  rvx::Layout layout;
  layout.catalogue.language = "us";
  layout.config.resolution = kx::Words{"administrator", "shared", "optional"};
  layout.catalogue.homes.push_back(kx::Home{"C:\\VELKAN\\BENCH", {}});
  char name[64];
  for (long i = 0; i < products; ++i) {
    std::snprintf(name, sizeof name, "Bench Product %04ld", i + 1);
    kx::Product p;
    p.name = name;
    p.label = std::string("Velkan ") + name;
    p.version = "4." + std::to_string(i % 10);
    p.size = std::to_string(1000 + i * 37);
    layout.catalogue.homes[0].products.push_back(p);
    layout.shareable[name] = true;
  }
  for (long i = 0; i < clients; ++i) {
    std::snprintf(name, sizeof name, "CLIENT-%06ld", i + 1);
    layout.catalogue.clients.push_back(kx::Client{name, std::string(kOsTexts[i % 8]), std::string("4.0")});
  }
  static const char *const admin[] = {"administrator", "user"};
  static const char *const location[] = {"shared", "local", "download"};
  static const char *const mandatory[] = {"mandatory", "optional"};
  for (long i = 0; i < configs; ++i) {
    kx::Configuration c;
    std::snprintf(name, sizeof name, "Bench Config %04ld", i + 1);
    c.name = name;
    c.words = kx::Words{admin[i % 2], location[i % 3], mandatory[(i / 2) % 2]};
    c.os = kOsTexts[i % 8];
    for (long k = 0; k < 5 && k < products; ++k)
      c.products.push_back(layout.catalogue.homes[0].products[(i + k) % products].name);
    for (long k = 0; k < perConfig && clients > 0; ++k)
      c.clients.push_back(layout.catalogue.clients[(i * perConfig + k) % clients].name);
    layout.config.configs.push_back(c);
  }
  return Lay(dir, layout);
}

int SetResolution(const std::string &dir, const char *a, const char *l, const char *m) {
  kx::ConfigData d;
  std::string err;
  kx::Words w{a, l, m};
  if (!kx::CheckWords(w, &err) || !TheStore().LoadConfig(dir, &d, &err)) return Error(err);
  kx::ConfigData mine = d;
  mine.resolution = w;
  if (!TheStore().CommitConfig(dir, d, mine, nullptr, &err)) return Error(err);
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 3) return Usage();
  std::string command = argv[1], dir = argv[2];
  if (command == "create" && argc == 4) return Create(dir, argv[3]);
  if (command == "print" && argc == 3) return Print(dir);
  if (command == "generate") return Generate(dir, argc - 3, argv + 3);
  if (command == "set-resolution" && argc == 6) return SetResolution(dir, argv[3], argv[4], argv[5]);
  return Usage();
}
