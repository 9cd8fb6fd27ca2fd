// The list box drawn from entries.
#include "recordlistbox.h"

#include <algorithm>

#include "listfilter.h"

RecordListBox::RedrawOff::RedrawOff(RecordListBox &box_) : box(box_)
{
    if (box.m_hWnd && box.redrawHolds++ == 0)
        box.SendMessage(WM_SETREDRAW, FALSE);
}

RecordListBox::RedrawOff::~RedrawOff()
{
    if (!box.m_hWnd || --box.redrawHolds > 0)
        return;
    box.SendMessage(WM_SETREDRAW, TRUE);
    box.Invalidate();
}

bool RecordListBox::Shows(const ListEntry &entry) const
{
    return entry.text != NULL && (!filter || filter->Matches(entry));
}

void RecordListBox::AddItem(size_t entryIndex)
{
    int at = AddString(entries[entryIndex].text);
    if (at < 0)
        return;   // LB_ERR / LB_ERRSPACE: the box is full
    SetItemData(at, (DWORD_PTR)(INT_PTR)entries[entryIndex].key);
    shown.push_back((int)entryIndex);
}

namespace {

// Measures texts in a window's own font (the DC as GetDC hands it out
// carries the system font). Where the code page has one byte a character, a
// text's extent is the sum of its characters' widths (extents know no
// kerning), so the 256 widths are asked for once and a text costs a lookup a
// byte; otherwise each text is measured.
class TextMeter
{
public:
    explicit TextMeter(HWND window_) : window(window_) {}
    ~TextMeter()
    {
        if (!dc)
            return;
        if (previousFont)
            SelectObject(dc, previousFont);
        ::ReleaseDC(window, dc);
    }
    TextMeter(const TextMeter &) = delete;
    TextMeter &operator=(const TextMeter &) = delete;

    // -1 when the window gives no DC.
    int Width(const char *text)
    {
        if (!dc && !Open())
            return -1;
        int length = lstrlenA(text);
        if (byByte) {
            int width = 0;
            for (int i = 0; i < length; i++)
                width += charWidths[(unsigned char)text[i]];
            return width;
        }
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, text, length, &size);
        return size.cx;
    }

private:
    bool Open()
    {
        dc = ::GetDC(window);
        if (!dc)
            return false;
        HFONT font = (HFONT)::SendMessage(window, WM_GETFONT, 0, 0);
        if (font)
            previousFont = SelectObject(dc, font);
        CPINFO code = {};
        byByte = GetCPInfo(CP_ACP, &code) && code.MaxCharSize == 1 && GetCharWidth32A(dc, 0, 255, charWidths);
        return true;
    }

    HWND window;
    HDC dc = NULL;
    HGDIOBJ previousFont = NULL;
    bool byByte = false;
    INT charWidths[256];
};

}  // namespace

void RecordListBox::Widen(const std::vector<size_t> &entryIndexes)
{
    // Measured once a key.
    TextMeter meter(m_hWnd);
    int widest = GetHorizontalExtent();
    for (size_t i : entryIndexes) {
        const ListEntry &entry = entries[i];
        if (entry.key < 0)
            continue;
        if ((size_t)entry.key >= widths.size())
            widths.resize((size_t)entry.key + 1, -1);
        int &width = widths[(size_t)entry.key];
        if (width < 0 && (width = meter.Width(entry.text)) < 0)
            return;
        if (width > widest)
            widest = width;
    }
    if (widest > GetHorizontalExtent())
        SetHorizontalExtent(widest);
}

void RecordListBox::SetEntries(std::vector<ListEntry> list)
{
    entries.swap(list);
    ClearSelection();
    Redraw();
}

void RecordListBox::Redraw()
{
    std::vector<int> selected;
    int count = GetCount();
    if (GetSelCount() > 0) {
        std::vector<int> items((size_t)count);
        items.resize((size_t)std::max(0, GetSelItems(count, items.data())));
        for (int item : items)
            selected.push_back(shown[(size_t)item]);
    }
    RedrawOff hold(*this);
    ResetContent();
    shown.clear();
    size_t bytes = 0;
    std::vector<size_t> drawn;
    for (size_t i = 0; i < entries.size(); i++)
        if (Shows(entries[i])) {
            drawn.push_back(i);
            bytes += (size_t)lstrlenA(entries[i].text) + 1;
        }
    // Room for every item at once: the box grows its arrays one time.
    if (!drawn.empty())
        SendMessage(LB_INITSTORAGE, (WPARAM)drawn.size(), (LPARAM)bytes);
    for (size_t i : drawn)
        AddItem(i);
    Widen(drawn);
    std::vector<int> reselect;
    size_t s = 0;
    std::sort(selected.begin(), selected.end());
    for (size_t item = 0; item < shown.size() && s < selected.size(); item++) {
        while (s < selected.size() && selected[s] < shown[item])
            s++;
        if (s < selected.size() && selected[s] == shown[item])
            reselect.push_back((int)item);
    }
    SelectItems(reselect);
}

std::vector<ListEntry> RecordListBox::TakeSelected()
{
    std::vector<ListEntry> taken;
    int count = GetCount();
    std::vector<int> items((size_t)count);
    int got = count > 0 ? GetSelItems(count, items.data()) : 0;
    if (got <= 0)
        return taken;
    items.resize((size_t)got);
    RedrawOff hold(*this);
    std::vector<bool> leaves(entries.size(), false);
    // From the end, so that deleting item i leaves the indices below it valid.
    for (size_t k = items.size(); k-- > 0;) {
        size_t entry = (size_t)shown[(size_t)items[k]];
        taken.push_back(entries[entry]);
        leaves[entry] = true;
        DeleteString((UINT)items[k]);
    }
    // What stays keeps its order; the items' entry indices close up.
    std::vector<int> newIndex(entries.size(), -1);
    size_t kept = 0;
    for (size_t i = 0; i < entries.size(); i++)
        if (!leaves[i]) {
            newIndex[i] = (int)kept;
            entries[kept++] = entries[i];
        }
    entries.resize(kept);
    size_t item = 0;
    for (int old : shown)
        if (newIndex[(size_t)old] >= 0)
            shown[item++] = newIndex[(size_t)old];
    shown.resize(item);
    return taken;
}

void RecordListBox::Append(const std::vector<ListEntry> &added)
{
    RedrawOff hold(*this);
    std::vector<int> selected;
    std::vector<size_t> drawn;
    for (const ListEntry &entry : added) {
        entries.push_back(entry);
        if (!Shows(entry))
            continue;
        size_t before = shown.size();
        AddItem(entries.size() - 1);
        if (shown.size() > before) {
            selected.push_back((int)before);
            drawn.push_back(entries.size() - 1);
        }
    }
    SelectItems(selected);
    Widen(drawn);
}
