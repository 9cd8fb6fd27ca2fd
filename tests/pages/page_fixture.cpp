// page_fixture.cpp - the host dialog, the store and the page helpers.
#include "page_fixture.h"

#include <functional>

// The framework's own application object: help and the message box go
// through it, as in the program.
CWinApp theTestApp;

const char *const kStandardLayout =
    "language us\n"
    "resolution administrator | local | mandatory\n"
    "home C:\\POOL\n"
    "product PMail | label=Mail | version=1.0 | size=1 | shareable\n"
    "product PCal | label=Calendar | version=2.0 | size=1 | shareable\n"
    "product PForms | label=Forms | version=3.0 | size=1 | shareable\n"
    "product PHidden | label=Hidden | version=1.0 | size=1\n"
    "client C1 | os=Windows NT | version=4.0\n"
    "client C2 | os=Windows NT | version=4.0\n"
    "client C3 | os=Windows (32-bit) | version=4.0\n"
    "client C4 | os=Windows (32-bit) | version=4.0\n"
    "client C5 | os=Windows 95 | version=4.0\n"
    "client C6 | os=DOS | version=6.22\n"
    "config Alpha | admin=administrator | location=download | mandatory=optional | os=Windows NT | value=0\n"
    "uses PMail\n"
    "uses PHidden\n"
    "assign C1\n"
    "assign C2\n"
    "config Beta | admin=user | location=shared | mandatory=mandatory | os=Windows (32-bit) | value=0\n"
    "uses PCal\n"
    "assign C3\n";

std::string ProductText(const char *label, const char *version)
{
    return std::string(label) + " (" + version + ")";
}

void TestHost::ConfigurationsChanged()
{
    changedCalls++;
    for (CClientPage *page : others)
        page->SetListChanged();
}

void PagesTest::SetUp()
{
    ASSERT_TRUE(language.Loaded());
    DataCache::Get().ResetForTests();
    SetInstallerReporter(&reporter);
}

void PagesTest::TearDown()
{
    for (CWnd *page : std::vector<CWnd *>{&config, &assignments, &conflicts})
        if (page->m_hWnd)
            page->DestroyWindow();
    if (host.m_hWnd)
        host.DestroyWindow();
    FreeCopies();
    DataCache::Get().ResetForTests();
    SetEnvironmentVariableA("KX_FAULT", NULL);
    SetInstallerReporter(NULL);
}

ChangeSet PagesTest::Collect()
{
    ChangeSet changes;
    for (CClientPage *page : std::vector<CClientPage *>{&config, &assignments, &conflicts})
        page->CollectChanges(changes);
    return changes;
}

int PagesTest::StoreAll()
{
    ChangeSet changes = Collect();
    int stored = StoreChanges(changes);
    for (CClientPage *page : std::vector<CClientPage *>{&config, &assignments, &conflicts})
        if (stored)
            page->ChangesStored(changes);
    return stored;
}

void PagesTest::FreeCopies()
{
    for (POSITION pos = copies.GetHeadPosition(); pos != NULL;)
        delete static_cast<ConfigurationCopy *>(copies.GetNext(pos));
    copies.RemoveAll();
}

void PagesTest::RebuildCopies()
{
    FreeCopies();
    AppendCopiesOfRecords(copies);
}

void PagesTest::ResetAll(bool rebuild)
{
    if (rebuild)
        RebuildCopies();
    config.Refresh();
    assignments.Refresh();
    conflicts.Refresh();
}

void PagesTest::Open(const char *description)
{
    ASSERT_TRUE(install.Create(description)) << install.Error();
    OpenLaidOut();
}

void PagesTest::OpenGenerated(const std::string &arguments)
{
    ASSERT_TRUE(install.Generate(arguments)) << install.Error();
    OpenLaidOut();
}

void PagesTest::OpenLaidOut()
{
    ASSERT_EQ(LoadAll(), 1);
    RebuildCopies();
    ASSERT_TRUE(host.Create(IDD_MAIN, NULL));
    host.others = {&assignments, &conflicts};
    CClientPage *pages[3] = {&config, &assignments, &conflicts};
    const UINT templates[3] = {IDD_PAGE_CONFIG, IDD_PAGE_ASSIGN, IDD_PAGE_CONFLICTS};
    for (int i = 0; i < 3; i++) {
        pages[i]->SetConfigurations(&copies);
        ASSERT_TRUE(pages[i]->Create(templates[i], &host));
        ASSERT_TRUE(pages[i]->IsInitialised());
    }
}

