// Configuration records and the store operations.
#include "configurations.h"
#include "products.h"
#include "clients.h"
#include "installer_api.h"

#include <vector>

namespace {

const char *const kPlatform = "win32";
// The library's counts are 16-bit.
const int kMaxNames = 65535;

// The names of a reference list for the library, or a failure when one has
// no name to be saved under or the list is too long for a 16-bit count.
// Bound entries give their record's name; unbound ones the name they were
// loaded with, so that a configuration naming a product no longer installed
// goes back to the store as it came.
template <class List>
int CollectNames(const List &list, const char *what, const char *context, const CString &configuration,
                 std::vector<const char *> &names)
{
    names.clear();
    if (list.GetCount() > kMaxNames) {
        CString detail;
        detail.Format("The configuration \"%s\" names %d %s; at most %d can be saved.",
                      (const char *)configuration, list.GetCount(), what, kMaxNames);
        ShowInstallerErrorText(context, detail);
        return 0;
    }
    names.reserve((size_t)list.GetCount());
    for (POSITION pos = list.GetHeadPosition(); pos != NULL;) {
        auto *ref = list.GetNext(pos);
        const char *name = ref->IsBound() ? (const char *)ref->GetRecord()->name
                                          : (const char *)ref->GetUnboundName();
        if (*name == '\0') {
            // Only a reference made from a key that no record has: nothing
            // to store it under. Refuse rather than drop it unseen.
            CString detail;
            detail.Format("The configuration \"%s\" holds one of its %s without a name.",
                          (const char *)configuration, what);
            ShowInstallerErrorText(context, detail);
            return 0;
        }
        names.push_back(name);
    }
    return 1;
}

}  // namespace

int LoadAll()
{
    CatalogueLoadScope scope;
    DataCache &cache = DataCache::Get();
    cache.configurationsLoaded = 0;
    cache.clientsLoaded = 0;
    cache.productsLoaded = 0;
    return LoadInstalledProducts() && LoadConfigurations() && LoadClients();
}

int LoadConfigurations()
{
    DataCache &cache = DataCache::Get();
    if (cache.configurationsLoaded)
        return 1;

    // Each reference made by name below asks for its catalogue: one failed
    // catalogue is one message, not one per reference.
    CatalogueLoadScope scope;
    char *err = NULL;
    char ctx[KX_CONTEXT_SIZE];
    kxsaoh(kPlatform, ctx);

    char **names = NULL;
    KXCOUNT count = 0;
    int rc = getAllConfigurations(ctx, kPlatform, &names, &count, &err);
    if (!ReportInstallerError(rc, err, "getting all configurations"))
        return 0;

    for (KXCOUNT i = 0; i < count; i++) {
        const char *name = names[i];
        char **products = NULL;
        KXCOUNT productCount = 0;
        char *administratorWord = NULL;
        char *locationWord = NULL;
        char *mandatoryWord = NULL;
        char *os = NULL;
        int value = 0;
        err = NULL;
        // Not examined: the record is built from what comes back. Our
        // libraries set every output also on failure (empty list and texts).
        getConfiguration(ctx, kPlatform, name, &products, &productCount, &administratorWord,
                         &locationWord, &mandatoryWord, &os, &value, &err);

        ConflictResolution resolution;
        resolution.FromWords(administratorWord, locationWord, mandatoryWord);
        ConfigurationRecord *record = new ConfigurationRecord(name, OsCodeFromDisplayName(os), resolution, (int)i);
        for (KXCOUNT p = 0; p < productCount; p++)
            record->products.AppendCopy(ProductRef(products[p]));

        char **clients = NULL;
        KXCOUNT clientCount = 0;
        err = NULL;
        rc = getConfigurationClients(ctx, kPlatform, name, &clients, &clientCount, &err);
        if (!ReportInstallerError(rc, err, "getting clients for a configuration")) {
            // Records appended before stay; this one never entered the cache.
            delete record;
            FreeNameList(products, productCount);
            PKRGfree(administratorWord);
            PKRGfree(locationWord);
            PKRGfree(mandatoryWord);
            PKRGfree(os);
            FreeNameList(names, count);
            return 0;
        }
        for (KXCOUNT c = 0; c < clientCount; c++)
            record->clients.AppendCopy(ClientRef(clients[c]));

        cache.AppendConfiguration(record);
        FreeNameList(clients, clientCount);
        FreeNameList(products, productCount);
        PKRGfree(administratorWord);
        PKRGfree(locationWord);
        PKRGfree(mandatoryWord);
        PKRGfree(os);
    }
    FreeNameList(names, count);
    cache.configurationsLoaded = 1;
    return 1;
}

