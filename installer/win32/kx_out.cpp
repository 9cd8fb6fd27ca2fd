#include "kx_out.h"

#include <cstring>

#include "store_fs.h"

namespace kx {

char *HeapText(const std::string &text) {
  char *p = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, text.size() + 1));
  if (p) std::memcpy(p, text.c_str(), text.size() + 1);
  return p;
}

void SetNone(char ***names, KXCOUNT *count) {
  if (names) *names = nullptr;
  if (count) *count = 0;
}

bool SetNames(char ***names, KXCOUNT *count, const std::vector<std::string> &list, const char *what,
              std::string *err) {
  SetNone(names, count);
  if (list.size() > 65535) {
    *err = std::string("the store lists ") + std::to_string(list.size()) + " " + what +
           "; a list of more than 65,535 cannot be handed out";
    return false;
  }
  if (list.empty() || !names) {
    if (count) *count = static_cast<KXCOUNT>(list.size());
    return true;
  }
  HANDLE heap = GetProcessHeap();
  char **array = static_cast<char **>(HeapAlloc(heap, HEAP_ZERO_MEMORY, list.size() * sizeof(char *)));
  bool ok = array != nullptr;
  for (size_t i = 0; ok && i < list.size(); ++i) ok = (array[i] = HeapText(list[i])) != nullptr;
  if (!ok) {
    if (array) {
      for (size_t i = 0; i < list.size(); ++i)
        if (array[i]) HeapFree(heap, 0, array[i]);
      HeapFree(heap, 0, array);
    }
    *err = std::string("out of memory for the list of ") + what;
    return false;
  }
  *names = array;
  if (count) *count = static_cast<KXCOUNT>(list.size());
  return true;
}

int Fail(char **err, const std::string &text) {
  if (err) *err = HeapText(text);
  return 1;
}

HMODULE ModuleOf(const void *address) {
  HMODULE m = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<const char *>(address), &m);
  return m;
}

bool StoreDirectory(HMODULE self, std::string *dir, std::string *err) {
  std::string env;
  if (SystemFileSystem().GetEnv("VELKAN_INSTALL", &env) && !env.empty()) {
    *dir = env;
    return true;
  }
  // A module path can exceed MAX_PATH; grow until it fits.
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(self, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) {
      *err = "cannot find the installation: VELKAN_INSTALL is not set and the library's own path is unknown";
      return false;
    }
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() > 32768) {
      *err = "cannot find the installation: the library's path is too long";
      return false;
    }
    path.resize(path.size() * 2);
  }
  size_t slash = path.find_last_of("\\/");
  *dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  return true;
}

bool CheckPlatform(const char *plat, std::string *err) {
  if (plat && lstrcmpiA(plat, "win32") == 0) return true;
  *err = std::string("platform \"") + (plat ? std::string(plat).substr(0, 64) : std::string("(null)")) +
         "\" is not served by this installation (only \"win32\")";
  return false;
}

}  // namespace kx
