// configurations.h - configuration records and the store operations: load
// everything, load the configurations, save, remove, and the two steps that
// open and close a pending change of the store.
//
// The store operations return 1 on success and 0 on failure; every failure
// has been shown once through ReportInstallerError (or, for a list too long
// for the library's 16-bit counts, a plain message box) before they return.
#pragma once

#include "datacache.h"

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
// clients in this order, stopping at the first failure. 1 only if all three
// loaded.
int LoadAll();
// 1 at once when loaded; else loads, 1 on success, 0 on a failure (reported;
// records appended before it stay, the flag stays clear).
int LoadConfigurations();
// list := one new reference per configuration record, in order. Returns list.
ConfigurationRefList &GetConfigurationRefs(ConfigurationRefList &list);

// Writes every referenced configuration (setConfiguration, then
// setConfigurationClients) in list order; stops at the first failure.
int SaveConfigurations(const ConfigurationRefList &list);
// removeConfiguration for the record's name.
int RemoveFromStore(const ConfigurationRef &ref);
// Starts a pending change of the store.
int MakeTempFiles();
// Makes the pending change the store.
int CommitChanges();

// PKRGinit / PKRGclose; their results are passed through (0 = success).
int OpenProductRegistry();
int CloseProductRegistry();
