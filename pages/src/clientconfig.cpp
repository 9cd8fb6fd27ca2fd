// clientconfig.cpp - the configurations page.
#include "clientconfig.h"

#include <unordered_set>

#include "keepplaces.h"
#include "namedialog.h"
#include "pagehost.h"
#include "resource.h"

IMPLEMENT_DYNCREATE(CClientConfig, CDialog)

BEGIN_MESSAGE_MAP(CClientConfig, CClientPage)
    ON_BN_CLICKED(IDC_ADD, OnAddProducts)
    ON_BN_CLICKED(IDC_NEW_CONFIGURATION, OnNewConfiguration)
    ON_BN_CLICKED(IDC_REMOVE, OnRemoveProducts)
    ON_BN_CLICKED(IDC_REMOVE_CONFIGURATION, OnRemoveConfiguration)
    ON_CBN_SELENDOK(IDC_OS, OnSelendokOs)
    ON_LBN_SELCHANGE(IDC_RIGHT_LIST, OnSelChangeConfigured)
    ON_LBN_SELCHANGE(IDC_LEFT_LIST, OnSelChangeAvailable)
    ON_LBN_DBLCLK(IDC_RIGHT_LIST, OnRemoveProducts)
    ON_LBN_DBLCLK(IDC_LEFT_LIST, OnAddProducts)
    ON_EN_CHANGE(IDC_FILTER, OnFilterChange)
END_MESSAGE_MAP()

// Names the installer keeps for itself.
static const char *const reservedNames[] = {"New Clients", "Conflict Resolution"};

CClientConfig::CClientConfig() : CClientPage(IDD_PAGE_CONFIG), selectedOsCode(0)
{
}

void CClientConfig::DoDataExchange(CDataExchange *pDX)
{
    CClientPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LEFT_LIST, availableProducts);
    DDX_Control(pDX, IDC_RIGHT_LIST, configurationProducts);
    DDX_Control(pDX, IDC_OS, osBox);
    DDX_Control(pDX, IDC_REMOVE, removeButton);
    DDX_Control(pDX, IDC_ADD, addButton);
    DDX_Control(pDX, IDC_FILTER, filterBox);
    DDX_Text(pDX, IDC_CONFIG_NOTE, noteText);
    DDX_CBString(pDX, IDC_OS, osText);
}

BOOL CClientConfig::OnInitDialog()
{
    CClientPage::OnInitDialog();
    EnableRemoveConfiguration();
    return TRUE;
}

void CClientConfig::EnableRemoveConfiguration()
{
    if (CWnd *button = GetDlgItem(IDC_REMOVE_CONFIGURATION))
        button->EnableWindow(configurationBox.GetCount() > 0);
}

void CClientConfig::InitPage()
{
    ProductListBox::ShareableSnapshot marks(availableProducts);
    availableProducts.FillAll();
    transfer.Setup(this, 0, &availableProducts, &configurationProducts, &addButton, &removeButton);
    filter.Setup(&filterBox, &availableProducts);
    for (int code = 1; code <= 7; code++) {
        int index = osBox.AddString(OsDisplayName(code));
        if (index >= 0)
            osBox.SetItemData(index, (DWORD_PTR)code);
    }
    osBox.SelectString(-1, OsDisplayName(OsCodeFromKeyword("win32")));
    OnSelendokOs();
}

int CClientConfig::SelectedOsItemCode() const
{
    int index = osBox.GetCurSel();
    return index == CB_ERR ? 0 : (int)osBox.GetItemData(index);
}

void CClientConfig::ApplyOsFilter(int code)
{
    selectedOsCode = code;
    // The filter only ever removes items: refill from the catalogue under
    // the new code so that switching between two systems offers the
    // second one's products, not an empty list.
    availableProducts.SetOsFilter(code);
    if (availableProducts.GetAllProducts().IsEmpty()) {
        availableProducts.FillAll();
    } else {
        // Fill keeps sharing the very list it is given: no new references.
        availableProducts.Fill(availableProducts.GetAllProducts());
        availableProducts.RemoveUnshareable();
    }
    // No product is listed on both sides.
    for (int i = 0; i < configurationProducts.GetCount(); i++) {
        ProductRef ref = configurationProducts.GetItemRef(i);
        int found = availableProducts.FindItem(ref);
        if (found >= 0)
            availableProducts.DeleteString((UINT)found);
    }
}

void CClientConfig::OnSelendokOs()
{
    ListRedrawOff holdAvailable(availableProducts);
    ProductListBox::ShareableSnapshot marks(availableProducts);
    filter.Suspend();
    ApplyOsFilter(SelectedOsItemCode());
    filter.Resume();
    modified = 1;
}

