// The main dialog in-process: created from the real template of rvxrsus.dll,
// run modally, driven with the real messages, on real installations that
// are read back through the installer libraries afterwards.
#include "maindialog.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app_store.h"
#include "data.h"
#include "data_reset.h"
#include "helptopics.h"
#include "installerreport.h"
#include "resource.h"
#include "ui_helpers.h"

namespace {

const char kStore[] =
    "language us\n"
    "resolution administrator | shared | optional\n"
    "home C:\\VELKAN\\POOL\n"
    "product Velkan Mail | label=Mail | version=4.2 | size=100 | shareable\n"
    "product Velkan Forms | label=Forms | version=3.1 | size=200 | shareable\n"
    "product Velkan Terminal | label=Terminal | version=2.0 | size=300 | shareable\n"
    "client PC-01 | os=Windows NT | version=4.0\n"
    "client PC-02 | os=Windows NT | version=4.0\n"
    "client PC-03 | os=Windows 95 | version=4.0\n"
    "client PC-04 | os=Windows 95 | version=4.0\n"
    "config Office | admin=administrator | location=shared | mandatory=mandatory | os=Windows (32-bit) | value=0\n"
    "uses Velkan Mail\n"
    "assign PC-01\n";

const char kEmptyStore[] =
    "language us\n"
    "resolution user | local | optional\n"
    "home C:\\VELKAN\\POOL\n"
    "product Velkan Mail | label=Mail | version=4.2 | size=100 | shareable\n"
    "client PC-01 | os=Windows NT | version=4.0\n";

// The lines of one configuration's block in a print of the store; empty when
// the store has no such configuration.
std::string ConfigBlock(const std::string &print, const std::string &name)
{
    std::string head = "config " + name + " |";
    size_t start = print.find(head);
    if (start == std::string::npos)
        return "";
    size_t end = print.find("\nconfig ", start + 1);
    std::string block = print.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start);
    while (!block.empty() && (block.back() == '\n' || block.back() == '\r'))
        block.pop_back();
    return block;
}

int CountOf(const std::string &text, const std::string &what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class MainDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(language.Loaded());
        SetInstallerReporter(&reporter);
    }
    void TearDown() override { SetInstallerReporter(NULL); }

    void Load(const char *description)
    {
        store.reset(new appstore::Installation(description));
        ASSERT_TRUE(store->laidOut);
        ResetDataCacheForTest();
        ASSERT_EQ(LoadAll(), 1);
    }

    // Runs a fresh main dialog modally with the script.
    INT_PTR Run(std::function<void(CMainDialog &)> script)
    {
        CMainDialog dialog;
        return ui::RunModal(dialog, [&](CDialog &) { script(dialog); });
    }

    static HWND Page(CClientPage &page) { return page.m_hWnd; }

    static void ChooseView(CMainDialog &d, int index)
    {
        HWND box = GetDlgItem(d.m_hWnd, IDC_VIEW);
        SendMessageA(box, CB_SETCURSEL, (WPARAM)index, 0);
        ui::Notify(d.m_hWnd, IDC_VIEW, CBN_SELENDOK);
    }

    // New... on the configurations page, answering the name dialog.
    static void CreateConfiguration(CMainDialog &d, const char *name)
    {
        ui::WhenFound([]() { return ui::FindDialogWithControl(IDC_NAME); }, [name](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_NAME, name);
            ui::Click(dialog, IDOK);
        });
        ui::Click(Page(d.GetConfigPage()), IDC_NEW_CONFIGURATION);
    }

    // Selects the first n items of the page's left list and adds them;
    // returns their texts.
    static std::vector<std::string> AddFirst(CClientPage &page, int n)
    {
        HWND left = GetDlgItem(page.m_hWnd, IDC_LEFT_LIST);
        std::vector<std::string> texts;
        for (int i = 0; i < n; ++i) {
            texts.push_back(ui::ListText(left, i));
            SendMessageA(left, LB_SETSEL, TRUE, i);
        }
        ui::Notify(page.m_hWnd, IDC_LEFT_LIST, LBN_SELCHANGE);
        ui::Click(page.m_hWnd, IDC_ADD);
        return texts;
    }

    static void Check(HWND page, int id)
    {
        SendMessageA(GetDlgItem(page, id), BM_SETCHECK, BST_CHECKED, 0);
        ui::Click(page, id);
    }

    ui::LanguageLibrary language;
    MessageBoxReporter reporter;
    std::unique_ptr<appstore::Installation> store;
};

TEST(MainPlacement, CentredAcrossAndInTheUpperPartOfTheScreen)
{
    int x, y;
    ComputeMainPlacement(1024, 768, 500, 401, &x, &y);
    EXPECT_EQ(x, 262);
    EXPECT_EQ(y, 125);
    // Taller than 0.85 of the screen: above the top edge (-10.0 / 2).
    ComputeMainPlacement(1024, 600, 500, 520, &x, &y);
    EXPECT_EQ(y, -5);
    // Wider than the screen, and a fraction that truncates toward zero:
    // 0.85 * 600 - 521 = -11.0 -> -11 / 2 = -5; 0.85 * 601 - 400 = 110.85 -> 110 / 2.
    ComputeMainPlacement(640, 600, 701, 521, &x, &y);
    EXPECT_EQ(x, -30);
    EXPECT_EQ(y, -5);
    ComputeMainPlacement(640, 601, 640, 400, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 55);
}

