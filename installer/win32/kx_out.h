// What both installer DLLs share: the blocks every text and list they hand
// out lives in, which PKRGfree releases whichever DLL made them; the
// out-parameter rules (set also on failure); and where the installation's
// store is.
//
// A list is handed out as one block on the process heap: the array of
// pointers and every name in it. Single texts (a label, an error text) are
// cut from shared blocks of a few kilobytes. Every piece (the array, each
// name, each text) carries a tag in the eight bytes before it that leads to
// its block, and the block counts the pieces not yet released; releasing
// the last one releases the block. So the caller still releases every name,
// text and array once, in any order, through PKRGfree, while the heap sees
// one allocation a list instead of one a name. A pointer without a tag (a
// plain heap block) is released with HeapFree as before.
#ifndef KX_OUT_H
#define KX_OUT_H

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "installer_api.h"
#include "store.h"

namespace kx {

// A copy of text in a shared block; null only when the heap is exhausted.
char *HeapText(std::string_view text);
// Releases one piece (or a plain heap block); null is harmless. A piece
// released twice is released once.
void HeapRelease(void *p);

// The empty allocated text that a failed call leaves in a text out-param.
inline void SetEmpty(char **out) {
  if (out) *out = HeapText(std::string_view());
}
void SetNone(char ***names, KXCOUNT *count);

// Hands out n names, name(i) giving the i-th as a std::string_view, as one
// block. Fails (with a text) when the list does not fit the 16-bit count or
// the heap.
template <class Name>
bool SetNames(char ***names, KXCOUNT *count, size_t n, Name name, const char *what, std::string *err);
bool SetNames(char ***names, KXCOUNT *count, const std::vector<std::string> &list, const char *what,
              std::string *err);
// Stores a failure text and returns the failure result.
int Fail(char **err, std::string_view text);

// Where the store is: VELKAN_INSTALL if set, else the directory that holds
// the given module (KXIMPL32.dll and PKRG.dll lie side by side).
bool StoreDirectory(HMODULE self, std::string *dir, std::string *err);
HMODULE ModuleOf(const void *address);

// The platform argument: this installation serves "win32" only.
bool CheckPlatform(const char *plat, std::string *err);

// This DLL's store, and the installation's catalogue as it read it last
// (each DLL links its own copy of these).
Store &TheStore();
// Parsed again only when the file changed; freshMs as CachedFile::Get.
bool CachedCatalogue(const std::string &dir, const Catalogue **c, std::string *err, unsigned freshMs = 0);
// Changes whenever CachedCatalogue parsed the file again: an index over it
// is stale then.
unsigned long CatalogueLoads();
// The program asks for two fields of every client and three of every
// product, one call each: a catalogue looked at within this many
// milliseconds is not looked at again for such a query (a list call always
// looks).
const unsigned kItemQueryFreshMs = 20;

// ---- list blocks -----------------------------------------------------------

namespace block {
// Room for the array and for n names of bytes bytes in all (without their
// zeros); null when the heap is exhausted. Put then fills the block.
class ListBuilder {
 public:
  ListBuilder(size_t n, size_t bytes);
  ~ListBuilder();
  bool Ok() const { return array_ != nullptr; }
  void Put(size_t i, std::string_view name);
  // The array; the block now belongs to the caller.
  char **Finish();

 private:
  char *base_ = nullptr;
  char **array_ = nullptr;
  char *next_ = nullptr;
};
bool TooLong(size_t n, const char *what, std::string *err);
}  // namespace block

template <class Name>
bool SetNames(char ***names, KXCOUNT *count, size_t n, Name name, const char *what, std::string *err) {
  SetNone(names, count);
  if (block::TooLong(n, what, err)) return false;
  if (n == 0 || !names) {
    if (count) *count = static_cast<KXCOUNT>(n);
    return true;
  }
  size_t bytes = 0;
  for (size_t i = 0; i < n; ++i) bytes += std::string_view(name(i)).size();
  block::ListBuilder list(n, bytes);
  if (!list.Ok()) {
    *err = std::string("out of memory for the list of ") + what;
    return false;
  }
  for (size_t i = 0; i < n; ++i) list.Put(i, name(i));
  *names = list.Finish();
  if (count) *count = static_cast<KXCOUNT>(n);
  return true;
}

}  // namespace kx
#endif
