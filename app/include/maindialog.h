// maindialog.h - the program's only top-level window (template 28487).
//
// It owns the working copies of every configuration and the three editing
// pages, which it stacks at the place of a hidden placeholder; the view
// combobox chooses the visible page. OK is the only way anything reaches the
// store.
#pragma once

#include "afxwin.h"
#include "pagehost.h"
#include "resource.h"
#include "clientconfig.h"
#include "clientassignments.h"
#include "clientconflicts.h"

// Where the window goes: centred horizontally, and vertically in the top 85%
// of the screen (the 0.85 * H - h step truncated toward zero, then halved).
// Wider or taller windows get negative coordinates.
void ComputeMainPlacement(int screenWidth, int screenHeight, int windowWidth, int windowHeight,
                          int *x, int *y);

class CMainDialog : public CDialog, public CPageHost
{
public:
    explicit CMainDialog(CWnd *parent = NULL);
    ~CMainDialog() override;

    // CPageHost: what the pages reach through their parent window.
    int GetCurrentConfigurationIndex() override { return currentConfiguration; }
    void SetCurrentConfigurationIndex(int index) override { currentConfiguration = index; }
    void ConfigurationsChanged() override;
    HWND GetViewBoxHwnd() override { return viewBox.m_hWnd; }
    void StoreShownEdits() override;

    // For the tests and the pages: the shared list and the pages.
    CPtrList &GetWorkingCopies() { return workingCopies; }
    CClientConfig &GetConfigPage() { return configPage; }
    CClientAssignments &GetAssignmentsPage() { return assignmentsPage; }
    CClientConflicts &GetConflictsPage() { return conflictsPage; }
    int GetConfigViewIndex() const { return configViewIndex; }
    int GetAssignViewIndex() const { return assignViewIndex; }
    int GetConflictViewIndex() const { return conflictViewIndex; }

protected:
    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void SwitchView();        // CBN_SELENDOK of 1021, and once at start
    void ShowViewAgain();     // CBN_SELENDCANCEL of 1021: back on the page shown
    void OnViewClosedUp();    // CBN_CLOSEUP of 1021
    LRESULT OnViewChecked(WPARAM, LPARAM);
    void OnResetAll();        // 1005
    void OnRevertPage();      // 1002
    void OnHelpContents();    // 1007
    void OnSysCommand(UINT nID, LPARAM lParam);
    BOOL OnEraseBkgnd(CDC *pDC);
    HCURSOR OnQueryDragIcon();
    LRESULT OnQuery3dBorder(WPARAM wParam, LPARAM lParam);

    void RebuildWorkingCopies();
    void ClearWorkingCopies();
    // The store half of OK: the pages' change set written and committed; 1
    // when the store took it. On a failure nothing has changed.
    int StoreChangeSet();

    CComboBox viewBox;
    CButton placeholder;
    CPtrList workingCopies;   // of ConfigurationCopy*, owned
    HICON appIcon;
    CClientConfig configPage;
    CClientConflicts conflictsPage;
    CClientAssignments assignmentsPage;
    int currentConfiguration;
    int configViewIndex;
    int assignViewIndex;
    int conflictViewIndex;
    int shownView;            // the index of the page shown in 1021

    DECLARE_MESSAGE_MAP()
};

// The About box (template 1017): no data, no handlers of its own.
class CAboutDialog : public CDialog
{
public:
    CAboutDialog() : CDialog(IDD_ABOUT) {}
};