void CClientConfig::StoreCurrent()
{
    if (!current)
        return;
    UpdateData(TRUE);
    std::vector<ProductRef> shown;
    shown.reserve((size_t)configurationProducts.GetCount());
    for (int i = 0; i < configurationProducts.GetCount(); i++)
        shown.push_back(configurationProducts.GetItemRef(i));
    StoreKeepingPlaces(current->products, shown, unshownProducts);
    // 1034 shows what is saved: nothing selected is "no system".
    current->osCode = SelectedOsItemCode();
}

void CClientConfig::ShowCurrent()
{
    // The configuration's products are found among every product; the
    // filter narrows the list again at the end. The box is drawn once.
    ListRedrawOff holdAvailable(availableProducts);
    filter.Suspend();
    ShowCurrentUnfiltered();
    filter.Resume();
}

void CClientConfig::ShowCurrentUnfiltered()
{
    unshownProducts.clear();
    ListRedrawOff holdAvailable(availableProducts);
    ListRedrawOff holdConfigured(configurationProducts);
    ProductListBox::ShareableSnapshot marks(availableProducts);
    std::unordered_set<int> keys;
    if (current) {
        for (POSITION pos = current->products.GetHeadPosition(); pos != NULL;) {
            ProductRef *ref = current->products.GetNext(pos);
            if (ref)
                keys.insert(ref->GetKey());
        }
    }

    // Everything on the right that does not belong here goes back left.
    configurationProducts.ClearSelection();
    int selected = 0;
    for (int i = 0; i < configurationProducts.GetCount(); i++) {
        int key = (int)configurationProducts.GetItemData(i);
        if (!current || keys.find(key) == keys.end()) {
            configurationProducts.SetSel(i, TRUE);
            selected++;
        }
    }
    if (selected > 0)
        transfer.RemoveSelected();

    // The configuration's products come over from a list of every shareable
    // product, whatever its system: a configuration may hold products of
    // several systems (1020 keeps them when 1034 changes), and one that is
    // not shown would be dropped by the next store.
    if (current && !keys.empty()) {
        ApplyOsFilter(0);
        availableProducts.ClearSelection();
        selected = 0;
        for (POSITION pos = current->products.GetHeadPosition(); pos != NULL;) {
            ProductRef *ref = current->products.GetNext(pos);
            if (!ref)
                continue;
            int index = availableProducts.IndexOfKey(ref->GetKey());
            if (index < 0) {
                // Kept on the right from the previous configuration, or not
                // shown at all.
                if (configurationProducts.IndexOfKey(ref->GetKey()) < 0)
                    unshownProducts.push_back(ref);
            } else if (!availableProducts.GetSel(index)) {
                availableProducts.SetSel(index, TRUE);
                selected++;
            }
        }
        if (selected > 0)
            transfer.AddSelected();
        // Moves arrive reversed: show the products in the configuration's
        // order, so that storing them back changes nothing.
        configurationProducts.ArrangeLike(current->products);
    }

    // 1034 shows what the next store saves: a configuration's own system; for
    // a stored one without a system, no selection (it keeps none until one is
    // chosen; 1034 has no item for "none"); a new one (code 0, not stored)
    // takes the current choice.
    if (current && current->osCode >= 1 && current->osCode <= 7) {
        if (current->osCode != SelectedOsItemCode())
            osBox.SelectString(-1, OsDisplayName(current->osCode));
    } else if (current && current->stored) {
        osBox.SetCurSel(-1);
    }
    ApplyOsFilter(SelectedOsItemCode());
    // The exchange below reselects 1034 by this text: keep it the shown one.
    int shownOs = osBox.GetCurSel();
    if (shownOs != CB_ERR)
        osBox.GetLBText(shownOs, osText);
    else
        osText.Empty();

    configurationProducts.ClearSelection();
    availableProducts.ClearSelection();
    transfer.SelectionChanged(&configurationProducts);
    UpdateData(FALSE);
    // The exchange selects the first item for an empty text.
    if (shownOs == CB_ERR)
        osBox.SetCurSel(-1);
    // Whatever changed the configuration list (a new or removed one, Reset
    // All, a refill) ends here: Delete follows whether there is one.
    EnableRemoveConfiguration();
}

void CClientConfig::ResetContents()
{
    ListRedrawOff holdAvailable(availableProducts);
    ProductListBox::ShareableSnapshot marks(availableProducts);
    filter.Suspend();
    availableProducts.ResetContent();
    availableProducts.FillAll();
    configurationProducts.ResetContent();
    filter.Resume();
}

