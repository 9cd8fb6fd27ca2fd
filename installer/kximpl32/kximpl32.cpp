// KXIMPL32.dll: configurations, clients, conflict resolution, the pending
// change and its commit, and the current language.
//
// A pending change lives in this DLL's memory: makeTempFiles copies the
// configuration data and remembers its generation; the set and remove calls
// change the copy; commitRVXChanges writes it as the new store under the
// lock, unless another commit came in between. The read calls always answer
// from the committed store, never from the pending copy.
#include <windows.h>

#include <cstring>
#include <mutex>
#include <unordered_map>

#include "installer_api.h"
#include "kx_out.h"
#include "store.h"

using kx::Fail;

namespace {

// The installation a context names: "KX1:" followed by the store directory.
// A directory too long for the caller's 260 characters is kept here and the
// context says "KX1*". Anything else (a context kxsaoh never filled) makes
// the call find the installation itself.
const char kContextTag[] = "KX1:";
const char kLongContextTag[] = "KX1*";

std::mutex g_lock;
std::string g_longDir;

struct Pending {
  bool active = false;
  std::string dir;
  uint64_t base = 0;
  kx::ConfigData data;
};
Pending g_pending;

kx::Store &TheStore() {
  static kx::Store store(kx::SystemFileSystem(), kx::ProcessFaults());
  return store;
}

HMODULE Self() { return kx::ModuleOf(reinterpret_cast<const void *>(&Self)); }

bool DirectoryOf(const char *ctx, std::string *dir, std::string *err) {
  if (ctx && std::memchr(ctx, 0, KX_CONTEXT_SIZE)) {
    if (std::strncmp(ctx, kContextTag, 4) == 0 && ctx[4]) {
      *dir = ctx + 4;
      return true;
    }
    if (std::strcmp(ctx, kLongContextTag) == 0 && !g_longDir.empty()) {
      *dir = g_longDir;
      return true;
    }
  }
  return kx::StoreDirectory(Self(), dir, err);
}

// The start of every call: the fault switch, the platform and the store
// directory.
bool Begin(const char *entry, const char *ctx, const char *plat, std::string *dir, std::string *err) {
  if (kx::ProcessFaults().Hit(entry, err)) return false;
  if (!kx::CheckPlatform(plat, err)) return false;
  return DirectoryOf(ctx, dir, err);
}

kx::CachedFile<kx::Catalogue> g_catalogue;

// The program asks for two fields of every client, one call each: a
// catalogue looked at within this many milliseconds is not looked at again
// for such a query (a list call always looks).
const unsigned kItemQueryFreshMs = 20;

bool Catalogue(const std::string &dir, const kx::Catalogue **c, std::string *err, unsigned freshMs = 0) {
  return g_catalogue.Get(kx::SystemFileSystem(), TheStore(), &kx::Store::LoadCatalogue, dir, kx::kCatalogueFile, c,
                         err, freshMs);
}

kx::CachedFile<kx::ConfigData> g_config;

bool Config(const std::string &dir, const kx::ConfigData **d, std::string *err) {
  return g_config.Get(kx::SystemFileSystem(), TheStore(), &kx::Store::LoadConfig, dir, kx::kConfigFile, d, err);
}

bool PendingFor(const std::string &dir, std::string *err) {
  if (!g_pending.active) {
    *err = "no pending change: call makeTempFiles first";
    return false;
  }
  if (g_pending.dir != dir) {
    *err = "the pending change belongs to the installation at " + g_pending.dir + ", not " + dir;
    return false;
  }
  return true;
}

bool NameArg(const char *name, const char *what, std::string *text, std::string *err) {
  if (!name) {
    *err = std::string("no ") + what + " name given";
    return false;
  }
  *text = name;
  return kx::CheckName(*text, what, err);
}

bool NameList(char **names, KXCOUNT count, const char *what, std::vector<std::string> *out, std::string *err) {
  out->clear();
  if (count && !names) {
    *err = std::string("a count of ") + std::to_string(count) + " " + what + " names without the names";
    return false;
  }
  for (KXCOUNT i = 0; i < count; ++i) {
    std::string n;
    if (!NameArg(names[i], what, &n, err)) return false;
    out->push_back(n);
  }
  return true;
}

bool TextArg(const char *text, const char *what, std::string *out, std::string *err) {
  if (!text) {
    *err = std::string("no ") + what + " given";
    return false;
  }
  *out = text;
  return kx::CheckText(*out, what, err);
}

// The program asks for every client's OS and version one by one: an index
// by name, rebuilt when the catalogue is read again, keeps that linear.
const kx::Client *FindClient(const kx::Catalogue &c, const std::string &name) {
  static std::unordered_map<std::string, size_t> index;
  static unsigned long indexed = 0;
  if (indexed != g_catalogue.Loads() || index.size() > c.clients.size()) {
    index.clear();
    // Backwards, so that of two clients with one name the first wins.
    for (size_t i = c.clients.size(); i-- > 0;) index[c.clients[i].name] = i;
    indexed = g_catalogue.Loads();
  }
  auto it = index.find(name);
  return it == index.end() ? nullptr : &c.clients[it->second];
}

}  // namespace

