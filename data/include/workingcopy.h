// workingcopy.h - the copy of one configuration that the pages edit until OK.
// The main dialog owns the copies; a copy's lists share their arrays with
// the record they were filled from until either changes.
#pragma once

#include "datacache.h"

class ConfigurationCopy
{
public:
    ConfigurationCopy() {}
    explicit ConfigurationCopy(const char *name_) : name(name_) {}
    ConfigurationCopy(const ConfigurationCopy &) = delete;
    ConfigurationCopy &operator=(const ConfigurationCopy &) = delete;

    // record := ref; products and clients share the record's arrays;
    // resolution, osCode and name from the record; stored := 1.
    void FillFromRecord(const ConfigurationRef &ref);

    CString name;
    ConflictResolution resolution;
    ConfigurationRef record;       // unbound (key -1) until a new copy gets its record
    ProductRefList products;
    ClientRefList clients;
    OsCode osCode = 0;
    int stored = 0;                // filled from a record that is in the store
    int removed = 0;               // deleted by the user; skipped everywhere
};

// Appends to copies a new copy (ConfigurationCopy*, the caller's to delete)
// of every configuration record, in order: the records as loaded at
// start-up, nothing is read again.
void AppendCopiesOfRecords(CPtrList &copies);
