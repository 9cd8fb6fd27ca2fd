// The process-wide cache, the reference classes and ConflictResolution's
// words.
#include "datacache.h"
#include "configurations.h"
#include "products.h"
#include "clients.h"

DataCache &DataCache::Get()
{
    static DataCache cache;
    return cache;
}

void DataCache::AppendConfiguration(ConfigurationRecord *r)
{
    configurations.AddTail(r);
}

void DataCache::AppendProduct(InstalledProduct *r)
{
    installedProducts.AddTail(r);
    // emplace keeps an existing entry: the index answers the first record.
    productByKey.emplace(r->key, r);
    productByName.emplace(std::string((const char *)r->name, (size_t)r->name.GetLength()), r);
}

void DataCache::AppendClient(ClientRecord *r)
{
    clients.AddTail(r);
    clientByKey.emplace(r->key, r);
    clientByName.emplace(std::string((const char *)r->name, (size_t)r->name.GetLength()), r);
}

InstalledProduct *DataCache::FindProductByKey(int key) const
{
    auto it = productByKey.find(key);
    return it == productByKey.end() ? nullptr : it->second;
}

InstalledProduct *DataCache::FindProductByName(const char *name) const
{
    auto it = productByName.find(name ? name : "");
    return it == productByName.end() ? nullptr : it->second;
}

ClientRecord *DataCache::FindClientByKey(int key) const
{
    auto it = clientByKey.find(key);
    return it == clientByKey.end() ? nullptr : it->second;
}

ClientRecord *DataCache::FindClientByName(const char *name) const
{
    auto it = clientByName.find(name ? name : "");
    return it == clientByName.end() ? nullptr : it->second;
}

CatalogueLoadScope::CatalogueLoadScope()
{
    DataCache::Get().loadScopeDepth++;
}

CatalogueLoadScope::~CatalogueLoadScope()
{
    DataCache &cache = DataCache::Get();
    if (--cache.loadScopeDepth == 0)
        cache.productsFailed = cache.clientsFailed = 0;
}

void DataCache::ResetForTests()
{
    for (POSITION pos = configurations.GetHeadPosition(); pos != NULL;)
        delete (ConfigurationRecord *)configurations.GetNext(pos);
    for (POSITION pos = installedProducts.GetHeadPosition(); pos != NULL;)
        delete (InstalledProduct *)installedProducts.GetNext(pos);
    for (POSITION pos = clients.GetHeadPosition(); pos != NULL;)
        delete (ClientRecord *)clients.GetNext(pos);
    configurations.RemoveAll();
    installedProducts.RemoveAll();
    clients.RemoveAll();
    productByKey.clear();
    productByName.clear();
    clientByKey.clear();
    clientByName.clear();
    configurationsLoaded = clientsLoaded = productsLoaded = 0;
    productsFailed = clientsFailed = loadScopeDepth = 0;
}

// ---- ConflictResolution words ---------------------------------------------

void ConflictResolution::FromWords(const char *administratorWord, const char *locationWord,
                                   const char *mandatoryWord)
{
    mandatory = SameText(mandatoryWord, "mandatory") ? 1 : 0;
    administrator = SameText(administratorWord, "administrator") ? 1 : 0;
    if (SameText(locationWord, "shared"))
        location = LOCATION_SHARED;
    else if (SameText(locationWord, "download"))
        location = LOCATION_DOWNLOAD;
    else
        location = LOCATION_LOCAL;
}

const char *ConflictResolution::AdministratorWord() const
{
    return administrator ? "administrator" : "user";
}

const char *ConflictResolution::LocationWord() const
{
    if (location == LOCATION_SHARED)
        return "shared";
    if (location == LOCATION_DOWNLOAD)
        return "download";
    return "local";
}

const char *ConflictResolution::MandatoryWord() const
{
    return mandatory ? "mandatory" : "optional";
}

// ---- references ------------------------------------------------------------

void RecordRef::BindByName(void *found, int foundKey, const char *name)
{
    key = foundKey;
    record = found;
    if (!found)
        unboundName = name;
}

ConfigurationRef::ConfigurationRef(ConfigurationRecord *r) : RecordRef(r ? r->key : -1, r) {}

ProductRef::ProductRef(InstalledProduct *r) : RecordRef(r ? r->key : -1, r) {}

ProductRef::ProductRef(int key_)
{
    LoadInstalledProducts();
    key = key_;
    record = DataCache::Get().FindProductByKey(key_);
}

ProductRef::ProductRef(const char *name)
{
    LoadInstalledProducts();
    InstalledProduct *r = DataCache::Get().FindProductByName(name);
    BindByName(r, r ? r->key : -1, name);
}

CString ProductRef::GetName() const { return GetRecord()->name; }
CString ProductRef::GetLabel() const { return GetRecord()->label; }
CString ProductRef::GetVersion() const { return GetRecord()->version; }
OsCode ProductRef::GetOsCode() const { return GetRecord()->osCode; }

ClientRef::ClientRef(ClientRecord *r) : RecordRef(r ? r->key : -1, r) {}

ClientRef::ClientRef(int key_)
{
    LoadClients();
    key = key_;
    record = DataCache::Get().FindClientByKey(key_);
}

ClientRef::ClientRef(const char *name)
{
    LoadClients();
    ClientRecord *r = DataCache::Get().FindClientByName(name);
    BindByName(r, r ? r->key : -1, name);
}

CString ClientRef::GetName() const { return GetRecord()->name; }
