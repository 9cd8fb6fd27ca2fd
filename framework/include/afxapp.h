// CWinApp, the process-wide framework state, the application message box
// and help, and the two test seams.
#pragma once
#include "afxwnd.h"

// The command of the standard Help button / F1.
#ifndef ID_HELP
#define ID_HELP 0xE146   // 57670
#endif
// Help contexts of message boxes: 0x30000 + the box's help number.
#define HID_BASE_PROMPT 0x30000UL
// The framework's own string: help could not be started.
#define AFX_IDP_FAILED_TO_LAUNCH_HELP 0xF107   // 61703

// The two help engines: WinHelp shows a .HLP file, HTML Help (hhctrl.ocx) a
// compiled .chm file.
enum AFX_HELP_TYPE { afxWinHelp = 0, afxHTMLHelp = 1 };

class CWinApp : public CCmdTarget
{
public:
    // Exactly one object per process; it becomes AfxGetApp(). Title and help
    // path default to the program file's name without extension and its full
    // path with the extension replaced by ".HLP".
    explicit CWinApp(LPCSTR lpszAppName = NULL);
    ~CWinApp() override;

    LPCSTR m_pszAppName;          // the application title (owned copy; change with SetAppName)
    LPCSTR m_pszHelpFilePath;     // the help file (owned copy; change with SetHelpFilePath)
    LPCSTR m_pszExeName;          // the program file's name without extension
    CWnd *m_pMainWnd = NULL;
    HINSTANCE m_hInstance;
    // The help context in force while an application message box is shown;
    // 0 when none. F1 in the box (ID_HELP) opens help there.
    DWORD m_dwPromptContext = 0;

    void SetAppName(LPCSTR lpszTitle);        // NULL restores the default
    void SetHelpFilePath(LPCSTR lpszPath);    // NULL restores the default

    // Start-up hook: FALSE ends the process (after ExitInstance) without a
    // message loop.
    virtual BOOL InitInstance() { return TRUE; }
    // The process exit status.
    virtual int ExitInstance() { return 0; }
    // The message loop, until WM_QUIT; then ExitInstance.
    virtual int Run();

    // Kept as the place where controls get their 3-D look; current Windows
    // (and Wine) draw them so natively, so it only reports success.
    BOOL Enable3dControls() { return TRUE; }

    // The application message box. nIDPrompt is the help number: nonzero
    // makes HID_BASE_PROMPT + nIDPrompt the help context while the box is
    // shown. Adds MB_ICONEXCLAMATION to a type without icon whose buttons
    // are MB_OK, MB_OKCANCEL, MB_YESNOCANCEL or MB_YESNO. The button pressed.
    virtual int DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT nIDPrompt);

    // Opens help: the contents (HELP_CONTENTS) or a numeric context
    // (HELP_CONTEXT) of the help file m_pszHelpFilePath in WinHelp. When a
    // compiled HTML Help file of the same name with ".chm" stands beside it,
    // the HTML Help engine shows that file instead, at its contents for every
    // command (it has no numeric contexts). When the engine cannot be
    // started, shows AFX_IDP_FAILED_TO_LAUNCH_HELP.
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);
    // Opens the named topic of the help file, by the same choice of engine:
    // the page "<topic>.html" of the .chm, or the WinHelp topic of that name.
    void OpenHelpTopic(LPCSTR lpszTopic);
    // ID_HELP: the help context of the message box being shown, else the
    // help file's contents.
    void OnHelp();

    HICON LoadIcon(UINT nIDResource) const;    // from the resource module
    HICON LoadIcon(LPCSTR lpszResourceName) const;

private:
    char *m_pszAppNameOwned = nullptr;
    char *m_pszHelpOwned = nullptr;
    char *m_pszExeOwned = nullptr;
    char *m_pszDefaultHelp = nullptr;
};

CWinApp *AfxGetApp();
CWnd *AfxGetMainWnd();
// The title of the application object; without one, the program file's name.
LPCSTR AfxGetAppName();
HINSTANCE AfxGetInstanceHandle();
// The module strings, dialog templates and icons are loaded from (default:
// the program's own module). The caller keeps ownership of the module.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);

// Through CWinApp::DoMessageBox of the application object (without one the
// same rules, with the program file's name as caption).
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The text of string resource nIDPrompt; nIDHelp (UINT)-1 means nIDPrompt.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);

// Test seam: while set, no message box is shown; the responder gets the
// final text, final type (icon added), the help context in force while the
// box would be shown (0 when none) and the caption, and its result is the
// button pressed. NULL restores real message boxes.
typedef int (*AfxMessageBoxResponder)(const char *text, UINT type, DWORD helpContext,
                                      const char *caption, void *user);
void AfxSetMessageBoxResponder(AfxMessageBoxResponder responder, void *user);

// Test seam: while set, help calls the responder instead of the engine, with
// what the engine would get: WinHelp the .HLP file and a HELP_ command (a
// topic: HELP_COMMAND with its jump macro as data); HTML Help the .chm file
// ("file.chm::/page.html" for a topic) and an HH_ command. FALSE from it
// counts as "help could not be started".
typedef BOOL (*AfxHelpResponder)(AFX_HELP_TYPE engine, const char *helpFile, UINT cmd, DWORD_PTR data,
                                 void *user);
void AfxSetHelpResponder(AfxHelpResponder responder, void *user);