void CClientConfig::ApplyChanges(ConfigurationRefList &list)
{
    if (!initialised)
        return;
    StoreCurrent();
    for (int i = 0; i < configurationBox.GetCount(); i++) {
        ConfigurationCopy *copy = CopyOfItem(i);
        if (!copy || copy->removed)
            continue;
        // Only a copy that has no record yet gets one. (A failed OK takes
        // the records it made back, and unbinds their copies again.)
        if (!copy->record.IsBound() && copy->record.GetKey() == -1)
            copy->record = CreateConfigurationRecord(copy->name, selectedOsCode, copy->resolution, i);
        if (copy->record.IsBound())
            list.AppendCopy(copy->record);
    }
    for (int i = 0; i < configurationBox.GetCount(); i++) {
        ConfigurationCopy *copy = CopyOfItem(i);
        if (!copy || copy->removed || !copy->record.IsBound())
            continue;
        copy->record.SetProducts(copy->products);
        copy->record.SetOsCode(copy->osCode);
    }
}

void CClientConfig::OnAddProducts()
{
    {
        ListRedrawOff holdAvailable(availableProducts);
        ListRedrawOff holdConfigured(configurationProducts);
        transfer.AddSelected();
        filter.ItemsMoved();
    }
    modified = 1;
    configurationProducts.SetFocus();
}

void CClientConfig::OnRemoveProducts()
{
    {
        ListRedrawOff holdAvailable(availableProducts);
        ListRedrawOff holdConfigured(configurationProducts);
        transfer.RemoveSelected();
        filter.ItemsMoved();
    }
    modified = 1;
    availableProducts.SetFocus();
}

UINT CClientConfig::CheckNewName(const CString &name) const
{
    if (name.Find(',') >= 0)
        return IDS_NAME_HAS_COMMA;
    for (const char *reserved : reservedNames) {
        if (name.CompareNoCase(reserved) == 0)
            return IDS_NAME_RESERVED;
    }
    // Removed configurations are no longer listed, so their names are free.
    if (configurationBox.FindStringExact(-1, name) != CB_ERR)
        return IDS_NAME_EXISTS;
    return 0;
}

void CClientConfig::OnNewConfiguration()
{
    CNameDialog dialog(this);
    if (dialog.DoModal() != IDOK)
        return;
    CString name = dialog.name;
    // The dialog keeps OK disabled while the text is empty; a configuration
    // without a name could not be stored, so treat it as cancelled.
    if (name.IsEmpty())
        return;
    if (UINT refusal = CheckNewName(name)) {
        AfxMessageBox(refusal, MB_OK);
        return;
    }
    if (!configurations)
        return;
    int index = configurationBox.AddString(name);
    if (index < 0)
        return;
    ConfigurationCopy *copy = new ConfigurationCopy(name);
    POSITION node = configurations->AddTail(copy);
    configurationBox.SetItemData(index, (DWORD_PTR)node);
    configurationBox.SetCurSel(index);
    OnSelectConfiguration();
    if (CPageHost *host = GetHost())
        host->ConfigurationsChanged();
    modified = 1;
    EnableRemoveConfiguration();
}

void CClientConfig::OnRemoveConfiguration()
{
    if (configurationBox.GetCount() == 0) {
        EnableRemoveConfiguration();
        return;
    }
    if (AfxMessageBox(IDS_CONFIRM_REMOVE, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    int selected = configurationBox.GetCurSel();
    ConfigurationCopy *copy = current ? current : CopyOfItem(selected);
    if (!copy || selected == CB_ERR)
        return;
    copy->removed = 1;
    current = NULL;
    configurationBox.DeleteString((UINT)selected);
    if (CPageHost *host = GetHost())
        host->ConfigurationsChanged();
    configurationBox.SetCurSel(configurationBox.GetCount() > 0 ? 0 : -1);
    OnSelectConfiguration();
    modified = 1;
    EnableRemoveConfiguration();
}

void CClientConfig::OnSelChangeConfigured()
{
    transfer.SelectionChanged(&configurationProducts);
}

void CClientConfig::OnSelChangeAvailable()
{
    transfer.SelectionChanged(&availableProducts);
}

void CClientConfig::OnFilterChange()
{
    filter.TextChanged();
    // Add follows what is selected among the items still shown.
    if (availableProducts.GetSelCount() > 0)
        transfer.SelectionChanged(&availableProducts);
    else
        addButton.EnableWindow(FALSE);
}
