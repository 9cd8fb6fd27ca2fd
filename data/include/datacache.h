// datacache.h - the process-wide cache of everything loaded from the
// installer libraries, the reference classes that point into it, their
// lists, and the conflict-resolution value.
//
// Ownership: the cache's lists own their records until the process ends.
// References never own a record. Reference objects held by the reference
// lists are heap objects that may be shared between lists (AssignShared) and
// are never released by the lists.
#pragma once

#include "afxcoll.h"
#include "installer_errors.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

class ConfigurationRecord;
class InstalledProduct;
class ClientRecord;

// ---------------------------------------------------------------------------
// ConflictResolution: how an installation on a client resolves conflicts.
// The installer library exchanges it as three words, always in the order
// administrator word, location word, mandatory word.
class ConflictResolution
{
public:
    enum { LOCATION_SHARED = 0, LOCATION_LOCAL = 1, LOCATION_DOWNLOAD = 2 };

    int administrator = 0;   // 1 "administrator" / 0 "user"
    int mandatory = 0;       // 1 "mandatory" / 0 "optional"
    int location = 0;        // 0 "shared" / 1 "local" / 2 "download"

    ConflictResolution() {}
    ConflictResolution(int administrator_, int mandatory_, int location_)
        : administrator(administrator_), mandatory(mandatory_), location(location_) {}

    // Words compare exactly: any other text reads as "user", "local" or
    // "optional".
    void FromWords(const char *administratorWord, const char *locationWord, const char *mandatoryWord);
    const char *AdministratorWord() const;
    const char *LocationWord() const;   // any value but 0 and 2 is "local"
    const char *MandatoryWord() const;
    void Reset() { administrator = mandatory = location = 0; }

    // The installation-wide value. ReadFromInstaller returns 1 when read and
    // 0 when the library failed (reported, and every field is then 0).
    int ReadFromInstaller();
    // 1 on success, 0 on a failure (reported).
    int WriteToInstaller() const;
    bool operator==(const ConflictResolution &o) const
    {
        return administrator == o.administrator && mandatory == o.mandatory && location == o.location;
    }
};

// ---------------------------------------------------------------------------
// RecordRef: a key and a pointer into one of the cache's lists. Two
// references are the same when their keys are. A reference that was made by
// name and found no record (a product no longer installed, a client no
// longer listed) keeps that name, so that saving the configuration that
// names it writes it back unchanged.
class RecordRef
{
public:
    RecordRef() {}
    RecordRef(int key_, void *record_) : key(key_), record(record_) {}
    virtual ~RecordRef() {}

    int GetKey() const { return key; }
    int SameKey(const RecordRef &other) const { return key == other.key ? 1 : 0; }
    int IsBound() const { return record != nullptr ? 1 : 0; }
    // The name an unbound reference was looked up by ("" when it was made
    // empty or by key). Bound references answer with their record's name
    // through their class's GetName.
    const CString &GetUnboundName() const { return unboundName; }

protected:
    // The record found by name, or unbound keeping the name.
    void BindByName(void *found, int foundKey, const char *name);

    int key = -1;
    void *record = nullptr;
    CString unboundName;
};

// ---------------------------------------------------------------------------
// ConfigurationRef. Its record accessors stand in configurations.h's
// implementation; none may be called on an unbound reference.
class ProductRefList;
class ClientRefList;

class ConfigurationRef : public RecordRef
{
public:
    ConfigurationRef() {}
    explicit ConfigurationRef(ConfigurationRecord *r);
    ConfigurationRef(const ConfigurationRef &o) = default;
    ConfigurationRef &operator=(const ConfigurationRef &o) = default;

    ConfigurationRecord *GetRecord() const { return (ConfigurationRecord *)record; }

