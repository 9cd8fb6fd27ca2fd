// PKRG.dll: product homes and installed products (read-only), and the one
// release function for every buffer that this DLL or KXIMPL32.dll hands out.
// Each call finds the installation itself: these calls take no context.
#include <windows.h>

#include <memory>
#include <mutex>
#include <unordered_map>

#include "installer_api.h"
#include "kx_out.h"
#include "name_index.h"
#include "store.h"

using kx::Fail;

namespace {

std::mutex g_lock;
long g_opened = 0;

HMODULE Self() { return kx::ModuleOf(reinterpret_cast<const void *>(&Self)); }

bool Catalogue(const char *entry, const char *plat, std::string *dir, const kx::Catalogue **c, std::string *err,
               unsigned freshMs = 0) {
  if (kx::ProcessFaults().Hit(entry, err) || !kx::CheckPlatform(plat, err) ||
      !kx::StoreDirectory(Self(), dir, err))
    return false;
  return kx::CachedCatalogue(*dir, c, err, freshMs);
}

// The first product of that name in a home of the current catalogue; an
// index per home, rebuilt when the catalogue is read again, keeps the
// program's three queries per product from scanning the home each time.
const kx::Product *FindProduct(const kx::Home &h, const char *name) {
  static std::unordered_map<const kx::Home *, kx::NameIndex> index;
  static unsigned long indexed = 0;
  if (indexed != kx::CatalogueLoads()) {
    index.clear();
    indexed = kx::CatalogueLoads();
  }
  auto nameOf = [&h](size_t i) { return std::string_view(h.products[i].name); };
  auto found = index.find(&h);
  if (found == index.end()) {
    found = index.emplace(&h, kx::NameIndex()).first;
    found->second.Build(h.products.size(), nameOf);
  }
  long at = found->second.Find(name, nameOf);
  return at < 0 ? nullptr : &h.products[static_cast<size_t>(at)];
}

// The first home of that name; with zero, which this registry knows only as 0.
bool FindHome(const char *entry, const char *home, const char *plat, int zero, std::string *dir,
              const kx::Home **h, std::string *err, unsigned freshMs = 0) {
  const kx::Catalogue *c = nullptr;
  if (!Catalogue(entry, plat, dir, &c, err, freshMs)) return false;
  if (zero != 0) {
    *err = "the third argument must be 0, not " + std::to_string(zero);
    return false;
  }
  if (!home) {
    *err = "no product home given";
    return false;
  }
  for (const auto &candidate : c->homes)
    if (candidate.name == home) {
      *h = &candidate;
      return true;
    }
  *err = std::string("no product home \"") + home + "\" in " + kx::TheStore().PathOf(*dir, kx::kCatalogueFile);
  return false;
}

enum Field { kLabel, kVersion, kSize };

int ProductField(const char *entry, Field field, const char *home, const char *plat, int zero, const char *product,
                 char **out, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  kx::SetEmpty(out);
  std::string why, dir;
  const kx::Home *h = nullptr;
  if (!FindHome(entry, home, plat, zero, &dir, &h, &why, kx::kItemQueryFreshMs)) return Fail(err, why);
  if (!product) return Fail(err, "no product name given");
  static const char *const names[] = {"label", "version", "size"};
  const kx::Product *found = FindProduct(*h, product);
  // Before saying no, make sure the answer does not come from an old read.
  if (!found) {
    const kx::Catalogue *c = nullptr;
    if (!kx::CachedCatalogue(dir, &c, &why)) return Fail(err, why);
    h = nullptr;
    for (const auto &candidate : c->homes)
      if (!h && candidate.name == home) h = &candidate;
    if (!h) return Fail(err, std::string("no product home \"") + home + "\" in " + kx::TheStore().PathOf(dir, kx::kCatalogueFile));
    found = FindProduct(*h, product);
  }
  if (found) {
    const kx::Product &p = *found;
    const std::optional<std::string> &value = field == kLabel ? p.label : field == kVersion ? p.version : p.size;
    if (!value)
      return Fail(err, "product \"" + p.name + "\" in home \"" + h->name + "\" has no " + names[field] + " (" +
                           kx::TheStore().PathOf(dir, kx::kCatalogueFile) + ")");
    if (out) {
      kx::HeapRelease(*out);
      *out = kx::HeapText(*value);
    }
    return 0;
  }
  return Fail(err, std::string("no product \"") + product + "\" installed in home \"" + h->name + "\"");
}

}  // namespace

extern "C" {

// Open and close only count: every query reads the store by itself, and the
// program opens twice and closes once.
int KXAPI PKRGinit(void) {
  std::lock_guard<std::mutex> hold(g_lock);
  ++g_opened;
  return 0;
}

int KXAPI PKRGclose(void) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_opened == 0) return 1;
  --g_opened;
  return 0;
}

void KXAPI PKRGfree(void *p) { kx::HeapRelease(p); }

int KXAPI getAllVelkanHomes(const char *plat, char ***homes, KXCOUNT *count) {
  std::lock_guard<std::mutex> hold(g_lock);
  kx::SetNone(homes, count);
  std::string why, dir;
  const kx::Catalogue *c = nullptr;
  if (!Catalogue("getAllVelkanHomes", plat, &dir, &c, &why)) return 1;
  auto name = [c](size_t i) { return std::string_view(c->homes[i].name); };
  return kx::SetNames(homes, count, c->homes.size(), name, "product homes", &why) ? 0 : 1;
}

int KXAPI getInstalledProducts(const char *home, const char *plat, int zero, char ***names, KXCOUNT *count,
                               char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  kx::SetNone(names, count);
  std::string why, dir;
  const kx::Home *h = nullptr;
  if (!FindHome("getInstalledProducts", home, plat, zero, &dir, &h, &why)) return Fail(err, why);
  auto name = [h](size_t i) { return std::string_view(h->products[i].name); };
  return kx::SetNames(names, count, h->products.size(), name, "installed products", &why) ? 0 : Fail(err, why);
}

int KXAPI getInstalledProductLabel(const char *home, const char *plat, int zero, const char *product, char **label,
                                   char **err) {
  return ProductField("getInstalledProductLabel", kLabel, home, plat, zero, product, label, err);
}

int KXAPI getInstalledProductVersion(const char *home, const char *plat, int zero, const char *product,
                                     char **version, char **err) {
  return ProductField("getInstalledProductVersion", kVersion, home, plat, zero, product, version, err);
}

int KXAPI getInstalledProductSize(const char *home, const char *plat, int zero, const char *product, char **size,
                                  char **err) {
  return ProductField("getInstalledProductSize", kSize, home, plat, zero, product, size, err);
}

}  // extern "C"
