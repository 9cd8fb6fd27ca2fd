// Loading the client catalogue, and the installation-wide conflict
// resolution.
#include "clients.h"

int LoadClients()
{
    DataCache &cache = DataCache::Get();
    if (int known = cache.Known(cache.clientsLoaded, cache.clientsFailed); known >= 0)
        return known;

    kxc::Context context;
    context.Open();
    kxc::NameList names;
    kxc::Failure failure;
    if (!context.AllClients(names, &failure)) {
        cache.clientsFailed = cache.loadScopeDepth > 0;
        return ReportInstallerError(failure);
    }

    // Compare the system texts against the display names once, not seven
    // resource loads per client: the list may hold tens of thousands.
    CString display[OS_LAST];
    for (int c = 1; c <= OS_LAST; c++)
        OsDisplayName(c, display[c - 1]);

    kxc::Text os, version;
    for (size_t i = 0; i < names.size(); i++) {
        const char *name = names[i];
        // Neither result is examined: every listed client becomes a record,
        // with no system and an empty version where a query failed.
        context.ClientOS(name, os);
        OsCode code = OS_NONE;
        for (int c = 1; c <= OS_LAST && code == OS_NONE; c++)
            if (!display[c - 1].IsEmpty() && SameText(display[c - 1], os.c_str()))
                code = c;
        context.ClientOSVersion(name, version);
        cache.AppendClient(ClientRecord((int)i, name, code, version.c_str()));
    }
    cache.clientsLoaded = 1;
    return 1;
}

int ConflictResolution::ReadFromInstaller()
{
    kxc::Context context;
    context.Open();
    kxc::Text administratorWord, locationWord, mandatoryWord;
    kxc::Failure failure;
    if (!context.GetConflictResolution(administratorWord, locationWord, mandatoryWord, &failure)) {
        Reset();
        return ReportInstallerError(failure);
    }
    FromWords(administratorWord.c_str(), locationWord.c_str(), mandatoryWord.c_str());
    return 1;
}

int ConflictResolution::WriteToInstaller() const
{
    kxc::Context context;
    context.Open();
    kxc::Failure failure;
    if (!context.SetConflictResolution(AdministratorWord(), LocationWord(), MandatoryWord(), &failure))
        return ReportInstallerError(failure);
    return 1;
}
