// Choosing and loading the language resource library.
#include "language.h"

#include "afxstr.h"

namespace {

// OF_EXIST opens and closes the file at once; it searches a bare name in the
// program's directory, the current directory, the system directories and
// PATH, which is where LoadLibrary looks too.
HMODULE LoadIfPresent(const char *fileName)
{
    OFSTRUCT info;
    if (OpenFile(fileName, &info, OF_EXIST) == HFILE_ERROR)
        return NULL;
    // A file that exists but is no library (or not one for this machine)
    // fails here, and the caller falls back. No system box for a bad image:
    // the fallback is the answer to that.
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryA(fileName);
    SetErrorMode(previousMode);
    return library;
}

} // namespace

HMODULE LoadLanguageLibrary(const char *abbrev)
{
    CString name = CString("rvxrs") + abbrev + ".dll";
    HMODULE library = LoadIfPresent(name);
    if (library == NULL)
        library = LoadIfPresent("rvxrsus.dll");
    return library;
}
