// The filters above the left-hand lists of the configurations and client
// assignments pages: they narrow the list as the administrator types and
// hide only; moves act on what is shown; OK writes the same with or without.
#include "page_fixture.h"

using Names = std::vector<std::string>;

namespace {

void SetFilter(CWnd &page, const char *text)
{
    // The edit control reports the new text with EN_CHANGE, as typing does.
    SetDlgItemTextA(page.m_hWnd, IDC_FILTER, text);
}

std::string FilterText(CWnd &page)
{
    char text[256] = "";
    GetDlgItemTextA(page.m_hWnd, IDC_FILTER, text, sizeof text);
    return text;
}

}

struct Narrowing
{
    const char *page;   // "config" or "assign"
    const char *filter;
    Names shown;        // 1018 of Beta with the filter (Beta's system offers every product)
};

class FilterNarrows : public PagesTest, public ::testing::WithParamInterface<Narrowing>
{
};

// Case-insensitive "contains" as typed; clearing shows every item again in
// the order of before.
TEST_P(FilterNarrows, ToTheItemsHoldingTheTextAndClearingShowsAll)
{
    Open();
    const bool onConfig = std::string(GetParam().page) == "config";
    CClientPage &page = onConfig ? (CClientPage &)config : (CClientPage &)assignments;
    SelectConfiguration(page, "Beta");
    Names before = Items(page, IDC_LEFT_LIST), right = Items(page, IDC_RIGHT_LIST);
    SetFilter(page, GetParam().filter);
    EXPECT_EQ(Items(page, IDC_LEFT_LIST), GetParam().shown);
    EXPECT_EQ(Items(page, IDC_RIGHT_LIST), right);
    SetFilter(page, "");
    EXPECT_EQ(Items(page, IDC_LEFT_LIST), before);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FilterNarrows,
    ::testing::Values(Narrowing{"assign", "c5", {"C5"}}, Narrowing{"assign", "C", {"C1", "C2", "C4", "C5", "C6"}},
                      Narrowing{"assign", "x", {}}, Narrowing{"config", "FORM", {ProductText("Forms", "3.0")}},
                      Narrowing{"config", ".0", {ProductText("Mail", "1.0"), ProductText("Forms", "3.0")}}),
    [](const ::testing::TestParamInfo<Narrowing> &i) { return std::string(i.param.page) + std::to_string(i.index); });

// Items selected before the filter hid some of them: Add moves only those
// still shown; the hidden ones come back, unmoved, when the filter goes.
TEST_F(PagesTest, FilteredMoveActsOnTheShownSelectedItems)
{
    Open();
    SelectItems(assignments, IDC_LEFT_LIST, {"C3", "C4", "C5", "C6"});
    SetFilter(assignments, "5");
    EXPECT_TRUE(ui::Enabled(assignments.m_hWnd, IDC_ADD));
    ui::Click(assignments.m_hWnd, IDC_ADD);
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C1", "C2", "C5"}));
    EXPECT_TRUE(Items(assignments, IDC_LEFT_LIST).empty());
    // Removed while filtered: C1 comes back left but does not match.
    SelectItems(assignments, IDC_RIGHT_LIST, {"C1", "C5"});
    ui::Click(assignments.m_hWnd, IDC_REMOVE);
    EXPECT_EQ(Items(assignments, IDC_LEFT_LIST), (Names{"C5"}));
    SetFilter(assignments, "");
    EXPECT_EQ(Items(assignments, IDC_LEFT_LIST), (Names{"C1", "C3", "C4", "C5", "C6"}));
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C2"}));
}

// Showing another configuration keeps the filter and applies it to the new
// list; the other page's filter is its own.
TEST_F(PagesTest, SwitchingConfigurationsKeepsTheFilter)
{
    Open();
    SetFilter(assignments, "c");
    SetFilter(config, "mail");
    SelectConfiguration(assignments, "Beta");
    EXPECT_EQ(FilterText(assignments), "c");
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C3"}));
    EXPECT_EQ(Items(assignments, IDC_LEFT_LIST), (Names{"C1", "C2", "C4", "C5", "C6"}));
    SetFilter(assignments, "2");
    EXPECT_EQ(Items(assignments, IDC_LEFT_LIST), (Names{"C2"}));
    SelectConfiguration(config, "Beta");
    EXPECT_EQ(Items(config, IDC_RIGHT_LIST), (Names{ProductText("Calendar", "2.0")}));
    EXPECT_EQ(Items(config, IDC_LEFT_LIST), (Names{ProductText("Mail", "1.0")}));
    SelectConfiguration(assignments, "Alpha");
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C1", "C2"}));
    EXPECT_TRUE(Items(assignments, IDC_LEFT_LIST).empty());
    SetFilter(assignments, "");
    EXPECT_EQ(Items(assignments, IDC_LEFT_LIST), (Names{"C3", "C4", "C5", "C6"}));
}

