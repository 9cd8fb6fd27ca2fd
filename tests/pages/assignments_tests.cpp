// The client assignments page: moving clients, switching configurations,
// Revert, and the client lists OK writes into the records.
#include "page_fixture.h"

using Names = std::vector<std::string>;

TEST_F(PagesTest, WithoutAConfigurationAddingClientsOnlyExplains)
{
    Open("language us\nresolution user | shared | optional\nhome C:\\POOL\nclient C1 | os=DOS | version=1\nclient C2 | os=DOS | version=1\n");
    EXPECT_EQ(Items(assignments, IDC_LEFT_LIST), (Names{"C1", "C2"}));
    EXPECT_TRUE(Items(assignments, IDC_RIGHT_LIST).empty());
    EXPECT_FALSE(ui::Enabled(assignments.m_hWnd, IDC_ADD));
    EXPECT_FALSE(ui::Enabled(assignments.m_hWnd, IDC_REMOVE));

    // Add stays disabled; a double click (or a click that comes anyway)
    // explains.
    SelectItems(assignments, IDC_LEFT_LIST, {"C2"});
    EXPECT_FALSE(ui::Enabled(assignments.m_hWnd, IDC_ADD));
    ui::Notify(assignments.m_hWnd, IDC_LEFT_LIST, LBN_DBLCLK);
    ui::Click(assignments.m_hWnd, IDC_ADD);
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_EQ(boxes.calls[0].text, ui::ResourceString(IDS_NO_CONFIGURATION));
    EXPECT_EQ(boxes.calls[0].type & 0x0F, (UINT)MB_OK);
    EXPECT_EQ(boxes.calls[0].helpContext, 0u);
    EXPECT_EQ(Items(assignments, IDC_LEFT_LIST), (Names{"C1", "C2"}));
    EXPECT_TRUE(Items(assignments, IDC_RIGHT_LIST).empty());
    EXPECT_EQ(assignments.IsModified(), 0);
}

TEST_F(PagesTest, AddedClientsArriveSelectedWithOnlyRemoveEnabled)
{
    Open();
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C1", "C2"}));
    SelectItems(assignments, IDC_LEFT_LIST, {"C3", "C4", "C6"});
    ui::Click(assignments.m_hWnd, IDC_ADD);
    EXPECT_EQ(Items(assignments, IDC_LEFT_LIST), (Names{"C5"}));
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C1", "C2", "C3", "C4", "C6"}));
    EXPECT_EQ(SelectedItems(assignments, IDC_RIGHT_LIST), (Names{"C3", "C4", "C6"}));
    EXPECT_EQ(GetFocus(), Item(assignments, IDC_RIGHT_LIST));
    EXPECT_FALSE(ui::Enabled(assignments.m_hWnd, IDC_ADD));
    EXPECT_TRUE(ui::Enabled(assignments.m_hWnd, IDC_REMOVE));
    EXPECT_EQ(assignments.IsModified(), 1);

    // A double click on the right removes the selection again, back to its
    // catalogue place.
    SelectItems(assignments, IDC_RIGHT_LIST, {"C1"});
    ui::Notify(assignments.m_hWnd, IDC_RIGHT_LIST, LBN_DBLCLK);
    EXPECT_EQ(Items(assignments, IDC_LEFT_LIST), (Names{"C1", "C5"}));
    EXPECT_EQ(GetFocus(), Item(assignments, IDC_LEFT_LIST));
}

TEST_F(PagesTest, EachConfigurationKeepsItsOwnClientsAcrossSwitches)
{
    Open();
    SelectItems(assignments, IDC_LEFT_LIST, {"C3"});   // C3 also belongs to Beta
    ui::Click(assignments.m_hWnd, IDC_ADD);
    SelectConfiguration(assignments, "Beta");
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C3"}));
    EXPECT_EQ(Items(assignments, IDC_LEFT_LIST), (Names{"C1", "C2", "C4", "C5", "C6"}));
    EXPECT_EQ(NamesOf(CopyNamed("Alpha")->clients), (Names{"C1", "C2", "C3"}));
    SelectConfiguration(assignments, "Alpha");
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C1", "C2", "C3"}));
    EXPECT_FALSE(ui::Enabled(assignments.m_hWnd, IDC_ADD));
    EXPECT_FALSE(ui::Enabled(assignments.m_hWnd, IDC_REMOVE));
}

