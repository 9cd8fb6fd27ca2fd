// The page protocol: shared current configuration, list changes, Refresh,
// and what Enter and Escape do inside a page.
#include "page_fixture.h"

using Names = std::vector<std::string>;

TEST_F(PagesTest, EveryPageListsTheLiveConfigurationsAndShowsTheFirst)
{
    Open();
    for (CClientPage *page : std::vector<CClientPage *>{&config, &assignments, &conflicts}) {
        EXPECT_EQ(ConfigurationNames(*page), (Names{"Alpha", "Beta"}));
        EXPECT_EQ(SelectedConfiguration(*page), "Alpha");
        EXPECT_EQ(page->GetCurrent(), CopyNamed("Alpha"));
        EXPECT_EQ(page->IsModified(), 0);
    }
    EXPECT_EQ(host.index, 0);
}

TEST_F(PagesTest, ASelectionOnOnePageIsShownOnTheNextPageShown)
{
    Open();
    ShowPage(config);
    SelectConfiguration(config, "Beta");
    EXPECT_EQ(host.index, 1);
    ShowPage(assignments);
    EXPECT_EQ(SelectedConfiguration(assignments), "Beta");
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C3"}));
    // The view box keeps the focus once a page has been shown.
    EXPECT_EQ(GetFocus(), host.GetViewBoxHwnd());

    // Hiding sends a show flag of 0: nothing changes.
    SelectConfiguration(conflicts, "Alpha");
    assignments.ShowWindow(SW_HIDE);
    EXPECT_EQ(SelectedConfiguration(assignments), "Beta");
}

TEST_F(PagesTest, AConfigurationAddedOrRemovedReachesTheOtherPagesWhenShown)
{
    Open();
    ShowPage(config);
    NewConfiguration("Lab");
    EXPECT_EQ(host.changedCalls, 1);
    EXPECT_TRUE(assignments.IsListChanged());
    EXPECT_EQ(SelectedConfiguration(config), "Lab");

    ShowPage(conflicts);
    EXPECT_FALSE(conflicts.IsListChanged());
    EXPECT_EQ(ConfigurationNames(conflicts), (Names{"Alpha", "Beta", "Lab"}));
    EXPECT_EQ(SelectedConfiguration(conflicts), "Lab");

    ShowPage(config);
    SelectConfiguration(config, "Alpha");
    boxes.Answer(IDYES);
    ui::Click(config.m_hWnd, IDC_REMOVE_CONFIGURATION);
    ShowPage(assignments);
    EXPECT_EQ(ConfigurationNames(assignments), (Names{"Beta", "Lab"}));
    EXPECT_EQ(SelectedConfiguration(assignments), "Beta");
}

TEST_F(PagesTest, RefreshReselectsByNameOrPrefixAndClearsModified)
{
    Open();
    SelectConfiguration(assignments, "Beta");
    SelectItems(assignments, IDC_LEFT_LIST, {"C6"});
    ui::Click(assignments.m_hWnd, IDC_ADD);
    ASSERT_EQ(assignments.IsModified(), 1);

    // Reset All: the copies are rebuilt from the records as loaded.
    ResetAll();
    EXPECT_EQ(SelectedConfiguration(assignments), "Beta");
    EXPECT_EQ(assignments.GetCurrent(), CopyNamed("Beta"));
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C3"}));
    EXPECT_EQ(Sorted(Items(assignments, IDC_LEFT_LIST)), (Names{"C1", "C2", "C4", "C5", "C6"}));
    EXPECT_EQ(assignments.IsModified(), 0);

    // A name that is gone: the first one beginning with it, else the first.
    CopyNamed("Beta")->name = "Betamax";
    ResetAll(false);
    EXPECT_EQ(SelectedConfiguration(assignments), "Betamax");
    CopyNamed("Betamax")->name = "Zulu";
    ResetAll(false);
    EXPECT_EQ(SelectedConfiguration(assignments), "Alpha");
}

TEST_F(PagesTest, EnterAndEscapeInsideAPageLeaveItOpen)
{
    Open();
    ShowPage(conflicts);
    SendMessageA(conflicts.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    SendMessageA(conflicts.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindow(conflicts.m_hWnd));
    EXPECT_TRUE(GetWindowLongPtrA(conflicts.m_hWnd, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(PagesTest, AnUninitialisedPageIgnoresTheProtocol)
{
    CClientConfig page;
    ChangeSet changes;
    page.Refresh();
    page.Revert();
    page.CollectChanges(changes);
    EXPECT_TRUE(changes.write.empty());
    EXPECT_EQ(page.IsModified(), 0);
}
