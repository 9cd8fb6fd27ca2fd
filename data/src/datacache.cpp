// The process-wide cache, the reference classes and ConflictResolution's
// words.
#include "datacache.h"
#include "configurations.h"
#include "products.h"
#include "clients.h"

#include <string.h>

#include <algorithm>

DataCache &DataCache::Get()
{
    static DataCache cache;
    return cache;
}

void DataCache::AppendConfiguration(ConfigurationRecord *r)
{
    configurations.AddTail(r);
}

void DataCache::AppendProduct(const InstalledProduct &r)
{
    installedProducts.push_back(r);
    productIndex.Add(&installedProducts.back());
}

void DataCache::AppendClient(const ClientRecord &r)
{
    clients.push_back(r);
    clientIndex.Add(&clients.back());
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
    WaitForShareableMarks();
    for (POSITION pos = configurations.GetHeadPosition(); pos != NULL;)
        delete (ConfigurationRecord *)configurations.GetNext(pos);
    configurations.RemoveAll();
    installedProducts.clear();
    clients.clear();
    productIndex.Clear();
    clientIndex.Clear();
    RefTarget::table.assign(1, nullptr);
    texts.Clear();
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

// ---- texts ------------------------------------------------------------------

const char *TextPool::Keep(std::string_view text)
{
    size_t need = text.size() + 1;
    if (need > left) {
        // What is left of the block goes unused.
        size_t size = std::max<size_t>(need, 64 * 1024);
        blocks.emplace_back(new char[size]);
        next = blocks.back().get();
        left = size;
    }
    char *kept = next;
    memcpy(kept, text.data(), text.size());
    kept[text.size()] = '\0';
    next += need;
    left -= need;
    return kept;
}

const char *TextPool::Intern(std::string_view text)
{
    auto it = interned.find(text);
    if (it == interned.end())
        it = interned.insert(std::string_view(Keep(text), text.size())).first;
    return it->data();
}

void TextPool::Clear()
{
    interned.clear();
    blocks.clear();
    next = nullptr;
    left = 0;
}

// ---- records and references -------------------------------------------------

InstalledProduct::InstalledProduct(int key_, const char *name_, const char *label_, const char *version_,
                                   OsCode osCode_, const char *size_)
    : osCode(osCode_)
{
    TextPool &texts = DataCache::Get().texts;
    key = key_;
    name = texts.Keep(name_);
    label = texts.Keep(label_);
    version = texts.Intern(version_);
    size = texts.Intern(size_);
}

ClientRecord::ClientRecord(int key_, const char *name_, OsCode osCode_, const char *osVersion_)
    : osCode(osCode_)
{
    TextPool &texts = DataCache::Get().texts;
    key = key_;
    name = texts.Keep(name_);
    osVersion = texts.Intern(osVersion_ ? osVersion_ : "");
}

namespace {

// The index a reference of a kind looks in, its catalogue loaded first.
RecordIndex<InstalledProduct> &LoadedIndex(InstalledProduct *)
{
    LoadInstalledProducts();
    return DataCache::Get().productIndex;
}

RecordIndex<ClientRecord> &LoadedIndex(ClientRecord *)
{
    LoadClients();
    return DataCache::Get().clientIndex;
}

}  // namespace

template <class Record>
CatalogueRef<Record>::CatalogueRef(int key) : number(LoadedIndex((Record *)nullptr).Target(key)->number)
{
}

template <class Record>
CatalogueRef<Record>::CatalogueRef(const char *name)
    : number(LoadedIndex((Record *)nullptr).Target(name, DataCache::Get().texts)->number)
{
}

template class CatalogueRef<InstalledProduct>;
template class CatalogueRef<ClientRecord>;

namespace {

// list := one reference per record of a catalogue, in order, after its load
// has run (a failed one leaves its records as they are).
template <class Ref, class List, class Records>
List &RefsOf(List &list, int (*load)(), Records &records)
{
    load();
    list.RemoveAll();
    list.Reserve(records.size());
    for (auto &record : records)
        list.Append(Ref(&record));
    return list;
}

}  // namespace

ProductRefList &GetProductRefs(ProductRefList &out)
{
    return RefsOf<ProductRef>(out, LoadInstalledProducts, DataCache::Get().installedProducts);
}

ClientRefList &GetClientRefs(ClientRefList &out)
{
    return RefsOf<ClientRef>(out, LoadClients, DataCache::Get().clients);
}
