// List boxes whose item data are record keys, so that a selection turns back
// into a reference. No subclassing: notifications go to the parent dialog.
#pragma once
#include "datacache.h"

class RecordListBox : public CListBox
{
public:
    void ClearSelection() { SetSel(-1, FALSE); }
    int IndexOfKey(int key) const;
    void FillClients(const ClientRefList &list);
    ClientRef GetClientRef(int index) const { return ClientRef((int)(INT_PTR)GetItemData(index)); }
    void FillAllClients();

protected:
    // Widens the horizontal extent to the text's width in dc; never narrows.
    void GrowExtent(HDC dc, const CString &text);
};

class ProductListBox : public RecordListBox
{
public:
    ProductListBox() {}
    void Fill(const ProductRefList &list);
    void SetOsFilter(int code);
    void RemoveUnshareable();
    int FindItem(const ProductRef &ref) const { return IndexOfKey(ref.GetKey()); }
    ProductRef GetItemRef(int index) const { return ProductRef((int)(INT_PTR)GetItemData(index)); }
    void FillAll();

    int osFilter = 0;
    ProductRefList allProducts;
};
