// clients.h - the client catalogue, read once from the installer library into
// the DataCache. The ConflictResolution exchange with the library is declared
// in datacache.h and implemented beside the client loading.
#pragma once

#include "datacache.h"

// 1 when the catalogue is loaded (now or before), 0 when getAllClients failed
// (reported; the next demand tries, and reports, again).
int LoadClients();

// out := one ClientRef per loaded client, in order. Returns out.
ClientRefList &GetClientRefs(ClientRefList &out);