extern "C" {

int KXAPI getCurrentLangAbrev(char *abbrev, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (abbrev) abbrev[0] = 0;
  std::string why, dir;
  const kx::Catalogue *c = nullptr;
  if (kx::ProcessFaults().Hit("getCurrentLangAbrev", &why)) return Fail(err, why);
  if (!abbrev) return Fail(err, "no buffer for the language abbreviation");
  if (!kx::StoreDirectory(Self(), &dir, &why) || !Catalogue(dir, &c, &why)) return Fail(err, why);
  if (!c->language)
    return Fail(err, TheStore().PathOf(dir, kx::kCatalogueFile) + ": the installation names no current language");
  // The store keeps at most 99 bytes, which the caller's 100 hold.
  std::memcpy(abbrev, c->language->c_str(), c->language->size() + 1);
  return 0;
}

int KXAPI kxsaoh(const char *plat, char *ctx) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir;
  if (ctx) ctx[0] = 0;
  if (kx::ProcessFaults().Hit("kxsaoh", &why) || !ctx || !kx::CheckPlatform(plat, &why) ||
      !kx::StoreDirectory(Self(), &dir, &why))
    return 1;
  if (dir.size() + 5 <= KX_CONTEXT_SIZE) {
    std::memcpy(ctx, kContextTag, 4);
    std::memcpy(ctx + 4, dir.c_str(), dir.size() + 1);
  } else {
    g_longDir = dir;
    std::memcpy(ctx, kLongContextTag, sizeof kLongContextTag);
  }
  return 0;
}

int KXAPI getAllConfigurations(char *ctx, const char *plat, char ***names, KXCOUNT *count, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  kx::SetNone(names, count);
  std::string why, dir;
  const kx::ConfigData *d = nullptr;
  if (!Begin("getAllConfigurations", ctx, plat, &dir, &why) || !Config(dir, &d, &why)) return Fail(err, why);
  std::vector<std::string> list;
  for (const auto &c : d->configs) list.push_back(c.name);
  return kx::SetNames(names, count, list, "configurations", &why) ? 0 : Fail(err, why);
}

int KXAPI getConfiguration(char *ctx, const char *plat, const char *name, char ***products, KXCOUNT *productCount,
                           char **administrator, char **location, char **mandatory, char **os, int *value,
                           char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  kx::SetNone(products, productCount);
  kx::SetEmpty(administrator);
  kx::SetEmpty(location);
  kx::SetEmpty(mandatory);
  kx::SetEmpty(os);
  if (value) *value = 0;
  std::string why, dir, n;
  const kx::ConfigData *d = nullptr;
  if (!Begin("getConfiguration", ctx, plat, &dir, &why) || !NameArg(name, "configuration", &n, &why) ||
      !Config(dir, &d, &why))
    return Fail(err, why);
  const kx::Configuration *c = d->Find(n);
  if (!c) return Fail(err, "no configuration \"" + n + "\" in " + TheStore().PathOf(dir, kx::kConfigFile));
  if (!kx::SetNames(products, productCount, c->products, "products", &why)) return Fail(err, why);
  // Replace the empty texts set above: release them first.
  for (auto out : {std::make_pair(administrator, &c->words.administrator),
                   std::make_pair(location, &c->words.location), std::make_pair(mandatory, &c->words.mandatory),
                   std::make_pair(os, &c->os)}) {
    if (!out.first) continue;
    kx::HeapRelease(*out.first);
    *out.first = kx::HeapText(*out.second);
  }
  if (value) *value = c->value;
  return 0;
}

