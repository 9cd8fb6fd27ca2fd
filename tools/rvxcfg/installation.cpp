#include "installation.h"

#include <windows.h>

namespace rvxcfg {

namespace {

// rvxcfg's words for what failed (naming the configuration), with the
// libraries' own text. Returns false.
bool Failed(kxc::Failure failure, const std::string &doing, std::string *err) {
  failure.doing = doing;
  *err = kxc::FailureText(failure);
  return false;
}

bool Failed(const kxc::Failure &failure, std::string *err) { return Failed(failure, failure.doing, err); }

// kxsaoh, then the kept generation when one is named (0: the store as it is).
bool Open(kxc::Context &ctx, uint64_t generation, std::string *err) {
  kxc::Failure f;
  if (!ctx.Open(&f)) {
    *err = f.reason;  // says what to do; "finding the installation" adds nothing
    return false;
  }
  return !generation || ctx.UseGeneration(generation, &f) || Failed(f, err);
}

bool SetOne(kxc::Context &ctx, const Config &c, std::string *err) {
  kxc::Failure f;
  if (!ctx.SetConfiguration(c.name.c_str(), kxc::Pointers(c.products), c.words.administrator.c_str(),
                            c.words.location.c_str(), c.words.mandatory.c_str(), c.os.c_str(), c.value, &f))
    return Failed(f, "setting configuration \"" + c.name + "\"", err);
  return ctx.SetConfigurationClients(c.name.c_str(), kxc::Pointers(c.clients), &f) ||
         Failed(f, "setting the clients of \"" + c.name + "\"", err);
}

bool Generation(kxc::Context &ctx, uint64_t *g, std::string *err) {
  kxc::Failure f;
  return ctx.Generation(g, &f) || Failed(f, err);
}

bool ReadOnce(kxc::Context &ctx, Installation *out, std::string *err) {
  *out = Installation();
  kxc::NameList names;
  kxc::Failure f;
  if (!ctx.AllConfigurations(names, &f)) return Failed(f, err);
  out->configs.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    Config c;
    c.name = names[i];
    kxc::NameList products, clients;
    kxc::Text a, l, m, os;
    if (!ctx.GetConfiguration(names[i], products, a, l, m, os, &c.value, &f))
      return Failed(f, "getting configuration \"" + c.name + "\"", err);
    c.products = products.Strings();
    c.words = Words{a.str(), l.str(), m.str()};
    c.os = os.str();
    if (!ctx.ConfigurationClients(names[i], clients, &f))
      return Failed(f, "getting the clients of \"" + c.name + "\"", err);
    c.clients = clients.Strings();
    out->configs.push_back(std::move(c));
  }
  kxc::Words w;
  if (ctx.ReadResolution(&w, &f))
    out->resolution = Words{w.administrator, w.location, w.mandatory};
  else if (f.reason.find("has no conflict resolution") == std::string::npos)
    return Failed(f, err);  // a store may hold no default yet; any other failure is one
  return true;
}

}  // namespace

bool ReadInstallation(uint64_t generation, Installation *out, std::string *err, uint64_t *read) {
  kxc::Context ctx;
  if (!Open(ctx, generation, err)) return false;
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
  kxc::Context ctx;
  return Open(ctx, 0, err) && Generation(ctx, generation, err);
}

bool ReadCatalog(Catalog *out, std::string *err) {
  *out = Catalog();
  kxc::NameList homes, products, clients;
  kxc::Failure f;
  if (!kxc::VelkanHomes(homes, &f)) return Failed(f, err);
  if (!homes.empty()) {
    if (!kxc::InstalledProducts(homes[0], products, &f)) return Failed(f, err);
    for (size_t i = 0; i < products.size(); ++i) out->products.insert(products[i]);
  }
  kxc::Context ctx;
  if (!Open(ctx, 0, err)) return false;
  if (!ctx.AllClients(clients, &f)) return Failed(f, err);
  for (size_t i = 0; i < clients.size(); ++i) out->clients.insert(clients[i]);
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
  kxc::Context ctx;
  kxc::Failure f;
  if (!Open(ctx, 0, err)) return false;
  if (!(baseGeneration ? ctx.MakeTempFilesFrom(baseGeneration, &f) : ctx.MakeTempFiles(&f)))
    return Failed(f, "starting the change", err);
  for (const Config *c : removed)
    if (!ctx.RemoveConfiguration(c->name.c_str(), &f)) return Failed(f, "removing configuration " + Quoted(c->name), err);
  for (const Config *c : set)
    if (!SetOne(ctx, *c, err)) return false;
  if (resolution) {
    const Words &w = *target.resolution;
    if (!ctx.SetConflictResolution(w.administrator.c_str(), w.location.c_str(), w.mandatory.c_str(), &f))
      return Failed(f, err);
  }
  if (dry) return ctx.CheckChanges(&f) || Failed(f, "checking the change", err);
  // Scripts start several imports at once: a commit that meets another
  // one's lock tries again, as the program's OK may be pressed again.
  for (DWORD waited = 0;; waited += 100) {
    if (ctx.Commit(&f)) return true;
    if (f.reason.find("is locked by process") == std::string::npos || waited >= 60000)
      return Failed(f, "committing", err);
    Sleep(100);
  }
}

bool ReplaceDamaged(uint64_t generation, std::string *err) {
  kxc::Context ctx;
  kxc::Failure f;
  return Open(ctx, 0, err) && (ctx.ReplaceDamagedStore(generation, &f) || Failed(f, err));
}

bool ReadHistory(std::vector<kxc::HistoryEntry> *out, std::string *err) {
  out->clear();
  kxc::Context ctx;
  kxc::Failure f;
  return Open(ctx, 0, err) && (ctx.History(out, &f) || Failed(f, err));
}

}  // namespace rvxcfg
