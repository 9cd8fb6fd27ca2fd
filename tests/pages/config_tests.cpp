// The configurations page: name rules, removing, products and the target
// system across switches, and what OK writes into the records.
#include "page_fixture.h"

#include <functional>

using Names = std::vector<std::string>;

namespace {

const std::string kMail = ProductText("Mail", "1.0");
const std::string kCalendar = ProductText("Calendar", "2.0");
const std::string kForms = ProductText("Forms", "3.0");

void SelectOs(CClientConfig &page, OsCode code)
{
    HWND box = GetDlgItem(page.m_hWnd, IDC_OS);
    ASSERT_NE(SendMessageA(box, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)(LPCSTR)OsDisplayName(code)), CB_ERR);
    ui::Notify(page.m_hWnd, IDC_OS, CBN_SELENDOK);
}

std::string ShownOs(CClientConfig &page)
{
    HWND box = GetDlgItem(page.m_hWnd, IDC_OS);
    return ui::ComboText(box, (int)SendMessageA(box, CB_GETCURSEL, 0, 0));
}

}

TEST_F(PagesTest, NewNamesAreRefusedForACommaAReservedNameOrADuplicate)
{
    Open();
    struct Case { const char *name; UINT refusal; };
    const Case cases[] = {
        {"New Clients, Lab", IDS_NAME_HAS_COMMA},   // the comma is tested first
        {",", IDS_NAME_HAS_COMMA},
        {"new clients", IDS_NAME_RESERVED},
        {"CONFLICT RESOLUTION", IDS_NAME_RESERVED},
        {"Conflict Resolution", IDS_NAME_RESERVED},
        {"bETA", IDS_NAME_EXISTS},
    };
    for (const Case &c : cases) {
        boxes.calls.clear();
        NewConfiguration(c.name);
        ASSERT_EQ(boxes.calls.size(), 1u) << c.name;
        EXPECT_EQ(boxes.calls[0].text, ui::ResourceString(c.refusal)) << c.name;
        EXPECT_EQ(boxes.calls[0].type & 0x0F, (UINT)MB_OK);
        EXPECT_EQ(ConfigurationNames(config), (Names{"Alpha", "Beta"})) << c.name;
        EXPECT_EQ(copies.GetCount(), 2);
    }
    EXPECT_EQ(config.IsModified(), 0);
    EXPECT_EQ(host.changedCalls, 0);

    // Cancel changes nothing; a longer name that only begins with a
    // reserved one is fine.
    boxes.calls.clear();
    NewConfiguration("Lab", true);
    EXPECT_EQ(copies.GetCount(), 2);
    NewConfiguration("New Clients 2");
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(SelectedConfiguration(config), "New Clients 2");
    ConfigurationCopy *made = CopyNamed("New Clients 2");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(config.GetCurrent(), made);
    EXPECT_FALSE(made->record.IsBound());
    EXPECT_EQ(made->stored, 0);
    EXPECT_EQ(config.IsModified(), 1);
    EXPECT_TRUE(Items(config, IDC_RIGHT_LIST).empty());
}

TEST_F(PagesTest, TheNameOfARemovedConfigurationMayBeUsedAgain)
{
    Open();
    SelectConfiguration(config, "Beta");
    boxes.Answer(IDYES);
    ui::Click(config.m_hWnd, IDC_REMOVE_CONFIGURATION);
    ASSERT_EQ(ConfigurationNames(config), (Names{"Alpha"}));
    boxes.calls.clear();
    NewConfiguration("beta");
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(ConfigurationNames(config), (Names{"Alpha", "beta"}));
}