ConfigurationRefList &GetConfigurationRefs(ConfigurationRefList &list)
{
    LoadConfigurations();
    list.AssignFromRecords(DataCache::Get().configurations);
    return list;
}

ConfigurationRef CreateConfigurationRecord(const char *name, OsCode osCode,
                                           const ConflictResolution &resolution, int key)
{
    ConfigurationRecord *record = new ConfigurationRecord(name, osCode, resolution, key);
    DataCache::Get().AppendConfiguration(record);
    return ConfigurationRef(record);
}

int SaveConfigurations(const ConfigurationRefList &list)
{
    LoadConfigurations();
    char *err = NULL;
    char ctx[KX_CONTEXT_SIZE];
    kxsaoh(kPlatform, ctx);

    std::vector<const char *> products, clients;
    for (POSITION pos = list.GetHeadPosition(); pos != NULL;) {
        const ConfigurationRef *ref = list.GetNext(pos);
        ConfigurationRecord *record = ref->GetRecord();
        if (record == NULL)
            continue;   // names no configuration: nothing to store
        // Both lists are checked before anything of this configuration is
        // written, so a refused one is not stored half.
        if (!CollectNames(record->products, "products", "saving a configuration", record->name, products) ||
            !CollectNames(record->clients, "clients", "saving the clients of a configuration", record->name,
                          clients))
            return 0;

        CString os;
        OsDisplayName(record->osCode, os);
        err = NULL;
        int rc = setConfiguration(ctx, kPlatform, record->name,
                                  products.empty() ? NULL : (char **)products.data(),
                                  (KXCOUNT)products.size(), record->resolution.AdministratorWord(),
                                  record->resolution.LocationWord(), record->resolution.MandatoryWord(),
                                  os, 0, &err);
        if (!ReportInstallerError(rc, err, "saving a configuration"))
            return 0;

        err = NULL;
        rc = setConfigurationClients(ctx, kPlatform, record->name,
                                     clients.empty() ? NULL : (char **)clients.data(),
                                     (KXCOUNT)clients.size(), &err);
        if (!ReportInstallerError(rc, err, "saving the clients of a configuration"))
            return 0;
    }
    return 1;
}

int RemoveFromStore(const ConfigurationRef &ref)
{
    ConfigurationRecord *record = ref.GetRecord();
    if (record == NULL)
        return 1;   // names nothing that could be in the store
    char *err = NULL;
    char ctx[KX_CONTEXT_SIZE];
    kxsaoh(kPlatform, ctx);
    int rc = removeConfiguration(ctx, kPlatform, record->name, &err);
    return ReportInstallerError(rc, err, "removing a configuration");
}

int MakeTempFiles()
{
    char *err = NULL;
    char ctx[KX_CONTEXT_SIZE];
    kxsaoh(kPlatform, ctx);
    int rc = makeTempFiles(ctx, kPlatform, &err);
    return ReportInstallerError(rc, err, "making the temporary files");
}

int CommitChanges()
{
    char *err = NULL;
    char ctx[KX_CONTEXT_SIZE];
    kxsaoh(kPlatform, ctx);
    int rc = commitRVXChanges(ctx, kPlatform, &err);
    return ReportInstallerError(rc, err, "committing the changes");
}

int OpenProductRegistry()
{
    return PKRGinit();
}

int CloseProductRegistry()
{
    return PKRGclose();
}

// ---- ConfigurationRef accessors ---------------------------------------------

CString ConfigurationRef::GetName() const { return GetRecord()->name; }
OsCode ConfigurationRef::GetOsCode() const { return GetRecord()->osCode; }
void ConfigurationRef::SetOsCode(OsCode code) { GetRecord()->osCode = code; }
ConflictResolution ConfigurationRef::GetResolution() const { return GetRecord()->resolution; }

void ConfigurationRef::SetResolution(int administrator, int mandatory, int location)
{
    ConflictResolution &r = GetRecord()->resolution;
    r.administrator = administrator;
    r.mandatory = mandatory;
    r.location = location;
}

void ConfigurationRef::GetProducts(ProductRefList &list) const { list.AssignShared(GetRecord()->products); }
void ConfigurationRef::SetProducts(const ProductRefList &list) { GetRecord()->products.AssignShared(list); }
void ConfigurationRef::GetClients(ClientRefList &list) const { list.AssignShared(GetRecord()->clients); }
void ConfigurationRef::SetClients(const ClientRefList &list) { GetRecord()->clients.AssignShared(list); }
