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
    EXPECT_EQ(Items(assignments, IDC_LEFT_LIST), (Names{"C1", "C2", "C4", "C5", "C6"}));
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

// A drop-down that ends without a choice (cancelled, or closed up with no
// CBN_SELENDOK) leaves each combobox naming what its page shows: 1019 the
// configuration edited, 1034 the system its list is drawn for. A choice
// whose CBN_SELENDOK comes after CBN_CLOSEUP is still taken.
TEST_F(PagesTest, ADropDownEndedWithoutAChoiceNamesWhatThePageShows)
{
    Open();
    for (CClientPage *page : std::vector<CClientPage *>{&config, &assignments, &conflicts})
        for (int code : {CBN_SELENDCANCEL, CBN_CLOSEUP, CBN_SELENDOK}) {
            SendMessageA(Item(*page, IDC_CONFIGURATION), CB_SETCURSEL, 1, 0);   // Beta, by the arrow keys
            ui::Notify(page->m_hWnd, IDC_CONFIGURATION, code == CBN_SELENDOK ? CBN_CLOSEUP : code);
            if (code == CBN_SELENDOK)
                ui::Notify(page->m_hWnd, IDC_CONFIGURATION, code);
            ui::Pump();
            EXPECT_EQ(SelectedConfiguration(*page), code == CBN_SELENDOK ? "Beta" : "Alpha") << code;
            EXPECT_EQ(page->GetCurrent(), CopyNamed(SelectedConfiguration(*page).c_str()));
            SelectConfiguration(*page, "Alpha");
        }
    HWND os = Item(config, IDC_OS);
    LRESULT shownOs = SendMessageA(os, CB_GETCURSEL, 0, 0);
    SendMessageA(os, CB_SETCURSEL, shownOs + 1, 0);
    ui::Notify(config.m_hWnd, IDC_OS, CBN_SELENDCANCEL);
    EXPECT_EQ(SendMessageA(os, CB_GETCURSEL, 0, 0), shownOs);
}

// The drop-down of 1019 shows whole names, up to the screen's width.
TEST_F(PagesTest, TheConfigurationDropDownIsAsWideAsItsLongestName)
{
    Open();
    HWND box = Item(config, IDC_CONFIGURATION);
    const char *german = "Konfiguration f\xFCr die Au\xDF" "endienstmitarbeiter der Region Nord";
    NewConfiguration(german);
    EXPECT_GT(SendMessageA(box, CB_GETDROPPEDWIDTH, 0, 0), ControlText(box).Width(german));
    NewConfiguration(std::string(400, 'W').c_str());
    EXPECT_EQ(SendMessageA(box, CB_GETDROPPEDWIDTH, 0, 0), GetSystemMetrics(SM_CXSCREEN));
}

// Showing, choosing again what is chosen and moving nothing are no edits,
// so Cancel asks nothing; an edit marks its page.
TEST_F(PagesTest, OnlyAnEditMarksAPageModified)
{
    Open();
    std::vector<CClientPage *> pages{&config, &assignments, &conflicts};
    for (CClientPage *page : pages) {
        SelectConfiguration(*page, "Beta");
        ShowPage(*page);
        page->Revert();
    }
    ui::Click(conflicts.m_hWnd, IDC_CFG_SHARED);   // checked already
    SendMessageA(Item(config, IDC_OS), CB_SELECTSTRING, (WPARAM)-1, (LPARAM) "Windows (32-bit)");
    ui::Notify(config.m_hWnd, IDC_OS, CBN_SELENDOK);
    ui::Click(assignments.m_hWnd, IDC_ADD);
    for (CClientPage *page : pages)
        EXPECT_EQ(page->IsModified(), 0);
    CheckDlgButton(conflicts.m_hWnd, IDC_CFG_MANDATORY, BST_UNCHECKED);   // as the click toggles it
    ui::Click(conflicts.m_hWnd, IDC_CFG_MANDATORY);
    EXPECT_EQ(conflicts.IsModified(), 1);
}
