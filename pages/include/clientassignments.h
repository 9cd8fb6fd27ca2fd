// clientassignments.h - the client assignments page (template 28483).
//
// Left (1018): every client of the catalogue not assigned to the current
// configuration; right (1020): the clients assigned to it, in the
// configuration's order, those no longer listed kept (not shown) at their
// places. While a configuration is shown every listed client stands in
// exactly one of the two lists. The page edits only the copies' client
// lists.
#pragma once

#include "listpage.h"

#include <string>

class CClientAssignments : public CListPage
{
public:
    CClientAssignments();

    void StoreCurrent() override;
    void ShowCurrent() override;
    void ResetContents() override;
    void InitPage() override;

protected:
    // Without a configuration, Add explains (61204) and moves nothing.
    bool MayAdd() override;
    // The line 1052: while exactly one client is selected in either list,
    // the configurations whose copies hold it (as OK would store them), in
    // the combobox's order; empty otherwise.
    void SelectionMayHaveChanged() override;
    // Every listed client not in keys, in catalogue order.
    static std::vector<ListEntry> Catalogue(const std::unordered_set<int> &keys);

    // The index is built while the page is shown, so that the first
    // selection does not wait for it.
    void OnShowWindow(BOOL bShow, UINT nStatus);

private:
    void BuildIndex();
    // The names of the configurations holding the one selected client;
    // false unless exactly one client is selected.
    bool PlacesOfSelected(std::vector<std::string> &names);
    // names joined, cut with "and N more" where they do not fit the line.
    std::string FitLine(const std::vector<std::string> &names);

    // Built when the page is shown (or first asked), dropped with the
    // copies (Reset All).
    ClientPlaces places;

    DECLARE_MESSAGE_MAP()
};
