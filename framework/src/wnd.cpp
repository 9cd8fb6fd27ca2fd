// CWnd: attachment to windows, dispatch through the message maps, and the
// helpers that take more than one call.
#include "afximpl.h"

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

AfxState &AfxGetState()
{
    // Never destroyed: windows objects with static storage may unmap
    // themselves after every other static has gone.
    static AfxState *state = new AfxState;
    return *state;
}

CWnd::~CWnd()
{
    if (m_hWnd)
    {
        auto &map = AfxGetState().permanentMap;
        auto it = map.find(m_hWnd);
        if (it != map.end() && it->second == this)
            map.erase(it);
    }
}

CWnd *CWnd::FromHandlePermanent(HWND hWnd)
{
    if (!hWnd)
        return NULL;
    auto &map = AfxGetState().permanentMap;
    auto it = map.find(hWnd);
    return it == map.end() ? NULL : it->second;
}

CWnd *CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return NULL;
    if (CWnd *p = FromHandlePermanent(hWnd))
        return p;
    return AfxTemporaryWrapper<CWnd, 32>(hWnd, &CWnd::m_hWnd);
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (!hWndNew || m_hWnd)
        return FALSE;
    m_hWnd = hWndNew;
    // The latest object wins: an entry left by an object whose window died
    // unnoticed must not shadow a new window that got the same handle.
    AfxGetState().permanentMap[hWndNew] = this;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (h)
    {
        auto &map = AfxGetState().permanentMap;
        auto it = map.find(h);
        if (it != map.end() && it->second == this)
            map.erase(it);
    }
    m_hWnd = NULL;
    return h;
}

void CWnd::OnFinalDestroy()
{
    Detach();
    PostNcDestroy();
}

BOOL CWnd::DestroyWindow()
{
    HWND h = m_hWnd;
    if (!h)
        return FALSE;
    BOOL ok = ::DestroyWindow(h);
    // Dialogs of this framework have already let go at WM_NCDESTROY; an
    // attached control has to be let go here.
    if (m_hWnd == h && !::IsWindow(h))
        Detach();
    return ok;
}

void CWnd::GetWindowText(CString &rString) const
{
    int len = ::GetWindowTextLengthA(m_hWnd);
    if (len <= 0)
    {
        rString.Empty();
        return;
    }
    // The length is an upper bound (it may count DBCS bytes generously).
    char *buf = rString.GetBuffer(len);
    int got = ::GetWindowTextA(m_hWnd, buf, len + 1);
    rString.ReleaseBuffer(got < 0 ? 0 : got);
}

int CWnd::GetDlgItemText(int nID, CString &rString) const
{
    HWND h = ::GetDlgItem(m_hWnd, nID);
    if (!h)
    {
        rString.Empty();
        return 0;
    }
    FromHandle(h)->GetWindowText(rString);
    return rString.GetLength();
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::ScreenToClient(m_hWnd, (LPPOINT)&lpRect->left);
    ::ScreenToClient(m_hWnd, (LPPOINT)&lpRect->right);
}

void CWnd::ClientToScreen(LPRECT lpRect) const
{
    ::ClientToScreen(m_hWnd, (LPPOINT)&lpRect->left);
    ::ClientToScreen(m_hWnd, (LPPOINT)&lpRect->right);
}

void CWnd::CenterWindow(CWnd *pAlternateOwner)
{
    RECT rcThis, rcArea;
    ::GetWindowRect(m_hWnd, &rcThis);
    HWND hOwner = pAlternateOwner ? pAlternateOwner->m_hWnd : ::GetParent(m_hWnd);
    if (hOwner && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner))
        ::GetWindowRect(hOwner, &rcArea);
    else
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    int w = rcThis.right - rcThis.left, h = rcThis.bottom - rcThis.top;
    POINT pt = {rcArea.left + (rcArea.right - rcArea.left - w) / 2,
                rcArea.top + (rcArea.bottom - rcArea.top - h) / 2};
    // A child window is placed in its parent's client coordinates.
    if (::GetWindowLongPtrA(m_hWnd, GWL_STYLE) & WS_CHILD)
        ::ScreenToClient(::GetParent(m_hWnd), &pt);
    ::SetWindowPos(m_hWnd, NULL, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CDC *CWnd::GetDC()
{
    HDC h = ::GetDC(m_hWnd);
    return h ? new CDC(h) : NULL;
}

int CWnd::ReleaseDC(CDC *pDC)
{
    if (!pDC)
        return 0;
    int r = ::ReleaseDC(m_hWnd, pDC->m_hDC);
    delete pDC;
    return r;
}

namespace {
// UpdateData's hold on notifications, released also when the exchange unwinds.
struct UpdateDataScope
{
    int &depth;
    explicit UpdateDataScope(int &d) : depth(d) { ++depth; }
    ~UpdateDataScope() { --depth; }
};
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    UpdateDataScope hold(m_nUpdateDataDepth);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

LRESULT CWnd::Default()
{
    const AfxCurrentMessage &cur = AfxGetState().current;
    if (!m_hWnd || cur.hWnd != m_hWnd)
        return 0;   // not inside a dispatch to this window
    return DefaultProc(cur.message, cur.wParam, cur.lParam);
}

LRESULT CWnd::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    int nCode = HIWORD(wParam);
    if (lParam == 0)
    {
        // Menu items (0) and accelerators (1) are both plain commands.
        nCode = 0;
    }
    else if (m_nUpdateDataDepth > 0)
    {
        // The exchange itself changed the control (SetWindowText sends
        // EN_CHANGE, ...): that is no user action, so nothing is dispatched.
        return TRUE;
    }
    return OnCmdMsg(nID, nCode);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult)
{
    LRESULT result = 0;
    if (message == WM_COMMAND)
    {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *pResult = 0;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY *e = FindMessageEntry(message, 0, 0);
    if (!e)
        return FALSE;
    switch (e->nSig)
    {
    case AfxSig_vv:
        (this->*e->pfn)();
        break;
    case AfxSig_vwl:
        (this->*reinterpret_cast<AFX_PMSG_VWL>(e->pfn))((UINT)wParam, lParam);
        break;
    case AfxSig_vbw:
        (this->*reinterpret_cast<AFX_PMSG_VBW>(e->pfn))((BOOL)wParam, (UINT)lParam);
        break;
    case AfxSig_bD:
    {
        CDC dc((HDC)wParam);
        result = (this->*reinterpret_cast<AFX_PMSG_BD>(e->pfn))(&dc);
        break;
    }
    case AfxSig_hv:
        result = (LRESULT)(this->*reinterpret_cast<AFX_PMSG_HV>(e->pfn))();
        break;
    case AfxSig_lwl:
        result = (this->*reinterpret_cast<AFX_PMSG_LWL>(e->pfn))(wParam, lParam);
        break;
    default:
        return FALSE;
    }
    *pResult = result;
    return TRUE;
}