class FilterOk : public PagesTest, public ::testing::WithParamInterface<const char *>
{
};

// The same edits with any filter (or none) in force write the same records:
// products and clients, their order, the unshown product Alpha keeps.
TEST_P(FilterOk, WritesTheSameAsWithoutAFilter)
{
    Open();
    SetFilter(config, GetParam());
    SetFilter(assignments, GetParam());
    SelectItems(assignments, IDC_RIGHT_LIST, {"C2"});
    ui::Click(assignments.m_hWnd, IDC_REMOVE);
    SelectConfiguration(assignments, "Beta");
    SelectConfiguration(assignments, "Alpha");
    SelectConfiguration(config, "Beta");
    SetFilter(config, "");
    SelectItems(config, IDC_LEFT_LIST, {ProductText("Forms", "3.0")});
    SetFilter(config, GetParam());
    ui::Click(config.m_hWnd, IDC_ADD);
    SelectConfiguration(config, "Alpha");
    Collect();
    ConfigurationCopy *alpha = CopyNamed("Alpha"), *beta = CopyNamed("Beta");
    std::string lower = GetParam();
    for (char &ch : lower)
        ch = (char)tolower((unsigned char)ch);
    const bool formsShown = std::string("forms (3.0)").find(lower) != std::string::npos;
    EXPECT_EQ(NamesOf(alpha->products), (Names{"PMail", "PHidden"}));
    EXPECT_EQ(NamesOf(alpha->clients), (Names{"C1"}));
    EXPECT_EQ(NamesOf(beta->products), formsShown ? (Names{"PCal", "PForms"}) : (Names{"PCal"}));
    EXPECT_EQ(NamesOf(beta->clients), (Names{"C3"}));
}

INSTANTIATE_TEST_SUITE_P(Filters, FilterOk, ::testing::Values("", "c", "zz", "FORMS"),
                         [](const ::testing::TestParamInfo<const char *> &i) { return "f" + std::to_string(i.index); });

struct HidingCase
{
    const char *action;   // "reset", "switch" or "system"
    const char *filter;   // typed on both pages before the action, cleared after
    Names assignLeft, assignRight, configLeft, configRight;
};

class FilterHidesOnly : public PagesTest, public ::testing::WithParamInterface<HidingCase>
{
};

// Reset All, showing another configuration (and back) and a change of system
// give, once the filter is cleared, the lists the same action gives without
// one, in the same order. Client C1 and product Calendar were moved out of
// the configurations shown (Alpha, Beta) before.
TEST_P(FilterHidesOnly, EveryActionGivesTheListsItGivesWithoutAFilter)
{
    Open();
    const HidingCase &c = GetParam();
    const std::string calendar = ProductText("Calendar", "2.0");
    SelectItems(assignments, IDC_RIGHT_LIST, {"C1"});
    ui::Click(assignments.m_hWnd, IDC_REMOVE);
    SelectConfiguration(config, "Beta");
    SelectItems(config, IDC_RIGHT_LIST, {calendar});
    ui::Click(config.m_hWnd, IDC_REMOVE);
    SetFilter(assignments, c.filter);
    SetFilter(config, c.filter);
    const std::string action = c.action;
    if (action == "reset") {
        ResetAll();
    } else if (action == "switch") {
        SelectConfiguration(assignments, "Beta");
        SelectConfiguration(assignments, "Alpha");
        SelectConfiguration(config, "Alpha");
        SelectConfiguration(config, "Beta");
    } else {
        for (OsCode code : {OS_DOS, OS_WIN32}) {
            SendMessageA(Item(config, IDC_OS), CB_SELECTSTRING, (WPARAM)-1, (LPARAM)(LPCSTR)OsDisplayName(code));
            ui::Notify(config.m_hWnd, IDC_OS, CBN_SELENDOK);
        }
    }
    SetFilter(assignments, "");
    SetFilter(config, "");
    EXPECT_EQ(Items(assignments, IDC_LEFT_LIST), c.assignLeft);
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), c.assignRight);
    EXPECT_EQ(Items(config, IDC_LEFT_LIST), c.configLeft);
    EXPECT_EQ(Items(config, IDC_RIGHT_LIST), c.configRight);
}