int KXAPI getConfigurationClients(char *ctx, const char *plat, const char *name, char ***clients, KXCOUNT *count,
                                  char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  kx::SetNone(clients, count);
  std::string why, dir, n;
  const kx::ConfigData *d = nullptr;
  if (!Begin("getConfigurationClients", ctx, plat, &dir, &why) || !NameArg(name, "configuration", &n, &why) ||
      !Config(dir, &d, &why))
    return Fail(err, why);
  const kx::Configuration *c = d->Find(n);
  if (!c) return Fail(err, "no configuration \"" + n + "\" in " + TheStore().PathOf(dir, kx::kConfigFile));
  return kx::SetNames(clients, count, c->clients, "clients", &why) ? 0 : Fail(err, why);
}

int KXAPI setConfiguration(char *ctx, const char *plat, const char *name, char **products, KXCOUNT productCount,
                           const char *administrator, const char *location, const char *mandatory, const char *os,
                           int value, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir;
  kx::Configuration c;
  if (!Begin("setConfiguration", ctx, plat, &dir, &why) || !NameArg(name, "configuration", &c.name, &why) ||
      !kx::CheckConfigurationName(c.name, &why) ||
      !NameList(products, productCount, "product", &c.products, &why) ||
      !TextArg(administrator, "administrator word", &c.words.administrator, &why) ||
      !TextArg(location, "location word", &c.words.location, &why) ||
      !TextArg(mandatory, "mandatory word", &c.words.mandatory, &why) || !kx::CheckWords(c.words, &why) ||
      !TextArg(os, "OS text", &c.os, &why) || !PendingFor(dir, &why))
    return Fail(err, why);
  c.value = value;
  if (kx::Configuration *old = g_pending.data.Find(c.name)) {
    c.clients = old->clients;  // set separately, by setConfigurationClients
    *old = c;                  // in place: the order of configurations stays
  } else {
    if (g_pending.data.configs.size() >= 65535)
      return Fail(err, "the installation holds 65,535 configurations, as many as can be listed");
    g_pending.data.configs.push_back(c);
  }
  return 0;
}

int KXAPI setConfigurationClients(char *ctx, const char *plat, const char *name, char **clients, KXCOUNT count,
                                  char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir, n;
  std::vector<std::string> list;
  if (!Begin("setConfigurationClients", ctx, plat, &dir, &why) || !NameArg(name, "configuration", &n, &why) ||
      !NameList(clients, count, "client", &list, &why) || !PendingFor(dir, &why))
    return Fail(err, why);
  kx::Configuration *c = g_pending.data.Find(n);
  if (!c) return Fail(err, "no configuration \"" + n + "\" in the pending change: set it first");
  c->clients = list;
  return 0;
}

int KXAPI removeConfiguration(char *ctx, const char *plat, const char *name, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir, n;
  if (!Begin("removeConfiguration", ctx, plat, &dir, &why) || !NameArg(name, "configuration", &n, &why) ||
      !PendingFor(dir, &why))
    return Fail(err, why);
  // Removing a name that is not there leaves the store as asked: success.
  auto &v = g_pending.data.configs;
  for (auto it = v.begin(); it != v.end(); ++it)
    if (it->name == n) {
      v.erase(it);
      break;
    }
  return 0;
}

int KXAPI makeTempFiles(char *ctx, const char *plat, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir;
  const kx::ConfigData *d = nullptr;
  // A second makeTempFiles drops the earlier pending change and starts anew.
  g_pending = Pending();
  // Always from the disk: a file replaced by another administrator within
  // one tick of the clock, at the same size, would look unchanged, and a
  // change begun from a stale copy would only be refused at its commit.
  g_config.Forget();
  if (!Begin("makeTempFiles", ctx, plat, &dir, &why) || !Config(dir, &d, &why)) return Fail(err, why);
  g_pending.active = true;
  g_pending.dir = dir;
  g_pending.base = d->generation;
  g_pending.data = *d;
  return 0;
}

