// language.h - the language resource library the program takes its texts,
// dialog templates and icon from.
#pragma once

#include <windows.h>

// "rvxrs" + abbrev + ".dll" if a file of that name exists (in the platform's
// standard places) and loads as a library, else "rvxrsus.dll" on the same
// terms. NULL when neither loads; the caller releases what it gets.
HMODULE LoadLanguageLibrary(const char *abbrev);