const std::string kMail = ProductText("Mail", "1.0"), kCalendar = ProductText("Calendar", "2.0"),
                  kForms = ProductText("Forms", "3.0");
const HidingCase kReset = {"reset", "", {"C3", "C4", "C5", "C6"}, {"C1", "C2"}, {kMail, kForms}, {kCalendar}};
const HidingCase kSwitch = {"switch", "", {"C1", "C3", "C4", "C5", "C6"}, {"C2"}, {kMail, kCalendar, kForms}, {}};
const HidingCase kSystem = {"system", "", {"C1", "C3", "C4", "C5", "C6"}, {"C2"}, {kMail, kCalendar, kForms}, {}};

HidingCase Filtered(HidingCase c) { c.filter = "a"; return c; }

INSTANTIATE_TEST_SUITE_P(Actions, FilterHidesOnly,
                         ::testing::Values(kReset, Filtered(kReset), kSwitch, Filtered(kSwitch), kSystem,
                                           Filtered(kSystem)),
                         [](const ::testing::TestParamInfo<HidingCase> &i) {
                             return std::string(i.param.action) + (*i.param.filter ? "Filtered" : "");
                         });

namespace {

std::vector<WPARAM> g_redraws;
WNDPROC g_leftProc = NULL;

LRESULT CALLBACK RecordRedraw(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_SETREDRAW)
        g_redraws.push_back(wp);
    return CallWindowProcA(g_leftProc, hwnd, msg, wp, lp);
}

}

struct FilteredAction
{
    const char *name;
    const char *page;     // "config" or "assign"
    const char *filter;
    const char *action;   // "add", "remove", "switch" or "system"
    const char *item;     // moved item or configuration shown
};

class FilterDrawsOnce : public PagesTest, public ::testing::WithParamInterface<FilteredAction>
{
};

// The filter's refill nests in the page's own redraw hold: whatever a page
// action does to the left-hand list while a filter is in force, drawing goes
// off once and on again once, at the end.
TEST_P(FilterDrawsOnce, PerPageAction)
{
    Open();
    const FilteredAction &a = GetParam();
    CClientPage &page = std::string(a.page) == "config" ? (CClientPage &)config : (CClientPage &)assignments;
    const std::string action = a.action;
    SetFilter(page, a.filter);
    if (action == "add")
        SelectItems(page, IDC_LEFT_LIST, {a.item});
    else if (action == "remove")
        SelectItems(page, IDC_RIGHT_LIST, {a.item});
    HWND left = Item(page, IDC_LEFT_LIST);
    g_redraws.clear();
    g_leftProc = (WNDPROC)SetWindowLongPtrA(left, GWLP_WNDPROC, (LONG_PTR)RecordRedraw);
    if (action == "add" || action == "remove") {
        ui::Click(page.m_hWnd, action == "add" ? IDC_ADD : IDC_REMOVE);
    } else if (action == "switch") {
        SelectConfiguration(page, a.item);
    } else {
        SendMessageA(Item(page, IDC_OS), CB_SETCURSEL, 0, 0);
        ui::Notify(page.m_hWnd, IDC_OS, CBN_SELENDOK);
    }
    SetWindowLongPtrA(left, GWLP_WNDPROC, (LONG_PTR)g_leftProc);
    EXPECT_EQ((std::vector<WPARAM>{FALSE, TRUE}), g_redraws);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, FilterDrawsOnce,
    ::testing::Values(FilteredAction{"assign_add", "assign", "c", "add", "C4"},
                      FilteredAction{"assign_remove_unmatched", "assign", "5", "remove", "C2"},
                      FilteredAction{"assign_switch", "assign", "c", "switch", "Beta"},
                      FilteredAction{"config_switch", "config", "a", "switch", "Beta"},
                      FilteredAction{"config_system", "config", "a", "system", ""}),
    [](const ::testing::TestParamInfo<FilteredAction> &i) { return std::string(i.param.name); });