TEST_F(PagesTest, ViewingAndStoringAConfigurationKeepsTheOrderOfItsLists)
{
    // A configuration that is only looked at must go back with its clients
    // and products in the order it had.
    Open("language us\nresolution user | shared | optional\nhome C:\\POOL\n"
         "product P1 | label=P1 | version=1 | size=1 | shareable\n"
         "product P2 | label=P2 | version=1 | size=1 | shareable\n"
         "product P3 | label=P3 | version=1 | size=1 | shareable\n"
         "client C1 | os=DOS | version=1\nclient C2 | os=DOS | version=1\nclient C3 | os=DOS | version=1\n"
         "config Alpha | admin=user | location=shared | mandatory=optional | os=Windows (32-bit) | value=0\n"
         "uses P3\nuses P1\nuses P2\nassign C2\nassign C3\nassign C1\n"
         "config Beta | admin=user | location=shared | mandatory=optional | os=Windows (32-bit) | value=0\n"
         "assign C1\n");
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C2", "C3", "C1"}));
    SelectConfiguration(assignments, "Beta");
    SelectConfiguration(assignments, "Alpha");
    SelectConfiguration(config, "Beta");
    SelectConfiguration(config, "Alpha");
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C2", "C3", "C1"}));

    Collect();
    ConfigurationCopy *alpha = CopyNamed("Alpha");
    EXPECT_EQ(NamesOf(alpha->clients), (Names{"C2", "C3", "C1"}));
    EXPECT_EQ(NamesOf(alpha->products), (Names{"P3", "P1", "P2"}));
}

TEST_F(PagesTest, RevertOnTheAssignmentsPageShowsTheListAsLastStored)
{
    Open();
    SelectItems(assignments, IDC_RIGHT_LIST, {"C1", "C2"});
    ui::Click(assignments.m_hWnd, IDC_REMOVE);
    ASSERT_TRUE(Items(assignments, IDC_RIGHT_LIST).empty());
    assignments.Revert();
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C1", "C2"}));
    EXPECT_EQ(Items(assignments, IDC_LEFT_LIST).size(), 4u);
    EXPECT_EQ(assignments.IsModified(), 1);
}

TEST_F(PagesTest, OkWritesEveryListedClientListAndSkipsRemovedConfigurations)
{
    Open("language us\nresolution user | shared | optional\nhome C:\\POOL\n"
         "client C1 | os=DOS | version=1\nclient C2 | os=DOS | version=1\nclient C3 | os=DOS | version=1\n"
         "config Alpha | admin=user | location=shared | mandatory=optional | os=DOS | value=0\n"
         "assign C1\nassign GONE\n"
         "config Beta | admin=user | location=shared | mandatory=optional | os=DOS | value=0\n"
         "assign C2\n");
    // A client the catalogue no longer lists is not shown, and not lost.
    EXPECT_EQ(Items(assignments, IDC_RIGHT_LIST), (Names{"C1"}));
    SelectItems(assignments, IDC_LEFT_LIST, {"C3"});
    ui::Click(assignments.m_hWnd, IDC_ADD);

    ConfigurationCopy *beta = CopyNamed("Beta");
    SelectConfiguration(config, "Beta");
    boxes.Answer(IDYES);
    ui::Click(config.m_hWnd, IDC_REMOVE_CONFIGURATION);
    beta->clients.RemoveAll();   // would show if it were written

    ChangeSet changes = Collect();
    // GONE keeps its place; the client added goes after the others.
    EXPECT_EQ(NamesOf(CopyNamed("Alpha")->clients), (Names{"C1", "GONE", "C3"}));
    EXPECT_EQ(changes.write, std::vector<ConfigurationCopy *>{CopyNamed("Alpha")});
    ASSERT_EQ(StoreAll(), 1);
    EXPECT_EQ(NamesOf(beta->record.GetRecord()->clients), (Names{"C2"}));
}

