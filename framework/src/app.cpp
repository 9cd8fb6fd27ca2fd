// CWinApp and the process-wide handles.
#include "afximpl.h"
#include <cstring>

namespace {
CWinApp *g_pApp = NULL;
// The object that was the application before the current one (tests make
// short-lived ones); restored when the current one goes.
CWinApp *g_pPrevApp = NULL;
HINSTANCE g_hResource = NULL;

char *CopyText(const char *s)
{
    size_t n = strlen(s) + 1;
    char *p = new char[n];
    memcpy(p, s, n);
    return p;
}
}

CString AfxModuleFileName()
{
    // Paths may exceed MAX_PATH: grow until the name fits.
    DWORD size = MAX_PATH;
    for (;;)
    {
        CString path;
        DWORD n = ::GetModuleFileNameA(NULL, path.GetBuffer((int)size), size);
        if (n == 0)
            return CString();
        if (n < size)
        {
            path.ReleaseBuffer((int)n);
            return path;
        }
        size *= 2;
        if (size > 32768 * 4)
            return CString();
    }
}

CString AfxModuleBaseName()
{
    CString path = AfxModuleFileName();
    int slash = path.ReverseFind('\\');
    int fwd = path.ReverseFind('/');
    if (fwd > slash)
        slash = fwd;
    CString name = path.Mid(slash + 1);
    int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

CWinApp::CWinApp(LPCSTR lpszAppName)
{
    g_pPrevApp = g_pApp;
    g_pApp = this;
    m_hInstance = ::GetModuleHandleA(NULL);

    m_pszExeOwned = CopyText(AfxModuleBaseName());
    m_pszExeName = m_pszExeOwned;

    // The help file is the program file with its extension replaced.
    CString help = AfxModuleFileName();
    int slash = help.ReverseFind('\\');
    int dot = help.ReverseFind('.');
    if (dot > slash)
        help = help.Left(dot);
    help += ".HLP";
    m_pszDefaultHelp = CopyText(help);

    m_pszAppName = NULL;
    m_pszHelpFilePath = NULL;
    SetAppName(lpszAppName);
    SetHelpFilePath(NULL);
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
    {
        g_pApp = g_pPrevApp;
        g_pPrevApp = NULL;
    }
    delete[] m_pszAppNameOwned;
    delete[] m_pszHelpOwned;
    delete[] m_pszExeOwned;
    delete[] m_pszDefaultHelp;
}

void CWinApp::SetAppName(LPCSTR lpszTitle)
{
    char *copy = CopyText(lpszTitle ? lpszTitle : m_pszExeName);
    delete[] m_pszAppNameOwned;
    m_pszAppNameOwned = copy;
    m_pszAppName = copy;
}

void CWinApp::SetHelpFilePath(LPCSTR lpszPath)
{
    char *copy = CopyText(lpszPath ? lpszPath : m_pszDefaultHelp);
    delete[] m_pszHelpOwned;
    m_pszHelpOwned = copy;
    m_pszHelpFilePath = copy;
}

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageA(&msg, NULL, 0, 0) > 0)
    {
        if (AfxPreTranslateMessage(&msg))
            continue;
        // Keyboard navigation of a modeless main dialog.
        if (m_pMainWnd && m_pMainWnd->m_hWnd && ::IsDialogMessageA(m_pMainWnd->m_hWnd, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

HICON CWinApp::LoadIcon(LPCSTR lpszResourceName) const
{
    return ::LoadIconA(AfxGetResourceHandle(), lpszResourceName);
}

CWinApp *AfxGetApp() { return g_pApp; }
CWnd *AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : NULL; }
HINSTANCE AfxGetInstanceHandle() { return g_pApp ? g_pApp->m_hInstance : ::GetModuleHandleA(NULL); }
HINSTANCE AfxGetResourceHandle() { return g_hResource ? g_hResource : AfxGetInstanceHandle(); }
void AfxSetResourceHandle(HINSTANCE hInstResource) { g_hResource = hInstResource; }

LPCSTR AfxGetAppName()
{
    if (g_pApp)
        return g_pApp->m_pszAppName;
    static CString name;   // kept: callers hold on to the pointer
    name = AfxModuleBaseName();
    return name;
}

// The program's entry point. It lives beside CWinApp so that every program
// with an application object gets it: the C runtime asks for WinMain only
// after the program's own libraries have been searched, so a WinMain in an
// object file of its own would never be pulled in. A program with its own
// main (the tests) keeps using main.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    CWinApp *pApp = AfxGetApp();
    if (!pApp)
        return 1;
    pApp->m_hInstance = hInstance;
    int status = 1;
    try
    {
        status = pApp->InitInstance() ? pApp->Run() : pApp->ExitInstance();
    }
    catch (...)
    {
        // Nothing thrown leaves the program; the status stays 1.
    }
    AfxCloseHelp();
    return status;
}
