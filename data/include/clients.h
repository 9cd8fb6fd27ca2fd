// clients.h - the client catalogue, read once from the installer library into
// the DataCache. The ConflictResolution exchange with the library is declared
// in datacache.h and implemented beside the client loading.
#pragma once

#include "datacache.h"

class ClientRecord
{
public:
    ClientRecord(int key_, const char *name_, OsCode osCode_, const char *osVersion_)
        : key(key_), name(name_), osCode(osCode_), osVersion(osVersion_) {}

    int key;            // position in getAllClients' list
    CString name;       // exactly as listed
    OsCode osCode;      // from getClientOS's text; 0 when it matches no system
    CString osVersion;  // getClientOSVersion's text, unchanged ("" if none)
};

// 1 when the catalogue is loaded (now or before), 0 when getAllClients failed
// (reported; the next demand tries, and reports, again).
int LoadClients();

// out := one new ClientRef per loaded client, in order. Returns out.
inline ClientRefList &GetClientRefs(ClientRefList &out) { out.Load(LoadClients, DataCache::Get().clients); return out; }
