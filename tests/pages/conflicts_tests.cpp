// The conflict-resolution page: the two groups' controls, what is stored
// into the copies and records, and the installation-wide default.
#include "page_fixture.h"

namespace {

ConflictResolution StoredDefault()
{
    ConflictResolution value;
    EXPECT_EQ(value.ReadFromInstaller(), 1);
    return value;
}

}

TEST_F(PagesTest, TheGroupsShowTheDefaultAndTheSelectedConfiguration)
{
    Open();
    // Default: administrator / local / mandatory.
    EXPECT_TRUE(Checked(conflicts, IDC_DEF_ADMINISTRATOR));
    EXPECT_TRUE(Checked(conflicts, IDC_DEF_MANDATORY));
    EXPECT_TRUE(Checked(conflicts, IDC_DEF_LOCAL));
    EXPECT_FALSE(Checked(conflicts, IDC_DEF_SHARED) || Checked(conflicts, IDC_DEF_DOWNLOAD));
    EXPECT_TRUE(ui::Enabled(conflicts.m_hWnd, IDC_DEF_SHARED));
    // Alpha: administrator / download / optional.
    EXPECT_TRUE(Checked(conflicts, IDC_CFG_ADMINISTRATOR));
    EXPECT_FALSE(Checked(conflicts, IDC_CFG_MANDATORY));
    EXPECT_TRUE(Checked(conflicts, IDC_CFG_DOWNLOAD));
    EXPECT_EQ(conflicts.IsModified(), 0);

    // Beta is user / shared / mandatory, its location buttons disabled.
    SelectConfiguration(conflicts, "Beta");
    EXPECT_FALSE(Checked(conflicts, IDC_CFG_ADMINISTRATOR));
    EXPECT_TRUE(Checked(conflicts, IDC_CFG_MANDATORY));
    EXPECT_TRUE(Checked(conflicts, IDC_CFG_SHARED));
    EXPECT_FALSE(ui::Enabled(conflicts.m_hWnd, IDC_CFG_SHARED));
    EXPECT_FALSE(ui::Enabled(conflicts.m_hWnd, IDC_CFG_LOCAL));
    EXPECT_FALSE(ui::Enabled(conflicts.m_hWnd, IDC_CFG_DOWNLOAD));

    // A new configuration, shown when the page is next shown.
    NewConfiguration("Lab");
    ShowPage(conflicts);
    EXPECT_EQ(SelectedConfiguration(conflicts), "Lab");
    EXPECT_FALSE(Checked(conflicts, IDC_CFG_ADMINISTRATOR));
    EXPECT_FALSE(Checked(conflicts, IDC_CFG_MANDATORY));
    EXPECT_TRUE(Checked(conflicts, IDC_CFG_SHARED));
}

TEST_F(PagesTest, LocationButtonsFollowTheAdministratorBoxAndReadAsOneValue)
{
    Open();
    SelectConfiguration(conflicts, "Beta");
    CheckDlgButton(conflicts.m_hWnd, IDC_CFG_ADMINISTRATOR, BST_CHECKED);
    ui::Click(conflicts.m_hWnd, IDC_CFG_ADMINISTRATOR);
    EXPECT_TRUE(ui::Enabled(conflicts.m_hWnd, IDC_CFG_SHARED));
    EXPECT_TRUE(ui::Enabled(conflicts.m_hWnd, IDC_CFG_LOCAL));
    EXPECT_TRUE(ui::Enabled(conflicts.m_hWnd, IDC_CFG_DOWNLOAD));

    // The clicked button has checked itself; the handler clears the others.
    CheckDlgButton(conflicts.m_hWnd, IDC_CFG_LOCAL, BST_CHECKED);
    ui::Click(conflicts.m_hWnd, IDC_CFG_LOCAL);
    EXPECT_FALSE(Checked(conflicts, IDC_CFG_SHARED));
    EXPECT_FALSE(Checked(conflicts, IDC_CFG_DOWNLOAD));

    // Unchecking the box disables the buttons but keeps their states.
    CheckDlgButton(conflicts.m_hWnd, IDC_CFG_ADMINISTRATOR, BST_UNCHECKED);
    ui::Click(conflicts.m_hWnd, IDC_CFG_ADMINISTRATOR);
    EXPECT_FALSE(ui::Enabled(conflicts.m_hWnd, IDC_CFG_LOCAL));
    EXPECT_TRUE(Checked(conflicts, IDC_CFG_LOCAL));
    SelectConfiguration(conflicts, "Alpha");
    ConfigurationCopy *beta = CopyNamed("Beta");
    EXPECT_EQ(beta->resolution.administrator, 0);
    EXPECT_EQ(beta->resolution.location, 1);

    // With none of the three checked the location reads as "download".
    SelectConfiguration(conflicts, "Beta");
    EXPECT_TRUE(Checked(conflicts, IDC_CFG_LOCAL));
    CheckDlgButton(conflicts.m_hWnd, IDC_CFG_LOCAL, BST_UNCHECKED);
    SelectConfiguration(conflicts, "Alpha");
    EXPECT_EQ(beta->resolution.location, 2);

    // A location outside 0..2 checks none, which reads as "download".
    conflicts.WriteGroup(CClientConflicts::defaultGroup, ConflictResolution(1, 0, 7));
    EXPECT_EQ(conflicts.ReadGroup(CClientConflicts::defaultGroup).location, 2);
    conflicts.WriteGroup(CClientConflicts::defaultGroup, ConflictResolution(1, 0, 0));
    EXPECT_EQ(conflicts.ReadGroup(CClientConflicts::defaultGroup).location, 0);
}

