// helppath.h - where the help file is looked for.
#pragma once

#include "afxstr.h"

// Given the framework's default help path (the program file's path with
// ".HLP"), keeps it when anything exists there; otherwise replaces it with
// "\poolcfg\poolcfg.hlp" two directory levels above the program file.
// A path with fewer than two backslashes has no two levels to climb and is
// left as it is. The work is done in a 65,536-byte buffer through the
// installer's text routines; nothing is written outside it.
void BuildHelpPath(CString &path);
