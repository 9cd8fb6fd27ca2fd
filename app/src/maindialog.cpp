// The main dialog: hosts the pages, keeps the working copies, runs the commit.
#include "maindialog.h"

#include "data.h"
#include "resource.h"

// The border query that the old 3-D control drawing sends its dialogs.
#define WM_QUERY3DBORDER (WM_USER + 3567)   // 0x11EF
// Posted on CBN_CLOSEUP of the view box, checked once the drop-down's other
// notifications (whose order is not fixed) have been handled.
#define WM_VIEWCLOSEDUP (WM_APP + 1)

void ComputeMainPlacement(int screenWidth, int screenHeight, int windowWidth, int windowHeight,
                          int *x, int *y)
{
    *x = (screenWidth - windowWidth) / 2;
    // The conversion truncates toward zero, as does the integer division.
    int t = (int)(0.85 * screenHeight - windowHeight);
    *y = t / 2;
}

CMainDialog::CMainDialog(CWnd *parent)
    : CDialog(IDD_MAIN, parent),
      appIcon(NULL),
      currentConfiguration(-1),
      configViewIndex(-1),
      assignViewIndex(-1),
      conflictViewIndex(-1),
      shownView(-1)
{
    // A shared icon of the language library: never destroyed by us.
    appIcon = AfxGetApp() ? AfxGetApp()->LoadIcon(IDI_APP)
                          : ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_APP));
}

CMainDialog::~CMainDialog()
{
    ClearWorkingCopies();
}

void CMainDialog::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_VIEW, viewBox);
    DDX_Control(pDX, IDC_PLACEHOLDER, placeholder);
}

BEGIN_MESSAGE_MAP(CMainDialog, CDialog)
    ON_BN_CLICKED(IDC_RESET_ALL, OnResetAll)
    ON_BN_CLICKED(IDC_REVERT_PAGE, OnRevertPage)
    ON_BN_CLICKED(IDC_HELP_CONTENTS, OnHelpContents)
    ON_CBN_SELENDOK(IDC_VIEW, SwitchView)
    ON_CONTROL(CBN_SELENDCANCEL, IDC_VIEW, ShowViewAgain)
    ON_CONTROL(CBN_CLOSEUP, IDC_VIEW, OnViewClosedUp)
    ON_MESSAGE(WM_VIEWCLOSEDUP, OnViewChecked)
    ON_WM_SYSCOMMAND()
    ON_WM_ERASEBKGND()
    ON_WM_QUERYDRAGICON()
    ON_MESSAGE(WM_QUERY3DBORDER, OnQuery3dBorder)
END_MESSAGE_MAP()

