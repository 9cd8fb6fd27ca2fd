// language.h - the language resource library the program takes its texts,
// dialog templates and icon from.
#pragma once

#include <windows.h>

#include "afxstr.h"

// The longest abbreviation taken as a language code. Codes in use are two
// or three letters ("us", "de", "enu"); the room above that is for regional
// forms written without a separator ("ptbr", "zhcn").
enum { LANGUAGE_CODE_MAX = 8 };

// 1 when abbrev is a plain language code: 1 to LANGUAGE_CODE_MAX ASCII
// letters and digits, nothing else. The text comes from the installation's
// store, which other people can write: separators, dots, blanks or control
// bytes would make the library's file name a path somewhere else.
int IsPlainLanguageCode(const char *abbrev);

// The language library of abbrev: "rvxrs" + abbrev + ".dll" when abbrev is
// a plain language code and that file, in the program's own directory,
// loads; else "rvxrsus.dll" from there on the same terms; NULL when neither
// loads. A library is mapped as a resource image only: no code of it ever
// runs in this process. path, when given, receives the file that was loaded
// (a resource image has no module file name to ask for). The caller releases
// the handle with FreeLibrary.
HMODULE LoadLanguageLibrary(const char *abbrev, CString *path = NULL);
