// The process-wide cache of everything loaded from the installer libraries,
// the small reference objects that point at its records by key, their lists,
// and the conflict-resolution value with its words.
//
// Ownership: the cache's lists own their records for the life of the
// process. References never own records. Reference objects may be shared
// by several lists (a record's and a working copy's) and are never released.
#pragma once
#include "afxwin.h"
#include <string>
#include <unordered_map>
#include <unordered_set>

struct ConfigurationRecord;
struct InstalledProduct;
struct ClientRecord;

// ---- Conflict resolution ----------------------------------------------------

class ConflictResolution
{
public:
    int administrator = 0;   // 1 "administrator" / 0 "user"
    int mandatory = 0;       // 1 "mandatory" / 0 "optional"
    int location = 0;        // 0 "shared" / 1 "local" / 2 "download"

    // Words in the installer's order: administrator, location, mandatory.
    void FromWords(const char *administratorWord, const char *locationWord, const char *mandatoryWord);
    const char *AdministratorWord() const { return administrator ? "administrator" : "user"; }
    const char *MandatoryWord() const { return mandatory ? "mandatory" : "optional"; }
    const char *LocationWord() const
    {
        return location == 0 ? "shared" : location == 2 ? "download" : "local";
    }
    void Reset() { administrator = mandatory = location = 0; }

    // The installation-wide value. ReadFromInstaller returns 1 when it was
    // read, 0 when the library failed (reported; all fields 0 then).
    int ReadFromInstaller();
    int WriteToInstaller();
};

// ---- References ---------------------------------------------------------------

class RecordRef
{
public:
    virtual ~RecordRef() {}
    int GetKey() const { return key; }
    int SameKey(const RecordRef &other) const { return key == other.key; }

    // The name a reference was made from. A stored configuration may name a
    // product that is no longer installed or a client no longer listed; its
    // reference stays unbound but keeps that name, so that saving the
    // configuration writes it back unchanged instead of dropping it.
    const CString &GetLoadedName() const { return loadedName; }

protected:
    RecordRef() {}
    explicit RecordRef(int k) : key(k) {}
    int key = -1;
    CString loadedName;
};

class ProductRef : public RecordRef
{
public:
    ProductRef() {}
    explicit ProductRef(int key);                  // loads the products first
    explicit ProductRef(InstalledProduct *record);
    explicit ProductRef(const char *name);         // loads the products first
    ProductRef(const ProductRef &) = default;
    ProductRef &operator=(const ProductRef &) = default;

    int IsBound() const { return record != NULL; }
    InstalledProduct *GetRecord() const { return record; }
    // Bound references only.
    CString GetName() const;
    CString GetLabel() const;
    CString GetVersion() const;
    int GetOsCode() const;
    // The name to store: the record's, or the one it was loaded with.
    CString NameForStore() const;

    typedef InstalledProduct Record;

private:
    InstalledProduct *record = NULL;
};

class ClientRef : public RecordRef
{
public:
    ClientRef() {}
    explicit ClientRef(int key);
    explicit ClientRef(ClientRecord *record);
    explicit ClientRef(const char *name);
    ClientRef(const ClientRef &) = default;
    ClientRef &operator=(const ClientRef &) = default;

    int IsBound() const { return record != NULL; }
    ClientRecord *GetRecord() const { return record; }
    CString GetName() const;
    CString NameForStore() const;

    typedef ClientRecord Record;

private:
    ClientRecord *record = NULL;
};

template <class T> class RefList;
typedef RefList<ProductRef> ProductRefList;
typedef RefList<ClientRef> ClientRefList;

class ConfigurationRef : public RecordRef
{
public:
    ConfigurationRef() {}
    explicit ConfigurationRef(ConfigurationRecord *record);
    // Creates a new record in the cache from the four values and refers to it.
    ConfigurationRef(const char *name, int osCode, const ConflictResolution &resolution, int key);
    ConfigurationRef(const ConfigurationRef &) = default;
    ConfigurationRef &operator=(const ConfigurationRef &) = default;

    int IsBound() const { return record != NULL; }
    ConfigurationRecord *GetRecord() const { return record; }

