// Control helpers that read a text into a CString (two messages each).
#include "afximpl.h"

#include <algorithm>

namespace {

// An item's text through the box's length and text messages (both boxes
// answer err, LB_ERR or CB_ERR, for an index out of range).
int ItemText(const CWnd &box, UINT lengthMessage, UINT textMessage, int err, int nIndex, CString &rString)
{
    int len = (int)box.SendMessage(lengthMessage, (WPARAM)nIndex);
    if (len == err)
    {
        rString.Empty();
        return err;
    }
    int got = (int)box.SendMessage(textMessage, (WPARAM)nIndex, (LPARAM)rString.GetBuffer(len));
    rString.ReleaseBuffer(got == err ? 0 : got);
    return got;
}

}  // namespace

int CListBox::GetText(int nIndex, CString &rString) const
{
    return ItemText(*this, LB_GETTEXTLEN, LB_GETTEXT, LB_ERR, nIndex, rString);
}

int CComboBox::GetLBText(int nIndex, CString &rString) const
{
    return ItemText(*this, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_ERR, nIndex, rString);
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
