// Configuration records and the store operations: load everything once,
// save, remove, and the two steps that open and close a commit.
#pragma once
#include "datacache.h"

struct ConfigurationRecord
{
    ConfigurationRecord(const char *n, int os, const ConflictResolution &r, int k)
        : name(n), osCode(os), resolution(r), key(k) {}
    CString name;
    int osCode;
    ConflictResolution resolution;
    ProductRefList products;
    ClientRefList clients;
    int key;
};

// Products, configurations, clients, in this order; 1 only if all loaded.
int LoadAll();
int LoadConfigurations();
ConfigurationRefList &GetConfigurationRefs(ConfigurationRefList &out);

// The store operations return 1 on success and 0 when the library failed;
// each failure has been shown once through the installer error message.
int SaveConfigurations(const ConfigurationRefList &list);
int RemoveFromStore(const ConfigurationRef &ref);
int MakeTempFiles();
int CommitChanges();

int OpenProductRegistry();
int CloseProductRegistry();

// A list longer than the libraries' 16-bit counts can carry.
enum { kMaxNames = 65535 };
