// clientpage.cpp - the page base: configuration combobox, shared current
// index, and the Refresh/Revert/OnShowWindow protocol.
#include "clientpage.h"

#include "data.h"
#include "pagehost.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CClientPage, CDialog)
    ON_CBN_SELENDOK(IDC_CONFIGURATION, OnSelectConfiguration)
    ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CClientPage::CClientPage(UINT nIDTemplate)
    : CDialog(nIDTemplate, NULL),
      configurations(NULL),
      listChanged(0),
      current(NULL),
      initialised(0),
      modified(0),
      localIndex(-1)
{
}

void CClientPage::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CONFIGURATION, configurationBox);
}

CPageHost *CClientPage::GetHost() const
{
    if (!m_hWnd)
        return NULL;
    return dynamic_cast<CPageHost *>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
}

int CClientPage::GetSharedIndex() const
{
    CPageHost *host = GetHost();
    return host ? host->GetCurrentConfigurationIndex() : localIndex;
}

void CClientPage::SetSharedIndex(int index)
{
    localIndex = index;
    if (CPageHost *host = GetHost())
        host->SetCurrentConfigurationIndex(index);
}

ConfigurationCopy *CClientPage::CopyOfItem(int index) const
{
    if (index < 0 || !configurations || !configurationBox.m_hWnd)
        return NULL;
    LRESULT data = configurationBox.SendMessage(CB_GETITEMDATA, (WPARAM)index);
    if (data == CB_ERR || data == 0)
        return NULL;
    return static_cast<ConfigurationCopy *>(configurations->GetAt((POSITION)data));
}

void CClientPage::FillConfigurations()
{
    FillConfigurationBox();
    configurationBox.SetCurSel(configurationBox.GetCount() > 0 ? 0 : -1);
    OnSelectConfiguration();
}

void CClientPage::FillConfigurationBox()
{
    configurationBox.ResetContent();
    if (configurations) {
        for (POSITION pos = configurations->GetHeadPosition(); pos != NULL;) {
            POSITION node = pos;
            ConfigurationCopy *copy = static_cast<ConfigurationCopy *>(configurations->GetNext(pos));
            if (!copy || copy->removed)
                continue;
            // The box may sort: the data goes to the index the add reports.
            int index = configurationBox.AddString(copy->name);
            if (index >= 0)
                configurationBox.SetItemData(index, (DWORD_PTR)node);
        }
    }
}

void CClientPage::CollectChanges(ChangeSet &)
{
    if (initialised)
        StoreCurrent();
}

void CClientPage::OnSelectConfiguration()
{
    StoreCurrent();
    int index = configurationBox.GetCurSel();
    SetSharedIndex(index);
    current = CopyOfItem(index);
    ShowCurrent();
}

void CClientPage::Refresh()
{
    if (!initialised)
        return;
    // The copies current pointed at are gone already: store nothing.
    current = NULL;
    CString previous;
    int selected = configurationBox.GetCurSel();
    if (selected >= 0)
        configurationBox.GetLBText(selected, previous);
    ResetContents();
    // The configuration of that name (the box's prefix match), else the
    // first, shown once: a list of 65,535 clients is drawn once, not twice.
    FillConfigurationBox();
    int index = previous.IsEmpty() ? CB_ERR : configurationBox.FindString(-1, previous);
    configurationBox.SetCurSel(index != CB_ERR ? index : configurationBox.GetCount() > 0 ? 0 : -1);
    OnSelectConfiguration();
    modified = 0;
}

void CClientPage::Revert()
{
    if (!initialised)
        return;
    current = NULL;
    RevertPageSettings();
    OnSelectConfiguration();
}

BOOL CClientPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    InitPage();
    FillConfigurations();
    modified = 0;
    initialised = 1;
    return TRUE;
}

void CClientPage::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    if (!initialised || !bShow)
        return;
    int index = GetSharedIndex();
    if (listChanged) {
        FillConfigurations();
        listChanged = 0;
    }
    if (configurationBox.GetCurSel() != index) {
        configurationBox.SetCurSel(index);
        OnSelectConfiguration();
    }
    configurationBox.SetFocus();
    if (CPageHost *host = GetHost()) {
        HWND view = host->GetViewBoxHwnd();
        if (view)
            ::SetFocus(view);
    }
}