TEST_F(PagesTest, RemovingTheOnlyConfigurationLeavesNothingSelected)
{
    Open("language us\nresolution user | shared | optional\nhome C:\\POOL\nproduct PMail | label=Mail | version=1.0 | size=1 | shareable\n"
         "config Solo | admin=user | location=shared | mandatory=optional | os=Windows (32-bit) | value=0\n"
         "uses PMail\n");
    ASSERT_TRUE(ui::Enabled(config.m_hWnd, IDC_REMOVE_CONFIGURATION));
    ASSERT_EQ(Items(config, IDC_RIGHT_LIST), (Names{kMail}));

    // No keeps it.
    boxes.Answer(IDNO);
    ui::Click(config.m_hWnd, IDC_REMOVE_CONFIGURATION);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, ui::ResourceString(IDS_CONFIRM_REMOVE));
    EXPECT_EQ(boxes.calls[0].type & 0xFF, (UINT)(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(ConfigurationNames(config), (Names{"Solo"}));
    EXPECT_EQ(config.IsModified(), 0);

    boxes.Answer(IDYES);
    ui::Click(config.m_hWnd, IDC_REMOVE_CONFIGURATION);
    EXPECT_TRUE(ConfigurationNames(config).empty());
    EXPECT_EQ(config.GetCurrent(), nullptr);
    EXPECT_EQ(host.index, -1);
    EXPECT_FALSE(ui::Enabled(config.m_hWnd, IDC_REMOVE_CONFIGURATION));
    EXPECT_TRUE(Items(config, IDC_RIGHT_LIST).empty());
    EXPECT_EQ(Items(config, IDC_LEFT_LIST), (Names{kMail}));
    // Nothing to add to: Add stays disabled, a double click moves nothing.
    SelectItems(config, IDC_LEFT_LIST, {kMail});
    EXPECT_FALSE(ui::Enabled(config.m_hWnd, IDC_ADD));
    ui::Notify(config.m_hWnd, IDC_LEFT_LIST, LBN_DBLCLK);
    EXPECT_TRUE(Items(config, IDC_RIGHT_LIST).empty());
    EXPECT_EQ(static_cast<ConfigurationCopy *>(copies.GetHead())->removed, 1);
    EXPECT_EQ(config.IsModified(), 1);
    EXPECT_EQ(host.changedCalls, 1);

    // A removed copy is never written, and leaves the store.
    ChangeSet changes = Collect();
    EXPECT_TRUE(changes.write.empty());
    EXPECT_EQ(changes.remove, std::vector<ConfigurationCopy *>{static_cast<ConfigurationCopy *>(copies.GetHead())});
}

TEST_F(PagesTest, ProductsStayWithTheirConfigurationAcrossSwitches)
{
    Open();
    SelectConfiguration(config, "Beta");
    EXPECT_EQ(ShownOs(config), "Windows (32-bit)");
    EXPECT_EQ(Items(config, IDC_RIGHT_LIST), (Names{kCalendar}));
    EXPECT_EQ(Items(config, IDC_LEFT_LIST), (Names{kMail, kForms}));   // PHidden is not shareable

    // A double click adds like the button; moved items arrive selected.
    SelectItems(config, IDC_LEFT_LIST, {kForms});
    ui::Notify(config.m_hWnd, IDC_LEFT_LIST, LBN_DBLCLK);
    EXPECT_EQ(Items(config, IDC_RIGHT_LIST), (Names{kCalendar, kForms}));
    EXPECT_EQ(SelectedItems(config, IDC_RIGHT_LIST), (Names{kForms}));
    EXPECT_EQ(GetFocus(), Item(config, IDC_RIGHT_LIST));
    EXPECT_EQ(config.IsModified(), 1);

    SelectConfiguration(config, "Alpha");
    EXPECT_EQ(Items(config, IDC_RIGHT_LIST), (Names{kMail}));
    SelectConfiguration(config, "Beta");
    EXPECT_EQ(Items(config, IDC_RIGHT_LIST), (Names{kCalendar, kForms}));

    // Through another view and back.
    ShowPage(assignments);
    ShowPage(config);
    EXPECT_EQ(Items(config, IDC_RIGHT_LIST), (Names{kCalendar, kForms}));
    EXPECT_EQ(SelectedItems(config, IDC_RIGHT_LIST), Names{});
    EXPECT_FALSE(ui::Enabled(config.m_hWnd, IDC_ADD));
    EXPECT_FALSE(ui::Enabled(config.m_hWnd, IDC_REMOVE));
}

TEST_F(PagesTest, ChoosingAnotherSystemFiltersTheOfferButKeepsTheChosenProducts)
{
    Open();
    SelectConfiguration(config, "Beta");
    SelectOs(config, OS_DOS);
    EXPECT_EQ(Items(config, IDC_RIGHT_LIST), (Names{kCalendar}));
    EXPECT_TRUE(Items(config, IDC_LEFT_LIST).empty());   // every product is 32-bit
    EXPECT_EQ(config.GetSelectedOsCode(), OS_DOS);

    // And back: the offer comes back, still without what 1020 holds.
    SelectOs(config, OS_WIN32);
    EXPECT_EQ(Items(config, IDC_LEFT_LIST), (Names{kMail, kForms}));

    SelectOs(config, OS_NT);
    SelectConfiguration(config, "Alpha");
    EXPECT_EQ(CopyNamed("Beta")->osCode, OS_NT);
    SelectConfiguration(config, "Beta");
    EXPECT_EQ(ShownOs(config), "Windows NT");
    EXPECT_EQ(Items(config, IDC_RIGHT_LIST), (Names{kCalendar}));
}

TEST_F(PagesTest, ViewingAConfigurationKeepsItsSystemAndTheProductsThePageCannotShow)
{
    Open();
    // Alpha targets NT, holds a 32-bit product and one that is not shareable.
    EXPECT_EQ(ShownOs(config), "Windows NT");
    EXPECT_EQ(Items(config, IDC_RIGHT_LIST), (Names{kMail}));
    SelectConfiguration(config, "Beta");
    SelectConfiguration(config, "Alpha");

    Collect();
    ConfigurationCopy *alpha = CopyNamed("Alpha");
    EXPECT_EQ(alpha->osCode, OS_NT);
    EXPECT_EQ(NamesOf(alpha->products), (Names{"PMail", "PHidden"}));
    EXPECT_EQ(CopyNamed("Beta")->osCode, OS_WIN32);
}

TEST_F(PagesTest, RevertOnTheConfigurationsPageDropsUnstoredMoves)
{
    Open();
    SelectConfiguration(config, "Beta");
    SelectItems(config, IDC_RIGHT_LIST, {kCalendar});
    ui::Click(config.m_hWnd, IDC_REMOVE);
    ASSERT_TRUE(Items(config, IDC_RIGHT_LIST).empty());
    config.Revert();
    EXPECT_EQ(Items(config, IDC_RIGHT_LIST), (Names{kCalendar}));
    EXPECT_EQ(Items(config, IDC_LEFT_LIST), (Names{kMail, kForms}));
    EXPECT_EQ(config.IsModified(), 1);
}

TEST_F(PagesTest, OkHandsDownTheLiveConfigurationsAndOnlyTheStoreMakesRecords)
{
    Open();
    NewConfiguration("Lab");
    SelectOs(config, OS_WIN32);
    SelectItems(config, IDC_LEFT_LIST, {kMail, kForms});
    ui::Click(config.m_hWnd, IDC_ADD);
    SelectConfiguration(config, "Beta");
    boxes.Answer(IDYES);
    ui::Click(config.m_hWnd, IDC_REMOVE_CONFIGURATION);
    int records = DataCache::Get().configurations.GetCount();

    ChangeSet changes = Collect();
    ASSERT_EQ(changes.write.size(), 2u);
    EXPECT_EQ(changes.write[0], CopyNamed("Alpha"));
    EXPECT_EQ(changes.write[1], CopyNamed("Lab"));
    EXPECT_EQ(changes.remove.size(), 1u);
    EXPECT_EQ(DataCache::Get().configurations.GetCount(), records);

    ASSERT_EQ(StoreAll(), 1);
    EXPECT_EQ(DataCache::Get().configurations.GetCount(), records + 1);
    ConfigurationCopy *lab = CopyNamed("Lab");
    ASSERT_TRUE(lab->record.IsBound());
    EXPECT_EQ(lab->record.GetOsCode(), OS_WIN32);
    EXPECT_EQ(NamesOf(lab->record.GetRecord()->products), (Names{"PMail", "PForms"}));
    // Another OK finds Lab's record and makes none again.
    ASSERT_EQ(StoreAll(), 1);
    EXPECT_EQ(DataCache::Get().configurations.GetCount(), records + 1);
}

TEST_F(PagesTest, AStoredConfigurationWithoutASystemKeepsNoneUntilOneIsChosen)
{
    Open("language us\nresolution user | shared | optional\nhome C:\\POOL\n"
         "config Any | admin=user | location=shared | mandatory=optional | os=(none) | value=0\n"
         "config Other | admin=user | location=shared | mandatory=optional | os=DOS | value=0\n");
    ASSERT_EQ(CopyNamed("Any")->osCode, OS_NONE);
    SelectConfiguration(config, "Other");
    SelectConfiguration(config, "Any");
    Collect();
    EXPECT_EQ(CopyNamed("Any")->osCode, OS_NONE);

    SelectOs(config, OS_WIN95);
    Collect();
    EXPECT_EQ(CopyNamed("Any")->osCode, OS_WIN95);
}

TEST_F(PagesTest, DeleteIsEnabledExactlyWhileThereIsAConfigurationToDelete)
{
    Open();
    boxes.defaultAnswer = IDYES;
    auto removeSelected = [&]() { ui::Click(config.m_hWnd, IDC_REMOVE_CONFIGURATION); };
    struct Step
    {
        const char *what;
        std::function<void()> act;
        size_t configurations;
    };
    const Step steps[] = {
        {"open", [] {}, 2},
        {"remove one", removeSelected, 1},
        {"remove the last", removeSelected, 0},
        {"Reset All brings them back", [&] { ResetAll(); }, 2},
        {"remove both again", [&] { removeSelected(); removeSelected(); }, 0},
        {"a new one", [&] { NewConfiguration("Lab"); }, 1},
        {"Reset All drops the new one", [&] { ResetAll(); }, 2},
        {"Revert keeps the list", [&] { config.Revert(); }, 2},
    };
    for (const Step &step : steps) {
        step.act();
        ASSERT_EQ(ConfigurationNames(config).size(), step.configurations) << step.what;
        EXPECT_EQ(ui::Enabled(config.m_hWnd, IDC_REMOVE_CONFIGURATION), step.configurations > 0) << step.what;
        EXPECT_EQ(ui::Enabled(config.m_hWnd, IDC_COPY_CONFIGURATION), step.configurations > 0) << step.what;
    }
}

TEST_F(PagesTest, TheSystemShownIsTheSystemSaved)
{
    Open("language us\nresolution user | shared | optional\nhome C:\\POOL\n"
         "config Any | admin=user | location=shared | mandatory=optional | os=(none) | value=0\n"
         "config Other | admin=user | location=shared | mandatory=optional | os=DOS | value=0\n");
    struct Step
    {
        const char *what;
        std::function<void()> act;
        OsCode shown;
    };
    const Step steps[] = {
        {"a system of its own", [&] { SelectConfiguration(config, "Other"); }, OS_DOS},
        {"none after one with a system", [&] { SelectConfiguration(config, "Any"); }, OS_NONE},
        {"Reset All", [&] { ResetAll(); }, OS_NONE},
        {"Revert", [&] { config.Revert(); }, OS_NONE},
        {"through another view", [&] { ShowPage(assignments); ShowPage(config); }, OS_NONE},
        {"chosen", [&] { SelectOs(config, OS_WIN95); }, OS_WIN95},
        {"away and back", [&] { SelectConfiguration(config, "Other"); SelectConfiguration(config, "Any"); }, OS_WIN95},
        {"a new one takes the choice", [&] { NewConfiguration("Lab"); }, OS_WIN95},
    };
    for (const Step &step : steps) {
        step.act();
        HWND box = Item(config, IDC_OS);
        int selected = (int)SendMessageA(box, CB_GETCURSEL, 0, 0);
        int shown = selected == CB_ERR ? OS_NONE : (int)SendMessageA(box, CB_GETITEMDATA, (WPARAM)selected, 0);
        EXPECT_EQ(shown, step.shown) << step.what;
        Collect();
        ASSERT_NE(config.GetCurrent(), nullptr);
        EXPECT_EQ(config.GetCurrent()->osCode, step.shown) << step.what;
    }
}

TEST_F(PagesTest, AShareableMarkChangedWhileTheProgramRunsIsSeenByTheNextAction)
{
    // The marks as the layout tool, another process, sets them: a is A's
    // mark, b is B's.
    auto layout = [](bool a, bool b) {
        return std::string("home C:\\POOL\n") + "product KMarkA | label=A | version=1 | size=1" + (a ? " | shareable" : "") +
               "\nproduct KMarkB | label=B | version=1 | size=1" + (b ? " | shareable" : "") +
               "\nconfig One | admin=user | location=shared | mandatory=optional | os=Windows (32-bit) | value=0\n"
               "config Two | admin=user | location=shared | mandatory=optional | os=Windows (32-bit) | value=0\n";
    };
    Open(layout(true, false).c_str());
    EXPECT_EQ(Items(config, IDC_LEFT_LIST), (Names{ProductText("A", "1")}));
    struct Step { bool a, b; std::function<void()> action; Names left; };
    const Step steps[] = {
        {false, true, [&] { SelectOs(config, OS_WIN32); }, {ProductText("B", "1")}},
        {true, true, [&] { SelectConfiguration(config, "Two"); }, {ProductText("A", "1"), ProductText("B", "1")}},
    };
    for (const Step &step : steps) {
        {
            layout::Installation other;
            ASSERT_TRUE(other.Create(layout(step.a, step.b))) << other.Error();
        }
        ASSERT_TRUE(install.Use());
        step.action();
        EXPECT_EQ(Items(config, IDC_LEFT_LIST), step.left);
    }
}
