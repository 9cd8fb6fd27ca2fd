// adminapp.h - the application object: everything before and after the main
// dialog happens in its start-up hook.
#pragma once

#include "afxwin.h"

class CAdminApp : public CWinApp
{
public:
    CAdminApp();

    // Loads the language library, the title and every record, runs the main
    // dialog, releases the library. Always FALSE: the process ends when the
    // dialog has closed (or start-up stopped early), without a message loop.
    BOOL InitInstance() override;

    // Help inside a message box (a numeric context) opens the manual's topic
    // of that message by name, and the contents for a number without one;
    // every other command goes to the framework.
    void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT) override;

    // The language resource library in force; NULL before it is loaded and
    // after it has been released.
    HMODULE resourceLibrary;
    // The file it was loaded from (a resource image has no module name).
    CString resourceLibraryPath;

    DECLARE_MESSAGE_MAP()
};
