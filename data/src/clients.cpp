// Loading the client catalogue, and the installation-wide conflict
// resolution.
#include "clients.h"
#include "installer_api.h"

namespace {
const char *const kPlatform = "win32";
}

int LoadClients()
{
    DataCache &cache = DataCache::Get();
    if (cache.clientsLoaded)
        return 1;
    if (cache.clientsFailed)
        return 0;   // failed and reported within this operation already

    char *err = NULL;
    char ctx[KX_CONTEXT_SIZE];
    kxsaoh(kPlatform, ctx);

    char **names = NULL;
    KXCOUNT count = 0;
    int rc = getAllClients(ctx, kPlatform, &names, &count, &err);
    if (!ReportInstallerError(rc, err, "getting all clients")) {
        cache.clientsFailed = cache.loadScopeDepth > 0;
        return 0;
    }

    // Compare the system texts against the display names once, not seven
    // resource loads per client: the list may hold tens of thousands.
    CString display[OS_LAST];
    for (int c = 1; c <= OS_LAST; c++)
        OsDisplayName(c, display[c - 1]);

    for (KXCOUNT i = 0; i < count; i++) {
        const char *name = names[i];
        // Neither result is examined: every listed client becomes a record.
        // The libraries set their outputs also on failure, but a text left
        // null is read as none.
        char *os = NULL;
        getClientOS(ctx, kPlatform, name, &os, &err);
        OsCode code = OS_NONE;
        if (os != NULL) {
            for (int c = 1; c <= OS_LAST && code == OS_NONE; c++)
                if (!display[c - 1].IsEmpty() && SameText(display[c - 1], os))
                    code = c;
            PKRGfree(os);
        }
        char *version = NULL;
        getClientOSVersion(ctx, kPlatform, name, &version, &err);
        CString osVersion(version);
        if (version != NULL)
            PKRGfree(version);
        cache.AppendClient(new ClientRecord((int)i, name, code, osVersion));
    }
    FreeNameList(names, count);
    cache.clientsLoaded = 1;
    return 1;
}

ClientRefList &GetClientRefs(ClientRefList &out)
{
    LoadClients();
    out.AssignFromRecords(DataCache::Get().clients);
    return out;
}

int ConflictResolution::ReadFromInstaller()
{
    char *err = NULL;
    char ctx[KX_CONTEXT_SIZE];
    kxsaoh(kPlatform, ctx);
    char *administratorWord = NULL;
    char *locationWord = NULL;
    char *mandatoryWord = NULL;
    int rc = getConflictResolution(ctx, kPlatform, &administratorWord, &locationWord, &mandatoryWord, &err);
    if (!ReportInstallerError(rc, err, "getting conflict resolution")) {
        Reset();
        return 0;
    }
    FromWords(administratorWord, locationWord, mandatoryWord);
    PKRGfree(administratorWord);
    PKRGfree(locationWord);
    PKRGfree(mandatoryWord);
    if (err != NULL)
        PKRGfree(err);
    return 1;
}

int ConflictResolution::WriteToInstaller()
{
    const char *administratorWord = AdministratorWord();
    const char *locationWord = LocationWord();
    const char *mandatoryWord = MandatoryWord();
    char *err = NULL;
    char ctx[KX_CONTEXT_SIZE];
    kxsaoh(kPlatform, ctx);
    int rc = setConflictResolution(ctx, kPlatform, administratorWord, locationWord, mandatoryWord, &err);
    return ReportInstallerError(rc, err, "setting conflict resolution");
}
