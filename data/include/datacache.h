// datacache.h - the process-wide cache of everything loaded from the
// installer libraries, the reference classes that point into it, their
// lists, and the conflict-resolution value.
//
// Ownership: the cache owns its records, the stand-ins of unbound references
// and every text they keep until the process ends. References never own
// anything; a reference list owns its array, which copies share until one
// of them changes.
#pragma once

#include "afxcoll.h"
#include "installer_errors.h"

#include <string.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class ConfigurationRecord;

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
// TextPool: texts kept until the cache is reset, in large blocks instead of
// one heap block each. Keep copies a text; Intern gives equal texts one copy
// (a client's system version, the same for thousands of clients).
class TextPool
{
public:
    TextPool() {}
    TextPool(const TextPool &) = delete;
    TextPool &operator=(const TextPool &) = delete;

    const char *Keep(std::string_view text);
    const char *Intern(std::string_view text);
    void Clear();

private:
    std::vector<std::unique_ptr<char[]>> blocks;
    char *next = nullptr;
    size_t left = 0;
    std::unordered_set<std::string_view> interned;
};

// ---------------------------------------------------------------------------
// What a product or client reference points at: a record of its catalogue,
// or a stand-in the cache keeps once for a name (or a key) that no record
// has, a product no longer installed or a client no longer listed. The
// stand-in keeps the name, so that saving the configuration that names it
// writes it back unchanged.
//
// Every target is numbered in one process-wide table (0 is no target), so
// that a reference is that number: 4 bytes where a pointer takes 8.
struct RefTarget
{
    int key = -1;
    unsigned listed : 1;       // 0 for a stand-in
    unsigned number : 31;      // in table, once numbered (Number)
    const char *name = "";     // kept by the cache's text pool

    RefTarget(int key_ = -1, unsigned listed_ = 1, const char *name_ = "")
        : key(key_), listed(listed_), number(0), name(name_) {}
    // Gives the target its number, when it has none yet.
    void Number()
    {
        if (number == 0) {
            number = (unsigned)table.size();
            table.push_back(this);
        }
    }
    static inline std::vector<RefTarget *> table{nullptr};
};

class InstalledProduct : public RefTarget
{
public:
    InstalledProduct(int key_, const char *name_, const char *label_, const char *version_, OsCode osCode_,
                     const char *size_);

    // key: position in getInstalledProducts' list (gaps where one failed);
    // name: exactly as listed, the registry subkey of IsShareable.
    const char *label;
    const char *version;
    OsCode osCode;         // always win32
    const char *size;      // unchanged text; nothing reads it
    // The "Shareable" mark as last read, valid while markRead is the marks'
    // generation (ProductIsShareable).
    mutable int mark = 0;
    mutable unsigned markRead = 0;
};

class ClientRecord : public RefTarget
{
public:
    ClientRecord(int key_, const char *name_, OsCode osCode_, const char *osVersion_);

    // key: position in getAllClients' list; name: exactly as listed.
    OsCode osCode;           // from getClientOS's text; 0 when it matches no system
    const char *osVersion;   // getClientOSVersion's text, unchanged ("" if none)
};

// ---------------------------------------------------------------------------
// A product or client reference: its target's number, so a configuration's
// list of a million clients is one array of 4 MB. Two references are the
// same when their keys are.
template <class Record>
class CatalogueRef
{
public:
    CatalogueRef() {}
    explicit CatalogueRef(RefTarget *target) : number(target ? target->number : 0) {}
    // Both load the catalogue first. By key: keeps the key, bound to the
    // first record with it if any. By name: exact, case-sensitive; unbound
    // with key -1 when nothing matches.
    explicit CatalogueRef(int key);
    explicit CatalogueRef(const char *name);

    int GetKey() const { return number ? Target()->key : -1; }
    int IsBound() const { return number && Target()->listed ? 1 : 0; }
    // Null when unbound.
    Record *GetRecord() const { return IsBound() ? static_cast<Record *>(Target()) : nullptr; }
    // The record's name, or the one an unbound reference was made by ("" when
    // it was made empty or by a key that no record has).
    const char *GetName() const { return number ? Target()->name : ""; }
    RefTarget *Target() const { return RefTarget::table[number]; }

private:
    unsigned number = 0;
};

class ProductRef : public CatalogueRef<InstalledProduct>
{
public:
    using CatalogueRef::CatalogueRef;

    const char *GetLabel() const { return GetRecord()->label; }
    const char *GetVersion() const { return GetRecord()->version; }
    OsCode GetOsCode() const { return GetRecord()->osCode; }
};

using ClientRef = CatalogueRef<ClientRecord>;

// ---------------------------------------------------------------------------
// ConfigurationRef. Its record accessors stand in configurations.h's
// implementation; none may be called on an unbound reference.
class ProductRefList;
class ClientRefList;

class ConfigurationRef
{
public:
    ConfigurationRef() {}
    explicit ConfigurationRef(ConfigurationRecord *r) : record(r) {}

    ConfigurationRecord *GetRecord() const { return record; }
    int GetKey() const;
    int IsBound() const { return record != nullptr ? 1 : 0; }

    CString GetName() const;
    OsCode GetOsCode() const;
    void SetOsCode(OsCode code);
    ConflictResolution GetResolution() const;
    void SetResolution(int administrator, int mandatory, int location);
    // The lists share one array with the record's until either changes.
    void GetProducts(ProductRefList &list) const;
    void SetProducts(const ProductRefList &list);
    void GetClients(ClientRefList &list) const;
    void SetClients(const ClientRefList &list);

private:
    ConfigurationRecord *record = nullptr;
};

