// Configuration records, loading them, and storing a change set.
#include "configurations.h"

#include <algorithm>
#include <cstring>

#include "products.h"
#include "clients.h"
#include "workingcopy.h"

namespace {

// Both lists name the same entries in the same order, by the names they are
// stored under (a bound entry its record's, an unbound one the name it was
// loaded with).
template <class List> bool SameNames(const List &a, const List &b)
{
    if (a.GetCount() != b.GetCount())
        return false;
    if (a.begin() == b.begin())
        return true;   // one shared array
    for (int i = 0; i < a.GetCount(); i++)
        if (strcmp(a[i].GetName(), b[i].GetName()) != 0)
            return false;
    return true;
}

// The copy would go back exactly as its record holds it.
bool AsRecorded(const ConfigurationCopy &copy)
{
    const ConfigurationRecord *record = copy.stored ? copy.record.GetRecord() : NULL;
    return record && copy.name == record->name && copy.osCode == record->osCode &&
           copy.resolution == record->resolution && SameNames(copy.products, record->products) &&
           SameNames(copy.clients, record->clients);
}

// The names of a reference list for the library, or a refusal (reported)
// when one has no name to be saved under or the list is too long for a
// 16-bit count. Bound entries give their record's name; unbound ones the
// name they were loaded with, so that a configuration naming a product no
// longer installed goes back to the store as it came.
template <class List>
int CollectNames(const List &list, const char *what, const char *context, const CString &configuration,
                 std::vector<const char *> &names)
{
    names.clear();
    CString detail;
    if (list.GetCount() > kxc::kMaxNames) {
        detail.Format("The configuration \"%s\" names %d %s; at most %d can be saved.",
                      (const char *)configuration, list.GetCount(), what, (int)kxc::kMaxNames);
        ReportInstallerText(context, detail);
        return 0;
    }
    names.reserve((size_t)list.GetCount());
    for (const auto &ref : list) {
        const char *name = ref.GetName();
        if (*name == '\0') {
            // Only a reference made from a key that no record has: nothing
            // to store it under. Refuse rather than drop it unseen.
            detail.Format("The configuration \"%s\" holds one of its %s without a name.",
                          (const char *)configuration, what);
            ReportInstallerText(context, detail);
            return 0;
        }
        names.push_back(name);
    }
    return 1;
}

// Both lists are checked before anything of the configuration is written,
// so a refused one is not stored half.
int SaveCopy(kxc::Context &context, const ConfigurationCopy &copy)
{
    std::vector<const char *> products, clients;
    if (!CollectNames(copy.products, "products", "saving a configuration", copy.name, products) ||
        !CollectNames(copy.clients, "clients", "saving the clients of a configuration", copy.name, clients))
        return 0;
    kxc::Failure failure;
    if (!context.SetConfiguration(copy.name, products, copy.resolution.AdministratorWord(),
                                  copy.resolution.LocationWord(), copy.resolution.MandatoryWord(),
                                  OsDisplayName(copy.osCode), 0, &failure) ||
        !context.SetConfigurationClients(copy.name, clients, &failure))
        return ReportInstallerError(failure);
    return 1;
}

int WriteChanges(const ChangeSet &changes)
{
    kxc::Context context;
    context.Open();
    kxc::Failure failure;
    if (!context.MakeTempFiles(&failure))
        return ReportInstallerError(failure);
    if (changes.writeDefault && !changes.defaults.WriteToInstaller())
        return 0;
    // Removals go in before the saves: a configuration deleted and created
    // again under the same name in one run then ends up stored, whatever
    // letter case the store compares names in.
    for (const ConfigurationCopy *copy : changes.remove)
        if (!context.RemoveConfiguration(copy->name, &failure))
            return ReportInstallerError(failure);
    for (const ConfigurationCopy *copy : changes.write)
        if (!SaveCopy(context, *copy))
            return 0;
    if (!context.Commit(&failure))
        return ReportInstallerError(failure);
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
    if (!LoadInstalledProducts())
        return 0;
    ReadShareableMarksAhead();
    return LoadConfigurations() && LoadClients();
}

int LoadConfigurations()
{
    DataCache &cache = DataCache::Get();
    if (cache.configurationsLoaded)
        return 1;

    // Each reference made by name below asks for its catalogue: one failed
    // catalogue is one message, not one per reference.
    CatalogueLoadScope scope;
    kxc::Context context;
    context.Open();
    kxc::NameList names;
    kxc::Failure failure;
    if (!context.AllConfigurations(names, &failure))
        return ReportInstallerError(failure);

    kxc::NameList products, clients;
    kxc::Text administratorWord, locationWord, mandatoryWord, os;
    for (size_t i = 0; i < names.size(); i++) {
        const char *name = names[i];
        int value = 0;
        // Not examined: the record is built from what comes back. The
        // libraries set every output also on failure (empty list and texts).
        context.GetConfiguration(name, products, administratorWord, locationWord, mandatoryWord, os, &value);
        ConflictResolution resolution;
        resolution.FromWords(administratorWord.c_str(), locationWord.c_str(), mandatoryWord.c_str());
        ConfigurationRecord *record =
            new ConfigurationRecord(name, OsCodeFromDisplayName(os.c_str()), resolution, (int)i);
        record->products.Reserve(products.size());
        for (size_t p = 0; p < products.size(); p++)
            record->products.Append(ProductRef(products[p]));

        if (!context.ConfigurationClients(name, clients, &failure)) {
            // Records appended before stay; this one never entered the cache.
            delete record;
            return ReportInstallerError(failure);
        }
        record->clients.Reserve(clients.size());
        for (size_t c = 0; c < clients.size(); c++)
            record->clients.Append(ClientRef(clients[c]));
        cache.AppendConfiguration(record);
    }
    cache.configurationsLoaded = 1;
    return 1;
}

ConfigurationRefList &GetConfigurationRefs(ConfigurationRefList &list)
{
    LoadConfigurations();
    const CPtrList &records = DataCache::Get().configurations;
    list.RemoveAll();
    list.Reserve((size_t)records.GetCount());
    for (POSITION pos = records.GetHeadPosition(); pos != NULL;)
        list.Append(ConfigurationRef((ConfigurationRecord *)records.GetNext(pos)));
    return list;
}

ConfigurationRef CreateConfigurationRecord(const char *name, OsCode osCode,
                                           const ConflictResolution &resolution, int key)
{
    ConfigurationRecord *record = new ConfigurationRecord(name, osCode, resolution, key);
    DataCache::Get().AppendConfiguration(record);
    return ConfigurationRef(record);
}

int StoreChanges(const ChangeSet &changes)
{
    LoadConfigurations();
    // Nothing differs from what the store holds: a commit would only add an
    // empty generation and push a real one out of the kept history.
    if (changes.remove.empty() && !changes.writeDefault &&
        std::all_of(changes.write.begin(), changes.write.end(),
                    [](const ConfigurationCopy *copy) { return AsRecorded(*copy); }))
        return 1;
    if (!WriteChanges(changes))
        return 0;
    // The store took everything: now the records follow.
    for (size_t i = 0; i < changes.write.size(); i++) {
        ConfigurationCopy *copy = changes.write[i];
        if (!copy->record.IsBound())
            copy->record = CreateConfigurationRecord(copy->name, copy->osCode, copy->resolution, (int)i);
        copy->record.SetOsCode(copy->osCode);
        copy->record.SetResolution(copy->resolution.administrator, copy->resolution.mandatory,
                                   copy->resolution.location);
        copy->record.SetProducts(copy->products);
        copy->record.SetClients(copy->clients);
        copy->stored = 1;
    }
    for (ConfigurationCopy *copy : changes.remove)
        copy->stored = 0;
    return 1;
}

// ---- ConfigurationRef accessors ---------------------------------------------

int ConfigurationRef::GetKey() const { return record ? record->key : -1; }
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

void ConfigurationRef::GetProducts(ProductRefList &list) const { list = record->products; }
void ConfigurationRef::SetProducts(const ProductRefList &list) { record->products = list; }
void ConfigurationRef::GetClients(ClientRefList &list) const { list = record->clients; }
void ConfigurationRef::SetClients(const ClientRefList &list) { record->clients = list; }