void PagesTest::ShowPage(CClientPage &page)
{
    for (CClientPage *p : std::vector<CClientPage *>{&config, &assignments, &conflicts})
        if (p != &page)
            p->ShowWindow(SW_HIDE);
    page.ShowWindow(SW_SHOW);
}

void PagesTest::SelectConfiguration(CClientPage &page, const char *name)
{
    HWND box = Item(page, IDC_CONFIGURATION);
    int index = (int)SendMessageA(box, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)name);
    ASSERT_NE(index, CB_ERR) << name;
    SendMessageA(box, CB_SETCURSEL, (WPARAM)index, 0);
    ui::Notify(page.m_hWnd, IDC_CONFIGURATION, CBN_SELENDOK);
}

std::string PagesTest::SelectedConfiguration(CClientPage &page)
{
    HWND box = Item(page, IDC_CONFIGURATION);
    int index = (int)SendMessageA(box, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? std::string() : ui::ComboText(box, index);
}

std::vector<std::string> PagesTest::ConfigurationNames(CClientPage &page)
{
    HWND box = Item(page, IDC_CONFIGURATION);
    std::vector<std::string> names;
    int count = (int)SendMessageA(box, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++)
        names.push_back(ui::ComboText(box, i));
    return names;
}

void PagesTest::SelectItems(CWnd &page, int listId, const std::vector<std::string> &texts)
{
    HWND box = Item(page, listId);
    SendMessageA(box, LB_SETSEL, FALSE, -1);
    for (const std::string &text : texts) {
        int index = (int)SendMessageA(box, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text.c_str());
        ASSERT_NE(index, LB_ERR) << text;
        SendMessageA(box, LB_SETSEL, TRUE, index);
    }
    ui::Notify(page.m_hWnd, listId, LBN_SELCHANGE);
}

std::vector<std::string> PagesTest::Items(CWnd &page, int listId)
{
    return ui::ListTexts(Item(page, listId));
}

std::vector<std::string> PagesTest::SelectedItems(CWnd &page, int listId)
{
    HWND box = Item(page, listId);
    std::vector<std::string> texts;
    int count = (int)SendMessageA(box, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++)
        if (SendMessageA(box, LB_GETSEL, (WPARAM)i, 0) > 0)
            texts.push_back(ui::ListText(box, i));
    return texts;
}

namespace {

struct NameDialogScript
{
    std::string name;
    bool cancel;
    int attempts;
    bool done;
};

BOOL CALLBACK FindNameDialog(HWND window, LPARAM param)
{
    if (IsWindowVisible(window) && GetDlgItem(window, IDC_NAME)) {
        *reinterpret_cast<HWND *>(param) = window;
        return FALSE;
    }
    return TRUE;
}

void DriveNameDialog(NameDialogScript *script)
{
    HWND dialog = NULL;
    EnumThreadWindows(GetCurrentThreadId(), &FindNameDialog, (LPARAM)&dialog);
    if (!dialog) {
        if (++script->attempts < 100)
            ui::Later(20, [script]() { DriveNameDialog(script); });
        return;
    }
    script->done = true;
    if (script->cancel) {
        SetDlgItemTextA(dialog, IDC_NAME, script->name.c_str());
        ui::Click(dialog, IDCANCEL);
        return;
    }
    SetDlgItemTextA(dialog, IDC_NAME, script->name.c_str());
    ui::Click(dialog, IDOK);
}

}

void PagesTest::NewConfiguration(const char *name, bool cancel, int button)
{
    // Static: a timer still pending after a failed DoModal must not find a
    // dead stack object.
    static NameDialogScript script;
    script = NameDialogScript{name, cancel, 0, false};
    ui::Later(20, []() { DriveNameDialog(&script); });
    ui::Click(config.m_hWnd, button);
    EXPECT_TRUE(script.done) << "the name dialog never came up";
}

ConfigurationCopy *PagesTest::CopyNamed(const char *name)
{
    for (POSITION pos = copies.GetHeadPosition(); pos != NULL;) {
        ConfigurationCopy *copy = static_cast<ConfigurationCopy *>(copies.GetNext(pos));
        if (copy->name == name && !copy->removed)
            return copy;
    }
    return NULL;
}