BOOL CMainDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The pages fill their boxes with every product and client.
    CWaitCursor wait;

    // Start-up opened it already; the close on OK/Cancel balances this one.
    kxc::OpenProductRegistry();

    CMenu *systemMenu = GetSystemMenu(FALSE);
    if (systemMenu) {
        CString about;
        about.LoadString(IDS_ABOUT_MENU);
        systemMenu->InsertMenu(3, MF_BYPOSITION | MF_SEPARATOR);
        systemMenu->AppendMenu(MF_SEPARATOR);
        systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
        systemMenu->EnableMenuItem(SC_RESTORE, MF_BYCOMMAND | MF_GRAYED);
        systemMenu->EnableMenuItem(SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
    }

    SetIcon(appIcon, TRUE);
    SetIcon(appIcon, FALSE);

    CRect outer;
    GetWindowRect(&outer);
    int x, y;
    ComputeMainPlacement(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                         outer.Width(), outer.Height(), &x, &y);
    ::SetWindowPos(m_hWnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    // The box may sort: the indices are known only after all three are in.
    static const UINT views[3] = {IDS_VIEW_CONFIGURATIONS, IDS_VIEW_ASSIGNMENTS, IDS_VIEW_CONFLICTS};
    CString texts[3];
    for (int i = 0; i < 3; ++i) {
        texts[i].LoadString(views[i]);
        viewBox.AddString(texts[i]);
    }
    configViewIndex = viewBox.FindString(-1, texts[0]);
    assignViewIndex = viewBox.FindString(-1, texts[1]);
    conflictViewIndex = viewBox.FindString(-1, texts[2]);
    viewBox.SetCurSel(configViewIndex);

    RebuildWorkingCopies();
    configPage.SetConfigurations(&workingCopies);
    assignmentsPage.SetConfigurations(&workingCopies);
    conflictsPage.SetConfigurations(&workingCopies);

    CRect place;
    placeholder.GetWindowRect(&place);
    ScreenToClient(&place);
    placeholder.ShowWindow(SW_HIDE);

    // The z-order is the tab order. The pages go right after the placeholder,
    // which follows the view box, so Tab runs from the view box through the
    // visible page (a control parent: the dialog manager walks into it) and
    // on to the buttons below. Nothing visible shares the pages' place.
    CClientPage *pages[3] = {&configPage, &assignmentsPage, &conflictsPage};
    static const UINT templates[3] = {IDD_PAGE_CONFIG, IDD_PAGE_ASSIGN, IDD_PAGE_CONFLICTS};
    HWND after = placeholder.m_hWnd;
    for (int i = 0; i < 3; ++i) {
        pages[i]->Create(templates[i], this);
        ::SetWindowPos(pages[i]->m_hWnd, after, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        after = pages[i]->m_hWnd;
    }

    SwitchView();
    return TRUE;
}

void CMainDialog::ConfigurationsChanged()
{
    assignmentsPage.SetListChanged();
    conflictsPage.SetListChanged();
}

void CMainDialog::StoreShownEdits()
{
    CClientPage *pages[3] = {&configPage, &assignmentsPage, &conflictsPage};
    for (CClientPage *page : pages)
        if (page->IsInitialised())
            page->StoreCurrent();
}

void CMainDialog::SwitchView()
{
    int v = viewBox.GetCurSel();
    if (configPage.GetConfigurationCombo().GetCount() >= 1 || v == configViewIndex) {
        // Set first: a page shown moves the focus, and a combobox that loses
        // it reports its drop-down cancelled.
        shownView = v;
        assignmentsPage.ShowWindow(v == assignViewIndex ? SW_SHOW : SW_HIDE);
        configPage.ShowWindow(v == configViewIndex ? SW_SHOW : SW_HIDE);
        conflictsPage.ShowWindow(v == conflictViewIndex ? SW_SHOW : SW_HIDE);
    } else {
        // The other pages have nothing to show until a configuration exists.
        AfxMessageBox(IDS_CREATE_FIRST, MB_OK, 0);
        viewBox.SetCurSel(configViewIndex);
    }
}

void CMainDialog::ShowViewAgain()
{
    // A drop-down closed without a choice names the page shown again, so
    // that Revert Page reverts the page the box names.
    if (viewBox.GetCurSel() != shownView)
        viewBox.SetCurSel(shownView);
}

void CMainDialog::OnViewClosedUp()
{
    PostMessage(WM_VIEWCLOSEDUP);
}

LRESULT CMainDialog::OnViewChecked(WPARAM, LPARAM)
{
    ShowViewAgain();
    return 0;
}

void CMainDialog::ClearWorkingCopies()
{
    POSITION pos = workingCopies.GetHeadPosition();
    while (pos)
        delete (ConfigurationCopy *)workingCopies.GetNext(pos);
    workingCopies.RemoveAll();
}

void CMainDialog::RebuildWorkingCopies()
{
    ClearWorkingCopies();
    AppendCopiesOfRecords(workingCopies);
}

void CMainDialog::OnResetAll()
{
    CWaitCursor wait;
    RebuildWorkingCopies();
    configPage.Refresh();
    assignmentsPage.Refresh();
    conflictsPage.Refresh();
}

void CMainDialog::OnRevertPage()
{
    int v = viewBox.GetCurSel();
    if (v == configViewIndex)
        configPage.Revert();
    else if (v == assignViewIndex)
        assignmentsPage.Revert();
    else
        conflictsPage.Revert();
}

void CMainDialog::OnHelpContents()
{
    AfxGetApp()->WinHelp(0, HELP_CONTENTS);
}

int CMainDialog::StoreChangeSet()
{
    // The pages only say what is to be written; nothing in the cache, the
    // copies or the pages changes unless the store took all of it. A step
    // that fails (it has shown its message) leaves the dialog open with
    // every edit, and OK pressed again behaves as the first time.
    ChangeSet changes;
    CClientPage *pages[3] = {&configPage, &assignmentsPage, &conflictsPage};
    for (CClientPage *page : pages)
        page->CollectChanges(changes);
    if (!StoreChanges(changes))
        return 0;
    for (CClientPage *page : pages)
        page->ChangesStored(changes);
    return 1;
}

void CMainDialog::OnOK()
{
    // Saving and committing a large installation takes seconds.
    CWaitCursor wait;
    if (!StoreChangeSet())
        return;   // the dialog stays open with every edit
    kxc::CloseProductRegistry();
    CDialog::OnOK();
}

void CMainDialog::OnCancel()
{
    // Only an explicit Yes discards: No is the default button (Enter), and
    // Escape or closing the box, which answer Cancel, keep every edit too.
    if ((configPage.IsModified() || assignmentsPage.IsModified() || conflictsPage.IsModified()) &&
        AfxMessageBox(IDS_CONFIRM_DISCARD, MB_YESNO | MB_ICONSTOP | MB_DEFBUTTON2, (UINT)-1) != IDYES)
        return;
    kxc::CloseProductRegistry();
    CDialog::OnCancel();
}

void CMainDialog::OnSysCommand(UINT nID, LPARAM lParam)
{
    UINT command = nID & 0xFFF0;
    if (command == IDM_ABOUTBOX) {
        CAboutDialog about;
        about.DoModal();
        return;
    }
    CMenu *systemMenu = GetSystemMenu(FALSE);
    if (systemMenu && command == SC_MINIMIZE) {
        systemMenu->EnableMenuItem(SC_MINIMIZE, MF_BYCOMMAND | MF_GRAYED);
        systemMenu->EnableMenuItem(SC_RESTORE, MF_BYCOMMAND | MF_ENABLED);
    } else if (systemMenu && command == SC_RESTORE) {
        systemMenu->EnableMenuItem(SC_RESTORE, MF_BYCOMMAND | MF_GRAYED);
        systemMenu->EnableMenuItem(SC_MINIMIZE, MF_BYCOMMAND | MF_ENABLED);
    }
    CDialog::OnSysCommand(nID, lParam);
}

BOOL CMainDialog::OnEraseBkgnd(CDC *pDC)
{
    if (!IsIconic())
        return CDialog::OnEraseBkgnd(pDC);
    // A minimised dialog shows its icon in place of a background.
    DefaultProc(WM_ICONERASEBKGND, (WPARAM)pDC->m_hDC, 0);
    pDC->DrawIcon(0, 0, appIcon);
    return TRUE;
}

HCURSOR CMainDialog::OnQueryDragIcon()
{
    return (HCURSOR)appIcon;
}

LRESULT CMainDialog::OnQuery3dBorder(WPARAM wParam, LPARAM lParam)
{
    // No border around a minimised window; the value is 32 bits wide on
    // either machine.
    if (IsIconic() && lParam != 0)
        *(DWORD *)lParam = 0;
    return Default();
}
