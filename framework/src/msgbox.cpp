// The application message box with its test seam, and F1.
#include "afximpl.h"

namespace {
AfxMessageBoxResponder g_msgResponder = NULL;
void *g_msgUser = NULL;

// The help context when no application object exists.
DWORD g_dwNoAppContext = 0;

// F1 inside a dialog or message box, and PreTranslateMessage. Their modal
// loops do not go through our code, but the dialog manager offers every
// message to the thread's message-filter hook (MSGF_DIALOGBOX) first, as it
// does for message boxes.
HHOOK g_hMsgFilterHook = NULL;

LRESULT CALLBACK MsgFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == MSGF_DIALOGBOX)
    {
        const MSG *msg = reinterpret_cast<const MSG *>(lParam);
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_F1)
        {
            // A dialog of ours gets the help command (its map, then the
            // application's); a message box gets help at its context.
            HWND root = ::GetAncestor(msg->hwnd, GA_ROOT);
            CWnd *pWnd = CWnd::FromHandlePermanent(root);
            if (dynamic_cast<CDialog *>(pWnd))
            {
                pWnd->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
                return TRUE;
            }
            if (CWinApp *pApp = AfxGetApp())
            {
                pApp->OnHelp();
                return TRUE;
            }
        }
        if (AfxPreTranslateMessage(const_cast<MSG *>(msg)))
            return TRUE;
    }
    return ::CallNextHookEx(g_hMsgFilterHook, code, wParam, lParam);
}

UINT AddDefaultIcon(UINT nType)
{
    if ((nType & MB_ICONMASK) != 0)
        return nType;
    switch (nType & MB_TYPEMASK)
    {
    case MB_OK:
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_YESNO:
        return nType | MB_ICONEXCLAMATION;
    default:
        return nType;
    }
}

int ShowMessageBox(LPCSTR lpszText, UINT nType, UINT nIDPrompt, LPCSTR lpszCaption, DWORD *pContext)
{
    nType = AddDefaultIcon(nType);
    // Help number 0 leaves the context as it is (none, outside another box).
    DWORD saved = *pContext;
    if (nIDPrompt != 0)
        *pContext = HID_BASE_PROMPT + nIDPrompt;

    int result;
    if (g_msgResponder)
        result = g_msgResponder(lpszText ? lpszText : "", nType, *pContext, lpszCaption, g_msgUser);
    else
    {
        HWND hOwner = ::GetActiveWindow();
        CWnd *pMain = AfxGetMainWnd();
        if (!hOwner && pMain && pMain->m_hWnd && ::IsWindow(pMain->m_hWnd))
            hOwner = pMain->m_hWnd;
        AfxInstallHelpKeyHook();
        result = ::MessageBoxA(hOwner, lpszText ? lpszText : "", lpszCaption, nType);
    }
    *pContext = saved;
    return result;
}
}

BOOL AfxPreTranslateMessage(MSG *pMsg)
{
    // Up to the top-level window: the parent of a popup (a message box) is
    // its owner, which the message is not for.
    for (HWND hWnd = pMsg->hwnd; hWnd;
         hWnd = (::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD) ? ::GetParent(hWnd) : NULL)
        if (CWnd *pWnd = CWnd::FromHandlePermanent(hWnd))
            if (pWnd->PreTranslateMessage(pMsg))
                return TRUE;
    return FALSE;
}

void AfxInstallHelpKeyHook()
{
    // Once for the UI thread, for the rest of its life.
    if (!g_hMsgFilterHook)
        g_hMsgFilterHook = ::SetWindowsHookExA(WH_MSGFILTER, MsgFilterHook, NULL, ::GetCurrentThreadId());
}

void AfxSetMessageBoxResponder(AfxMessageBoxResponder responder, void *user)
{
    g_msgResponder = responder;
    g_msgUser = user;
}

int CWinApp::DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT nIDPrompt)
{
    return ShowMessageBox(lpszPrompt, nType, nIDPrompt, m_pszAppName, &m_dwPromptContext);
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT nIDHelp)
{
    if (CWinApp *pApp = AfxGetApp())
        return pApp->DoMessageBox(lpszText, nType, nIDHelp);
    return ShowMessageBox(lpszText, nType, nIDHelp, AfxGetAppName(), &g_dwNoAppContext);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text;
    if (!text.LoadString(nIDPrompt))
    {
        // A resource library without the string must not give a blank box
        // that the user cannot act on.
        text.Format("Message %u is missing from the resource library.", nIDPrompt);
    }
    if (nIDHelp == (UINT)-1)
        nIDHelp = nIDPrompt;
    return AfxMessageBox(text, nType, nIDHelp);
}

void CWinApp::OnHelp()
{
    // Inside a message box: the box's own context; otherwise the contents.
    if (m_dwPromptContext != 0)
        WinHelp(m_dwPromptContext, HELP_CONTEXT);
    else
        WinHelp(0, HELP_CONTENTS);
}
