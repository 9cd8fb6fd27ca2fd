// What both installer DLLs share: every buffer they hand out comes from the
// process heap, so PKRGfree (HeapFree on the same heap) releases buffers of
// either DLL; the out-parameter rules (set also on failure); and where the
// installation's store is.
#ifndef KX_OUT_H
#define KX_OUT_H

#include <windows.h>

#include <string>
#include <vector>

#include "installer_api.h"

namespace kx {

// A heap copy of text; null only when the heap is exhausted.
char *HeapText(const std::string &text);
inline void HeapRelease(void *p) {
  if (p) HeapFree(GetProcessHeap(), 0, p);
}
// The empty allocated text that a failed call leaves in a text out-param.
inline void SetEmpty(char **out) {
  if (out) *out = HeapText(std::string());
}
inline void SetText(char **out, const std::string &text) {
  if (out) *out = HeapText(text);
}
void SetNone(char ***names, KXCOUNT *count);
// Fails (with a text) when the list does not fit the 16-bit count.
bool SetNames(char ***names, KXCOUNT *count, const std::vector<std::string> &list, const char *what,
              std::string *err);
// Stores a failure text and returns the failure result.
int Fail(char **err, const std::string &text);

// Where the store is: VELKAN_INSTALL if set, else the directory that holds
// the given module (KXIMPL32.dll and PKRG.dll lie side by side).
bool StoreDirectory(HMODULE self, std::string *dir, std::string *err);
HMODULE ModuleOf(const void *address);

// The platform argument: this installation serves "win32" only.
bool CheckPlatform(const char *plat, std::string *err);

}  // namespace kx
#endif
