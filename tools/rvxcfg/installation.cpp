#include "installation.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "installer_api.h"

namespace rvxcfg {

namespace {

const char kPlat[] = "win32";

std::string TakeText(char *text) {
  std::string s = text ? text : "";
  PKRGfree(text);
  return s;
}

std::vector<std::string> TakeNames(char **names, KXCOUNT count) {
  std::vector<std::string> v;
  v.reserve(count);
  for (KXCOUNT i = 0; i < count; ++i) v.push_back(TakeText(names[i]));
  PKRGfree(names);
  return v;
}

// A failed call's text, with what was being done. errText by address: it
// is read after the call that sets it, whatever order the arguments of one
// call are evaluated in.
bool Failed(int rc, char **errText, const std::string &doing, std::string *err) {
  if (rc == 0) {
    PKRGfree(*errText);
    *errText = nullptr;
    return false;
  }
  std::string text = TakeText(*errText);
  *errText = nullptr;
  *err = doing + ": " + (text.empty() ? "the installer library gave no reason" : text);
  return true;
}

struct Context {
  char area[KX_CONTEXT_SIZE];
  bool Open(uint64_t generation, std::string *err) {
    if (kxsaoh(kPlat, area) != 0) {
      *err = "the installer library found no installation (set VELKAN_INSTALL to its directory)";
      return false;
    }
    if (!generation) return true;
    char *e = nullptr;
    return !Failed(useGeneration(area, kPlat, generation, &e), &e, "reading generation " + std::to_string(generation),
                   err);
  }
};

// The array the set calls take: pointers into the strings.
std::vector<char *> Pointers(const std::vector<std::string> &names) {
  std::vector<char *> p;
  for (const std::string &s : names) p.push_back(const_cast<char *>(s.c_str()));
  return p;
}

bool SetOne(Context &ctx, const Config &c, std::string *err) {
  std::vector<char *> products = Pointers(c.products), clients = Pointers(c.clients);
  char *e = nullptr;
  if (Failed(setConfiguration(ctx.area, kPlat, c.name.c_str(), products.empty() ? nullptr : products.data(),
                              static_cast<KXCOUNT>(products.size()), c.words.administrator.c_str(),
                              c.words.location.c_str(), c.words.mandatory.c_str(), c.os.c_str(), c.value, &e),
             &e, "setting configuration \"" + c.name + "\"", err))
    return false;
  e = nullptr;
  return !Failed(setConfigurationClients(ctx.area, kPlat, c.name.c_str(), clients.empty() ? nullptr : clients.data(),
                                         static_cast<KXCOUNT>(clients.size()), &e),
                 &e, "setting the clients of \"" + c.name + "\"", err);
}

bool Generation(Context &ctx, uint64_t *g, std::string *err) {
  unsigned long long read = 0;
  char *e = nullptr;
  if (Failed(getGeneration(ctx.area, kPlat, &read, &e), &e, "getting the generation", err)) return false;
  *g = read;
  return true;
}

bool ReadOnce(Context &ctx, Installation *out, std::string *err) {
  *out = Installation();
  char **names = nullptr;
  KXCOUNT count = 0;
  char *e = nullptr;
  if (Failed(getAllConfigurations(ctx.area, kPlat, &names, &count, &e), &e, "getting all configurations", err))
    return false;
  for (const std::string &name : TakeNames(names, count)) {
    Config c;
    c.name = name;
    char **products = nullptr, **clients = nullptr;
    KXCOUNT pc = 0, cc = 0;
    char *a = nullptr, *l = nullptr, *m = nullptr, *os = nullptr;
    e = nullptr;
    int rc = getConfiguration(ctx.area, kPlat, name.c_str(), &products, &pc, &a, &l, &m, &os, &c.value, &e);
    c.products = TakeNames(products, pc);
    c.words = Words{TakeText(a), TakeText(l), TakeText(m)};
    c.os = TakeText(os);
    if (Failed(rc, &e, "getting configuration \"" + name + "\"", err)) return false;
    e = nullptr;
    rc = getConfigurationClients(ctx.area, kPlat, name.c_str(), &clients, &cc, &e);
    c.clients = TakeNames(clients, cc);
    if (Failed(rc, &e, "getting the clients of \"" + name + "\"", err)) return false;
    out->configs.push_back(c);
  }
  char *a = nullptr, *l = nullptr, *m = nullptr;
  e = nullptr;
  int rc = getConflictResolution(ctx.area, kPlat, &a, &l, &m, &e);
  Words w{TakeText(a), TakeText(l), TakeText(m)};
  if (rc == 0) {
    out->resolution = w;
  } else {
    // A store may hold no default yet; any other failure is one.
    std::string text = TakeText(e);
    if (text.find("has no conflict resolution") == std::string::npos) {
      *err = "getting conflict resolution: " + text;
      return false;
    }
  }
  return true;
}

}  // namespace

bool ReadInstallation(uint64_t generation, Installation *out, std::string *err, uint64_t *read) {
  Context ctx;
  if (!ctx.Open(generation, err)) return false;
  // Each call reads the file anew: a commit between the first and the last
  // would give a mix of two generations.
  for (int attempt = 0;; ++attempt) {
    uint64_t before = 0, after = 0;
    if (!Generation(ctx, &before, err) || !ReadOnce(ctx, out, err) || !Generation(ctx, &after, err)) return false;
    if (read) *read = after;
    if (before == after || attempt == 10) return true;
  }
}

bool ReadGeneration(uint64_t *generation, std::string *err) {
  Context ctx;
  return ctx.Open(0, err) && Generation(ctx, generation, err);
}

bool ReadCatalog(Catalog *out, std::string *err) {
  *out = Catalog();
  char **homes = nullptr;
  KXCOUNT hc = 0;
  if (getAllVelkanHomes(kPlat, &homes, &hc) != 0) {
    *err = "retrieving Velkan Homes: the installer library gave no reason";
    return false;
  }
  std::vector<std::string> homeNames = TakeNames(homes, hc);
  char *e = nullptr;
  if (!homeNames.empty()) {
    char **names = nullptr;
    KXCOUNT count = 0;
    int rc = getInstalledProducts(homeNames[0].c_str(), kPlat, 0, &names, &count, &e);
    std::vector<std::string> products = TakeNames(names, count);
    if (Failed(rc, &e, "retrieving Installed Products", err)) return false;
    out->products.insert(products.begin(), products.end());
  }
  Context ctx;
  if (!ctx.Open(0, err)) return false;
  char **names = nullptr;
  KXCOUNT count = 0;
  e = nullptr;
  int rc = getAllClients(ctx.area, kPlat, &names, &count, &e);
  std::vector<std::string> clients = TakeNames(names, count);
  if (Failed(rc, &e, "getting all clients", err)) return false;
  out->clients.insert(clients.begin(), clients.end());
  return true;
}

bool Apply(uint64_t baseGeneration, const Installation &base, const Installation &target, bool dry,
           std::string *err) {
  std::vector<const Config *> removed, set;
  for (const Config &c : base.configs)
    if (!target.Find(c.name)) removed.push_back(&c);
  for (const Config &c : target.configs) {
    const Config *was = base.Find(c.name);
    if (!was || !was->SameContent(c) || was->value != c.value) set.push_back(&c);
  }
  const bool resolution = target.resolution && target.resolution != base.resolution;
  if (removed.empty() && set.empty() && !resolution) return true;
  Context ctx;
  if (!ctx.Open(0, err)) return false;
  char *e = nullptr;
  if (Failed(baseGeneration ? makeTempFilesFrom(ctx.area, kPlat, baseGeneration, &e)
                            : makeTempFiles(ctx.area, kPlat, &e),
             &e, "starting the change", err))
    return false;
  for (const Config *c : removed) {
    e = nullptr;
    if (Failed(removeConfiguration(ctx.area, kPlat, c->name.c_str(), &e), &e,
               "removing configuration " + Quoted(c->name), err))
      return false;
  }
  for (const Config *c : set)
    if (!SetOne(ctx, *c, err)) return false;
  if (resolution) {
    const Words &w = *target.resolution;
    e = nullptr;
    if (Failed(setConflictResolution(ctx.area, kPlat, w.administrator.c_str(), w.location.c_str(),
                                     w.mandatory.c_str(), &e),
               &e, "setting conflict resolution", err))
      return false;
  }
  e = nullptr;
  if (dry) return !Failed(checkRVXChanges(ctx.area, kPlat, &e), &e, "checking the change", err);
  // Scripts start several imports at once: a commit that meets another
  // one's lock tries again, as the program's OK may be pressed again.
  for (DWORD waited = 0;; waited += 100) {
    e = nullptr;
    if (!Failed(commitRVXChanges(ctx.area, kPlat, &e), &e, "committing", err)) return true;
    if (err->find("is locked by process") == std::string::npos || waited >= 60000) return false;
    Sleep(100);
  }
}

bool ReplaceDamaged(uint64_t generation, std::string *err) {
  Context ctx;
  char *e = nullptr;
  return ctx.Open(0, err) && !Failed(replaceDamagedStore(ctx.area, kPlat, generation, &e), &e,
                                     "replacing the damaged store", err);
}

bool ReadHistory(std::vector<HistoryEntry> *out, std::string *err) {
  out->clear();
  Context ctx;
  if (!ctx.Open(0, err)) return false;
  char **lines = nullptr;
  KXCOUNT count = 0;
  char *e = nullptr;
  int rc = getCommitHistory(ctx.area, kPlat, &lines, &count, &e);
  std::vector<std::string> texts = TakeNames(lines, count);
  if (Failed(rc, &e, "getting the history", err)) return false;
  for (const std::string &t : texts) {
    std::vector<std::string> f;
    size_t at = 0;
    for (;;) {
      size_t tab = t.find('\t', at);
      f.push_back(t.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
      if (tab == std::string::npos) break;
      at = tab + 1;
    }
    if (f.size() != 13) continue;
    HistoryEntry h;
    h.generation = std::strtoull(f[0].c_str(), nullptr, 10);
    h.time = std::strtoll(f[1].c_str(), nullptr, 10);
    h.host = f[2];
    h.user = f[3];
    h.kept = f[4] == "1";
    for (int i = 0; i < 8; ++i) h.counts[i] = static_cast<unsigned>(std::strtoul(f[5 + i].c_str(), nullptr, 10));
    out->push_back(h);
  }
  return true;
}

}  // namespace rvxcfg
