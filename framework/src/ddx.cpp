// Dialog data exchange routines.
#include "afximpl.h"

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (!h)
        m_bFailed = TRUE;
    return h;
}

void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl)
{
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h || rControl.m_hWnd == h)
        return;   // missing, or attached by an earlier exchange
    // Still holding a control of an earlier run of the dialog: that window
    // is gone, the new one takes its place.
    if (rControl.m_hWnd)
        rControl.Detach();
    rControl.Attach(h);
}

void DDX_Text(CDataExchange *pDX, int nIDC, CString &value)
{
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h)
        return;
    if (pDX->m_bSaveAndValidate)
        CWnd::FromHandle(h)->GetWindowText(value);
    else
        ::SetWindowTextA(h, value);
}

void DDX_CBString(CDataExchange *pDX, int nIDC, CString &value)
{
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h)
        return;
    DWORD type = (DWORD)::GetWindowLongPtrA(h, GWL_STYLE) & 0x3;
    if (pDX->m_bSaveAndValidate)
    {
        if (type == CBS_DROPDOWNLIST)
        {
            // A drop-down list has no edit text of its own: take the
            // selected item, or nothing when none is selected.
            int sel = (int)::SendMessageA(h, CB_GETCURSEL, 0, 0);
            if (sel == CB_ERR)
                value.Empty();
            else
                static_cast<CComboBox *>(CWnd::FromHandle(h))->GetLBText(sel, value);
        }
        else
            CWnd::FromHandle(h)->GetWindowText(value);
        return;
    }
    // Every text begins with the empty text, so that selects the first item;
    // done by hand because Wine's CB_SELECTSTRING refuses an empty text.
    LRESULT found;
    if (value.IsEmpty())
        found = ::SendMessageA(h, CB_GETCOUNT, 0, 0) > 0 ? ::SendMessageA(h, CB_SETCURSEL, 0, 0) : CB_ERR;
    else
        found = ::SendMessageA(h, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)(LPCSTR)value);
    if (found == CB_ERR && type != CBS_DROPDOWNLIST)
        ::SetWindowTextA(h, value);
}

void DDX_Check(CDataExchange *pDX, int nIDC, int &value)
{
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h)
        return;
    if (pDX->m_bSaveAndValidate)
    {
        value = (int)::SendMessageA(h, BM_GETCHECK, 0, 0);
        return;
    }
    if (value < 0 || value > 2)
        value = 0;   // not a check state: shown (and kept) as unchecked
    ::SendMessageA(h, BM_SETCHECK, (WPARAM)value, 0);
}
