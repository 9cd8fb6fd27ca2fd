// Choosing and loading the language resource library.
#include "language.h"

namespace {

// The directory of the program file, with its trailing backslash. The
// package installs the language libraries there; nothing else is searched,
// so a library dropped in the current directory, on PATH or in a system
// directory is never taken.
CString ProgramDirectory()
{
    char path[MAX_PATH + 1] = "";
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return CString();
    path[n] = '\0';
    char *slash = strrchr(path, '\\');
    if (slash == NULL)
        return CString();
    slash[1] = '\0';
    return CString(path);
}

// The existence test and the load look at the same full path. OF_EXIST
// opens and closes the file at once.
HMODULE LoadIfPresent(const CString &path)
{
    OFSTRUCT info;
    if (path.IsEmpty() || OpenFile(path, &info, OF_EXIST) == HFILE_ERROR)
        return NULL;
    // Mapped as an image of resources only: the loader runs no entry point,
    // resolves no import and keeps no module of it in the process's list.
    // A file that exists but is no library fails here, and the caller falls
    // back; no system box for a bad image, the fallback is the answer to it.
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    SetErrorMode(previousMode);
    return library;
}

} // namespace

int IsPlainLanguageCode(const char *abbrev)
{
    if (abbrev == NULL || *abbrev == '\0')
        return 0;
    int length = 0;
    for (const char *p = abbrev; *p; ++p, ++length) {
        char c = *p;
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!plain || length >= LANGUAGE_CODE_MAX)
            return 0;
    }
    return 1;
}

HMODULE LoadLanguageLibrary(const char *abbrev, CString *path)
{
    CString dir = ProgramDirectory();
    CString names[2];
    // Anything but a plain code is a language without a library of its own.
    if (IsPlainLanguageCode(abbrev))
        names[0] = dir + "rvxrs" + abbrev + ".dll";
    names[1] = dir + "rvxrsus.dll";
    for (const CString &name : names) {
        if (name.IsEmpty())
            continue;
        if (HMODULE library = LoadIfPresent(name)) {
            if (path)
                *path = name;
            return library;
        }
    }
    if (path)
        path->Empty();
    return NULL;
}