TEST_F(MainDialogTest, OpensOnTheConfigurationsPageWithEverythingInPlace)
{
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    INT_PTR result = Run([&](CMainDialog &d) {
        HWND view = GetDlgItem(d.m_hWnd, IDC_VIEW);
        ASSERT_EQ(SendMessageA(view, CB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(ui::ComboText(view, d.GetConfigViewIndex()), ui::ResourceString(IDS_VIEW_CONFIGURATIONS));
        EXPECT_EQ(ui::ComboText(view, d.GetAssignViewIndex()), ui::ResourceString(IDS_VIEW_ASSIGNMENTS));
        EXPECT_EQ(ui::ComboText(view, d.GetConflictViewIndex()), ui::ResourceString(IDS_VIEW_CONFLICTS));
        EXPECT_EQ(SendMessageA(view, CB_GETCURSEL, 0, 0), d.GetConfigViewIndex());

        EXPECT_TRUE(ui::Visible(Page(d.GetConfigPage())));
        EXPECT_FALSE(ui::Visible(Page(d.GetAssignmentsPage())));
        EXPECT_FALSE(ui::Visible(Page(d.GetConflictsPage())));
        EXPECT_FALSE(ui::Visible(GetDlgItem(d.m_hWnd, IDC_PLACEHOLDER)));

        // Every page sits at the placeholder's top-left corner.
        RECT place;
        GetWindowRect(GetDlgItem(d.m_hWnd, IDC_PLACEHOLDER), &place);
        for (CClientPage *page : {(CClientPage *)&d.GetConfigPage(), (CClientPage *)&d.GetAssignmentsPage(),
                                  (CClientPage *)&d.GetConflictsPage()}) {
            RECT r;
            GetWindowRect(page->m_hWnd, &r);
            EXPECT_EQ(r.left, place.left);
            EXPECT_EQ(r.top, place.top);
        }

        EXPECT_EQ(d.GetWorkingCopies().GetCount(), 1);
        EXPECT_EQ(d.GetConfigPage().GetConfigurationCombo().GetCount(), 1);
        EXPECT_EQ(d.GetCurrentConfigurationIndex(), 0);

        // Placement by the formula, from the real screen and window sizes.
        RECT outer;
        GetWindowRect(d.m_hWnd, &outer);
        int x, y;
        ComputeMainPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                             outer.right - outer.left, outer.bottom - outer.top, &x, &y);
        EXPECT_EQ(outer.left, x);
        EXPECT_EQ(outer.top, y);

        EXPECT_TRUE(SendMessageA(d.m_hWnd, WM_GETICON, ICON_BIG, 0) != 0);
        EXPECT_TRUE(SendMessageA(d.m_hWnd, WM_GETICON, ICON_SMALL, 0) != 0);
        ui::Click(d.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(MainDialogTest, SystemMenuHasAboutAndGreysByWindowState)
{
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    ui::MessageBoxRecorder boxes;
    Run([&](CMainDialog &d) {
        HMENU menu = GetSystemMenu(d.m_hWnd, FALSE);
        char text[256] = "";
        ASSERT_GT(GetMenuStringA(menu, IDM_ABOUTBOX, text, sizeof text, MF_BYCOMMAND), 0);
        EXPECT_EQ(std::string(text), ui::ResourceString(IDS_ABOUT_MENU));
        // The About item comes last, after a separator.
        int count = GetMenuItemCount(menu);
        EXPECT_EQ(GetMenuItemID(menu, count - 1), (UINT)IDM_ABOUTBOX);
        EXPECT_TRUE(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);

        auto greyed = [&](UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
        EXPECT_TRUE(greyed(SC_RESTORE));
        EXPECT_TRUE(greyed(SC_MAXIMIZE));
        EXPECT_FALSE(greyed(SC_MINIMIZE));

        SendMessageA(d.m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(IsIconic(d.m_hWnd));
        EXPECT_TRUE(greyed(SC_MINIMIZE));
        EXPECT_FALSE(greyed(SC_RESTORE));
        EXPECT_TRUE(greyed(SC_MAXIMIZE));

        // Minimised: no 3-D border; the drag icon is the application's.
        DWORD border = 7;
        SendMessageA(d.m_hWnd, 0x11EF, 0, (LPARAM)&border);
        EXPECT_EQ(border, 0u);
        EXPECT_EQ((HICON)SendMessageA(d.m_hWnd, WM_QUERYDRAGICON, 0, 0),
                  (HICON)SendMessageA(d.m_hWnd, WM_GETICON, ICON_BIG, 0));
        HDC dc = GetDC(d.m_hWnd);
        EXPECT_EQ(SendMessageA(d.m_hWnd, WM_ERASEBKGND, (WPARAM)dc, 0), TRUE);
        ReleaseDC(d.m_hWnd, dc);

        // The low four bits of the command do not matter.
        SendMessageA(d.m_hWnd, WM_SYSCOMMAND, SC_RESTORE | 0x2, 0);
        EXPECT_FALSE(IsIconic(d.m_hWnd));
        EXPECT_TRUE(greyed(SC_RESTORE));
        EXPECT_FALSE(greyed(SC_MINIMIZE));
        EXPECT_TRUE(greyed(SC_MAXIMIZE));

        border = 7;
        SendMessageA(d.m_hWnd, 0x11EF, 0, (LPARAM)&border);
        EXPECT_EQ(border, 7u);   // left alone while not minimised

        // About runs modally and closes with its OK.
        bool aboutSeen = false;
        HWND mainWindow = d.m_hWnd;
        ui::WhenFound([mainWindow]() { return ui::FindDialogWithControl(IDOK, mainWindow); }, [&](HWND about) {
            aboutSeen = true;
            ui::Click(about, IDOK);
        });
        SendMessageA(d.m_hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        EXPECT_TRUE(aboutSeen);
        EXPECT_TRUE(IsWindowEnabled(d.m_hWnd));
        ui::Click(d.m_hWnd, IDCANCEL);
    });
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(MainDialogTest, OtherViewsWaitForAConfigurationToExist)
{
    ASSERT_NO_FATAL_FAILURE(Load(kEmptyStore));
    ui::MessageBoxRecorder boxes;
    Run([&](CMainDialog &d) {
        HWND view = GetDlgItem(d.m_hWnd, IDC_VIEW);
        ChooseView(d, d.GetAssignViewIndex());
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(boxes.calls[0].text, ui::ResourceString(IDS_CREATE_FIRST));
        EXPECT_EQ(boxes.calls[0].type, (UINT)(MB_OK | MB_ICONEXCLAMATION));
        EXPECT_EQ(boxes.calls[0].helpContext, 0u);
        EXPECT_EQ(SendMessageA(view, CB_GETCURSEL, 0, 0), d.GetConfigViewIndex());
        EXPECT_TRUE(ui::Visible(Page(d.GetConfigPage())));
        EXPECT_FALSE(ui::Visible(Page(d.GetAssignmentsPage())));

        ChooseView(d, d.GetConflictViewIndex());
        EXPECT_EQ(boxes.calls.size(), 2u);
        EXPECT_FALSE(ui::Visible(Page(d.GetConflictsPage())));

        // Once one exists, even new and unsaved, the other views open.
        CreateConfiguration(d, "Lab");
        ChooseView(d, d.GetConflictViewIndex());
        EXPECT_EQ(boxes.calls.size(), 2u);
        EXPECT_TRUE(ui::Visible(Page(d.GetConflictsPage())));
        EXPECT_FALSE(ui::Visible(Page(d.GetConfigPage())));
        EXPECT_FALSE(ui::Visible(Page(d.GetAssignmentsPage())));

        boxes.Answer(IDYES);   // discard the new configuration
        ui::Click(d.m_hWnd, IDCANCEL);
    });
}

TEST_F(MainDialogTest, CancelAsksOnlyWhenSomethingChanged)
{
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    std::string before = store->Print();
    {
        ui::MessageBoxRecorder boxes;
        INT_PTR result = Run([&](CMainDialog &d) { ui::Click(d.m_hWnd, IDCANCEL); });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_TRUE(boxes.calls.empty());
    }
    {
        ui::MessageBoxRecorder boxes;
        bool stayedOpen = false;
        INT_PTR result = Run([&](CMainDialog &d) {
            CreateConfiguration(d, "Lab");
            // Cancel (Escape on the box, or the box closed) keeps every edit,
            // as No does; only Yes discards.
            boxes.Answer(IDCANCEL);
            ui::Click(d.m_hWnd, IDCANCEL);
            stayedOpen = ui::Visible(d.m_hWnd);
            EXPECT_EQ(d.GetConfigPage().GetConfigurationCombo().GetCount(), 2);
            boxes.Answer(IDYES);
            ui::Click(d.m_hWnd, IDCANCEL);
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_TRUE(stayedOpen);
        ASSERT_EQ(boxes.calls.size(), 2u);
        EXPECT_EQ(boxes.calls[0].text, ui::ResourceString(IDS_CONFIRM_DISCARD));
        EXPECT_EQ(boxes.calls[0].type, (UINT)(MB_YESNO | MB_ICONSTOP | MB_DEFBUTTON2));
        EXPECT_EQ(boxes.calls[0].helpContext, 0x30000u + IDS_CONFIRM_DISCARD);
    }
    EXPECT_EQ(store->Print(), before);
}

TEST_F(MainDialogTest, TheTypicalRunStoresExactlyTheNewConfiguration)
{
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    std::string before = store->Print();
    ui::MessageBoxRecorder boxes;
    std::vector<std::string> products, clients;
    INT_PTR result = Run([&](CMainDialog &d) {
        CreateConfiguration(d, "Lab");
        EXPECT_EQ(d.GetWorkingCopies().GetCount(), 2);
        products = AddFirst(d.GetConfigPage(), 2);

        ChooseView(d, d.GetAssignViewIndex());
        ASSERT_TRUE(ui::Visible(Page(d.GetAssignmentsPage())));
        HWND combo = GetDlgItem(Page(d.GetAssignmentsPage()), IDC_CONFIGURATION);
        EXPECT_EQ(ui::ComboText(combo, (int)SendMessageA(combo, CB_GETCURSEL, 0, 0)), "Lab");
        clients = AddFirst(d.GetAssignmentsPage(), 3);

        ChooseView(d, d.GetConflictViewIndex());
        Check(Page(d.GetConflictsPage()), IDC_CFG_MANDATORY);
        ui::Click(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(boxes.calls.empty());

    std::string after = store->Print();
    std::string lab = ConfigBlock(after, "Lab");
    ASSERT_FALSE(lab.empty()) << after;
    EXPECT_NE(lab.find("mandatory=mandatory"), std::string::npos) << lab;
    EXPECT_EQ(CountOf(lab, "\nuses "), 2) << lab;
    EXPECT_EQ(CountOf(lab, "\nassign "), 3) << lab;
    for (const std::string &c : clients)
        EXPECT_NE(lab.find("\nassign " + c), std::string::npos) << c << "\n" << lab;
    EXPECT_EQ(CountOf(after, "config Lab |"), 1);
    // The configuration that was there is stored as it was.
    EXPECT_EQ(ConfigBlock(after, "Office"), ConfigBlock(before, "Office"));
}

TEST_F(MainDialogTest, AConfigurationRemovedAndCreatedAgainSurvivesTheCommit)
{
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    ui::MessageBoxRecorder boxes(IDYES);   // yes, remove it
    INT_PTR result = Run([&](CMainDialog &d) {
        ui::Click(Page(d.GetConfigPage()), IDC_REMOVE_CONFIGURATION);
        EXPECT_EQ(d.GetConfigPage().GetConfigurationCombo().GetCount(), 0);
        CreateConfiguration(d, "Office");
        EXPECT_EQ(d.GetConfigPage().GetConfigurationCombo().GetCount(), 1);
        ui::Click(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    std::string after = store->Print();
    std::string office = ConfigBlock(after, "Office");
    ASSERT_FALSE(office.empty()) << after;
    // The new one, not the old one: no products, no clients, defaults.
    EXPECT_EQ(CountOf(office, "\nuses "), 0) << office;
    EXPECT_EQ(CountOf(office, "\nassign "), 0) << office;
    EXPECT_NE(office.find("mandatory=optional"), std::string::npos) << office;
}

TEST_F(MainDialogTest, ARemovedConfigurationLeavesTheStore)
{
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    ui::MessageBoxRecorder boxes(IDYES);
    INT_PTR result = Run([&](CMainDialog &d) {
        CreateConfiguration(d, "Lab");
        // Lab is selected now; select Office and remove it.
        HWND combo = GetDlgItem(Page(d.GetConfigPage()), IDC_CONFIGURATION);
        SendMessageA(combo, CB_SETCURSEL, SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)"Office"), 0);
        ui::Notify(Page(d.GetConfigPage()), IDC_CONFIGURATION, CBN_SELENDOK);
        ui::Click(Page(d.GetConfigPage()), IDC_REMOVE_CONFIGURATION);
        ui::Click(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    std::string after = store->Print();
    EXPECT_TRUE(ConfigBlock(after, "Office").empty()) << after;
    EXPECT_FALSE(ConfigBlock(after, "Lab").empty()) << after;
}

// Enter in a filter box, pressed as the keyboard does and handled by the
// dialog's own loop, moves on to the list below and neither commits nor
// closes; Escape clears a filter that holds text, and with the box empty
// closes as Cancel does.
class FilterKeysTest : public MainDialogTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(FilterKeysTest, EnterStaysInThePageAndEscapeClearsTheFilter)
{
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    const std::string before = store->Print();
    ui::MessageBoxRecorder boxes;
    std::vector<bool> seen;
    INT_PTR result = Run([&](CMainDialog &d) {
        CClientPage &page = GetParam() ? (CClientPage &)d.GetConfigPage() : (CClientPage &)d.GetAssignmentsPage();
        if (!GetParam())
            ChooseView(d, d.GetAssignViewIndex());
        HWND filter = GetDlgItem(page.m_hWnd, IDC_FILTER);
        SetFocus(filter);
        SetWindowTextA(filter, "a");
        ui::PressKey(d.m_hWnd, filter, VK_RETURN);
        seen = {ui::Visible(d.m_hWnd), GetFocus() == GetDlgItem(page.m_hWnd, IDC_LEFT_LIST)};
        ui::PressKey(d.m_hWnd, filter, VK_ESCAPE);
        seen.insert(seen.end(), {ui::Visible(d.m_hWnd), ui::WindowText(filter).empty()});
        ui::PressKey(d.m_hWnd, filter, VK_ESCAPE);
    });
    EXPECT_EQ(seen, std::vector<bool>(4, true)) << "open, list focused; open, filter empty";
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(store->Print(), before);
}

INSTANTIATE_TEST_SUITE_P(BothFilters, FilterKeysTest, ::testing::Bool());

// Each store step that fails keeps the dialog open with every edit; a second
// OK then stores everything exactly once.
class FailedOkTest : public MainDialogTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(FailedOkTest, StaysOpenAndASecondOkStoresOnce)
{
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    std::string before = store->Print();
    ui::MessageBoxRecorder boxes(IDYES);
    std::string afterFirst;
    bool openAfterFirst = false;
    INT_PTR result = Run([&](CMainDialog &d) {
        CreateConfiguration(d, "Lab");
        AddFirst(d.GetConfigPage(), 1);
        // Remove Office too, so that the removal step has work.
        HWND combo = GetDlgItem(Page(d.GetConfigPage()), IDC_CONFIGURATION);
        SendMessageA(combo, CB_SETCURSEL, SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)"Office"), 0);
        ui::Notify(Page(d.GetConfigPage()), IDC_CONFIGURATION, CBN_SELENDOK);
        ui::Click(Page(d.GetConfigPage()), IDC_REMOVE_CONFIGURATION);
        size_t boxesBefore = boxes.calls.size();

        SetEnvironmentVariableA("KX_FAULT", GetParam());
        ui::Click(d.m_hWnd, IDOK);
        SetEnvironmentVariableA("KX_FAULT", NULL);
        openAfterFirst = ui::Visible(d.m_hWnd);
        EXPECT_EQ(boxes.calls.size(), boxesBefore + 1) << "the failing step reports itself once";
        afterFirst = store->Print();
        EXPECT_EQ(d.GetConfigPage().GetConfigurationCombo().GetCount(), 1);   // Lab, still there

        ui::Click(d.m_hWnd, IDOK);
    });
    EXPECT_TRUE(openAfterFirst);
    EXPECT_EQ(afterFirst, before);
    EXPECT_EQ(result, IDOK);
    std::string after = store->Print();
    EXPECT_EQ(CountOf(after, "config Lab |"), 1) << after;
    EXPECT_EQ(CountOf(ConfigBlock(after, "Lab"), "\nuses "), 1) << after;
    EXPECT_TRUE(ConfigBlock(after, "Office").empty()) << after;
    // One record for Lab in the cache, not one per OK.
    ConfigurationRefList refs;
    GetConfigurationRefs(refs);
    EXPECT_EQ(refs.GetCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(EachStoreStep, FailedOkTest,
                         ::testing::Values("makeTempFiles@1", "removeConfiguration@1", "setConfiguration@1",
                                           "commitRVXChanges@1"));

TEST_F(MainDialogTest, CancelAfterAFailedOkWritesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    std::string before = store->Print();
    ui::MessageBoxRecorder boxes(IDYES);
    INT_PTR result = Run([&](CMainDialog &d) {
        CreateConfiguration(d, "Lab");
        SetEnvironmentVariableA("KX_FAULT", "commitRVXChanges@1");
        ui::Click(d.m_hWnd, IDOK);
        SetEnvironmentVariableA("KX_FAULT", NULL);
        ui::Click(d.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(store->Print(), before);
}

TEST_F(MainDialogTest, ResetAllDropsNewAndRemovedConfigurationsWithoutAsking)
{
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    ui::MessageBoxRecorder boxes(IDYES);
    Run([&](CMainDialog &d) {
        CreateConfiguration(d, "Lab");
        HWND combo = GetDlgItem(Page(d.GetConfigPage()), IDC_CONFIGURATION);
        SendMessageA(combo, CB_SETCURSEL, SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)"Office"), 0);
        ui::Notify(Page(d.GetConfigPage()), IDC_CONFIGURATION, CBN_SELENDOK);
        ui::Click(Page(d.GetConfigPage()), IDC_REMOVE_CONFIGURATION);
        size_t asked = boxes.calls.size();

        ui::Click(d.m_hWnd, IDC_RESET_ALL);
        EXPECT_EQ(boxes.calls.size(), asked);
        EXPECT_EQ(d.GetWorkingCopies().GetCount(), 1);
        ASSERT_EQ(d.GetConfigPage().GetConfigurationCombo().GetCount(), 1);
        EXPECT_EQ(ui::ComboText(combo, 0), "Office");
        EXPECT_FALSE(d.GetConfigPage().IsModified());
        EXPECT_FALSE(d.GetAssignmentsPage().IsModified());
        EXPECT_FALSE(d.GetConflictsPage().IsModified());
        ui::Click(d.m_hWnd, IDCANCEL);   // nothing modified: no question
        EXPECT_EQ(boxes.calls.size(), asked);
    });
}

TEST_F(MainDialogTest, RevertPageRevertsOnlyTheVisiblePage)
{
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    ui::MessageBoxRecorder boxes(IDYES);
    Run([&](CMainDialog &d) {
        // An unsaved product move on the configurations page...
        std::vector<std::string> moved = AddFirst(d.GetConfigPage(), 1);
        HWND configRight = GetDlgItem(Page(d.GetConfigPage()), IDC_RIGHT_LIST);
        int productsShown = (int)SendMessageA(configRight, LB_GETCOUNT, 0, 0);
        // ...and an unsaved client move on the assignments page.
        ChooseView(d, d.GetAssignViewIndex());
        AddFirst(d.GetAssignmentsPage(), 1);
        HWND assignRight = GetDlgItem(Page(d.GetAssignmentsPage()), IDC_RIGHT_LIST);
        EXPECT_EQ(SendMessageA(assignRight, LB_GETCOUNT, 0, 0), 2);

        ChooseView(d, d.GetConflictViewIndex());
        ui::Click(d.m_hWnd, IDC_REVERT_PAGE);
        EXPECT_EQ(SendMessageA(assignRight, LB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendMessageA(configRight, LB_GETCOUNT, 0, 0), productsShown);

        ChooseView(d, d.GetAssignViewIndex());
        // A view drop-down ended without a choice names the page shown again.
        SendMessageA(GetDlgItem(d.m_hWnd, IDC_VIEW), CB_SETCURSEL, d.GetConflictViewIndex(), 0);
        ui::Notify(d.m_hWnd, IDC_VIEW, CBN_SELENDCANCEL);
        ui::Click(d.m_hWnd, IDC_REVERT_PAGE);
        EXPECT_EQ(SendMessageA(assignRight, LB_GETCOUNT, 0, 0), 1);   // back to PC-01 only
        EXPECT_EQ(SendMessageA(configRight, LB_GETCOUNT, 0, 0), productsShown);
        ui::Click(d.m_hWnd, IDCANCEL);
    });
}

TEST_F(MainDialogTest, HelpOpensTheContentsAndPagesShareTheHost)
{
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    ui::HelpRecorder help;
    ui::MessageBoxRecorder boxes(IDYES);
    Run([&](CMainDialog &d) {
        ui::Click(d.m_hWnd, IDC_HELP_CONTENTS);
        ASSERT_EQ(help.calls.size(), 1u);
        EXPECT_EQ(help.calls[0].command, (UINT)HELP_CONTENTS);
        EXPECT_EQ(help.calls[0].data, (DWORD_PTR)0);
        EXPECT_EQ(help.calls[0].file, std::string(AfxGetApp()->m_pszHelpFilePath));
        {
            // With a .chm beside the help path, the Help button and F1 open it in HTML Help.
            ui::CompiledHelp files(true);
            ui::Click(d.m_hWnd, IDC_HELP_CONTENTS);
            MSG f1 = {GetDlgItem(d.m_hWnd, IDC_VIEW), WM_KEYDOWN, VK_F1, 0x003B0001, 0, {0, 0}};
            IsDialogMessageA(d.m_hWnd, &f1);
            ASSERT_EQ(help.calls.size(), 3u);
            for (int i : {1, 2})
                EXPECT_TRUE(help.calls[i].engine == afxHTMLHelp && help.calls[i].file == files.chm) << i;
        }

        // The pages find this dialog as their host through their parent.
        CPageHost *host = dynamic_cast<CPageHost *>(CWnd::FromHandlePermanent(::GetParent(Page(d.GetConflictsPage()))));
        EXPECT_EQ(host, static_cast<CPageHost *>(&d));
        EXPECT_EQ(d.GetViewBoxHwnd(), GetDlgItem(d.m_hWnd, IDC_VIEW));

        EXPECT_FALSE(d.GetConfigPage().IsListChanged());
        d.ConfigurationsChanged();
        EXPECT_FALSE(d.GetConfigPage().IsListChanged());
        EXPECT_TRUE(d.GetAssignmentsPage().IsListChanged());
        EXPECT_TRUE(d.GetConflictsPage().IsListChanged());
        ui::Click(d.m_hWnd, IDCANCEL);
    });
}

// F1 in every box shown with a help number opens a topic of the manual's own
// for its context, by name; the built help file holds it. A context without
// a topic opens the contents.
TEST_F(MainDialogTest, EveryMessageWithAHelpNumberOpensItsOwnTopicOfTheHelpFile)
{
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    std::string built;
    ASSERT_TRUE(layout::ReadWholeFile(layout::ProgramDirectory() + "..\\bin\\rvxadmin.chm", &built));
    ui::CompiledHelp files(true);
    struct F1InTheBox { ui::HelpRecorder help; std::vector<DWORD> contexts; } f1;
    AfxSetMessageBoxResponder([](const char *, UINT, DWORD context, const char *, void *user) {
        static_cast<F1InTheBox *>(user)->contexts.push_back(context);
        static_cast<F1InTheBox *>(user)->help.starts = TRUE;
        AfxGetApp()->OnHelp();   // F1 while the box is shown
        return IDNO;
    }, &f1);
    const std::pair<UINT, std::function<void(CMainDialog &)>> cases[] = {
        {IDS_CONFIRM_DISCARD, [](CMainDialog &d) { CreateConfiguration(d, "Lab"); ui::Click(d.m_hWnd, IDCANCEL); }},
        {IDS_CONFIRM_REMOVE, [](CMainDialog &d) { ui::Click(Page(d.GetConfigPage()), IDC_REMOVE_CONFIGURATION); }},
        {IDS_NAME_HAS_COMMA, [](CMainDialog &d) { CreateConfiguration(d, "Lab, old"); }},
        {IDS_NAME_RESERVED, [](CMainDialog &d) { CreateConfiguration(d, "new clients"); }},
        {IDS_NAME_EXISTS, [](CMainDialog &d) { CreateConfiguration(d, "OFFICE"); }},
        {IDS_HELP_FAILED, [&](CMainDialog &d) { f1.help.starts = FALSE; ui::Click(d.m_hWnd, IDC_HELP_CONTENTS); }},
    };
    std::set<std::string> topics;
    for (const auto &c : cases) {
        f1.contexts.clear();
        Run(c.second);
        ASSERT_EQ(f1.contexts, std::vector<DWORD>{HID_BASE_PROMPT + c.first}) << c.first;
        const char *topic = HelpTopicOfContext(f1.contexts[0]);
        ASSERT_TRUE(topic && topics.insert(topic).second) << c.first;
        EXPECT_NE(built.find("/" + std::string(topic) + ".html"), std::string::npos) << topic;
        EXPECT_EQ(f1.help.calls.back().file, files.chm + "::/" + topic + ".html") << c.first;
    }
    AfxSetMessageBoxResponder(NULL, NULL);
    AfxGetApp()->WinHelp(HID_BASE_PROMPT + IDS_NO_CONFIGURATION, HELP_CONTEXT);
    EXPECT_EQ(f1.help.calls.back().file + " " + std::to_string(f1.help.calls.back().command), files.chm + " 1");
}

} // namespace

namespace {

// The tab order of the main dialog in each language, walked with the dialog
// manager's own step (GetNextDlgTabItem) from the view box, forward and back.
class TabOrderTest : public MainDialogTest, public ::testing::WithParamInterface<const char *>
{
protected:
    ui::LanguageLibrary translation{GetParam()};
};

// One stop; several numbers make a radio group, whose checked button is the
// stop (the button control moves WS_TABSTOP to the checked one).
using Stop = std::vector<int>;

// The controls Tab reaches: each stop's control that is enabled, then the
// buttons of the main dialog, then the view box again.
std::vector<int> ExpectedStops(HWND page, const std::vector<Stop> &stops, HWND main)
{
    std::vector<int> ids;
    for (const Stop &stop : stops) {
        int id = stop[0];
        for (int candidate : stop)
            if (stop.size() > 1 && IsDlgButtonChecked(page, candidate) == BST_CHECKED)
                id = candidate;
        if (IsWindowEnabled(GetDlgItem(page, id)))
            ids.push_back(id);
    }
    for (int id : {IDC_RESET_ALL, IDC_REVERT_PAGE, IDOK, IDCANCEL, IDC_HELP_CONTENTS, IDC_VIEW})
        if (IsWindowEnabled(GetDlgItem(main, id)))
            ids.push_back(id);
    return ids;
}

// The numbers of the controls Tab (or Shift+Tab) visits from the view box
// until it is back; a control of a hidden page counts as -1.
std::vector<int> WalkTabs(HWND main, HWND page, bool backward)
{
    std::vector<int> ids;
    HWND view = GetDlgItem(main, IDC_VIEW);
    HWND at = view;
    for (int step = 0; step < 40; ++step) {
        at = GetNextDlgTabItem(main, at, backward);
        if (!at)
            break;
        HWND parent = GetParent(at);
        ids.push_back(parent == main || parent == page ? GetDlgCtrlID(at) : -1);
        if (at == view)
            break;
    }
    return ids;
}

TEST_P(TabOrderTest, TabRunsFromTheViewBoxThroughThePageToTheButtons)
{
    ASSERT_TRUE(translation.Loaded());
    ASSERT_NO_FATAL_FAILURE(Load(kStore));
    ui::MessageBoxRecorder boxes(IDYES);
    bool walked = false;
    INT_PTR result = Run([&](CMainDialog &d) {
        walked = true;
        struct View
        {
            int index;
            CClientPage *page;
            std::vector<Stop> stops;   // in reading order
        };
        const View views[] = {
            {d.GetConfigViewIndex(), &d.GetConfigPage(),
             {{IDC_CONFIGURATION}, {IDC_NEW_CONFIGURATION}, {IDC_REMOVE_CONFIGURATION}, {IDC_COPY_CONFIGURATION},
              {IDC_OS}, {IDC_FILTER}, {IDC_LEFT_LIST}, {IDC_ADD}, {IDC_REMOVE}, {IDC_RIGHT_LIST}}},
            {d.GetAssignViewIndex(), &d.GetAssignmentsPage(),
             {{IDC_CONFIGURATION}, {IDC_FILTER}, {IDC_LEFT_LIST}, {IDC_ADD}, {IDC_REMOVE}, {IDC_RIGHT_LIST},
              {IDC_CLIENT_PLACES}}},
            {d.GetConflictViewIndex(), &d.GetConflictsPage(),
             {{IDC_CONFIGURATION}, {IDC_DEF_ADMINISTRATOR}, {IDC_DEF_MANDATORY},
              {IDC_DEF_SHARED, IDC_DEF_LOCAL, IDC_DEF_DOWNLOAD}, {IDC_CFG_ADMINISTRATOR}, {IDC_CFG_MANDATORY},
              {IDC_CFG_SHARED, IDC_CFG_LOCAL, IDC_CFG_DOWNLOAD}}},
        };
        for (const View &view : views) {
            ChooseView(d, view.index);
            HWND page = Page(*view.page);
            ASSERT_TRUE(ui::Visible(page));
            std::vector<int> expected = ExpectedStops(page, view.stops, d.m_hWnd);
            EXPECT_EQ(WalkTabs(d.m_hWnd, page, false), expected) << view.index;
            std::vector<int> back(expected.rbegin() + 1, expected.rend());
            back.push_back(IDC_VIEW);
            EXPECT_EQ(WalkTabs(d.m_hWnd, page, true), back) << view.index;
        }
        ui::Click(d.m_hWnd, IDCANCEL);
    });
    EXPECT_TRUE(walked);
    EXPECT_EQ(result, IDCANCEL);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, TabOrderTest, ::testing::Values("rvxrsus.dll", "rvxrsde.dll"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param).substr(0, 7);
                         });

} // namespace

namespace {

const char kTwoConfigurations[] =
    "language us\n"
    "resolution administrator | shared | optional\n"
    "home C:\\VELKAN\\POOL\n"
    "product Velkan Mail | label=Mail | version=4.2 | size=100 | shareable\n"
    "product Velkan Forms | label=Forms | version=3.1 | size=200 | shareable\n"
    "client PC-01 | os=Windows NT | version=4.0\n"
    "client PC-02 | os=Windows NT | version=4.0\n"
    "config Office | admin=administrator | location=shared | mandatory=mandatory | os=Windows (32-bit) | value=0\n"
    "uses Velkan Mail\n"
    "assign PC-01\n"
    "config Field | admin=user | location=local | mandatory=optional | os=Windows 95 | value=0\n"
    "uses Velkan Forms\n";

template <class List>
std::string NamesText(const List &list)
{
    std::string t;
    for (const auto &ref : list)
        t += " " + std::string(ref.GetName());
    return t;
}

std::string ResolutionText(const ConflictResolution &r)
{
    return std::string(r.AdministratorWord()) + "/" + r.LocationWord() + "/" + r.MandatoryWord();
}

// Every configuration record of the cache, and the held defaults.
std::string CacheText(CMainDialog &d)
{
    std::string t = "defaults " + ResolutionText(d.GetConflictsPage().GetDefaults()) + "\n";
    const CPtrList &records = DataCache::Get().configurations;
    for (POSITION pos = records.GetHeadPosition(); pos != NULL;) {
        ConfigurationRecord *r = (ConfigurationRecord *)records.GetNext(pos);
        t += std::string((LPCSTR)r->name) + " os " + std::to_string(r->osCode) + " " + ResolutionText(r->resolution) +
             " products" + NamesText(r->products) + " clients" + NamesText(r->clients) + "\n";
    }
    return t;
}

// The working copies as Reset All builds them.
std::string CopiesText(CMainDialog &d)
{
    std::string t;
    for (POSITION pos = d.GetWorkingCopies().GetHeadPosition(); pos != NULL;) {
        ConfigurationCopy *c = (ConfigurationCopy *)d.GetWorkingCopies().GetNext(pos);
        t += std::string((LPCSTR)c->name) + " os " + std::to_string(c->osCode) + " " + ResolutionText(c->resolution) +
             " products" + NamesText(c->products) + " clients" + NamesText(c->clients) + " removed " +
             std::to_string(c->removed) + " bound " + std::to_string(c->record.IsBound()) + "\n";
    }
    return t;
}

}  // namespace

// A failed OK changes nothing, for nothing is changed before the store took
// it: whichever store step fails, the cache's records, its record list, the
// held defaults and the pages' lists are as before OK; Reset All then gives
// the copies of start-up. (A default the library refuses stops OK as every
// other step does.)
class FailedOkRestoresTest : public MainDialogTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(FailedOkRestoresTest, RecordsListAndDefaultsAreAsBeforeOk)
{
    ASSERT_NO_FATAL_FAILURE(Load(kTwoConfigurations));
    const std::string before = store->Print();
    ui::MessageBoxRecorder boxes(IDYES);
    Run([&](CMainDialog &d) {
        const std::string startCache = CacheText(d), startCopies = CopiesText(d);
        CClientConfig &config = d.GetConfigPage();
        AddFirst(config, 1);   // Office is shown first
        ChooseView(d, d.GetAssignViewIndex());
        AddFirst(d.GetAssignmentsPage(), 1);
        ChooseView(d, d.GetConflictViewIndex());
        Check(Page(d.GetConflictsPage()), IDC_DEF_MANDATORY);
        ChooseView(d, d.GetConfigViewIndex());
        CreateConfiguration(d, "Lab");
        HWND combo = GetDlgItem(Page(config), IDC_CONFIGURATION);
        SendMessageA(combo, CB_SETCURSEL, SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)"Field"), 0);
        ui::Notify(Page(config), IDC_CONFIGURATION, CBN_SELENDOK);
        ui::Click(Page(config), IDC_REMOVE_CONFIGURATION);
        auto lists = [&]() {
            std::vector<std::vector<std::string>> all;
            for (CClientPage *page : {(CClientPage *)&config, (CClientPage *)&d.GetAssignmentsPage()})
                for (int id : {IDC_LEFT_LIST, IDC_RIGHT_LIST})
                    all.push_back(ui::ListTexts(GetDlgItem(page->m_hWnd, id)));
            return all;
        };
        const auto shown = lists();

        SetEnvironmentVariableA("KX_FAULT", GetParam());
        ui::Click(d.m_hWnd, IDOK);
        SetEnvironmentVariableA("KX_FAULT", NULL);
        ASSERT_TRUE(ui::Visible(d.m_hWnd));
        EXPECT_EQ(CacheText(d), startCache);
        EXPECT_EQ(lists(), shown);
        EXPECT_EQ(config.GetConfigurationCombo().GetCount(), 2) << "Office and Lab: the edits stay on the pages";

        ui::Click(d.m_hWnd, IDC_RESET_ALL);
        bool same = CopiesText(d) == startCopies && CacheText(d) == startCache;
        EXPECT_EQ(CopiesText(d), startCopies);
        std::printf("reliability: failed OK at %s, then Reset All: %s the start-up state\n", GetParam(),
                    same ? "equal to" : "NOT equal to");
        ui::Click(d.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(store->Print(), before);
}

INSTANTIATE_TEST_SUITE_P(EachStoreStep, FailedOkRestoresTest,
                         ::testing::Values("makeTempFiles@1", "removeConfiguration@1", "setConfiguration@1",
                                           "setConflictResolution@1", "commitRVXChanges@1"));
