// The filter above a page's left-hand list.
//
// At 65,535 clients a keystroke draws the box anew from the entries: each
// text is put in lower case once and kept by key, so a keystroke compares
// without asking the box for anything.
#include "listfilter.h"

namespace {

// Lower case by the active code page's rules, so that 8-bit letters of the
// administrator's language match too.
std::string Lower(const char *text)
{
    std::string lower = text ? text : "";
    if (!lower.empty())
        CharLowerBuffA(&lower[0], (DWORD)lower.size());
    return lower;
}

}  // namespace

void ListFilter::Setup(CEdit *editBox, RecordListBox *box)
{
    edit = editBox;
    list = box;
    list->SetFilter(this);
}

bool ListFilter::Matches(const ListEntry &entry) const
{
    if (needle.empty())
        return true;
    if (entry.key < 0)
        return Lower(entry.text).find(needle) != std::string::npos;
    size_t key = (size_t)entry.key;
    if (key >= lower.size()) {
        lower.resize(key + 1);
        lowered.resize(key + 1, 0);
    }
    if (!lowered[key]) {
        lower[key] = Lower(entry.text);
        lowered[key] = 1;
    }
    return lower[key].find(needle) != std::string::npos;
}

void ListFilter::TextChanged()
{
    if (!edit || !list)
        return;
    CString text;
    edit->GetWindowText(text);
    std::string next = Lower(text);
    if (next == needle)
        return;
    needle = next;
    list->Redraw();
}

BOOL ListFilter::HandleKey(const MSG *msg)
{
    if (!edit || msg->message != WM_KEYDOWN || msg->hwnd != edit->m_hWnd)
        return FALSE;
    if (msg->wParam == VK_RETURN) {
        // As in a search box: on to the results, never the dialog's OK.
        list->SetFocus();
        return TRUE;
    }
    if (msg->wParam == VK_ESCAPE && edit->GetWindowTextLength() > 0) {
        edit->SetWindowText("");   // EN_CHANGE draws the list again
        return TRUE;
    }
    return FALSE;
}
