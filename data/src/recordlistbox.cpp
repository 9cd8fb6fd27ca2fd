// List boxes of clients and installed products; item data = record key.
#include "recordlistbox.h"
#include <unordered_map>
#include "products.h"
#include "clients.h"

namespace {
// Open redraw holds per box.
std::unordered_map<HWND, int> redrawHolds;
}

ListRedrawOff::ListRedrawOff(CWnd &box_) : box(box_)
{
    if (box.m_hWnd && redrawHolds[box.m_hWnd]++ == 0)
        box.SendMessage(WM_SETREDRAW, FALSE);
}

ListRedrawOff::~ListRedrawOff()
{
    if (!box.m_hWnd)
        return;
    auto it = redrawHolds.find(box.m_hWnd);
    if (it == redrawHolds.end() || --it->second > 0)
        return;
    redrawHolds.erase(it);
    box.SendMessage(WM_SETREDRAW, TRUE);
    box.Invalidate();
}

// Room for count more items before a fill: the box then grows its item
// array once instead of a little at a time.
static void ReserveItems(CListBox &box, int count)
{
    if (count > 0)
        box.SendMessage(LB_INITSTORAGE, (WPARAM)count, (LPARAM)count * 32);
}

void RecordListBox::ClearSelection()
{
    SetSel(-1, FALSE);
}

int RecordListBox::IndexOfKey(int key) const
{
    int count = GetCount();
    for (int i = 0; i < count; i++)
        if ((int)GetItemData(i) == key)
            return i;
    return -1;
}

void RecordListBox::AddItem(HDC dc, const char *text, int key)
{
    int index = AddString(text);
    if (index < 0)
        return;   // LB_ERR / LB_ERRSPACE: the box is full
    SetItemData(index, (DWORD_PTR)(INT_PTR)key);
    SIZE size;
    if (GetTextExtentPoint32A(dc, text, lstrlenA(text), &size) && GetHorizontalExtent() < size.cx)
        SetHorizontalExtent(size.cx);
}

// The DC as GetDC hands it out carries the system font, not the box's own:
// select the box's font so that the extent fits what is drawn.
HDC RecordListBox::GetMeasuringDC(HGDIOBJ &previousFont) const
{
    previousFont = NULL;
    HDC dc = ::GetDC(m_hWnd);
    if (dc == NULL)
        return NULL;
    HFONT font = (HFONT)SendMessage(WM_GETFONT);
    if (font != NULL)
        previousFont = SelectObject(dc, font);
    return dc;
}

void RecordListBox::ReleaseMeasuringDC(HDC dc, HGDIOBJ previousFont) const
{
    if (previousFont != NULL)
        SelectObject(dc, previousFont);
    ::ReleaseDC(m_hWnd, dc);
}

void RecordListBox::FillClients(const ClientRefList &list)
{
    HGDIOBJ previousFont;
    HDC dc = GetMeasuringDC(previousFont);
    if (dc == NULL)
        return;
    ListRedrawOff hold(*this);
    ResetContent();
    ReserveItems(*this, list.GetCount());
    for (POSITION pos = list.GetHeadPosition(); pos != NULL;) {
        const ClientRef *ref = list.GetNext(pos);
        if (!ref->IsBound())
            continue;   // a client no longer listed: kept in the record, not shown
        AddItem(dc, ref->GetRecord()->name, ref->GetKey());
    }
    ReleaseMeasuringDC(dc, previousFont);
}

ClientRef RecordListBox::GetClientRef(int index) const
{
    return ClientRef((int)GetItemData(index));
}

void RecordListBox::FillAllClients()
{
    // Straight from the cache's records (every one bound): a reference list
    // of them would be tens of thousands of objects made for one fill.
    LoadClients();
    const CPtrList &records = DataCache::Get().clients;
    HGDIOBJ previousFont;
    HDC dc = GetMeasuringDC(previousFont);
    if (dc == NULL)
        return;
    ListRedrawOff hold(*this);
    ResetContent();
    ReserveItems(*this, records.GetCount());
    for (POSITION pos = records.GetHeadPosition(); pos != NULL;) {
        const ClientRecord *record = (const ClientRecord *)records.GetNext(pos);
        AddItem(dc, record->name, record->key);
    }
    ReleaseMeasuringDC(dc, previousFont);
}

