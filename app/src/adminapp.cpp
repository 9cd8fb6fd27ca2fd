// Start-up and shut-down of the program.
#include "adminapp.h"

#include "data.h"
#include "helppath.h"
#include "helptopics.h"
#include "installerreport.h"
#include "language.h"
#include "maindialog.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CAdminApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CAdminApp::CAdminApp()
    : resourceLibrary(NULL)
{
}

void CAdminApp::WinHelp(DWORD_PTR dwData, UINT nCmd)
{
    if (nCmd != HELP_CONTEXT) {
        CWinApp::WinHelp(dwData, nCmd);
        return;
    }
    if (const char *topic = HelpTopicOfContext((DWORD)dwData))
        OpenHelpTopic(topic);
    else
        CWinApp::WinHelp(0, HELP_CONTENTS);
}

BOOL CAdminApp::InitInstance()
{
    Enable3dControls();

    // Both literal messages below go out under the framework's default title
    // (the program file's name): the real title lives in the library that
    // could not be had.
    std::string abbrev;
    kxc::Failure failure;
    if (!kxc::CurrentLanguage(&abbrev, &failure)) {
        // The library's own text follows: which store, where, what failed,
        // so that the administrator can set VELKAN_INSTALL or mend the share.
        CString text("Could not get current language");
        if (failure.gaveReason)
            text += ("\n\n" + failure.reason).c_str();
        AfxMessageBox(text, MB_OK, 0);
        return FALSE;
    }

    resourceLibrary = LoadLanguageLibrary(abbrev.c_str(), &resourceLibraryPath);
    if (resourceLibrary == NULL) {
        AfxMessageBox("Error loading resource file", MB_OK, 0);
        return FALSE;
    }
    AfxSetResourceHandle(resourceLibrary);

    CString title;
    title.LoadString(IDS_APP_TITLE);
    SetAppName(title);

    // The data layer's failures, from here on, in the application's box.
    static MessageBoxReporter reporter;
    SetInstallerReporter(&reporter);

    int loaded;
    {
        // A large installation takes seconds to load.
        CWaitCursor wait;
        kxc::OpenProductRegistry();
        loaded = LoadAll();
    }
    // LoadAll has shown its own message on failure. The library stays loaded
    // and the registry open: the process is about to end anyway.
    if (!loaded)
        return FALSE;

    CString helpPath(m_pszHelpFilePath);
    BuildHelpPath(helpPath);
    SetHelpFilePath(helpPath);

    {
        CMainDialog dialog(NULL);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = NULL;

        // The library goes first, the dialog object at the end of this block:
        // its window is gone by now and nothing it still holds comes from the
        // library (the icon is a shared resource of it, never destroyed by
        // us). The resource handle must not name a released module.
        AfxSetResourceHandle(AfxGetInstanceHandle());
        FreeLibrary(resourceLibrary);
        resourceLibrary = NULL;
        resourceLibraryPath.Empty();
    }
    return FALSE;
}
