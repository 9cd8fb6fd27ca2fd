// The page protocol: shared current configuration, list changes, Refresh,
// and what Enter and Escape do inside a page.
#include "page_fixture.h"

#include <algorithm>

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
    for (CClientPage *page : std::vector<CClientPage *>{&config, &assignments, &conflicts}) {
        HWND box = Item(*page, IDC_CONFIGURATION);
        for (int code : {CBN_SELENDCANCEL, CBN_CLOSEUP}) {
            SendMessageA(box, CB_SETCURSEL, 1, 0);   // Beta, reached with the arrow keys
            ui::Notify(page->m_hWnd, IDC_CONFIGURATION, code);
            ui::Pump();
            EXPECT_EQ(SelectedConfiguration(*page), "Alpha") << code;
        }
        SendMessageA(box, CB_SETCURSEL, 1, 0);
        ui::Notify(page->m_hWnd, IDC_CONFIGURATION, CBN_CLOSEUP);
        ui::Notify(page->m_hWnd, IDC_CONFIGURATION, CBN_SELENDOK);
        ui::Pump();
        EXPECT_EQ(SelectedConfiguration(*page), "Beta");
        EXPECT_EQ(page->GetCurrent(), CopyNamed("Beta"));
        SelectConfiguration(*page, "Alpha");
    }
    HWND os = Item(config, IDC_OS);
    LRESULT shownOs = SendMessageA(os, CB_GETCURSEL, 0, 0);
    SendMessageA(os, CB_SETCURSEL, shownOs + 1, 0);
    ui::Notify(config.m_hWnd, IDC_OS, CBN_SELENDCANCEL);
    EXPECT_EQ(SendMessageA(os, CB_GETCURSEL, 0, 0), shownOs);
}

// The drop-down of 1019 shows whole names, up to the screen's width; the
// box itself keeps its size.
TEST_F(PagesTest, TheConfigurationDropDownIsAsWideAsItsLongestName)
{
    Open();
    HWND box = Item(config, IDC_CONFIGURATION);
    auto dropped = [box]() { return (int)SendMessageA(box, CB_GETDROPPEDWIDTH, 0, 0); };
    RECT r;
    GetWindowRect(box, &r);
    EXPECT_EQ(dropped(), r.right - r.left);
    const char *german = "Konfiguration f\xFCr die Au\xDF" "endienstmitarbeiter der Region Nord";
    NewConfiguration(german);
    EXPECT_GT(dropped(), ControlText(box).Width(german));
    EXPECT_LT(r.right - r.left, ControlText(box).Width(german));
    NewConfiguration(std::string(400, 'W').c_str());
    EXPECT_EQ(dropped(), GetSystemMetrics(SM_CXSCREEN));
}

struct EnterCase
{
    const char *what;
    bool configPage;
    int button, from, to;
    const char *item;
};

class EnterOnAPageButton : public PagesTest, public ::testing::WithParamInterface<EnterCase>
{
};

// Enter on a page's own push button, posted as the keyboard posts it to the
// button with the focus and handled by the host's dialog loop, presses it.
TEST_P(EnterOnAPageButton, PressesIt)
{
    Open();
    const EnterCase &c = GetParam();
    CClientPage &page = c.configPage ? (CClientPage &)config : (CClientPage &)assignments;
    SelectConfiguration(page, "Beta");
    SelectItems(page, c.from, {c.item});
    HWND button = Item(page, c.button);
    SetFocus(button);
    ui::PressKey(host.m_hWnd, button, VK_RETURN);
    Names to = Items(page, c.to);
    EXPECT_NE(std::find(to.begin(), to.end(), c.item), to.end()) << c.what;
    EXPECT_EQ(page.IsModified(), 1) << c.what;
}

const std::string kCalendarItem = ProductText("Calendar", "2.0"), kFormsItem = ProductText("Forms", "3.0");

INSTANTIATE_TEST_SUITE_P(
    Buttons, EnterOnAPageButton,
    ::testing::Values(EnterCase{"add product", true, IDC_ADD, IDC_LEFT_LIST, IDC_RIGHT_LIST, kFormsItem.c_str()},
                      EnterCase{"remove product", true, IDC_REMOVE, IDC_RIGHT_LIST, IDC_LEFT_LIST, kCalendarItem.c_str()},
                      EnterCase{"add client", false, IDC_ADD, IDC_LEFT_LIST, IDC_RIGHT_LIST, "C4"},
                      EnterCase{"remove client", false, IDC_REMOVE, IDC_RIGHT_LIST, IDC_LEFT_LIST, "C3"}));

// Showing, choosing again what is chosen and moving nothing are no edits:
// Cancel then has nothing to ask. Every edit marks its page.
TEST_F(PagesTest, OnlyAnEditMarksAPageModified)
{
    Open();
    struct Step
    {
        const char *what;
        std::function<void()> act;
        Names modified;   // the pages marked, of config, assign, conflicts
    };
    auto modifiedPages = [this]() {
        Names marked;
        for (CClientPage *p : std::vector<CClientPage *>{&config, &assignments, &conflicts})
            marked.push_back(p->IsModified() ? "1" : "0");
        return marked;
    };
    auto selectOs = [this](const char *text) {
        SendMessageA(Item(config, IDC_OS), CB_SELECTSTRING, (WPARAM)-1, (LPARAM)text);
        ui::Notify(config.m_hWnd, IDC_OS, CBN_SELENDOK);
    };
    const Step steps[] = {
        {"another configuration on every page",
         [&] { for (CClientPage *p : std::vector<CClientPage *>{&config, &assignments, &conflicts}) SelectConfiguration(*p, "Beta"); },
         {"0", "0", "0"}},
        {"every page shown and reverted",
         [&] { for (CClientPage *p : std::vector<CClientPage *>{&assignments, &conflicts, &config}) { ShowPage(*p); p->Revert(); } },
         {"0", "0", "0"}},
        {"the shown location clicked again", [&] { ui::Click(conflicts.m_hWnd, IDC_CFG_SHARED); }, {"0", "0", "0"}},
        {"the shown system chosen again", [&] { selectOs("Windows (32-bit)"); }, {"0", "0", "0"}},
        {"Add and Remove with nothing selected",
         [&] { ui::Click(assignments.m_hWnd, IDC_ADD); ui::Click(config.m_hWnd, IDC_REMOVE); }, {"0", "0", "0"}},
        {"a box ticked", [&] { CheckDlgButton(conflicts.m_hWnd, IDC_CFG_MANDATORY, BST_UNCHECKED); ui::Click(conflicts.m_hWnd, IDC_CFG_MANDATORY); }, {"0", "0", "1"}},
        {"another system", [&] { selectOs("DOS"); }, {"1", "0", "1"}},
        {"a client moved", [&] { SelectItems(assignments, IDC_LEFT_LIST, {"C1"}); ui::Click(assignments.m_hWnd, IDC_ADD); }, {"1", "1", "1"}},
    };
    for (const Step &step : steps) {
        step.act();
        EXPECT_EQ(modifiedPages(), step.modified) << step.what;
    }
}
