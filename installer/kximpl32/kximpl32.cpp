// KXIMPL32.dll: configurations, clients, conflict resolution, the pending
// change and its commit, and the current language.
//
// A pending change lives in this DLL's memory (core/pending_change.h): the
// first read of the store is the base of this process's edits;
// makeTempFiles starts the pending change from it; the set and remove calls
// change it; commitRVXChanges merges it under the lock with the store as it
// is then, so that what other runs committed meanwhile is kept, and a true
// conflict is refused. The read calls always answer from the committed
// store, never from the pending copy.
//
// A context that useGeneration pointed at a generation kept in the store's
// history makes the read calls answer from that generation; it is
// read-only: makeTempFiles, the set and remove calls and the commit refuse it.
// makeTempFilesFrom makes a kept generation the base of this run instead
// (an export's), so that the commit merges against what came since.
#include <windows.h>

#include <cstring>
#include <memory>
#include <mutex>

#include "installer_api.h"
#include "kx_out.h"
#include "name_index.h"
#include "pending_change.h"
#include "store.h"

using kx::Fail;

namespace {

// The installation a context names: "KX1:" followed by the store directory.
// A directory too long for the caller's 260 characters is kept here and the
// context says "KX1*". Anything else (a context kxsaoh never filled) makes
// the call find the installation itself.
const char kContextTag[] = "KX1:";
const char kLongContextTag[] = "KX1*";
// "KXG<generation>:" followed by the directory, or "KXG<generation>*" for a
// long one.
const char kGenerationTag[] = "KXG";

std::mutex g_lock;
std::string g_longDir;
// The generation the context of the call in progress reads; 0: the current.
uint64_t g_callGeneration = 0;

kx::PendingChange &Change() {
  static kx::PendingChange change(kx::TheStore());
  return change;
}

HMODULE Self() { return kx::ModuleOf(reinterpret_cast<const void *>(&Self)); }

bool DirectoryOf(const char *ctx, std::string *dir, std::string *err) {
  g_callGeneration = 0;
  if (ctx && std::memchr(ctx, 0, KX_CONTEXT_SIZE) && std::strncmp(ctx, kGenerationTag, 3) == 0) {
    const char *end = ctx + 3 + std::strspn(ctx + 3, "0123456789");
    uint64_t g = 0;
    if (kx::ParseDecimal(std::string(ctx + 3, end), &g) && g && (*end == ':' || *end == '*')) {
      if (*end == ':' && end[1]) {
        *dir = end + 1;
        g_callGeneration = g;
        return true;
      }
      if (*end == '*' && !end[1] && !g_longDir.empty()) {
        *dir = g_longDir;
        g_callGeneration = g;
        return true;
      }
    }
  }
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

kx::CachedFile<kx::ConfigData> g_config;

// The last generation read from the history: kept files never change.
struct Historic {
  std::string dir;
  uint64_t generation = 0;
  kx::ConfigData data;
};
Historic g_historic;

bool Config(const std::string &dir, const kx::ConfigData **d, std::string *err) {
  if (g_callGeneration) {
    // A generation of the history is never the base of this run's edits.
    if (g_historic.generation != g_callGeneration || g_historic.dir != dir) {
      g_historic = Historic();
      if (!kx::TheStore().LoadGeneration(dir, g_callGeneration, &g_historic.data, nullptr, err)) return false;
      g_historic.dir = dir;
      g_historic.generation = g_callGeneration;
    }
    *d = &g_historic.data;
    return true;
  }
  // Bytes that are the base's file again are not parsed a second time.
  auto load = [&dir](std::shared_ptr<const kx::ConfigData> *out, std::string *why) {
    return kx::TheStore().LoadConfig(dir, Change().Base(dir), out, why);
  };
  if (!g_config.Get(kx::SystemFileSystem(), kx::TheStore(), dir, kx::kConfigFile, load, d, err)) return false;
  Change().Read(dir, g_config.Share());  // the first read is the base of this run's edits
  return true;
}

bool Writable(std::string *err) {
  if (!g_callGeneration) return true;
  *err = "the context reads generation " + std::to_string(g_callGeneration) +
         " of the history, which cannot be changed: use a context of kxsaoh";
  return false;
}

bool PendingFor(const std::string &dir, std::string *err) {
  if (!Writable(err)) return false;
  if (!Change().Active()) {
    *err = "no pending change: call makeTempFiles first";
    return false;
  }
  if (Change().Directory() != dir) {
    *err = "the pending change belongs to the installation at " + Change().Directory() + ", not " + dir;
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
  out->reserve(count);
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
  static kx::NameIndex index;
  static unsigned long indexed = 0;
  auto nameOf = [&c](size_t i) { return std::string_view(c.clients[i].name); };
  if (indexed != kx::CatalogueLoads()) {
    index.Build(c.clients.size(), nameOf);
    indexed = kx::CatalogueLoads();
  }
  long at = index.Find(name, nameOf);
  return at < 0 ? nullptr : &c.clients[static_cast<size_t>(at)];
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
  if (!kx::StoreDirectory(Self(), &dir, &why) || !kx::CachedCatalogue(dir, &c, &why)) return Fail(err, why);
  if (!c->language)
    return Fail(err, kx::TheStore().PathOf(dir, kx::kCatalogueFile) + ": the installation names no current language");
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
  auto name = [d](size_t i) { return std::string_view(d->configs[i].name); };
  return kx::SetNames(names, count, d->configs.size(), name, "configurations", &why) ? 0 : Fail(err, why);
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
  if (!c) return Fail(err, "no configuration \"" + n + "\" in " + kx::TheStore().PathOf(dir, kx::kConfigFile));
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
  if (!c) return Fail(err, "no configuration \"" + n + "\" in " + kx::TheStore().PathOf(dir, kx::kConfigFile));
  return kx::SetNames(clients, count, c->clients, "clients", &why) ? 0 : Fail(err, why);
}

int KXAPI setConfiguration(char *ctx, const char *plat, const char *name, char **products, KXCOUNT productCount,
                           const char *administrator, const char *location, const char *mandatory, const char *os,
                           int value, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir;
  kx::Configuration c;
  std::vector<std::string> list;
  if (!Begin("setConfiguration", ctx, plat, &dir, &why) || !NameArg(name, "configuration", &c.name, &why) ||
      !kx::CheckConfigurationName(c.name, &why) || !NameList(products, productCount, "product", &list, &why) ||
      !TextArg(administrator, "administrator word", &c.words.administrator, &why) ||
      !TextArg(location, "location word", &c.words.location, &why) ||
      !TextArg(mandatory, "mandatory word", &c.words.mandatory, &why) || !kx::CheckWords(c.words, &why) ||
      !TextArg(os, "OS text", &c.os, &why) || !PendingFor(dir, &why))
    return Fail(err, why);
  c.value = value;
  c.products = std::move(list);
  if (kx::Configuration *old = Change().Data().Find(c.name)) {
    // The same products again keep sharing the base's list.
    if (old->products == c.products) c.products = old->products;
    c.clients = old->clients;  // set separately, by setConfigurationClients
    *old = c;                  // in place: the order of configurations stays
  } else {
    if (Change().Data().configs.size() >= 65535)
      return Fail(err, "the installation holds 65,535 configurations, as many as can be listed");
    Change().Data().configs.push_back(c);
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
  kx::Configuration *c = Change().Data().Find(n);
  if (!c) return Fail(err, "no configuration \"" + n + "\" in the pending change: set it first");
  // The same clients again keep sharing the base's list: the program sets
  // every configuration at OK, changed or not.
  if (c->clients != list) c->clients = std::move(list);
  return 0;
}

int KXAPI removeConfiguration(char *ctx, const char *plat, const char *name, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir, n;
  if (!Begin("removeConfiguration", ctx, plat, &dir, &why) || !NameArg(name, "configuration", &n, &why) ||
      !PendingFor(dir, &why))
    return Fail(err, why);
  // Removing a name that is not there leaves the store as asked: success.
  auto &v = Change().Data().configs;
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
  Change().End();
  // Always from the disk: a file replaced by another administrator within
  // one tick of the clock, at the same size, would look unchanged, and a
  // change begun from a stale copy would only be refused at its commit.
  g_config.Forget();
  if (!Begin("makeTempFiles", ctx, plat, &dir, &why) || !Writable(&why) || !Config(dir, &d, &why))
    return Fail(err, why);
  Change().Begin(dir, g_config.Share());
  return 0;
}

int KXAPI makeTempFilesFrom(char *ctx, const char *plat, unsigned long long generation, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir;
  const kx::ConfigData *d = nullptr;
  kx::ConfigData base;
  Change().End();
  g_config.Forget();
  if (!Begin("makeTempFilesFrom", ctx, plat, &dir, &why) || !Writable(&why)) return Fail(err, why);
  if (!generation) return Fail(err, "generation 0 does not exist: generations count from 1");
  // As makeTempFiles: no change begins on a store that does not read.
  if (!Config(dir, &d, &why)) return Fail(err, why);
  if (d->generation == generation)
    base = *d;
  else if (!kx::TheStore().LoadGeneration(dir, generation, &base, nullptr, &why))
    return Fail(err, why);
  Change().BeginFrom(dir, base);
  return 0;
}

int KXAPI checkRVXChanges(char *ctx, const char *plat, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir;
  if (!Begin("checkRVXChanges", ctx, plat, &dir, &why) || !PendingFor(dir, &why)) return Fail(err, why);
  g_config.Forget();
  return Change().Check(&why) ? 0 : Fail(err, why);
}

int KXAPI commitRVXChanges(char *ctx, const char *plat, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir;
  if (!Begin("commitRVXChanges", ctx, plat, &dir, &why) || !PendingFor(dir, &why)) return Fail(err, why);
  bool committed = Change().Commit(&why);
  g_config.Forget();
  if (!committed) return Fail(err, why);  // the pending change stays: a retry may succeed
  return 0;
}

int KXAPI getAllClients(char *ctx, const char *plat, char ***names, KXCOUNT *count, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  kx::SetNone(names, count);
  std::string why, dir;
  const kx::Catalogue *c = nullptr;
  if (!Begin("getAllClients", ctx, plat, &dir, &why) || !kx::CachedCatalogue(dir, &c, &why)) return Fail(err, why);
  auto name = [c](size_t i) { return std::string_view(c->clients[i].name); };
  return kx::SetNames(names, count, c->clients.size(), name, "clients", &why) ? 0 : Fail(err, why);
}

static int ClientField(const char *entry, char *ctx, const char *plat, const char *client, char **out, bool os,
                       char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  // Kept between calls, so that the answer costs no allocation but its own:
  // start-up asks two of these for every client.
  static std::string why, dir, n;
  why.clear();
  const kx::Catalogue *c = nullptr;
  const kx::Client *cl = nullptr;
  if (Begin(entry, ctx, plat, &dir, &why) && NameArg(client, "client", &n, &why) &&
      kx::CachedCatalogue(dir, &c, &why, kx::kItemQueryFreshMs)) {
    cl = FindClient(*c, n);
    // Before saying no, make sure the answer does not come from an old read.
    if (!cl && kx::CachedCatalogue(dir, &c, &why)) {
      cl = FindClient(*c, n);
      if (!cl) why = "no client \"" + n + "\" in " + kx::TheStore().PathOf(dir, kx::kCatalogueFile);
    }
  }
  const std::optional<std::string> *field = cl ? (os ? &cl->os : &cl->version) : nullptr;
  if (cl && !*field)
    why = "client \"" + n + "\" has no " + (os ? "OS" : "OS version") + " in " +
          kx::TheStore().PathOf(dir, kx::kCatalogueFile);
  if (!cl || !*field) {
    kx::SetEmpty(out);
    return Fail(err, why);
  }
  if (out) *out = kx::HeapText(**field);
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
    return Fail(err, kx::TheStore().PathOf(dir, kx::kConfigFile) + ": the installation has no conflict resolution");
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
  Change().Data().resolution = w;
  return 0;
}

// ---- history ---------------------------------------------------------------

int KXAPI useGeneration(char *ctx, const char *plat, unsigned long long generation, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir;
  const kx::ConfigData *d = nullptr;
  if (!Begin("useGeneration", ctx, plat, &dir, &why)) return Fail(err, why);
  if (!generation) return Fail(err, "generation 0 does not exist: generations count from 1");
  g_callGeneration = generation;
  if (!Config(dir, &d, &why)) return Fail(err, why);
  const std::string g = std::to_string(generation);
  if (4 + g.size() + dir.size() + 1 <= KX_CONTEXT_SIZE) {
    std::string text = kGenerationTag + g + ":" + dir;
    std::memcpy(ctx, text.c_str(), text.size() + 1);
  } else {
    g_longDir = dir;
    std::string text = kGenerationTag + g + "*";
    std::memcpy(ctx, text.c_str(), text.size() + 1);
  }
  return 0;
}

int KXAPI replaceDamagedStore(char *ctx, const char *plat, unsigned long long generation, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string why, dir;
  if (!Begin("replaceDamagedStore", ctx, plat, &dir, &why) || !Writable(&why)) return Fail(err, why);
  if (!generation) return Fail(err, "generation 0 does not exist: generations count from 1");
  bool replaced = kx::TheStore().ReplaceDamaged(dir, generation, nullptr, &why);
  g_config.Forget();
  return replaced ? 0 : Fail(err, why);
}

int KXAPI getGeneration(char *ctx, const char *plat, unsigned long long *generation, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (generation) *generation = 0;
  std::string why, dir;
  const kx::ConfigData *d = nullptr;
  if (!Begin("getGeneration", ctx, plat, &dir, &why) || !Config(dir, &d, &why)) return Fail(err, why);
  if (!generation) return Fail(err, "no place for the generation given");
  *generation = d->generation;
  return 0;
}

int KXAPI getCommitHistory(char *ctx, const char *plat, char ***entries, KXCOUNT *count, char **err) {
  std::lock_guard<std::mutex> hold(g_lock);
  kx::SetNone(entries, count);
  std::string why, dir;
  std::vector<kx::AuditEntry> audit;
  if (!Begin("getCommitHistory", ctx, plat, &dir, &why) || !kx::TheStore().LoadAudit(dir, &audit, &why))
    return Fail(err, why);
  // Tabs and line breaks of a host or user name would break the fields.
  auto field = [](std::string s) {
    for (char &ch : s)
      if (ch == '\t' || ch == '\r' || ch == '\n') ch = ' ';
    return s;
  };
  std::vector<std::string> list;
  size_t first = audit.size() > 65535 ? audit.size() - 65535 : 0;
  for (size_t i = first; i < audit.size(); ++i) {
    const kx::AuditEntry &e = audit[i];
    const kx::ChangeCounts &c = e.counts;
    std::string line = std::to_string(e.generation) + "\t" + std::to_string(e.time) + "\t" + field(e.host) +
                       "\t" + field(e.user) + "\t" + (e.kept ? "1" : "0");
    for (unsigned n : {c.added, c.removed, c.changed, c.productsAdded, c.productsRemoved, c.clientsAdded,
                       c.clientsRemoved, c.defaultChanged ? 1u : 0u})
      line += "\t" + std::to_string(n);
    list.push_back(line);
  }
  return kx::SetNames(entries, count, list, "history entries", &why) ? 0 : Fail(err, why);
}

}  // extern "C"
