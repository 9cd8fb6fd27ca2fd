// configurations.h - configuration records, loading them, and storing what
// OK hands down.
//
// The store operations return 1 on success and 0 on failure; every failure
// has been reported once (ReportInstallerError) before they return.
#pragma once

#include <vector>

#include "datacache.h"

class ConfigurationCopy;

class ConfigurationRecord
{
public:
    ConfigurationRecord(const char *name_, OsCode osCode_, const ConflictResolution &resolution_, int key_)
        : name(name_), osCode(osCode_), resolution(resolution_), key(key_) {}

    CString name;
    OsCode osCode;
    ConflictResolution resolution;
    ProductRefList products;   // library order; unbound entries keep their names
    ClientRefList clients;     // library order; unbound entries keep their names
    int key;                   // position in the library's list, or the key given at creation
};

// Clears the three loaded flags, then loads products, configurations and
// clients in this order, stopping at the first failure, the products'
// "Shareable" marks read meanwhile (ReadShareableMarksAhead). 1 only if all
// three loaded.
int LoadAll();
// 1 at once when loaded; else loads, 1 on success, 0 on a failure (reported;
// records appended before it stay, the flag stays clear).
int LoadConfigurations();
// list := one reference per configuration record, in order. Returns list.
ConfigurationRefList &GetConfigurationRefs(ConfigurationRefList &list);

// What OK hands down: the working copies to write (every live one, in the
// order the pages list them), the stored ones to remove, and the
// installation-wide default when it is to be written.
struct ChangeSet
{
    std::vector<ConfigurationCopy *> write;
    std::vector<ConfigurationCopy *> remove;
    int writeDefault = 0;
    ConflictResolution defaults;
};

// One pending change, committed: temporary files, the default, the
// removals, every configuration to write, the commit. A change set that
// equals what the records hold writes nothing and succeeds. Stops at the first
// step that fails (reported) and returns 0 with the cache and the copies as
// they were. On success the records take the copies' contents (a new copy
// gets a record keyed by its place in write), and 1 is returned.
int StoreChanges(const ChangeSet &changes);
