// Control helpers that read a text into a CString (two messages each).
#include "afximpl.h"

int CListBox::GetText(int nIndex, CString &rString) const
{
    int len = GetTextLen(nIndex);
    if (len == LB_ERR)
    {
        rString.Empty();
        return LB_ERR;
    }
    int got = (int)SendMessage(LB_GETTEXT, (WPARAM)nIndex, (LPARAM)rString.GetBuffer(len));
    rString.ReleaseBuffer(got == LB_ERR ? 0 : got);
    return got;
}

int CComboBox::GetLBText(int nIndex, CString &rString) const
{
    int len = GetLBTextLen(nIndex);
    if (len == CB_ERR)
    {
        rString.Empty();
        return CB_ERR;
    }
    int got = (int)SendMessage(CB_GETLBTEXT, (WPARAM)nIndex, (LPARAM)rString.GetBuffer(len));
    rString.ReleaseBuffer(got == CB_ERR ? 0 : got);
    return got;
}
