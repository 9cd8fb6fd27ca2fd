// clientconflicts.h - the conflict-resolution page (template 28484).
//
// Two groups of the same shape: the installation-wide default (read from the
// installer library once, written back on OK) and the selected
// configuration's resolution (kept in its working copy). In each group a
// check box holds "administrator", one "mandatory", and three auto radio
// buttons the location; the location buttons are enabled only while the
// group's administrator box is checked.
#pragma once

#include "clientpage.h"
#include "data.h"

class CClientConflicts : public CClientPage
{
    DECLARE_DYNCREATE(CClientConflicts)
public:
    CClientConflicts();

    void ApplyChanges(ConfigurationRefList &list) override;
    void StoreCurrent() override;
    void ShowCurrent() override;
    void ResetContents() override;
    void RevertPageSettings() override;
    void InitPage() override;

    // 0 if the first button is checked, else 1 if the second is, else 2 (also
    // when none is checked: the third button's state is never read).
    static int ReadRadioGroup(CButton &first, CButton &second, CButton &third);
    // Checks exactly the button of value (0, 1, 2); any other value leaves
    // all three unchecked.
    static void WriteRadioGroup(int value, CButton &first, CButton &second, CButton &third);

    // The defaults as last read from (or about to be written to) the library.
    const ConflictResolution &GetDefaults() const { return defaults; }
    // Puts back held defaults taken before a failed OK.
    void RestoreDefaults(const ConflictResolution &held) { defaults = held; }
    // 1 when reading the defaults at start-up failed.
    int DefaultsUnread() const { return defaultsUnread; }
    // 1 when the last ApplyChanges could not hand the default to the library
    // (the failure has been shown).
    int DefaultsFailed() const { return defaultsFailed; }

protected:
    void DoDataExchange(CDataExchange *pDX) override;
    void OnOK() override {}
    void OnCancel() override {}

    void ShowDefaults();
    void ShowConfigurationSettings();

    void OnAdministratorDefault();
    void OnAdministratorConfiguration();
    // Click handlers: the clicked location button checks itself (auto radio
    // button); each handler clears the other two of its group.
    void OnClickAdministratorDefault();
    void OnClickMandatoryDefault();
    void OnClickSharedDefault();
    void OnClickLocalDefault();
    void OnClickDownloadDefault();
    void OnClickMandatoryConfiguration();
    void OnClickSharedConfiguration();
    void OnClickLocalConfiguration();
    void OnClickDownloadConfiguration();

    CButton configurationShared;   // 1040
    CButton defaultShared;         // 1024
    CButton configurationDownload; // 1027
    CButton defaultDownload;       // 1026
    CButton configurationLocal;    // 1039
    CButton defaultLocal;          // 1038
    int defaultMandatory;          // 1029
    int defaultAdministrator;      // 1028
    int configurationMandatory;    // 1033
    int configurationAdministrator; // 1031
    ConflictResolution defaults;

private:
    // When the read failed, the default group shows zeros that are not the
    // stored value; it is written back only once the administrator has
    // touched one of its controls.
    int defaultsUnread;
    int defaultsTouched;
    int defaultsFailed;

    DECLARE_MESSAGE_MAP()
};
