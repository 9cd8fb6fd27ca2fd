// clientconflicts.cpp - the conflict-resolution page.
#include "clientconflicts.h"

#include "resource.h"

const CClientConflicts::Group CClientConflicts::defaultGroup = {
    IDC_DEF_ADMINISTRATOR, IDC_DEF_MANDATORY, {IDC_DEF_SHARED, IDC_DEF_LOCAL, IDC_DEF_DOWNLOAD}};
const CClientConflicts::Group CClientConflicts::configurationGroup = {
    IDC_CFG_ADMINISTRATOR, IDC_CFG_MANDATORY, {IDC_CFG_SHARED, IDC_CFG_LOCAL, IDC_CFG_DOWNLOAD}};

CClientConflicts::CClientConflicts() : CClientPage(IDD_PAGE_CONFLICTS)
{
}

ConflictResolution CClientConflicts::ReadGroup(const Group &group) const
{
    ConflictResolution value;
    value.administrator = IsDlgButtonChecked(group.administrator) == BST_CHECKED ? 1 : 0;
    value.mandatory = IsDlgButtonChecked(group.mandatory) == BST_CHECKED ? 1 : 0;
    value.location = IsDlgButtonChecked(group.location[0]) == BST_CHECKED   ? 0
                     : IsDlgButtonChecked(group.location[1]) == BST_CHECKED ? 1
                                                                             : 2;
    return value;
}

void CClientConflicts::WriteGroup(const Group &group, const ConflictResolution &value)
{
    CheckDlgButton(group.administrator, value.administrator ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(group.mandatory, value.mandatory ? BST_CHECKED : BST_UNCHECKED);
    for (int i = 0; i < 3; i++)
        CheckDlgButton(group.location[i], value.location == i ? BST_CHECKED : BST_UNCHECKED);
    EnableLocations(group);
    // As the group reads now: a location outside 0..2 checks none.
    ShownValue(group) = ReadGroup(group);
}

void CClientConflicts::EnableLocations(const Group &group)
{
    BOOL enable = IsDlgButtonChecked(group.administrator) == BST_CHECKED;
    for (int id : group.location)
        ::EnableWindow(::GetDlgItem(m_hWnd, id), enable);
}

bool CClientConflicts::OnGroupClicked(const Group &group, int id)
{
    if (id == group.administrator) {
        EnableLocations(group);
    } else if (id != group.mandatory) {
        int clicked = -1;
        for (int i = 0; i < 3; i++)
            if (group.location[i] == id)
                clicked = i;
        if (clicked < 0)
            return false;
        for (int i = 0; i < 3; i++)
            if (i != clicked)
                CheckDlgButton(group.location[i], BST_UNCHECKED);
    }
    if (&group == &defaultGroup)
        defaultsTouched = 1;
    // Only a click that leaves the group other than it was shown is an edit
    // (a location button clicked again is none).
    if (!(ReadGroup(group) == ShownValue(group)))
        modified = 1;
    return true;
}

BOOL CClientConflicts::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED &&
        (OnGroupClicked(defaultGroup, LOWORD(wParam)) || OnGroupClicked(configurationGroup, LOWORD(wParam))))
        return TRUE;
    return CClientPage::OnCommand(wParam, lParam);
}

void CClientConflicts::ShowDefaults()
{
    WriteGroup(defaultGroup, defaults);
}

void CClientConflicts::ShowCurrent()
{
    // Without a configuration: user, optional, shared.
    WriteGroup(configurationGroup, current ? current->resolution : ConflictResolution());
}

void CClientConflicts::InitPage()
{
    // A failed read has been reported and left the defaults all 0.
    defaultsUnread = defaults.ReadFromInstaller() ? 0 : 1;
    ShowDefaults();
    EnableLocations(configurationGroup);
}

void CClientConflicts::StoreCurrent()
{
    if (current)
        current->resolution = ReadGroup(configurationGroup);
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
    WriteGroup(configurationGroup, ConflictResolution());
    // The default group shows the held values again: nothing of it to hand
    // down unless it is touched anew.
    ShowDefaults();
    defaultsTouched = 0;
}

void CClientConflicts::CollectChanges(ChangeSet &changes)
{
    if (!initialised)
        return;
    StoreCurrent();
    ConflictResolution shown = ReadGroup(defaultGroup);
    // Unread, the zeros shown would overwrite the stored default; read, the
    // value as read needs no writing.
    if (defaultsUnread ? !defaultsTouched : shown == defaults)
        return;
    changes.writeDefault = 1;
    changes.defaults = shown;
}

void CClientConflicts::ChangesStored(const ChangeSet &changes)
{
    if (!changes.writeDefault)
        return;
    defaults = changes.defaults;
    defaultsUnread = 0;
    defaultsTouched = 0;
}
