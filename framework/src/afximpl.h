// Framework state shared by the implementation files (one UI thread).
#pragma once
#include "afxwin.h"
#include <unordered_map>

struct AfxCurrentMessage
{
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct AfxState
{
    // Windows with an object of this framework attached: dialogs from
    // WM_INITDIALOG to WM_NCDESTROY, controls from Attach to Detach.
    std::unordered_map<HWND, CWnd *> permanentMap;
    // The message being dispatched, for CWnd::Default.
    AfxCurrentMessage current = {NULL, 0, 0, 0};
    // Set while CDialog::DefaultProc hands a message to DefDlgProc: the
    // dialog procedure is then called with that very message first and must
    // decline it, or Default() would recurse into the handler.
    HWND hWndInDefault = NULL;
    UINT msgInDefault = 0;
};

AfxState &AfxGetState();

// A temporary wrapper of a handle from a fixed ring of N, so that FromHandle
// never leaks; a wrapper is reused only after N other handles were wrapped.
template <class T, int N, class H>
T *AfxTemporaryWrapper(H handle, H T::*member)
{
    static T pool[N];
    static int next = 0;
    for (T &w : pool)
        if (w.*member == handle)
            return &w;
    T *p = &pool[next];
    next = (next + 1) % N;
    p->*member = handle;
    return p;
}

// Restores the current message when a dispatch ends, also on unwinding.
class AfxCurrentMessageScope
{
public:
    AfxCurrentMessageScope(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
        : m_saved(AfxGetState().current)
    {
        AfxGetState().current = {hWnd, message, wParam, lParam};
    }
    ~AfxCurrentMessageScope() { AfxGetState().current = m_saved; }

private:
    AfxCurrentMessage m_saved;
};

// The program file's full path.
CString AfxModuleFileName();
// The program file's name without directory and extension.
CString AfxModuleBaseName();

// Makes F1 in dialogs and message boxes ask for help (ID_HELP), and offers
// every message of their modal loops to PreTranslateMessage first.
void AfxInstallHelpKeyHook();
// Closes the HTML Help windows the program opened, if it opened any.
void AfxCloseHelp();
// PreTranslateMessage of the message's window and its parents; TRUE when
// one of them took the message.
BOOL AfxPreTranslateMessage(MSG *pMsg);
