// The client catalogue, read once from KXIMPL32.dll.
#pragma once
#include "datacache.h"

struct ClientRecord
{
    int key;            // position in getAllClients' list, no gaps
    CString name;
    int osCode;         // 0 when the library's text names none of the systems
    CString osVersion;
};

int LoadClients();
ClientRefList &GetClientRefs(ClientRefList &out);
