// CDialog: one dialog procedure for every dialog of the framework.
#include "afximpl.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd *pParentWnd)
    : m_nIDHelp(nIDTemplate), m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog()
{
    // The window cannot work without its object: a modeless dialog that is
    // still open goes with it (a modal one has always ended by now).
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
}

// The template comes from the resource library in force; the windows belong
// to the program's own instance. The library may be mapped as a resource
// image only, and such a handle is no instance for windows to belong to.
// A loaded resource stays valid for as long as its library is loaded.
static LPCDLGTEMPLATEA FindDialogTemplate(UINT nIDTemplate)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC found = ::FindResourceA(hInst, MAKEINTRESOURCEA(nIDTemplate), (LPCSTR)RT_DIALOG);
    HGLOBAL loaded = found ? ::LoadResource(hInst, found) : NULL;
    return loaded ? (LPCDLGTEMPLATEA)::LockResource(loaded) : NULL;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    LPCDLGTEMPLATEA dialogTemplate = FindDialogTemplate(m_nIDTemplate);
    if (!dialogTemplate)
        return -1;
    HWND hOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : NULL;
    if (!hOwner)
    {
        CWnd *pMain = AfxGetMainWnd();
        if (pMain && pMain != this && pMain->m_hWnd && ::IsWindow(pMain->m_hWnd))
            hOwner = pMain->m_hWnd;
    }
    AfxInstallHelpKeyHook();
    return ::DialogBoxIndirectParamA(AfxGetInstanceHandle(), dialogTemplate, hOwner, DialogProc, (LPARAM)this);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd *pParentWnd)
{
    if (m_hWnd)
        return FALSE;
    m_nIDTemplate = nIDTemplate;
    m_nIDHelp = nIDTemplate;
    m_pParentWnd = pParentWnd;
    LPCDLGTEMPLATEA dialogTemplate = FindDialogTemplate(nIDTemplate);
    if (!dialogTemplate)
        return FALSE;
    AfxInstallHelpKeyHook();
    HWND h = ::CreateDialogIndirectParamA(AfxGetInstanceHandle(), dialogTemplate,
                                  pParentWnd ? pParentWnd->m_hWnd : NULL, DialogProc, (LPARAM)this);
    return h != NULL;
}

void CDialog::EndDialog(int nResult)
{
    if (m_hWnd)
        ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    // A failed exchange keeps the dialog open, as nothing could be saved.
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode)
{
    if (CWnd::OnCmdMsg(nID, nCode))
        return TRUE;
    // Plain commands the dialog does not handle get a last chance at the
    // application object; system commands (>= 0xF000) do not.
    if (nCode != 0 || nID >= 0xF000)
        return FALSE;
    CWinApp *pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode);
}

LRESULT CDialog::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // DefDlgProc first calls our dialog procedure with this same message;
    // the marker makes it decline, so DefDlgProc does the default work.
    AfxState &st = AfxGetState();
    HWND savedHwnd = st.hWndInDefault;
    UINT savedMsg = st.msgInDefault;
    st.hWndInDefault = m_hWnd;
    st.msgInDefault = message;
    LRESULT r = ::DefDlgProcA(m_hWnd, message, wParam, lParam);
    st.hWndInDefault = savedHwnd;
    st.msgInDefault = savedMsg;
    return r;
}

namespace {
// Controls die with their dialog without telling their objects (nothing is
// subclassed): at WM_DESTROY, while the children still exist, every object
// attached to a child control lets go. Child dialogs of the framework are
// left alone; they see their own WM_NCDESTROY.
BOOL CALLBACK DetachControl(HWND hWnd, LPARAM)
{
    CWnd *p = CWnd::FromHandlePermanent(hWnd);
    if (p && !dynamic_cast<CDialog *>(p))
        p->Detach();
    return TRUE;
}
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Nothing may be thrown through the dialog manager: a handler that
    // throws ends its message with result 0.
    try
    {
        AfxState &st = AfxGetState();
        if (st.hWndInDefault == hWnd && st.msgInDefault == message)
        {
            st.hWndInDefault = NULL;
            st.msgInDefault = 0;
            return FALSE;
        }

        CDialog *pDlg;
        if (message == WM_INITDIALOG)
        {
            // The object comes in the create parameter. Messages before this
            // one (WM_SETFONT, WM_NCCREATE, ...) find no object and get the
            // default processing.
            pDlg = reinterpret_cast<CDialog *>(lParam);
            if (!pDlg || pDlg->m_hWnd)
                return FALSE;
            pDlg->m_hWnd = hWnd;
            st.permanentMap[hWnd] = pDlg;
            AfxCurrentMessageScope scope(hWnd, message, wParam, lParam);
            return pDlg->OnInitDialog();
        }

        pDlg = dynamic_cast<CDialog *>(FromHandlePermanent(hWnd));
        if (!pDlg)
            return FALSE;

        LRESULT result = 0;
        BOOL handled;
        try
        {
            AfxCurrentMessageScope scope(hWnd, message, wParam, lParam);
            handled = pDlg->OnWndMsg(message, wParam, lParam, &result);
        }
        catch (...)
        {
            // Whatever a WM_NCDESTROY handler did, the object must let go
            // of the window below.
            if (message != WM_NCDESTROY)
                throw;
            handled = FALSE;
        }
        if (message == WM_DESTROY)
            ::EnumChildWindows(hWnd, DetachControl, 0);   // all descendants
        if (message == WM_NCDESTROY)
        {
            // The last message: the object lets go of the window (and may
            // delete itself in PostNcDestroy), so it is not touched after.
            pDlg->OnFinalDestroy();
            return handled ? TRUE : FALSE;
        }
        if (!handled)
            return FALSE;

        switch (message)
        {
        // These return their result directly rather than in DWLP_MSGRESULT.
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return (INT_PTR)result;
        default:
            ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
            return TRUE;
        }
    }
    catch (...)
    {
        return 0;
    }
}
