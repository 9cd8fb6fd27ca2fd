// helptopics.h - the manual's topic for each message the program shows with
// a help number.
//
// While such a box is shown, its help context is 0x30000 + the number; F1
// in the box asks for help at that context. The help files have no numeric
// map (their generator writes none), so the program finds the topic's name
// here and opens the topic by name.
#pragma once

#include <windows.h>

// The topic of a message box's help context; NULL when the manual has none.
const char *HelpTopicOfContext(DWORD context);
