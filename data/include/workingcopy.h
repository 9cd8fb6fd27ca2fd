// The working copy of one configuration that the pages edit until OK.
#pragma once
#include "datacache.h"

class ConfigurationCopy
{
public:
    ConfigurationCopy() {}
    explicit ConfigurationCopy(const char *newName) : name(newName) {}
    ConfigurationCopy(const ConfigurationCopy &) = delete;
    ConfigurationCopy &operator=(const ConfigurationCopy &) = delete;

    // Shares the record's reference objects; marks the copy stored.
    void FillFromRecord(const ConfigurationRef &ref);

    CString name;
    ConflictResolution resolution;
    ConfigurationRef record;    // unbound for a new configuration until OK creates it
    ProductRefList products;
    ClientRefList clients;
    int osCode = 0;
    int stored = 0;             // filled from a record of the store
    int removed = 0;            // deleted by the user; skipped everywhere
};
