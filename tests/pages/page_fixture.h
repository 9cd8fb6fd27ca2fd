// page_fixture.h - the three pages on a real store, hosted by a small test
// dialog that stands in for the main dialog (CPageHost), each created from
// the real language library's template and driven by real messages.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clientassignments.h"
#include "clientconfig.h"
#include "clientconflicts.h"
#include "installerreport.h"
#include "layout_helpers.h"
#include "pagehost.h"
#include "resource.h"
#include "ui_helpers.h"

// Three products (all Windows 32-bit; one not shareable), six clients, two
// configurations: Alpha (NT, administrator/download/optional, PMail and the
// unshareable PHidden, clients C1 and C2) and Beta (32-bit, user/shared/
// mandatory, PCal, client C3). The installation-wide default is
// administrator / local / mandatory.
extern const char *const kStandardLayout;

class TestHost : public CDialog, public CPageHost
{
public:
    TestHost() : CDialog(IDD_MAIN) {}
    int GetCurrentConfigurationIndex() override { return index; }
    void SetCurrentConfigurationIndex(int i) override { index = i; }
    void ConfigurationsChanged() override;
    HWND GetViewBoxHwnd() override { return ::GetDlgItem(m_hWnd, IDC_VIEW); }

    int index = -1;
    int changedCalls = 0;
    std::vector<CClientPage *> others;   // the pages that refill on a change

protected:
    void OnOK() override {}
    void OnCancel() override {}
};

class PagesTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Lays out the store, loads it as start-up does, builds the working
    // copies and creates the host and the three pages (all hidden).
    void Open(const char *description = kStandardLayout);
    // The same on an installation from rvxlayout generate's arguments.
    void OpenGenerated(const std::string &arguments);
    void OpenLaidOut();
    // What the main dialog's Reset All does: new copies, then Refresh.
    void RebuildCopies();
    // Reset All of the main dialog: rebuild (unless told not to), then
    // Refresh on the three pages.
    void ResetAll(bool rebuild = true);
    void FreeCopies();

    // Shows one page, hiding the other two (the main dialog's view switch).
    void ShowPage(CClientPage &page);

    // Control helpers on a page.
    static HWND Item(CWnd &page, int id) { return ::GetDlgItem(page.m_hWnd, id); }
    static void SelectConfiguration(CClientPage &page, const char *name);
    static std::string SelectedConfiguration(CClientPage &page);
    static std::vector<std::string> ConfigurationNames(CClientPage &page);
    static void SelectItems(CWnd &page, int listId, const std::vector<std::string> &texts);
    static std::vector<std::string> Items(CWnd &page, int listId);
    static std::vector<std::string> SelectedItems(CWnd &page, int listId);
    static bool Checked(CWnd &page, int id) { return ::IsDlgButtonChecked(page.m_hWnd, id) == BST_CHECKED; }

    // Creates a configuration through button 1001 (or another: Copy),
    // typing name into the real name dialog (driven from a thread timer
    // inside its modal loop). cancel: press Cancel instead of OK.
    void NewConfiguration(const char *name, bool cancel = false, int button = IDC_NEW_CONFIGURATION);

    ConfigurationCopy *CopyNamed(const char *name);
    // What the main dialog's OK does: the pages' change set, stored; 1 when
    // the store took it.
    int StoreAll();
    // Only the pages' change set (the current copies stored into theirs).
    ChangeSet Collect();

    ui::LanguageLibrary language;
    ui::MessageBoxRecorder boxes;
    MessageBoxReporter reporter;
    layout::Installation install;
    CPtrList copies;
    TestHost host;
    CClientConfig config;
    CClientAssignments assignments;
    CClientConflicts conflicts;
};

// The names a configuration's list holds, in order; an entry no longer in
// the catalogue by the name it was loaded with.
template <class List> std::vector<std::string> NamesOf(const List &list)
{
    std::vector<std::string> names;
    for (const auto &ref : list)
        names.push_back(ref.GetName());
    return names;
}

// A product item's text as the list boxes show it.
std::string ProductText(const char *label, const char *version);