    CString GetName() const;
    int GetOsCode() const;
    void SetOsCode(int code);
    void GetResolution(int &administrator, int &mandatory, int &location) const;
    ConflictResolution GetResolution() const;
    void SetResolution(int administrator, int mandatory, int location);
    void GetProducts(ProductRefList &list) const;
    void SetProducts(const ProductRefList &list);
    void GetClients(ClientRefList &list) const;
    void SetClients(const ClientRefList &list);

    // Removes the configuration of this name from the pending change;
    // 1 on success, 0 when the library failed (reported).
    int RemoveFromStore() const;

    typedef ConfigurationRecord Record;

private:
    ConfigurationRecord *record = NULL;
};

ConfigurationRef CreateConfigurationRecord(const char *name, int osCode,
                                           const ConflictResolution &resolution, int key);

// ---- Reference lists --------------------------------------------------------------
// A list of heap-allocated references in order. Removing entries never
// deletes the reference objects: other lists may hold the same ones.

template <class T>
class RefList
{
public:
    RefList() {}
    RefList(const RefList &) = delete;
    RefList &operator=(const RefList &) = delete;

    POSITION GetHeadPosition() const { return items.GetHeadPosition(); }
    T *GetNext(POSITION &pos) const { return static_cast<T *>(items.GetNext(pos)); }
    T *GetAt(POSITION pos) const { return static_cast<T *>(items.GetAt(pos)); }
    int GetCount() const { return items.GetCount(); }
    BOOL IsEmpty() const { return items.IsEmpty(); }
    POSITION AddTail(T *ref) { keysValid = false; return items.AddTail(ref); }
    void RemoveAll() { keysValid = false; items.RemoveAll(); }

    void AppendCopy(const T &ref) { AddTail(new T(ref)); }

    void AssignShared(const RefList &other)
    {
        if (&other == this)
            return;
        RemoveAll();
        for (POSITION pos = other.GetHeadPosition(); pos;)
            AddTail(other.GetNext(pos));
    }

    void AssignFromRecords(const CPtrList &records)
    {
        RemoveAll();
        for (POSITION pos = records.GetHeadPosition(); pos;)
            AddTail(new T(static_cast<typename T::Record *>(records.GetNext(pos))));
    }

    // 1 if some element has the reference's key. The pages ask this once per
    // list-box item, so the keys are kept in a set built on first use.
    int ContainsKey(const RecordRef &ref) const
    {
        if (!keysValid) {
            keys.clear();
            for (POSITION pos = GetHeadPosition(); pos;)
                keys.insert(GetNext(pos)->GetKey());
            keysValid = true;
        }
        return keys.count(ref.GetKey()) ? 1 : 0;
    }

private:
    CPtrList items;
    mutable std::unordered_set<int> keys;
    mutable bool keysValid = false;
};

typedef RefList<ConfigurationRef> ConfigurationRefList;

// ---- The cache ------------------------------------------------------------------------

class DataCache
{
public:
    CPtrList configurations;        // ConfigurationRecord*
    CPtrList installedProducts;     // InstalledProduct*
    CPtrList clients;               // ClientRecord*
    int configurationsLoaded = 0;
    int clientsLoaded = 0;
    int productsLoaded = 0;

    // Append a record and index it. Lookups find the first record in list
    // order with a key or name, as a walk of the list would, without making
    // loading quadratic on large installations.
    void AddProduct(InstalledProduct *product);
    void AddClient(ClientRecord *client);
    void AddConfiguration(ConfigurationRecord *configuration);

    InstalledProduct *ProductByKey(int key) const;
    InstalledProduct *ProductByName(const char *name) const;
    ClientRecord *ClientByKey(int key) const;
    ClientRecord *ClientByName(const char *name) const;

    // Test-only: frees every record and clears the flags, so that each test
    // starts from an empty cache. The program itself never empties it.
    void ResetForTests();

private:
    std::unordered_map<int, InstalledProduct *> productKeys;
    std::unordered_map<std::string, InstalledProduct *> productNames;
    std::unordered_map<int, ClientRecord *> clientKeys;
    std::unordered_map<std::string, ClientRecord *> clientNames;
};

DataCache &TheDataCache();
