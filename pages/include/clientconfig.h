// clientconfig.h - the configurations page (template 28470).
//
// The only page that changes the set of configurations: a new one becomes a
// new working copy in the shared list, a removed one is only marked removed
// there. It also edits each configuration's products (1018 available, 1020
// chosen) and target operating system (1034). Its ApplyChanges runs first of
// the three pages on OK and creates the records of new configurations.
#pragma once

#include "clientpage.h"
#include "data.h"
#include "listfilter.h"
#include "listtransfer.h"

#include <vector>

class CClientConfig : public CClientPage
{
    DECLARE_DYNCREATE(CClientConfig)
public:
    CClientConfig();

    void ApplyChanges(ConfigurationRefList &list) override;
    void StoreCurrent() override;
    void ShowCurrent() override;
    void ResetContents() override;
    void InitPage() override;

    void OnAddProducts();
    void OnRemoveProducts();
    void OnNewConfiguration();
    void OnRemoveConfiguration();
    void OnSelendokOs();

    int GetSelectedOsCode() const { return selectedOsCode; }

    // The name rules for a new configuration: 0 when name may be used, else
    // the number of the string that says why not.
    UINT CheckNewName(const CString &name) const;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange *pDX) override;
    void OnOK() override {}
    void OnCancel() override {}

    void OnSelChangeConfigured();
    void OnSelChangeAvailable();
    void OnFilterChange();

    // Lists in 1018 the shareable products of code (all for 0) that are not
    // in 1020; sets selectedOsCode. Does not mark the page modified.
    void ApplyOsFilter(int code);
    // The code of the item selected in 1034, 0 when none is.
    int SelectedOsItemCode() const;
    void EnableRemoveConfiguration();

    ProductListBox availableProducts;      // 1018
    ProductListBox configurationProducts;  // 1020
    CComboBox osBox;                       // 1034
    CButton removeButton;                  // 1032
    CButton addButton;                     // 1030
    CString noteText;                      // 1037, shown only
    CString osText;                        // selected text of 1034
    ListTransfer transfer;
    CEdit filterBox;                       // 1050
    ListFilter filter;                     // narrows 1018
    int selectedOsCode;

private:
    void ShowCurrentUnfiltered();

    // Products of the current copy that 1020 cannot show (no longer
    // installed, or not shareable): kept in the copy by StoreCurrent rather
    // than dropped because the page could not display them, at their places.
    std::vector<ProductRef *> unshownProducts;

    DECLARE_MESSAGE_MAP()
};
