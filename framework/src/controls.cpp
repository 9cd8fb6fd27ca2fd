// Control helpers that read a text into a CString (two messages each).
#include "afximpl.h"

#include <algorithm>

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

void CListBox::SelectItems(const std::vector<int> &indexes)
{
    if (indexes.empty())
        return;
    std::vector<int> sorted(indexes);
    std::sort(sorted.begin(), sorted.end());
    for (size_t a = 0; a < sorted.size();) {
        size_t b = a;
        while (b + 1 < sorted.size() && sorted[b + 1] <= sorted[b] + 1)
            ++b;
        SendMessage(LB_SELITEMRANGEEX, (WPARAM)sorted[a], (LPARAM)sorted[b]);
        a = b + 1;
    }
    SendMessage(LB_SETANCHORINDEX, (WPARAM)indexes.back());
    SendMessage(LB_SETCARETINDEX, (WPARAM)indexes.back(), FALSE);
}
