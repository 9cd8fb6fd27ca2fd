// Small helpers shared by the data layer and the pages: the one message box
// through which every examined installer failure reaches the user, the
// release of library name lists, operating-system codes, exact text
// comparison and the registry test for shareable products.
#pragma once
#include "afxwin.h"

// Operating systems as the program codes them. The installer library stores
// and returns their display texts (string resources of the language library).
enum OsCode {
    OS_NONE = 0,
    OS_WIN32 = 1,
    OS_WIN95 = 2,
    OS_NT = 3,
    OS_OS2 = 4,
    OS_NETWARE = 5,
    OS_WINDOWS = 6,
    OS_DOS = 7
};

// Nonzero result: shows "An error occurred in the Installer API:<phrase>:"
// and the library's text (released here), returns 0. Zero result: returns 1
// and leaves the error text alone.
int ReportInstallerError(int result, char *errorText, const char *phrase);

// Releases a library name list: each entry, then the array, with PKRGfree.
void FreeNameList(char **names, int count);

int OsCodeFromKeyword(const char *keyword);
void OsDisplayName(int code, CString &text);
CString OsDisplayName(int code);
int OsCodeFromDisplayName(const char *text);

// Exact, case-sensitive comparison of whole texts: 1 if equal, else 0.
int SameText(const char *a, const char *b);

// 1 when HKLM\SOFTWARE\VELKAN\BACKUP\<product> has "Shareable" = "TRUE".
int IsShareable(const char *productName);

// Reads one registry value into a buffer of kRegistryValueSize + 1 bytes;
// returns the system's result code (0 = success).
enum { kRegistryValueSize = 1024 };
LONG ReadRegistryValue(HKEY root, const char *subkey, const char *valueName, char *buffer);