    CString GetName() const;
    OsCode GetOsCode() const;
    void SetOsCode(OsCode code);
    ConflictResolution GetResolution() const;
    void SetResolution(int administrator, int mandatory, int location);
    // list shares the record's reference objects afterwards.
    void GetProducts(ProductRefList &list) const;
    // The record shares list's reference objects afterwards.
    void SetProducts(const ProductRefList &list);
    void GetClients(ClientRefList &list) const;
    void SetClients(const ClientRefList &list);
};

// Appends a new record (name, code, resolution, key, no products, no
// clients) to the cache's configurations and returns a reference to it.
ConfigurationRef CreateConfigurationRecord(const char *name, OsCode osCode,
                                           const ConflictResolution &resolution, int key);

// ---------------------------------------------------------------------------
class ProductRef : public RecordRef
{
public:
    ProductRef() {}
    explicit ProductRef(InstalledProduct *r);
    // Both load the installed products first. By key: keeps the key, bound
    // to the first product with it if any. By name: exact, case-sensitive;
    // unbound with key -1 when nothing matches.
    explicit ProductRef(int key_);
    explicit ProductRef(const char *name);
    ProductRef(const ProductRef &o) = default;
    ProductRef &operator=(const ProductRef &o) = default;

    InstalledProduct *GetRecord() const { return (InstalledProduct *)record; }
    CString GetName() const;
    CString GetLabel() const;
    CString GetVersion() const;
    OsCode GetOsCode() const;
};

class ClientRef : public RecordRef
{
public:
    ClientRef() {}
    explicit ClientRef(ClientRecord *r);
    explicit ClientRef(int key_);          // loads the clients first
    explicit ClientRef(const char *name);  // loads the clients first
    ClientRef(const ClientRef &o) = default;
    ClientRef &operator=(const ClientRef &o) = default;

    ClientRecord *GetRecord() const { return (ClientRecord *)record; }
    CString GetName() const;
};

// ---------------------------------------------------------------------------
// RefList<T>: a list of heap-allocated references of one class, in order.
// Removing or reassigning never deletes the reference objects (other lists
// may share them). ContainsKey keeps a key set built on first use and
// dropped on every change, so a page can test membership per list-box item
// on long lists; the keys of the reference objects themselves must not be
// changed while they sit in a list.
template <class T>
class RefList
{
public:
    RefList() {}
    RefList(const RefList &) = delete;
    RefList &operator=(const RefList &) = delete;
    virtual ~RefList() {}

    int GetCount() const { return items.GetCount(); }
    int IsEmpty() const { return items.IsEmpty() ? 1 : 0; }
    POSITION GetHeadPosition() const { return items.GetHeadPosition(); }
    T *GetNext(POSITION &pos) const { return (T *)items.GetNext(pos); }
    T *GetHead() const { return (T *)items.GetHead(); }

    // Drops every element (the objects stay alive).
    void RemoveAll() { items.RemoveAll(); Changed(); }
    // Appends the very object (shared from now on).
    void AddShared(T *ref) { items.AddTail(ref); Changed(); }
    // Appends a new copy of ref (same key, same record).
    void AppendCopy(const T &ref) { AddShared(new T(ref)); }
    // This list holds the very objects of other, in order. Nothing when other
    // is this list.
    void AssignShared(const RefList &other)
    {
        if (&other == this)
            return;
        items.RemoveAll();
        for (POSITION pos = other.items.GetHeadPosition(); pos != NULL;)
            items.AddTail(other.items.GetNext(pos));
        Changed();
    }
    // One new reference per record of records (a cache list), in order.
    template <class R>
    void AssignFromRecords(const CPtrList &records)
    {
        items.RemoveAll();
        for (POSITION pos = records.GetHeadPosition(); pos != NULL;)
            items.AddTail(new T((R *)records.GetNext(pos)));
        Changed();
    }
    int ContainsKey(const RecordRef &ref) const { return ContainsKey(ref.GetKey()); }
    int ContainsKey(int key) const
    {
        if (items.GetCount() < 16) {
            for (POSITION pos = items.GetHeadPosition(); pos != NULL;)
                if (((T *)items.GetNext(pos))->GetKey() == key)
                    return 1;
            return 0;
        }
        if (!keysValid) {
            keys.clear();
            keys.reserve((size_t)items.GetCount());
            for (POSITION pos = items.GetHeadPosition(); pos != NULL;)
                keys.insert(((T *)items.GetNext(pos))->GetKey());
            keysValid = 1;
        }
        return keys.count(key) ? 1 : 0;
    }

protected:
    void Changed() { keysValid = 0; keys.clear(); }