// Appends a new record (name, code, resolution, key, no products, no
// clients) to the cache's configurations and returns a reference to it.
ConfigurationRef CreateConfigurationRecord(const char *name, OsCode osCode,
                                           const ConflictResolution &resolution, int key);

// ---------------------------------------------------------------------------
// RefList<T>: references in order, in one array. Copies share the array
// until one of them changes (copy on write), so a working copy filled from
// its record, and the record after OK, hold a list of a million clients once.
template <class T>
class RefList
{
public:
    int GetCount() const { return items ? (int)items->size() : 0; }
    int IsEmpty() const { return GetCount() == 0 ? 1 : 0; }
    const T *begin() const { return items ? items->data() : nullptr; }
    const T *end() const { return items ? items->data() + items->size() : nullptr; }
    const T *GetHead() const { return begin(); }
    const T &operator[](int index) const { return (*items)[(size_t)index]; }

    void RemoveAll() { items.reset(); }
    void Reserve(size_t count) { Own().reserve(count); }
    void Append(const T &ref) { Own().push_back(ref); }

private:
    // The array, this list's alone.
    std::vector<T> &Own()
    {
        if (!items)
            items = std::make_shared<std::vector<T>>();
        else if (items.use_count() > 1)
            items = std::make_shared<std::vector<T>>(*items);
        return *items;
    }

    std::shared_ptr<std::vector<T>> items;
};

class ConfigurationRefList : public RefList<ConfigurationRef> {};
class ProductRefList : public RefList<ProductRef> {};
class ClientRefList : public RefList<ClientRef> {};

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
// The indexes of one catalogue: the first record with a key or a name, and
// the one stand-in made for each key and each name that no record has.
template <class Record>
class RecordIndex
{
public:
    // An existing entry stays: the index answers the first record. Keys are
    // list positions, at most 65,535.
    void Add(Record *r)
    {
        r->Number();
        if (r->key >= 0 && (size_t)r->key >= byKey.size())
            byKey.resize((size_t)r->key + 1, nullptr);
        if (r->key >= 0 && !byKey[(size_t)r->key])
            byKey[(size_t)r->key] = r;
        if (2 * (named + 1) > slots.size())
            Grow();
        Slot &slot = SlotOf(r->name);
        if (!slot.record) {
            slot = Slot{Hash(r->name), r};
            named++;
        }
    }
    Record *Find(int key) const
    {
        return key >= 0 && (size_t)key < byKey.size() ? byKey[(size_t)key] : nullptr;
    }
    Record *Find(const char *name) const
    {
        return slots.empty() ? nullptr : const_cast<RecordIndex *>(this)->SlotOf(name ? name : "").record;
    }
    // The record, else the stand-in (made on first demand).
    RefTarget *Target(int key)
    {
        if (Record *r = Find(key))
            return r;
        std::unique_ptr<RefTarget> &standIn = missingKeys[key];
        if (!standIn) {
            standIn.reset(new RefTarget(key, 0, ""));
            standIn->Number();
        }
        return standIn.get();
    }
    RefTarget *Target(const char *name, TextPool &texts)
    {
        if (Record *r = Find(name))
            return r;
        auto it = missingNames.find(name ? name : "");
        if (it == missingNames.end()) {
            const char *kept = texts.Keep(name ? name : "");
            it = missingNames.emplace(kept, std::unique_ptr<RefTarget>(new RefTarget(-1, 0, kept))).first;
            it->second->Number();
        }
        return it->second.get();
    }
    void Clear()
    {
        byKey.clear();
        slots.clear();
        named = 0;
        missingKeys.clear();
        missingNames.clear();
    }

private:
    // Names to records by open addressing over a table of hashes and
    // records: looking up a million names touches a slot and a name each,
    // where a node-based map walks a chain of heap nodes.
    struct Slot
    {
        size_t hash;
        Record *record;   // null: free
    };
    static size_t Hash(const char *name)
    {
        size_t hash = 14695981039346656037ull;   // FNV-1a
        for (; *name; name++)
            hash = (hash ^ (unsigned char)*name) * 1099511628211ull;
        return hash ^ (hash >> 32);
    }
    // The slot holding name, or the free one where it would go.
    Slot &SlotOf(const char *name)
    {
        size_t hash = Hash(name), mask = slots.size() - 1;
        size_t i = hash & mask;
        while (slots[i].record && (slots[i].hash != hash || strcmp(slots[i].record->name, name) != 0))
            i = (i + 1) & mask;
        return slots[i];
    }
    void Grow()
    {
        std::vector<Slot> old(std::max<size_t>(64, 2 * slots.size()), Slot{0, nullptr});
        old.swap(slots);
        for (const Slot &slot : old)
            if (slot.record)
                SlotOf(slot.record->name) = slot;
    }

    std::vector<Record *> byKey;
    std::vector<Slot> slots;   // a power of two, at most half full
    size_t named = 0;
    std::unordered_map<int, std::unique_ptr<RefTarget>> missingKeys;
    std::unordered_map<std::string_view, std::unique_ptr<RefTarget>> missingNames;
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

    CPtrList configurations;                        // ConfigurationRecord*
    std::deque<InstalledProduct> installedProducts;   // a deque keeps its
    std::deque<ClientRecord> clients;                 // elements in place
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
    void AppendProduct(const InstalledProduct &r);
    void AppendClient(const ClientRecord &r);

    // Every text of the records and stand-ins.
    TextPool texts;
    RecordIndex<InstalledProduct> productIndex;
    RecordIndex<ClientRecord> clientIndex;

    // Test-only: deletes every record, empties the lists and indexes and
    // clears the three flags, so each test starts as the program does.
    // References still pointing into the cache dangle afterwards.
    void ResetForTests();

private:
    DataCache() {}
};
