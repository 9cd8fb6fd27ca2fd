// clientconflicts.h - the conflict-resolution page (template 28484).
//
// Two groups of the same shape: the installation-wide default (read from the
// installer library once, handed down on OK) and the selected
// configuration's resolution (kept in its working copy). In each group a
// check box holds "administrator", one "mandatory", and three buttons the
// location; the location buttons are enabled only while the group's
// administrator box is checked. One routine serves the ten controls.
#pragma once

#include "clientpage.h"
#include "data.h"

class CClientConflicts : public CClientPage
{
public:
    CClientConflicts();

    void CollectChanges(ChangeSet &changes) override;
    void ChangesStored(const ChangeSet &changes) override;
    void StoreCurrent() override;
    void ShowCurrent() override;
    void ResetContents() override;
    void RevertPageSettings() override;
    void InitPage() override;

    // A group's controls: the two check boxes and the location buttons for
    // shared, local and download, in this order.
    struct Group
    {
        int administrator, mandatory;
        int location[3];
    };
    static const Group defaultGroup, configurationGroup;

    // The group's value. The location is 0 if the first button is checked,
    // else 1 if the second is, else 2 (also when none is: the third
    // button's state is never read).
    ConflictResolution ReadGroup(const Group &group) const;
    // Shows value in the group: exactly the location button of its value is
    // checked (none for a value outside 0..2); the location buttons follow
    // the administrator box.
    void WriteGroup(const Group &group, const ConflictResolution &value);

    // The defaults as last read from (or stored to) the library.
    const ConflictResolution &GetDefaults() const { return defaults; }
    // 1 when reading the defaults at start-up failed.
    int DefaultsUnread() const { return defaultsUnread; }

protected:
    // The clicks of the ten controls; a clicked location button has checked
    // itself (auto radio button), the routine clears the other two.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override {}
    void OnCancel() override {}

private:
    bool OnGroupClicked(const Group &group, int id);
    ConflictResolution &ShownValue(const Group &group)
    {
        return &group == &defaultGroup ? shownDefault : shownConfiguration;
    }
    void EnableLocations(const Group &group);
    void ShowDefaults();

    ConflictResolution defaults;
    // When the read failed, the default group shows zeros that are not the
    // stored value; it is handed down only once the administrator has
    // touched one of its controls.
    int defaultsUnread = 0;
    int defaultsTouched = 0;
    // What each group was last shown with; a click that changes it marks
    // the page modified, showing never does.
    ConflictResolution shownDefault, shownConfiguration;
};
