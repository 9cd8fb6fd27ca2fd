// The list box drawn from entries.
#include "recordlistbox.h"

#include <algorithm>

#include "listfilter.h"

namespace {

// Up to this many items arriving at their key places are inserted one by
// one; more are drawn with the whole box (each insert moves every item after
// it, a refill draws each item once).
const size_t kInsertInPlace = 256;

}  // namespace

ControlText::~ControlText()
{
    if (!dc)
        return;
    if (previousFont)
        SelectObject(dc, previousFont);
    ::ReleaseDC(control, dc);
}

int ControlText::Width(const char *text)
{
    if (!dc) {
        dc = ::GetDC(control);
        if (!dc)
            return -1;
        if (HFONT font = (HFONT)::SendMessageA(control, WM_GETFONT, 0, 0))
            previousFont = SelectObject(dc, font);
        // Where the code page has one byte a character, a text's extent is
        // the sum of its characters' widths (extents know no kerning): the
        // 256 widths are asked for once and a text costs a lookup a byte.
        CPINFO code = {};
        byByte = GetCPInfo(CP_ACP, &code) && code.MaxCharSize == 1 && GetCharWidth32A(dc, 0, 255, charWidths);
    }
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

bool RecordListBox::InsertItem(int at, size_t entryIndex)
{
    int index = InsertString(at, entries[entryIndex].text);
    if (index < 0)
        return false;   // LB_ERR / LB_ERRSPACE: the box is full
    SetItemData(index, (DWORD_PTR)(INT_PTR)entries[entryIndex].key);
    return true;
}

void RecordListBox::FitExtent()
{
    ControlText measure(m_hWnd);
    int widest = 0;
    for (int e : shown) {
        const ListEntry &entry = entries[(size_t)e];
        if (entry.key < 0)
            continue;
        if ((size_t)entry.key >= widths.size())
            widths.resize((size_t)entry.key + 1, -1);
        int &width = widths[(size_t)entry.key];
        if (width < 0 && (width = measure.Width(entry.text)) < 0)
            return;
        widest = std::max(widest, width);
    }
    // The box draws a text a pixel or two in from the item's edges (Wine
    // one, at the left): two edges' width covers both sides. An empty box
    // scrolls nowhere.
    int extent = widest > 0 ? widest + 2 * ::GetSystemMetrics(SM_CXEDGE) : 0;
    if (extent != GetHorizontalExtent())
        SetHorizontalExtent(extent);
}

void RecordListBox::Fill()
{
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
    for (size_t i : drawn) {
        if (!InsertItem((int)shown.size(), i))
            break;
        shown.push_back((int)i);
    }
    FitExtent();
    // A list drawn anew starts at its first item, scrolled fully left: the
    // box keeps its offsets across a refill otherwise.
    SendMessage(LB_SETTOPINDEX, 0);
    SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LEFT, 0), 0);
}

void RecordListBox::SetEntries(std::vector<ListEntry> list)
{
    entries.swap(list);
    Fill();
}

void RecordListBox::Redraw()
{
    std::vector<char> selected(entries.size(), 0);
    int count = GetCount();
    if (count > 0 && GetSelCount() > 0) {
        std::vector<int> items((size_t)count);
        items.resize((size_t)std::max(0, GetSelItems(count, items.data())));
        for (int item : items)
            selected[(size_t)shown[(size_t)item]] = 1;
    }
    RedrawOff hold(*this);
    Fill();
    std::vector<int> reselect;
    for (size_t item = 0; item < shown.size(); item++)
        if (selected[(size_t)shown[item]])
            reselect.push_back((int)item);
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
    std::reverse(taken.begin(), taken.end());
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
    FitExtent();
    return taken;
}

void RecordListBox::Add(const std::vector<ListEntry> &added)
{
    if (added.empty())
        return;
    RedrawOff hold(*this);
    std::vector<ListEntry> incoming(added);
    if (keyOrder)
        std::stable_sort(incoming.begin(), incoming.end(),
                         [](const ListEntry &a, const ListEntry &b) { return a.key < b.key; });
    std::vector<char> wasShown(entries.size(), 0);
    for (int e : shown)
        wasShown[(size_t)e] = 1;
    // One pass merges both lists (appends, without key order) and gives
    // every item its final index; fresh marks the entries that arrive.
    std::vector<ListEntry> merged;
    merged.reserve(entries.size() + incoming.size());
    std::vector<char> fresh;
    fresh.reserve(merged.capacity());
    std::vector<int> items, arrived;
    items.reserve(shown.size() + incoming.size());
    for (size_t i = 0, j = 0; i < entries.size() || j < incoming.size();) {
        bool isNew = j < incoming.size() && (i == entries.size() || (keyOrder && incoming[j].key < entries[i].key));
        bool show = isNew ? Shows(incoming[j]) : wasShown[i] != 0;
        merged.push_back(isNew ? incoming[j++] : entries[i++]);
        fresh.push_back(isNew ? 1 : 0);
        if (show) {
            if (isNew)
                arrived.push_back((int)items.size());
            items.push_back((int)merged.size() - 1);
        }
    }
    entries.swap(merged);
    shown.swap(items);
    // Ascending, each item goes in at its final index.
    bool inPlace = arrived.size() <= kInsertInPlace;
    for (size_t k = 0; inPlace && k < arrived.size(); k++)
        inPlace = InsertItem(arrived[(size_t)k], (size_t)shown[(size_t)arrived[k]]);
    if (inPlace) {
        FitExtent();
    } else {
        Fill();
        arrived.clear();
        for (size_t item = 0; item < shown.size(); item++)
            if (fresh[(size_t)shown[item]])
                arrived.push_back((int)item);
    }
    SelectItems(arrived);
}