    CPtrList items;
    mutable std::unordered_set<int> keys;
    mutable int keysValid = 0;
};

// The three lists; Load runs the catalogue's load (its result is not
// needed: a failed one leaves its records as they are) and then
// AssignFromRecords.
template <class Ref, class Record> class RecordRefList : public RefList<Ref>
{
public:
    void AssignFromRecords(const CPtrList &records) { RefList<Ref>::template AssignFromRecords<Record>(records); }
    void Load(int (*load)(), const CPtrList &records)
    {
        load();
        AssignFromRecords(records);
    }
};
class ConfigurationRefList : public RecordRefList<ConfigurationRef, ConfigurationRecord> {};
class ProductRefList : public RecordRefList<ProductRef, InstalledProduct> {};
class ClientRefList : public RecordRefList<ClientRef, ClientRecord> {};

// ---------------------------------------------------------------------------
// One load, or one later operation, as the user sees it. Within it a
// catalogue whose load failed is reported once: every reference made by name
// would otherwise ask for it again and show the same message, once per
// client of every configuration. The next operation tries again. Scopes
// nest; the outermost one decides.
class CatalogueLoadScope
{
public:
    CatalogueLoadScope();
    ~CatalogueLoadScope();
    CatalogueLoadScope(const CatalogueLoadScope &) = delete;
    CatalogueLoadScope &operator=(const CatalogueLoadScope &) = delete;
};

// ---------------------------------------------------------------------------
// DataCache: the one process-wide instance (DataCache::Get()). Its lists keep
// the order the library listed the items in and are never emptied or
// reordered while the program runs. The indexes answer "first record with
// this key / name in list order" without a scan; they are kept up to date by
// the Append functions, the only way records enter the lists.
class DataCache
{
public:
    static DataCache &Get();

    CPtrList configurations;      // ConfigurationRecord*
    CPtrList installedProducts;   // InstalledProduct*
    CPtrList clients;             // ClientRecord*
    int configurationsLoaded = 0;
    int clientsLoaded = 0;
    int productsLoaded = 0;

    // Set when the catalogue's load failed inside the current load scope
    // (below): the failure has been reported, and the same operation does
    // not ask for it again.
    int productsFailed = 0;
    int clientsFailed = 0;
    int loadScopeDepth = 0;
    // What a catalogue's load answers without reading: 1 when it is
    // loaded, 0 when it failed (and was reported) within this operation;
    // -1 when it is to be read now.
    static int Known(int loaded, int failed) { return loaded ? 1 : failed ? 0 : -1; }

    void AppendConfiguration(ConfigurationRecord *r);
    void AppendProduct(InstalledProduct *r);
    void AppendClient(ClientRecord *r);

    InstalledProduct *FindProductByKey(int key) const;
    InstalledProduct *FindProductByName(const char *name) const;
    ClientRecord *FindClientByKey(int key) const;
    ClientRecord *FindClientByName(const char *name) const;

    // Test-only: deletes every record, empties the lists and indexes and
    // clears the three flags, so each test starts as the program does.
    // References still pointing into the cache dangle afterwards.
    void ResetForTests();

private:
    DataCache() {}
    std::unordered_map<int, InstalledProduct *> productByKey;
    std::unordered_map<std::string, InstalledProduct *> productByName;
    std::unordered_map<int, ClientRecord *> clientByKey;
    std::unordered_map<std::string, ClientRecord *> clientByName;
};