TEST_F(PagesTest, ShowingAConfigurationAmongManyClientsStaysExact)
{
    ASSERT_TRUE(install.Generate("--clients 3000 --configs 3 --per-config 1500 --products 2")) << install.Error();
    ASSERT_EQ(LoadAll(), 1);
    RebuildCopies();
    ASSERT_TRUE(host.Create(IDD_MAIN, NULL));
    assignments.SetConfigurations(&copies);
    ASSERT_TRUE(assignments.Create(IDD_PAGE_ASSIGN, &host));
    for (int i = 0; i < 3; i++) {
        ConfigurationCopy *copy = assignments.GetCurrent();
        ASSERT_NE(copy, nullptr);
        int left = (int)Items(assignments, IDC_LEFT_LIST).size();
        int right = (int)Items(assignments, IDC_RIGHT_LIST).size();
        EXPECT_EQ(right, copy->clients.GetCount());
        EXPECT_EQ(left + right, 3000);
        SendMessageA(Item(assignments, IDC_CONFIGURATION), CB_SETCURSEL, (WPARAM)((i + 1) % 3), 0);
        ui::Notify(assignments.m_hWnd, IDC_CONFIGURATION, CBN_SELENDOK);
    }
}

// The line 1052 after each step (a copy on the way keeps its source's product
// that the page cannot show).
TEST_F(PagesTest, TheClientLineNamesTheConfigurationsAsOkWouldStoreThem)
{
    Open();
    boxes.defaultAnswer = IDYES;
    auto pick = [&](int list, Names names) { SelectItems(assignments, list, names); };
    auto show = [&](const char *name) { SelectConfiguration(assignments, name); };
    auto filter = [&](const char *text) { SetDlgItemTextA(assignments.m_hWnd, IDC_FILTER, text); };
    auto click = [&](CWnd &page, int id) { ui::Click(page.m_hWnd, id); };
    const std::pair<std::function<void()>, const char *> steps[] = {
        {[&] { pick(IDC_LEFT_LIST, {"C3"}); click(assignments, IDC_ADD); }, "Alpha, Beta"},
        {[&] { pick(IDC_LEFT_LIST, {"C4"}); }, ""},
        {[&] { show("Beta"); pick(IDC_RIGHT_LIST, {"C3"}); }, "Alpha, Beta"},
        {[&] { click(assignments, IDC_REMOVE); }, "Alpha"},
        {[&] { assignments.Revert(); pick(IDC_RIGHT_LIST, {"C3"}); }, "Alpha, Beta"},
        {[&] { pick(IDC_LEFT_LIST, {"C1"}); filter("5"); }, ""},
        {[&] { filter(""); NewConfiguration("Alpha 2", false, IDC_COPY_CONFIGURATION); ShowPage(assignments);
               EXPECT_EQ(NamesOf(CopyNamed("Alpha 2")->products), (Names{"PMail", "PHidden"}));
               show("Alpha"); pick(IDC_RIGHT_LIST, {"C3"}); }, "Alpha, Beta"},
        {[&] { show("Beta"); ShowPage(config); click(config, IDC_REMOVE_CONFIGURATION); ShowPage(assignments);
               pick(IDC_RIGHT_LIST, {"C3"}); }, "Alpha"},
        {[&] { ResetAll(); pick(IDC_LEFT_LIST, {"C3"}); }, "Beta"},
    };
    for (size_t i = 0; i < std::size(steps); i++) {
        steps[i].first();
        EXPECT_EQ(ui::WindowText(Item(assignments, IDC_CLIENT_PLACES)), steps[i].second) << "step " << i;
    }
}

TEST_F(PagesTest, AClientLineThatDoesNotFitEndsWithHowManyMore)
{
    OpenGenerated("--clients 3 --configs 60 --per-config 3 --products 1");   // each holds every client
    SelectItems(assignments, IDC_RIGHT_LIST, {"CLIENT-000001"});
    std::string line = ui::WindowText(Item(assignments, IDC_CLIENT_PLACES)), head;
    Names all = ConfigurationNames(assignments);
    size_t shown = 0;   // the first names of the combobox, then how many are left
    for (std::string next; shown < all.size() && line.rfind(next = head + (shown ? ", " : "") + all[shown], 0) == 0;)
        head = next, shown++;
    EXPECT_GT(shown, 1u) << line;
    EXPECT_EQ(line, head + " and " + std::to_string(all.size() - shown) + " more");
}
