// Help: which engine shows the help file, and the test seam in front of both.
// Windows 10 and 11 ship no WinHelp engine; HTML Help is on every Windows
// since 98, so a .chm beside the help file is preferred where there is one.
#include "afximpl.h"
#include <htmlhelp.h>

namespace {
AfxHelpResponder g_helpResponder = NULL;
void *g_helpUser = NULL;

// HtmlHelpA of hhctrl.ocx, looked up at run time: the program imports
// nothing of it, and starts where it is missing.
typedef HWND(WINAPI *HtmlHelpProc)(HWND, LPCSTR, UINT, DWORD_PTR);
HtmlHelpProc g_pHtmlHelp = NULL;

HtmlHelpProc HtmlHelpEngine()
{
    static bool tried = false;
    if (!tried)
    {
        tried = true;
        // From the system directory only, never one planted beside the
        // program or in the current directory. The module stays loaded for
        // the life of the process: its windows run on this thread.
        char path[MAX_PATH];
        UINT n = ::GetSystemDirectoryA(path, MAX_PATH);
        if (n > 0 && n + sizeof "\\hhctrl.ocx" <= MAX_PATH)
        {
            lstrcatA(path, "\\hhctrl.ocx");
            if (HMODULE module = ::LoadLibraryA(path))
                g_pHtmlHelp = reinterpret_cast<HtmlHelpProc>(::GetProcAddress(module, "HtmlHelpA"));
        }
    }
    return g_pHtmlHelp;
}

// The .chm of the same name beside a help file, or empty when there is none.
CString CompiledHelpBeside(LPCSTR helpFile)
{
    CString chm(helpFile);
    int slash = chm.ReverseFind('\\');
    int dot = chm.ReverseFind('.');
    if (dot > slash)
        chm = chm.Left(dot);
    chm += ".chm";
    DWORD attributes = ::GetFileAttributesA(chm);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return CString();
    return chm;
}

HWND HelpOwner()
{
    CWnd *pMain = AfxGetMainWnd();
    return pMain && pMain->m_hWnd ? pMain->m_hWnd : ::GetActiveWindow();
}

// One help request in the form each engine takes; the HTML Help form is used
// when chm is set (the .chm exists), the WinHelp form otherwise.
struct HelpRequest
{
    LPCSTR helpFile;
    UINT command;
    DWORD_PTR data;
    CString chm;   // with "::/page.html" for a topic
    UINT chmCommand;
};

BOOL StartHelp(const HelpRequest &r)
{
    if (r.chm.IsEmpty())
    {
        if (g_helpResponder)
            return g_helpResponder(afxWinHelp, r.helpFile, r.command, r.data, g_helpUser);
        return ::WinHelpA(HelpOwner(), r.helpFile, r.command, r.data);
    }
    if (g_helpResponder)
        return g_helpResponder(afxHTMLHelp, r.chm, r.chmCommand, 0, g_helpUser);
    HtmlHelpProc htmlHelp = HtmlHelpEngine();
    if (htmlHelp && htmlHelp(HelpOwner(), r.chm, r.chmCommand, 0))
        return TRUE;
    // No HTML Help engine on this system, or it could not show the file: the
    // WinHelp file may still be shown.
    return ::WinHelpA(HelpOwner(), r.helpFile, r.command, r.data);
}

void ShowHelp(const HelpRequest &r)
{
    if (StartHelp(r))
        return;
    CString text;
    if (!text.LoadString(AFX_IDP_FAILED_TO_LAUNCH_HELP))
        text = "Failed to launch help.";
    AfxMessageBox(text, MB_OK, AFX_IDP_FAILED_TO_LAUNCH_HELP);
}
} // namespace

void AfxSetHelpResponder(AfxHelpResponder responder, void *user)
{
    g_helpResponder = responder;
    g_helpUser = user;
}

void AfxCloseHelp()
{
    // HTML Help windows live in this process; close them before it ends.
    if (g_pHtmlHelp)
        g_pHtmlHelp(NULL, NULL, HH_CLOSE_ALL, 0);
}

void CWinApp::WinHelp(DWORD_PTR dwData, UINT nCmd)
{
    // Halibut writes no context map into the .chm: every command opens its
    // contents there.
    ShowHelp({m_pszHelpFilePath, nCmd, dwData, CompiledHelpBeside(m_pszHelpFilePath), HH_DISPLAY_TOC});
}

void CWinApp::OpenHelpTopic(LPCSTR lpszTopic)
{
    CString jump;
    jump.Format("JI(`',`%s')", lpszTopic);
    CString chm = CompiledHelpBeside(m_pszHelpFilePath);
    if (!chm.IsEmpty())
        chm += CString("::/") + lpszTopic + ".html";
    ShowHelp({m_pszHelpFilePath, HELP_COMMAND, (DWORD_PTR)(LPCSTR)jump, chm, HH_DISPLAY_TOPIC});
}