int KXAPI commitRVXChanges(char *ctx, const char *plat, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir;
  if (!Begin("commitRVXChanges", ctx, plat, &dir, &why) || !PendingFor(dir, &why)) return Fail(err, why);
  bool committed = TheStore().CommitConfig(dir, g_pending.data, g_pending.base, &why);
  g_config.Forget();
  if (!committed) return Fail(err, why);  // the pending change stays: a retry may succeed
  g_pending = Pending();
  return 0;
}

int KXAPI getAllClients(char *ctx, const char *plat, char ***names, KXCOUNT *count, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  kx::SetNone(names, count);
  std::string why, dir;
  const kx::Catalogue *c = nullptr;
  if (!Begin("getAllClients", ctx, plat, &dir, &why) || !Catalogue(dir, &c, &why)) return Fail(err, why);
  std::vector<std::string> list;
  list.reserve(c->clients.size());
  for (const auto &cl : c->clients) list.push_back(cl.name);
  return kx::SetNames(names, count, list, "clients", &why) ? 0 : Fail(err, why);
}

static int ClientField(const char *entry, char *ctx, const char *plat, const char *client, char **out, bool os,
                       char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  kx::SetEmpty(out);
  std::string why, dir, n;
  const kx::Catalogue *c = nullptr;
  if (!Begin(entry, ctx, plat, &dir, &why) || !NameArg(client, "client", &n, &why) ||
      !Catalogue(dir, &c, &why, kItemQueryFreshMs))
    return Fail(err, why);
  const kx::Client *cl = FindClient(*c, n);
  // Before saying no, make sure the answer does not come from an old read.
  if (!cl && !Catalogue(dir, &c, &why)) return Fail(err, why);
  if (!cl) cl = FindClient(*c, n);
  if (!cl) return Fail(err, "no client \"" + n + "\" in " + TheStore().PathOf(dir, kx::kCatalogueFile));
  const auto &field = os ? cl->os : cl->version;
  if (!field)
    return Fail(err, "client \"" + n + "\" has no " + (os ? "OS" : "OS version") + " in " +
                         TheStore().PathOf(dir, kx::kCatalogueFile));
  if (out) {
    kx::HeapRelease(*out);
    *out = kx::HeapText(*field);
  }
  return 0;
}

int KXAPI getClientOS(char *ctx, const char *plat, const char *client, char **os, char **err) {
  return ClientField("getClientOS", ctx, plat, client, os, true, err);
}

int KXAPI getClientOSVersion(char *ctx, const char *plat, const char *client, char **version, char **err) {
  return ClientField("getClientOSVersion", ctx, plat, client, version, false, err);
}

int KXAPI getConflictResolution(char *ctx, const char *plat, char **administrator, char **location,
                                char **mandatory, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  kx::SetEmpty(administrator);
  kx::SetEmpty(location);
  kx::SetEmpty(mandatory);
  std::string why, dir;
  const kx::ConfigData *d = nullptr;
  if (!Begin("getConflictResolution", ctx, plat, &dir, &why) || !Config(dir, &d, &why)) return Fail(err, why);
  if (!d->resolution)
    return Fail(err, TheStore().PathOf(dir, kx::kConfigFile) + ": the installation has no conflict resolution");
  for (auto out : {std::make_pair(administrator, &d->resolution->administrator),
                   std::make_pair(location, &d->resolution->location),
                   std::make_pair(mandatory, &d->resolution->mandatory)}) {
    if (!out.first) continue;
    kx::HeapRelease(*out.first);
    *out.first = kx::HeapText(*out.second);
  }
  return 0;
}

int KXAPI setConflictResolution(char *ctx, const char *plat, const char *administrator, const char *location,
                                const char *mandatory, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir;
  kx::Words w;
  if (!Begin("setConflictResolution", ctx, plat, &dir, &why) ||
      !TextArg(administrator, "administrator word", &w.administrator, &why) ||
      !TextArg(location, "location word", &w.location, &why) ||
      !TextArg(mandatory, "mandatory word", &w.mandatory, &why) || !kx::CheckWords(w, &why) ||
      !PendingFor(dir, &why))
    return Fail(err, why);
  g_pending.data.resolution = w;
  return 0;
}

}  // extern "C"
