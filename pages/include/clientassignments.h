// clientassignments.h - the client assignments page (template 28483).
//
// Left (1018): every client of the catalogue not assigned to the current
// configuration; right (1020): the clients assigned to it. While a
// configuration is shown every client stands in exactly one of the two boxes.
// The page edits only the copies' client lists; ApplyChanges hands them to
// the records.
#pragma once

#include "clientpage.h"
#include "data.h"
#include "listfilter.h"
#include "listtransfer.h"

#include <vector>

class CClientAssignments : public CClientPage
{
    DECLARE_DYNCREATE(CClientAssignments)
public:
    CClientAssignments();

    void ApplyChanges(ConfigurationRefList &list) override;
    void StoreCurrent() override;
    void ShowCurrent() override;
    void ResetContents() override;
    void InitPage() override;

    void OnAddClients();
    void OnRemoveClients();

protected:
    void DoDataExchange(CDataExchange *pDX) override;
    void OnOK() override {}
    void OnCancel() override {}

    void OnSelChangeAssigned();
    void OnSelChangeAvailable();
    void OnFilterChange();

    RecordListBox available;   // 1018
    RecordListBox assigned;    // 1020
    CButton removeButton;      // 1032
    CButton addButton;         // 1030
    ListTransfer transfer;
    CEdit filterBox;           // 1050
    ListFilter filter;         // narrows 1018

private:
    void ShowCurrentUnfiltered();

    // Clients of the current copy that are not in the catalogue (unbound
    // references keep their names): StoreCurrent keeps them in the copy
    // at their places instead of dropping what the page cannot show.
    std::vector<ClientRef *> unshownClients;

    DECLARE_MESSAGE_MAP()
};
