// listpage.h - what the configurations page and the client assignments page
// share: two lists of entries (1018 what may be added, 1020 the current
// configuration's), the add and remove buttons (1030, 1032), the transfer
// between them and the filter box above the left list (1050).
//
// The page holds both lists as entries: the right list is the current
// configuration's list exactly as it stands, entries the page cannot show
// included at their places; StoreCurrent hands it to the copy as it is.
#pragma once

#include "clientpage.h"
#include "data.h"
#include "listfilter.h"
#include "listtransfer.h"
#include "recordlistbox.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

class CListPage : public CClientPage
{
public:
    explicit CListPage(UINT nIDTemplate) : CClientPage(nIDTemplate) {}

    // Enter and Escape in the filter box stay in the page.
    BOOL PreTranslateMessage(MSG *pMsg) override;

protected:
    void DoDataExchange(CDataExchange *pDX) override;
    void OnOK() override {}
    void OnCancel() override {}

    // Binds the transfer and the filter (from InitPage).
    void SetupLists();
    // The entries of a configuration's list, in its order: every reference,
    // shown with the text textOf gives it (null: not shown); a key that
    // comes again is shown once.
    template <class List, class TextOf>
    static std::vector<ListEntry> EntriesOf(const List &list, TextOf textOf)
    {
        std::vector<ListEntry> out;
        out.reserve((size_t)list.GetCount());
        std::unordered_set<int> seen;
        for (const auto &ref : list) {
            const char *text = ref.IsBound() && seen.insert(ref.GetKey()).second ? textOf(ref) : NULL;
            out.push_back(ListEntry{ref.GetKey(), ref.Target(), text});
        }
        return out;
    }
    // The copy's list := the right-hand entries, in their order. Entries
    // that came from the catalogue are looked up by key.
    template <class Ref, class List> void StoreRight(List &list)
    {
        // Unchanged, the list keeps sharing its array with the record.
        const std::vector<ListEntry> &entries = right.Entries();
        if ((size_t)list.GetCount() == entries.size() &&
            std::equal(list.begin(), list.end(), entries.begin(),
                       [](const Ref &ref, const ListEntry &entry) { return entry.ref == ref.Target(); }))
            return;
        list.RemoveAll();
        list.Reserve(entries.size());
        for (const ListEntry &entry : entries)
            list.Append(entry.ref ? Ref(entry.ref) : Ref(entry.key));
    }
    static std::unordered_set<int> KeysOf(const std::vector<ListEntry> &entries);
    // Both lists anew, nothing selected, both buttons disabled (and kept so
    // until a selection, only while a configuration is shown).
    void ShowLists(std::vector<ListEntry> leftEntries, std::vector<ListEntry> rightEntries);

    // Add is refused unless this holds: a configuration is shown.
    virtual bool MayAdd() { return current != NULL; }
    // What is selected in the two lists may have changed: a selection, a
    // move, the filter, both lists drawn anew.
    virtual void SelectionMayHaveChanged() {}
    void OnAdd();      // 1030, double click in 1018
    void OnRemove();   // 1032, double click in 1020
    void OnSelChangeLeft();
    void OnSelChangeRight();
    void OnFilterChange();

    RecordListBox left;    // 1018
    RecordListBox right;   // 1020
    CButton removeButton;  // 1032
    CButton addButton;     // 1030
    CEdit filterBox;       // 1050
    ListTransfer transfer;
    ListFilter filter;

    DECLARE_MESSAGE_MAP()
};
