// installer_errors.h - the small helpers the whole data layer and the pages
// share: the one report every examined installer failure goes through, the
// operating-system codes with their keywords and display texts, exact text
// comparison, and the registry test that decides whether a product may be
// offered for a shared configuration.
#pragma once

#include "afxstr.h"
#include "kxclient.h"

// OsCode: 0 = none, 1..7 the systems below. The display text of a code is a
// string resource of the language library; the installer library stores and
// returns exactly that text as a configuration's or a client's system.
typedef int OsCode;
enum
{
    OS_NONE = 0,
    OS_WIN32 = 1,
    OS_WIN95 = 2,
    OS_NT = 3,
    OS_OS2 = 4,
    OS_NETWARE = 5,
    OS_WINDOWS = 6,
    OS_DOS = 7,
    OS_LAST = OS_DOS
};

// The size of a registry value ReadRegistryValue reads; the buffer it is
// given holds REGISTRY_VALUE_SIZE bytes and one terminating zero.
enum { REGISTRY_VALUE_SIZE = 1024 };

// Where a failure of the installer libraries reaches the administrator. The
// data layer shows nothing itself: the application installs a reporter (a
// message box with the stop icon), and a failure without one goes unseen.
class InstallerReporter
{
public:
    virtual ~InstallerReporter() {}
    virtual void Show(const CString &message) = 0;
};
// The reporter in force (none at start); returns the one it replaces.
InstallerReporter *SetInstallerReporter(InstallerReporter *reporter);

// "An error occurred in the Installer API:<doing>:\n\n" followed by the
// library's text, or "NO MESSAGE PROVIDED" when it gave none, to the
// reporter. Returns 0, so that a failing step reads "return Report...".
int ReportInstallerError(const kxc::Failure &failure);

// The same message with a detail of the program's own, for a request the
// data layer refuses before the library sees it (a list too long for the
// library's 16-bit counts).
void ReportInstallerText(const char *context, const char *detail);

// "win32", "win95", "nt", "os2", "netware", "windows", "dos" (any letter
// case) -> 1..7; anything else -> 0.
OsCode OsCodeFromKeyword(const char *keyword);

// The display text of a code from the current resource library; any code
// outside 1..7 gives the text of "(none)".
void OsDisplayName(OsCode code, CString &text);
CString OsDisplayName(OsCode code);

// The code whose display text equals text exactly (case-sensitive); 0 when
// none does. The "(none)" text is never compared, so it reads back as 0.
OsCode OsCodeFromDisplayName(const char *text);

// 1 when both texts are byte for byte equal (a null text equals only null
// or ""), else 0.
int SameText(const char *a, const char *b);

// 1 when HKLM "SOFTWARE\VELKAN\BACKUP\<product>" value "Shareable" reads
// exactly "TRUE" (whatever its registry type), else 0.
int IsShareable(const char *productName);

// Opens subKey of root for reading, reads valueName into buffer (which must
// hold REGISTRY_VALUE_SIZE + 1 bytes) and terminates the text after the
// bytes read. Returns the system's result code (ERROR_SUCCESS = 0). buffer
// is the empty text after any failure of the query.
LONG ReadRegistryValue(HKEY root, const char *subKey, const char *valueName, char *buffer);