TEST_F(PagesTest, RevertShowsTheDefaultAsReadAndTheConfigurationAsStored)
{
    Open();
    CheckDlgButton(conflicts.m_hWnd, IDC_DEF_MANDATORY, BST_UNCHECKED);
    ui::Click(conflicts.m_hWnd, IDC_DEF_MANDATORY);
    CheckDlgButton(conflicts.m_hWnd, IDC_CFG_MANDATORY, BST_CHECKED);
    ui::Click(conflicts.m_hWnd, IDC_CFG_MANDATORY);
    conflicts.Revert();
    EXPECT_TRUE(Checked(conflicts, IDC_DEF_MANDATORY));
    EXPECT_FALSE(Checked(conflicts, IDC_CFG_MANDATORY));
    EXPECT_TRUE(Checked(conflicts, IDC_CFG_DOWNLOAD));
    EXPECT_EQ(conflicts.IsModified(), 1);
}

TEST_F(PagesTest, OkWritesResolutionsIntoTheRecordsAndTheDefaultToTheStore)
{
    Open();
    CheckDlgButton(conflicts.m_hWnd, IDC_CFG_MANDATORY, BST_CHECKED);
    ui::Click(conflicts.m_hWnd, IDC_CFG_MANDATORY);
    CheckDlgButton(conflicts.m_hWnd, IDC_DEF_ADMINISTRATOR, BST_UNCHECKED);
    ui::Click(conflicts.m_hWnd, IDC_DEF_ADMINISTRATOR);
    EXPECT_FALSE(ui::Enabled(conflicts.m_hWnd, IDC_DEF_LOCAL));

    ASSERT_EQ(StoreAll(), 1);
    ConflictResolution alpha = CopyNamed("Alpha")->record.GetResolution();
    EXPECT_EQ(alpha.administrator, 1);
    EXPECT_EQ(alpha.mandatory, 1);
    EXPECT_EQ(alpha.location, 2);
    ConflictResolution stored = StoredDefault();
    EXPECT_EQ(stored.administrator, 0);
    EXPECT_EQ(stored.mandatory, 1);
    EXPECT_EQ(stored.location, 1);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(PagesTest, AnUnreadDefaultIsNotWrittenBackUnlessTheAdministratorSetsIt)
{
    SetEnvironmentVariableA("KX_FAULT", "getConflictResolution@*");
    Open();
    SetEnvironmentVariableA("KX_FAULT", NULL);
    ASSERT_EQ(boxes.calls.size(), 1u);   // the failed read was reported
    EXPECT_TRUE(conflicts.DefaultsUnread());
    EXPECT_FALSE(Checked(conflicts, IDC_DEF_ADMINISTRATOR));
    EXPECT_TRUE(Checked(conflicts, IDC_DEF_SHARED));
    EXPECT_FALSE(ui::Enabled(conflicts.m_hWnd, IDC_DEF_SHARED));

    // Edits of the configuration group alone keep the stored default.
    CheckDlgButton(conflicts.m_hWnd, IDC_CFG_MANDATORY, BST_CHECKED);
    ui::Click(conflicts.m_hWnd, IDC_CFG_MANDATORY);
    ASSERT_EQ(StoreAll(), 1);
    ConflictResolution stored = StoredDefault();
    EXPECT_EQ(stored.administrator, 1);
    EXPECT_EQ(stored.location, 1);
    EXPECT_EQ(stored.mandatory, 1);

    // A default the administrator chose is written.
    ui::Click(conflicts.m_hWnd, IDC_DEF_MANDATORY);   // still unchecked: "optional"
    ASSERT_EQ(StoreAll(), 1);
    stored = StoredDefault();
    EXPECT_EQ(stored.administrator, 0);
    EXPECT_EQ(stored.mandatory, 0);
    EXPECT_EQ(stored.location, 0);
}
