// clientconflicts.cpp - the conflict-resolution page.
#include "clientconflicts.h"

#include "resource.h"

IMPLEMENT_DYNCREATE(CClientConflicts, CDialog)

BEGIN_MESSAGE_MAP(CClientConflicts, CClientPage)
    ON_BN_CLICKED(IDC_DEF_ADMINISTRATOR, OnClickAdministratorDefault)
    ON_BN_CLICKED(IDC_DEF_MANDATORY, OnClickMandatoryDefault)
    ON_BN_CLICKED(IDC_DEF_SHARED, OnClickSharedDefault)
    ON_BN_CLICKED(IDC_DEF_LOCAL, OnClickLocalDefault)
    ON_BN_CLICKED(IDC_DEF_DOWNLOAD, OnClickDownloadDefault)
    ON_BN_CLICKED(IDC_CFG_ADMINISTRATOR, OnAdministratorConfiguration)
    ON_BN_CLICKED(IDC_CFG_MANDATORY, OnClickMandatoryConfiguration)
    ON_BN_CLICKED(IDC_CFG_SHARED, OnClickSharedConfiguration)
    ON_BN_CLICKED(IDC_CFG_LOCAL, OnClickLocalConfiguration)
    ON_BN_CLICKED(IDC_CFG_DOWNLOAD, OnClickDownloadConfiguration)
END_MESSAGE_MAP()

CClientConflicts::CClientConflicts()
    : CClientPage(IDD_PAGE_CONFLICTS),
      defaultMandatory(0),
      defaultAdministrator(0),
      configurationMandatory(0),
      configurationAdministrator(0),
      defaultsUnread(0),
      defaultsTouched(0),
      defaultsFailed(0)
{
    defaults.Reset();
    modified = 0;
}

void CClientConflicts::DoDataExchange(CDataExchange *pDX)
{
    CClientPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CFG_SHARED, configurationShared);
    DDX_Control(pDX, IDC_DEF_SHARED, defaultShared);
    DDX_Control(pDX, IDC_CFG_DOWNLOAD, configurationDownload);
    DDX_Control(pDX, IDC_DEF_DOWNLOAD, defaultDownload);
    DDX_Control(pDX, IDC_CFG_LOCAL, configurationLocal);
    DDX_Control(pDX, IDC_DEF_LOCAL, defaultLocal);
    DDX_Check(pDX, IDC_DEF_MANDATORY, defaultMandatory);
    DDX_Check(pDX, IDC_DEF_ADMINISTRATOR, defaultAdministrator);
    DDX_Check(pDX, IDC_CFG_MANDATORY, configurationMandatory);
    DDX_Check(pDX, IDC_CFG_ADMINISTRATOR, configurationAdministrator);
}

int CClientConflicts::ReadRadioGroup(CButton &first, CButton &second, CButton &third)
{
    if (first.GetCheck() == BST_CHECKED)
        return 0;
    if (second.GetCheck() == BST_CHECKED)
        return 1;
    return 2;
}

void CClientConflicts::WriteRadioGroup(int value, CButton &first, CButton &second, CButton &third)
{
    first.SetCheck(value == 0 ? BST_CHECKED : BST_UNCHECKED);
    second.SetCheck(value == 1 ? BST_CHECKED : BST_UNCHECKED);
    third.SetCheck(value == 2 ? BST_CHECKED : BST_UNCHECKED);
}

void CClientConflicts::ShowDefaults()
{
    defaultMandatory = defaults.mandatory;
    defaultAdministrator = defaults.administrator;
    WriteRadioGroup(defaults.location, defaultShared, defaultLocal, defaultDownload);
    UpdateData(FALSE);
    OnAdministratorDefault();
}

void CClientConflicts::ShowConfigurationSettings()
{
    if (!current) {
        configurationAdministrator = 0;
        configurationMandatory = 0;
        configurationShared.SetCheck(BST_CHECKED);
        configurationDownload.SetCheck(BST_UNCHECKED);
        configurationLocal.SetCheck(BST_UNCHECKED);
        return;
    }
    configurationMandatory = current->resolution.mandatory;
    configurationAdministrator = current->resolution.administrator;
    WriteRadioGroup(current->resolution.location, configurationShared, configurationLocal,
                    configurationDownload);
}

void CClientConflicts::InitPage()
{
    // A failed read has been reported and left the defaults all 0.
    defaultsUnread = defaults.ReadFromInstaller() ? 0 : 1;
    if (defaultsUnread)
        defaults.Reset();
    ShowDefaults();
    OnAdministratorConfiguration();
}

