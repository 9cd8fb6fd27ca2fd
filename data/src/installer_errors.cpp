// The shared helpers of the data layer: the installer error report,
// operating-system names and the shareable test.
#include "installer_errors.h"

#include <string.h>

namespace {

const char *const kKeywords[OS_LAST] = { "win32", "win95", "nt", "os2", "netware", "windows", "dos" };
// The display string resources of codes 1..7, in code order; 1014 is "(none)".
const UINT kDisplayIds[OS_LAST] = { 1022, 1021, 1009, 1011, 1013, 1010, 1012 };
const UINT kNoneDisplayId = 1014;

InstallerReporter *reporter = NULL;

}  // namespace

InstallerReporter *SetInstallerReporter(InstallerReporter *next)
{
    InstallerReporter *previous = reporter;
    reporter = next;
    return previous;
}

void ReportInstallerText(const char *context, const char *detail)
{
    CString message("An error occurred in the Installer API:");
    message += context;
    message += ":\n\n";
    message += detail;
    if (reporter)
        reporter->Show(message);
}

int ReportInstallerError(const kxc::Failure &failure)
{
    ReportInstallerText(failure.doing.c_str(), failure.gaveReason ? failure.reason.c_str() : "NO MESSAGE PROVIDED");
    return 0;
}

OsCode OsCodeFromKeyword(const char *keyword)
{
    if (keyword == NULL)
        return OS_NONE;
    for (int i = 0; i < OS_LAST; i++)
        if (lstrcmpiA(keyword, kKeywords[i]) == 0)
            return i + 1;
    return OS_NONE;
}

void OsDisplayName(OsCode code, CString &text)
{
    UINT id = (code >= 1 && code <= OS_LAST) ? kDisplayIds[code - 1] : kNoneDisplayId;
    if (!text.LoadString(id))
        text.Empty();
}

CString OsDisplayName(OsCode code)
{
    CString text;
    OsDisplayName(code, text);
    return text;
}

OsCode OsCodeFromDisplayName(const char *text)
{
    if (text == NULL)
        return OS_NONE;
    for (int i = 0; i < OS_LAST; i++) {
        CString name;
        // A resource that cannot be loaded must not match an empty text.
        if (name.LoadString(kDisplayIds[i]) && SameText(name, text))
            return i + 1;
    }
    return OS_NONE;
}

int SameText(const char *a, const char *b)
{
    // Byte-wise: a double-byte character is equal only when both of its
    // bytes are, which is comparing it as one unit.
    return strcmp(a ? a : "", b ? b : "") == 0 ? 1 : 0;
}

int IsShareable(const char *productName)
{
    CString path("SOFTWARE\\VELKAN\\BACKUP\\");
    path += productName;
    char value[REGISTRY_VALUE_SIZE + 1];
    if (ReadRegistryValue(HKEY_LOCAL_MACHINE, path, "Shareable", value) != ERROR_SUCCESS)
        return 0;
    return SameText(value, "TRUE");
}

LONG ReadRegistryValue(HKEY root, const char *subKey, const char *valueName, char *buffer)
{
    buffer[0] = '\0';
    HKEY key;
    LONG rc = RegOpenKeyExA(root, subKey, 0, KEY_READ, &key);
    if (rc != ERROR_SUCCESS)
        return rc;
    DWORD size = REGISTRY_VALUE_SIZE;
    rc = RegQueryValueExA(key, valueName, NULL, NULL, (BYTE *)buffer, &size);
    // The stored bytes need not end in a zero (REG_BINARY, or a REG_SZ
    // written without one): terminate after what was read. A value too long
    // for the buffer fails with ERROR_MORE_DATA and leaves no text.
    if (rc == ERROR_SUCCESS && size <= REGISTRY_VALUE_SIZE)
        buffer[size] = '\0';
    else
        buffer[0] = '\0';
    RegCloseKey(key);
    return rc;
}