void ProductListBox::Fill(const ProductRefList &list)
{
    HGDIOBJ previousFont;
    HDC dc = GetMeasuringDC(previousFont);
    if (dc == NULL)
        return;
    ListRedrawOff hold(*this);
    ResetContent();
    ReserveItems(*this, list.GetCount());
    for (POSITION pos = list.GetHeadPosition(); pos != NULL;) {
        const ProductRef *ref = list.GetNext(pos);
        if (!ref->IsBound())
            continue;   // a product no longer installed: kept, not shown
        const InstalledProduct *product = ref->GetRecord();
        if (osFilter != 0 && osFilter != product->osCode)
            continue;
        CString text(product->label);
        text += " (";
        text += product->version;
        text += ")";
        AddItem(dc, text, ref->GetKey());
    }
    allProducts.AssignShared(list);
    ReleaseMeasuringDC(dc, previousFont);
}

void ProductListBox::SetOsFilter(OsCode code)
{
    ListRedrawOff hold(*this);
    if (code != 0) {
        for (int i = GetCount() - 1; i >= 0; i--) {
            ProductRef ref = GetItemRef(i);
            if (!ref.IsBound() || ref.GetOsCode() != code)
                DeleteString((UINT)i);
        }
    } else {
        Fill(allProducts);
    }
    osFilter = code;
}

int ProductListBox::IsShareableProduct(const ProductRef &ref)
{
    if (snapshotDepth == 0)
        return IsShareable(ref.GetName());
    auto found = shareable.find(ref.GetKey());
    if (found == shareable.end())
        found = shareable.emplace(ref.GetKey(), IsShareable(ref.GetName())).first;
    return found->second;
}

void ProductListBox::RemoveUnshareable()
{
    ListRedrawOff hold(*this);
    for (int i = GetCount() - 1; i >= 0; i--) {
        ProductRef ref = GetItemRef(i);
        if (!ref.IsBound() || !IsShareableProduct(ref))
            DeleteString((UINT)i);
    }
}

int ProductListBox::FindItem(const ProductRef &ref) const
{
    return IndexOfKey(ref.GetKey());
}

ProductRef ProductListBox::GetItemRef(int index) const
{
    return ProductRef((int)GetItemData(index));
}

void ProductListBox::FillAll()
{
    ProductRefList all;
    Fill(GetProductRefs(all));
    RemoveUnshareable();
}

void RecordListBox::ArrangeByKeys(const std::vector<int> &keys)
{
    int count = GetCount();
    if (count <= 1)
        return;
    struct Item { CString text; DWORD_PTR data; bool placed; };
    std::vector<Item> items((size_t)count);
    std::unordered_map<int, int> firstOfKey;
    for (int i = 0; i < count; i++) {
        GetText(i, items[(size_t)i].text);
        items[(size_t)i].data = GetItemData(i);
        items[(size_t)i].placed = false;
        firstOfKey.emplace((int)(INT_PTR)items[(size_t)i].data, i);
    }
    std::vector<int> sequence;
    sequence.reserve((size_t)count);
    for (int key : keys) {
        auto found = firstOfKey.find(key);
        if (found != firstOfKey.end() && !items[(size_t)found->second].placed) {
            items[(size_t)found->second].placed = true;
            sequence.push_back(found->second);
        }
    }
    for (int i = 0; i < count; i++)
        if (!items[(size_t)i].placed)
            sequence.push_back(i);
    bool same = true;
    for (int i = 0; i < count && same; i++)
        same = sequence[(size_t)i] == i;
    if (same)
        return;
    // The texts are the same, so the horizontal extent stays right; keep it
    // across the reset, which may clear it.
    int extent = GetHorizontalExtent();
    ListRedrawOff hold(*this);
    ResetContent();
    ReserveItems(*this, count);
    for (int i : sequence) {
        int at = AddString(items[(size_t)i].text);
        if (at >= 0)
            SetItemData(at, items[(size_t)i].data);
    }
    SetHorizontalExtent(extent);
}
