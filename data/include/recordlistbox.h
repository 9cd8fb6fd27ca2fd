// recordlistbox.h - list boxes of clients and installed products. Every
// item's data is its record's key, so a selection turns back into a
// reference. Unbound references (a product no longer installed, a client no
// longer listed) are never shown.
#pragma once

#include "datacache.h"
#include <unordered_map>
#include <vector>

// Holds a box's redrawing off for a scope and has it drawn once at the end:
// filling, filtering or moving thousands of items would otherwise repaint
// the box for each one. Scopes nest: only the outermost one switches
// drawing off and on again (one UI thread, so a plain count per window).
class ListRedrawOff
{
public:
    explicit ListRedrawOff(CWnd &box);
    ~ListRedrawOff();
    ListRedrawOff(const ListRedrawOff &) = delete;
    ListRedrawOff &operator=(const ListRedrawOff &) = delete;

private:
    CWnd &box;
};

class RecordListBox : public CListBox
{
public:
    // Deselects every item (multiple-selection boxes).
    void ClearSelection();
    // First item whose data is key; -1 if none.
    int IndexOfKey(int key) const;
    // Empties the box and lists the clients' names (item data = key), widening
    // the horizontal extent to the longest text. Leaves the box alone when
    // no device context can be had.
    void FillClients(const ClientRefList &list);
    // The client of item index, by key.
    ClientRef GetClientRef(int index) const;
    // Every loaded client.
    void FillAllClients();
    // Puts the items in the order of keys (the first item of each key, once),
    // the items of other keys after them in their present order. Moves into
    // an unsorted box arrive reversed; showing a configuration through them
    // and storing it back must not reorder the configuration.
    template <class List> void ArrangeLike(const List &order)
    {
        std::vector<int> keys;
        keys.reserve((size_t)order.GetCount());
        for (POSITION pos = order.GetHeadPosition(); pos;)
            keys.push_back(order.GetNext(pos)->GetKey());
        ArrangeByKeys(keys);
    }
    void ArrangeByKeys(const std::vector<int> &keys);

protected:
    // The box's DC with the box's font selected; NULL when none can be had.
    HDC GetMeasuringDC(HGDIOBJ &previousFont) const;
    void ReleaseMeasuringDC(HDC dc, HGDIOBJ previousFont) const;
    // Adds text with item data key and widens the extent for it.
    void AddItem(HDC dc, const char *text, int key);
};

class ProductListBox : public RecordListBox
{
public:
    // Empties the box, lists "label (version)" of every bound product that
    // passes osFilter, and keeps list's objects in allProducts.
    void Fill(const ProductRefList &list);
    // Nonzero: removes the items of other systems (never adds). 0: refills
    // from allProducts under the filter in force before. Then osFilter := code.
    void SetOsFilter(OsCode code);
    OsCode GetOsFilter() const { return osFilter; }
    // Removes every item whose product is not marked shareable.
    void RemoveUnshareable();
    // While a snapshot is held, each product's registry mark is read once
    // and then answered from memory: one page action refills and filters
    // the box several times over thousands of products, three registry
    // calls each. The snapshot ends with the action (scopes nest).
    class ShareableSnapshot
    {
    public:
        explicit ShareableSnapshot(ProductListBox &box) : box(box) { ++box.snapshotDepth; }
        ~ShareableSnapshot()
        {
            if (--box.snapshotDepth == 0)
                box.shareable.clear();
        }
        ShareableSnapshot(const ShareableSnapshot &) = delete;
        ShareableSnapshot &operator=(const ShareableSnapshot &) = delete;

    private:
        ProductListBox &box;
    };
    // First item with ref's key; -1 if none.
    int FindItem(const ProductRef &ref) const;
    ProductRef GetItemRef(int index) const;
    // Every loaded product, then RemoveUnshareable.
    void FillAll();

    const ProductRefList &GetAllProducts() const { return allProducts; }

private:
    OsCode osFilter = 0;
    ProductRefList allProducts;
    int IsShareableProduct(const ProductRef &ref);
    int snapshotDepth = 0;
    std::unordered_map<int, int> shareable;   // key -> mark, while a snapshot is held
};
