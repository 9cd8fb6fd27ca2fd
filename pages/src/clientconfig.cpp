// clientconfig.cpp - the configurations page.
#include "clientconfig.h"

#include "namedialog.h"
#include "pagehost.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CClientConfig, CListPage)
    ON_BN_CLICKED(IDC_NEW_CONFIGURATION, OnNewConfiguration)
    ON_BN_CLICKED(IDC_REMOVE_CONFIGURATION, OnRemoveConfiguration)
    ON_BN_CLICKED(IDC_COPY_CONFIGURATION, OnCopyConfiguration)
    ON_CBN_SELENDOK(IDC_OS, OnSelendokOs)
END_MESSAGE_MAP()

// Names the installer keeps for itself.
static const char *const reservedNames[] = {"New Clients", "Conflict Resolution"};

CClientConfig::CClientConfig() : CListPage(IDD_PAGE_CONFIG), selectedOsCode(0)
{
}

void CClientConfig::DoDataExchange(CDataExchange *pDX)
{
    CListPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_OS, osBox);
    DDX_Text(pDX, IDC_CONFIG_NOTE, noteText);
    DDX_CBString(pDX, IDC_OS, osText);
}

BOOL CClientConfig::OnInitDialog()
{
    CClientPage::OnInitDialog();
    EnableConfigurationButtons();
    return TRUE;
}

void CClientConfig::EnableConfigurationButtons()
{
    if (CWnd *button = GetDlgItem(IDC_REMOVE_CONFIGURATION))
        button->EnableWindow(configurationBox.GetCount() > 0);
    if (CWnd *button = GetDlgItem(IDC_COPY_CONFIGURATION))
        button->EnableWindow(current != NULL);
}

const char *CClientConfig::ShownText(const InstalledProduct *product)
{
    if (!product)
        return NULL;
    if (!ProductIsShareable(*product))
        return NULL;
    auto text = texts.find(product->key);
    if (text == texts.end())
        text = texts.emplace(product->key, std::string(product->label) + " (" + (LPCSTR)product->version + ")").first;
    return text->second.c_str();
}

void CClientConfig::InitPage()
{
    SetupLists();
    for (int code = 1; code <= 7; code++) {
        int index = osBox.AddString(OsDisplayName(code));
        if (index >= 0)
            osBox.SetItemData(index, (DWORD_PTR)code);
    }
    osBox.SelectString(-1, OsDisplayName(OS_WIN32));
    // The ShowCurrent that follows fills both lists.
    selectedOsCode = SelectedOsItemCode();
}

int CClientConfig::SelectedOsItemCode() const
{
    int index = osBox.GetCurSel();
    return index == CB_ERR ? 0 : (int)osBox.GetItemData(index);
}

void CClientConfig::ShowChoicesAgain()
{
    CClientPage::ShowChoicesAgain();
    // 1034 on the system the list below is drawn for (none for 0), which
    // the next store saves.
    if (SelectedOsItemCode() == selectedOsCode)
        return;
    int shown = -1;
    for (int i = 0; i < osBox.GetCount(); i++)
        if ((int)osBox.GetItemData(i) == selectedOsCode)
            shown = i;
    osBox.SetCurSel(shown);
}

void CClientConfig::ApplyOsFilter(int code)
{
    Action action(*this);
    selectedOsCode = code;
    LoadInstalledProducts();
    std::unordered_set<int> chosen = KeysOf(right.Entries());
    std::vector<ListEntry> offered;
    for (const InstalledProduct &product : DataCache::Get().installedProducts) {
        if ((code != 0 && product.osCode != code) || chosen.count(product.key))
            continue;
        if (const char *text = ShownText(&product))
            offered.push_back(ListEntry{product.key, NULL, text});
    }
    left.SetEntries(std::move(offered));
    // Drawn anew, nothing is selected there.
    addButton.EnableWindow(FALSE);
}

void CClientConfig::OnSelendokOs()
{
    int previous = selectedOsCode;
    ApplyOsFilter(SelectedOsItemCode());
    // Another system for the configuration shown is an edit; the same one
    // chosen again, or a system chosen with none shown, is not.
    if (current && selectedOsCode != previous)
        modified = 1;
}

void CClientConfig::StoreCurrent()
{
    if (!current)
        return;
    UpdateData(TRUE);
    StoreRight<ProductRef>(current->products);
    // 1034 shows what is saved: nothing selected is "no system".
    current->osCode = SelectedOsItemCode();
}

void CClientConfig::ShowCurrent()
{
    Action action(*this);
    // The configuration's products whatever their system: a configuration
    // may hold products of several systems, and 1020 keeps them when 1034
    // changes.
    std::vector<ListEntry> chosen;
    if (current)
        chosen = EntriesOf(current->products, [this](const ProductRef &ref) { return ShownText(ref.GetRecord()); });
    right.SetEntries(std::move(chosen));

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

    transfer.SetActive(current != NULL);
    transfer.SelectionChanged(&right);
    UpdateData(FALSE);
    // The exchange selects the first item for an empty text.
    if (shownOs == CB_ERR)
        osBox.SetCurSel(-1);
    // Whatever changed the configuration list (a new or removed one, Reset
    // All, a refill) ends here: Delete and Copy follow whether there is one.
    EnableConfigurationButtons();
}

void CClientConfig::ResetContents()
{
    // The ShowCurrent that follows draws both lists.
    left.SetEntries({});
    right.SetEntries({});
}

void CClientConfig::CollectChanges(ChangeSet &changes)
{
    if (!initialised)
        return;
    StoreCurrent();
    // In the order the page lists them; a new copy's record is keyed by it.
    for (int i = 0; i < configurationBox.GetCount(); i++) {
        ConfigurationCopy *copy = CopyOfItem(i);
        if (copy && !copy->removed)
            changes.write.push_back(copy);
    }
    for (POSITION pos = configurations ? configurations->GetHeadPosition() : NULL; pos != NULL;) {
        ConfigurationCopy *copy = static_cast<ConfigurationCopy *>(configurations->GetNext(pos));
        if (copy->removed && copy->stored)
            changes.remove.push_back(copy);
    }
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
    AddConfiguration(NULL);
}

void CClientConfig::OnCopyConfiguration()
{
    if (current)
        AddConfiguration(current);
}

void CClientConfig::AddConfiguration(const ConfigurationCopy *source)
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
    ConfigurationCopy *copy = new ConfigurationCopy(name);
    if (source) {
        // What OK would store for the source: this page's lists and the
        // other pages' controls (the conflicts page keeps its edits there).
        StoreCurrent();
        if (CPageHost *host = GetHost())
            host->StoreShownEdits();
        copy->products = source->products;   // shared until either changes
        copy->osCode = source->osCode;
        copy->resolution = source->resolution;
    }
    int index = configurationBox.AddString(name);
    if (index < 0) {
        delete copy;
        return;
    }
    POSITION node = configurations->AddTail(copy);
    configurationBox.SetItemData(index, (DWORD_PTR)node);
    configurationBox.SetCurSel(index);
    FitDropDown();
    OnSelectConfiguration();
    if (CPageHost *host = GetHost())
        host->ConfigurationsChanged();
    modified = 1;
    EnableConfigurationButtons();
}

void CClientConfig::OnRemoveConfiguration()
{
    if (configurationBox.GetCount() == 0) {
        EnableConfigurationButtons();
        return;
    }
    // A question that destroys defaults to the safe answer; only Yes removes.
    if (AfxMessageBox(IDS_CONFIRM_REMOVE, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
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
    EnableConfigurationButtons();
}