void CClientConflicts::StoreCurrent()
{
    UpdateData(TRUE);
    if (!current)
        return;
    current->resolution.administrator = configurationAdministrator;
    current->resolution.mandatory = configurationMandatory;
    current->resolution.location =
        ReadRadioGroup(configurationShared, configurationLocal, configurationDownload);
}

void CClientConflicts::ShowCurrent()
{
    ShowConfigurationSettings();
    UpdateData(FALSE);
    OnAdministratorConfiguration();
}

void CClientConflicts::ResetContents()
{
    ShowDefaults();
    defaultsTouched = 0;   // the default group's edits are dropped as well
}

void CClientConflicts::RevertPageSettings()
{
    if (!initialised)
        return;
    ShowConfigurationSettings();
    ShowDefaults();
    // The default group shows the held values again: nothing of it to write
    // unless it is touched anew.
    defaultsTouched = 0;
}

void CClientConflicts::ApplyChanges(ConfigurationRefList &list)
{
    if (!initialised)
        return;
    StoreCurrent();
    for (int i = 0; i < configurationBox.GetCount(); i++) {
        ConfigurationCopy *copy = CopyOfItem(i);
        if (!copy || copy->removed || !copy->record.IsBound())
            continue;
        copy->record.SetResolution(copy->resolution.administrator, copy->resolution.mandatory,
                                   copy->resolution.location);
    }
    defaultsFailed = 0;
    if (defaultsUnread && !defaultsTouched)
        return;   // would overwrite the stored default with the zeros shown
    defaults.mandatory = defaultMandatory;
    defaults.administrator = defaultAdministrator;
    defaults.location = ReadRadioGroup(defaultShared, defaultLocal, defaultDownload);
    // A failure is reported there; the main dialog then stops OK, as for any
    // other store step, rather than commit everything but the default.
    defaultsFailed = defaults.WriteToInstaller() ? 0 : 1;
}

void CClientConflicts::OnAdministratorDefault()
{
    UpdateData(TRUE);
    BOOL enable = defaultAdministrator != 0;
    defaultShared.EnableWindow(enable);
    defaultLocal.EnableWindow(enable);
    defaultDownload.EnableWindow(enable);
    modified = 1;
}

void CClientConflicts::OnAdministratorConfiguration()
{
    UpdateData(TRUE);
    BOOL enable = configurationAdministrator != 0;
    configurationShared.EnableWindow(enable);
    configurationLocal.EnableWindow(enable);
    configurationDownload.EnableWindow(enable);
    modified = 1;
}

void CClientConflicts::OnClickAdministratorDefault()
{
    defaultsTouched = 1;
    OnAdministratorDefault();
}

void CClientConflicts::OnClickMandatoryDefault()
{
    defaultsTouched = 1;
    modified = 1;
}

void CClientConflicts::OnClickSharedDefault()
{
    defaultLocal.SetCheck(BST_UNCHECKED);
    defaultDownload.SetCheck(BST_UNCHECKED);
    defaultsTouched = 1;
    modified = 1;
}

void CClientConflicts::OnClickLocalDefault()
{
    defaultDownload.SetCheck(BST_UNCHECKED);
    defaultShared.SetCheck(BST_UNCHECKED);
    defaultsTouched = 1;
    modified = 1;
}

void CClientConflicts::OnClickDownloadDefault()
{
    defaultLocal.SetCheck(BST_UNCHECKED);
    defaultShared.SetCheck(BST_UNCHECKED);
    defaultsTouched = 1;
    modified = 1;
}

void CClientConflicts::OnClickMandatoryConfiguration()
{
    modified = 1;
}

void CClientConflicts::OnClickSharedConfiguration()
{
    configurationLocal.SetCheck(BST_UNCHECKED);
    configurationDownload.SetCheck(BST_UNCHECKED);
    modified = 1;
}

void CClientConflicts::OnClickLocalConfiguration()
{
    configurationDownload.SetCheck(BST_UNCHECKED);
    configurationShared.SetCheck(BST_UNCHECKED);
    modified = 1;
}

void CClientConflicts::OnClickDownloadConfiguration()
{
    configurationLocal.SetCheck(BST_UNCHECKED);
    configurationShared.SetCheck(BST_UNCHECKED);
    modified = 1;
}
