// recordsnapshot.h - what OK writes into the cache, taken before and put
// back when a store step fails.
//
// The pages' ApplyChanges write products, clients, system and resolution
// into the configuration records and append records for new
// configurations, before the store has taken anything. When a later step
// fails (temporary files, removal, saving, a refused commit), the cache must
// be as it was before OK: Reset All and Revert go back to what was loaded,
// and a second OK behaves as the first. Only pointers are copied: the
// reference objects are never released, so the old lists can be put back
// as they were.
#pragma once

#include <vector>

#include "configurations.h"

class RecordSnapshot
{
public:
    // Of every configuration record in the cache, and of the list itself.
    void Take();
    // Records appended since Take are removed from the list and deleted;
    // every other record gets its fields and lists back.
    void Restore();

private:
    struct Saved {
        ConfigurationRecord *record;
        CString name;
        OsCode osCode;
        ConflictResolution resolution;
        std::vector<ProductRef *> products;
        std::vector<ClientRef *> clients;
    };
    std::vector<Saved> saved;
};
