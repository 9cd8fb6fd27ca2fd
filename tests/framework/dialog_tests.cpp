// Dialogs on real windows: message-map dispatch, data exchange, modal and
// modeless dialogs, window attachment.
#include <gtest/gtest.h>
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>
#include "afxwin.h"
#include "ui_helpers.h"
#include "test_resource.h"

namespace {

const UINT WM_TEST_RESULT = WM_APP + 1;
const UINT WM_TEST_THROW = WM_APP + 2;
const UINT WM_TEST_UNMAPPED = WM_APP + 3;

class CControlsDlg : public CDialog
{
public:
    CControlsDlg() : CDialog(IDD_CONTROLS) {}

    CComboBox m_listCombo, m_dropCombo;
    CListBox m_list, m_multi;
    CButton m_check;
    CString m_listText, m_dropText, m_edit;
    int m_checkState = 0;
    bool m_withMissingControl = false;
    HICON m_icon = NULL;

    std::vector<std::string> calls;
    int initCount = 0;
    HWND hwndAtInit = NULL;

    void DoDataExchange(CDataExchange *pDX) override
    {
        DDX_Control(pDX, IDC_COMBO_LIST, m_listCombo);
        DDX_Control(pDX, IDC_COMBO_DROP, m_dropCombo);
        DDX_Control(pDX, IDC_LIST, m_list);
        DDX_Control(pDX, IDC_LIST_MULTI, m_multi);
        DDX_Control(pDX, IDC_CHECK, m_check);
        DDX_CBString(pDX, IDC_COMBO_LIST, m_listText);
        DDX_CBString(pDX, IDC_COMBO_DROP, m_dropText);
        DDX_Text(pDX, IDC_EDIT, m_edit);
        DDX_Check(pDX, IDC_CHECK, m_checkState);
        if (m_withMissingControl)
            DDX_Text(pDX, 4321, m_edit);
    }

    BOOL OnInitDialog() override
    {
        ++initCount;
        hwndAtInit = m_hWnd;
        // Items first, so that the exchange finds them.
        HWND list = ::GetDlgItem(m_hWnd, IDC_COMBO_LIST);
        HWND drop = ::GetDlgItem(m_hWnd, IDC_COMBO_DROP);
        for (const char *t : {"Windows NT", "Windows 95", "OS/2", "DOS"})
        {
            ::SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)t);
            ::SendMessageA(drop, CB_ADDSTRING, 0, (LPARAM)t);
        }
        return CDialog::OnInitDialog();
    }

    void OnCancel() override
    {
        calls.push_back("OnCancel");
        CDialog::OnCancel();
    }

    void OnButton() { calls.push_back("OnButton"); }
    void OnComboOk() { calls.push_back("OnComboOk"); }
    void OnListSel() { calls.push_back("OnListSel"); }
    void OnListDbl() { calls.push_back("OnListDbl"); }
    void OnEditChange() { calls.push_back("OnEditChange"); }
    void OnShowWindow(BOOL bShow, UINT nStatus)
    {
        calls.push_back(bShow ? "OnShowWindow(1)" : "OnShowWindow(0)");
        CDialog::OnShowWindow(bShow, nStatus);
    }
    void OnSysCommand(UINT nID, LPARAM lParam)
    {
        calls.push_back("OnSysCommand");
        CDialog::OnSysCommand(nID, lParam);
    }
    HCURSOR OnQueryDragIcon() { return (HCURSOR)m_icon; }
    LRESULT OnTestResult(WPARAM wParam, LPARAM lParam) { return (LRESULT)(wParam + lParam); }
    LRESULT OnTestThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CControlsDlg, CDialog)
    ON_BN_CLICKED(IDC_BUTTON, OnButton)
    ON_CBN_SELENDOK(IDC_COMBO_LIST, OnComboOk)
    ON_LBN_SELCHANGE(IDC_LIST, OnListSel)
    ON_LBN_DBLCLK(IDC_LIST, OnListDbl)
    ON_EN_CHANGE(IDC_EDIT, OnEditChange)
    ON_WM_SHOWWINDOW()
    ON_WM_SYSCOMMAND()
    ON_WM_QUERYDRAGICON()
    ON_MESSAGE(WM_TEST_RESULT, OnTestResult)
    ON_MESSAGE(WM_TEST_THROW, OnTestThrow)
END_MESSAGE_MAP()

// A derived map: its own entries first, the base's behind them.
class CDerivedDlg : public CControlsDlg
{
public:
    void OnButtonHere() { calls.push_back("Derived::OnButton"); }
    void OnMultiSel() { calls.push_back("Derived::OnMultiSel"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedDlg, CControlsDlg)
    ON_BN_CLICKED(IDC_BUTTON, OnButtonHere)
    ON_LBN_SELCHANGE(IDC_LIST_MULTI, OnMultiSel)
END_MESSAGE_MAP()

// A modeless dialog for a test's lifetime.
template <class T>
struct Modeless
{
    T dlg;
    Modeless() { EXPECT_TRUE(dlg.Create(IDD_CONTROLS, NULL)); }
    ~Modeless()
    {
        if (dlg.m_hWnd)
            dlg.DestroyWindow();
    }
    HWND hwnd() const { return dlg.m_hWnd; }
};

// ---- dispatch --------------------------------------------------------------

TEST(MessageMapTest, NotificationsReachTheirHandlers)
{
    Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    m.dlg.calls.clear();
    ui::Click(m.hwnd(), IDC_BUTTON);
    ui::Notify(m.hwnd(), IDC_COMBO_LIST, CBN_SELENDOK);
    ui::Notify(m.hwnd(), IDC_COMBO_LIST, CBN_SELCHANGE);   // not mapped
    ui::Notify(m.hwnd(), IDC_LIST, LBN_SELCHANGE);
    ui::Notify(m.hwnd(), IDC_LIST, LBN_DBLCLK);
    ui::Notify(m.hwnd(), IDC_LIST_MULTI, LBN_SELCHANGE);   // not mapped here
    ui::Notify(m.hwnd(), IDC_EDIT, EN_CHANGE);
    ui::Notify(m.hwnd(), IDC_BUTTON, BN_SETFOCUS);          // other code, same id
    // Menu items and accelerators come without a control: both are commands.
    ::SendMessageA(m.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_BUTTON, 0), 0);
    ::SendMessageA(m.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_BUTTON, 1), 0);
    std::vector<std::string> expected = {"OnButton", "OnComboOk", "OnListSel", "OnListDbl", "OnEditChange",
                                         "OnButton", "OnButton"};
    EXPECT_EQ(expected, m.dlg.calls);
}

TEST(MessageMapTest, RealControlChangesNotifyThroughTheMap)
{
    Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    m.dlg.calls.clear();
    // The edit control itself sends EN_CHANGE to its parent.
    ::SetWindowTextA(::GetDlgItem(m.hwnd(), IDC_EDIT), "typed");
    // A click on the push button by its own BM_CLICK.
    ::SendMessageA(::GetDlgItem(m.hwnd(), IDC_BUTTON), BM_CLICK, 0, 0);
    std::vector<std::string> expected = {"OnEditChange", "OnButton"};
    EXPECT_EQ(expected, m.dlg.calls);
}

TEST(MessageMapTest, DerivedMapComesFirstAndChainsToTheBase)
{
    Modeless<CDerivedDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    m.dlg.calls.clear();
    ui::Click(m.hwnd(), IDC_BUTTON);
    ui::Notify(m.hwnd(), IDC_LIST_MULTI, LBN_SELCHANGE);
    ui::Notify(m.hwnd(), IDC_COMBO_LIST, CBN_SELENDOK);
    ui::Notify(m.hwnd(), IDC_LIST, LBN_SELCHANGE);
    std::vector<std::string> expected = {"Derived::OnButton", "Derived::OnMultiSel", "OnComboOk", "OnListSel"};
    EXPECT_EQ(expected, m.dlg.calls);
}

TEST(MessageMapTest, ResultsAndDefaultProcessing)
{
    Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    // A handler's result comes back to the sender (through DWLP_MSGRESULT).
    EXPECT_EQ(42, ::SendMessageA(m.hwnd(), WM_TEST_RESULT, 40, 2));
    // WM_QUERYDRAGICON returns its result directly.
    m.dlg.m_icon = ::LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    EXPECT_EQ((LRESULT)m.dlg.m_icon, ::SendMessageA(m.hwnd(), WM_QUERYDRAGICON, 0, 0));
    // Unmapped messages get the dialog manager's default processing.
    EXPECT_EQ(MAKELONG(IDOK, DC_HASDEFID), (LONG)::SendMessageA(m.hwnd(), DM_GETDEFID, 0, 0));
    ::SendMessageA(m.hwnd(), WM_SETTEXT, 0, (LPARAM)"New caption");
    EXPECT_EQ("New caption", ui::WindowText(m.hwnd()));
    EXPECT_EQ(0, ::SendMessageA(m.hwnd(), WM_TEST_UNMAPPED, 1, 2));
}

TEST(MessageMapTest, AThrowingHandlerDoesNotEscapeTheDialogProcedure)
{
    Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    EXPECT_EQ(0, ::SendMessageA(m.hwnd(), WM_TEST_THROW, 0, 0));
    EXPECT_EQ(3, ::SendMessageA(m.hwnd(), WM_TEST_RESULT, 1, 2));   // still working
}

TEST(MessageMapTest, DefaultFromAHandlerDoesTheDefaultWork)
{
    Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    m.dlg.calls.clear();
    // OnSysCommand records and passes on: the default closes through IDCANCEL.
    ::SendMessageA(m.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ui::Pump();
    std::vector<std::string> expected = {"OnSysCommand", "OnCancel"};
    EXPECT_EQ(expected, m.dlg.calls);
    // Show changes reach ON_WM_SHOWWINDOW, and its default keeps them working.
    m.dlg.calls.clear();
    m.dlg.ShowWindow(SW_SHOW);
    m.dlg.ShowWindow(SW_HIDE);
    expected = {"OnShowWindow(1)", "OnShowWindow(0)"};
    EXPECT_EQ(expected, m.dlg.calls);
    EXPECT_FALSE(m.dlg.IsWindowVisible());
}

class CHelpApp : public CWinApp
{
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CHelpApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

TEST(MessageMapTest, UnhandledCommandsGoToTheApplication)
{
    CHelpApp app;
    ui::HelpRecorder help;
    Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    ui::Click(m.hwnd(), IDC_HELPBUTTON);   // ID_HELP: not in the dialog's map
    ASSERT_EQ(1u, help.calls.size());
    EXPECT_EQ((UINT)HELP_CONTENTS, help.calls[0].command);

    // F1 as the dialog manager sees it in the modal loop: the same command.
    HWND edit = ::GetDlgItem(m.hwnd(), IDC_EDIT);
    MSG f1 = {edit, WM_KEYDOWN, VK_F1, 0x003B0001, 0, {0, 0}};
    EXPECT_TRUE(::IsDialogMessageA(m.hwnd(), &f1));
    ASSERT_EQ(2u, help.calls.size());
    EXPECT_EQ((UINT)HELP_CONTENTS, help.calls[1].command);
}

// ---- data exchange -------------------------------------------------------

int SelectedIndex(HWND dlg, int id) { return (int)::SendDlgItemMessageA(dlg, id, CB_GETCURSEL, 0, 0); }

TEST(DataExchangeTest, CBStringSelectsByPrefixFromTheTop)
{
    Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    HWND h = m.hwnd();
    m.dlg.m_listText = "Windows 9";
    EXPECT_TRUE(m.dlg.UpdateData(FALSE));
    EXPECT_EQ(1, SelectedIndex(h, IDC_COMBO_LIST));
    m.dlg.m_listText = "os";   // the control's search ignores case
    m.dlg.UpdateData(FALSE);
    EXPECT_EQ(2, SelectedIndex(h, IDC_COMBO_LIST));
    m.dlg.m_listText = "Windows";   // the first that begins with it
    m.dlg.UpdateData(FALSE);
    EXPECT_EQ(0, SelectedIndex(h, IDC_COMBO_LIST));

    // No item begins with it: a drop-down list keeps its selection.
    m.dlg.m_listText = "Solaris";
    m.dlg.UpdateData(FALSE);
    EXPECT_EQ(0, SelectedIndex(h, IDC_COMBO_LIST));

    // Saving gives the whole text of the selected item.
    ::SendDlgItemMessageA(h, IDC_COMBO_LIST, CB_SETCURSEL, 3, 0);
    EXPECT_TRUE(m.dlg.UpdateData(TRUE));
    EXPECT_EQ("DOS", std::string(m.dlg.m_listText));
    ::SendDlgItemMessageA(h, IDC_COMBO_LIST, CB_SETCURSEL, (WPARAM)-1, 0);
    m.dlg.UpdateData(TRUE);
    EXPECT_TRUE(m.dlg.m_listText.IsEmpty());

    // The empty text begins every item: the first is selected.
    m.dlg.m_listText.Empty();
    m.dlg.UpdateData(FALSE);
    EXPECT_EQ(0, SelectedIndex(h, IDC_COMBO_LIST));
}

TEST(DataExchangeTest, CBStringOnADropDownSetsTheEditText)
{
    Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    HWND h = m.hwnd();
    m.dlg.m_dropText = "Custom \xE9";
    m.dlg.UpdateData(FALSE);
    EXPECT_EQ("Custom \xE9", ui::WindowText(::GetDlgItem(h, IDC_COMBO_DROP)));
    m.dlg.m_dropText.Empty();
    m.dlg.UpdateData(TRUE);
    EXPECT_EQ("Custom \xE9", std::string(m.dlg.m_dropText));
    m.dlg.m_dropText = "OS";
    m.dlg.UpdateData(FALSE);
    m.dlg.UpdateData(TRUE);
    EXPECT_EQ("OS/2", std::string(m.dlg.m_dropText));
}

TEST(DataExchangeTest, CheckStates)
{
    Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    HWND h = m.hwnd();
    for (int state : {1, 2, 0})
    {
        m.dlg.m_checkState = state;
        m.dlg.UpdateData(FALSE);
        EXPECT_EQ((UINT)state, ::IsDlgButtonChecked(h, IDC_CHECK));
        m.dlg.m_checkState = 99;
        m.dlg.UpdateData(TRUE);
        EXPECT_EQ(state, m.dlg.m_checkState);
    }
    ::CheckDlgButton(h, IDC_CHECK, BST_CHECKED);
    for (int bad : {5, -1, 3})
    {
        m.dlg.m_checkState = bad;
        m.dlg.UpdateData(FALSE);
        EXPECT_EQ(0u, ::IsDlgButtonChecked(h, IDC_CHECK)) << bad;
        EXPECT_EQ(0, m.dlg.m_checkState);
        ::CheckDlgButton(h, IDC_CHECK, BST_CHECKED);
    }
    EXPECT_EQ(1, m.dlg.m_check.GetCheck());
}

TEST(DataExchangeTest, TextRoundTripKeepsEveryByteAndLength)
{
    Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    const char *text = "\xC4pfel ; = [x] \xA0\xFF\x80 end ";
    m.dlg.m_edit = text;
    m.dlg.UpdateData(FALSE);
    m.dlg.m_edit = "overwritten";
    m.dlg.UpdateData(TRUE);
    EXPECT_EQ(std::string(text), std::string(m.dlg.m_edit));

    std::string longText(3000, 'w');
    longText += "\xE9";
    m.dlg.m_edit = longText.c_str();
    m.dlg.UpdateData(FALSE);
    m.dlg.m_edit.Empty();
    m.dlg.UpdateData(TRUE);
    EXPECT_EQ(longText, std::string(m.dlg.m_edit));
}

TEST(DataExchangeTest, LoadingDoesNotFireNotificationsButTypingDoes)
{
    Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    m.dlg.calls.clear();
    m.dlg.m_edit = "shown by the exchange";
    m.dlg.UpdateData(FALSE);
    EXPECT_TRUE(m.dlg.calls.empty());
    ::SetDlgItemTextA(m.hwnd(), IDC_EDIT, "typed");
    std::vector<std::string> expected = {"OnEditChange"};
    EXPECT_EQ(expected, m.dlg.calls);
}

TEST(DataExchangeTest, MissingControlFailsTheExchange)
{
    Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    m.dlg.m_withMissingControl = true;
    m.dlg.m_edit = "kept";
    EXPECT_FALSE(m.dlg.UpdateData(FALSE));
    EXPECT_FALSE(m.dlg.UpdateData(TRUE));
    // The controls that exist were still exchanged.
    EXPECT_EQ("kept", std::string(m.dlg.m_edit));
    m.dlg.m_withMissingControl = false;
    EXPECT_TRUE(m.dlg.UpdateData(TRUE));
}

// ---- attachment -----------------------------------------------------------

TEST(AttachTest, FromHandlePermanentFindsOnlyAttachedObjects)
{
    HWND hwnd, list, label;
    {
        Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
        hwnd = m.hwnd();
        EXPECT_EQ(hwnd, m.dlg.hwndAtInit);   // attached before OnInitDialog
        EXPECT_EQ(1, m.dlg.initCount);
        EXPECT_EQ(&m.dlg, CWnd::FromHandlePermanent(hwnd));
        list = ::GetDlgItem(hwnd, IDC_LIST);
        label = ::GetDlgItem(hwnd, IDC_LABEL);
        EXPECT_EQ(list, m.dlg.m_list.m_hWnd);
        EXPECT_EQ(&m.dlg.m_list, CWnd::FromHandlePermanent(list));
        EXPECT_EQ(&m.dlg.m_list, m.dlg.GetDlgItem(IDC_LIST));
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(label));
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(NULL));

        // A temporary wrapper for the label: the same one while it lasts.
        CWnd *temp = CWnd::FromHandle(label);
        ASSERT_NE(nullptr, temp);
        EXPECT_EQ(label, temp->m_hWnd);
        EXPECT_EQ(temp, m.dlg.GetDlgItem(IDC_LABEL));
        EXPECT_EQ(&m.dlg, temp->GetParent());
        EXPECT_EQ(IDC_LABEL, temp->GetDlgCtrlID());
        EXPECT_EQ(nullptr, m.dlg.GetDlgItem(4321));

        // DDX_Control attaches once; a second exchange keeps the object.
        m.dlg.UpdateData(TRUE);
        EXPECT_EQ(&m.dlg.m_list, CWnd::FromHandlePermanent(list));
        EXPECT_FALSE(m.dlg.m_list.Attach(label));

        EXPECT_TRUE(m.dlg.DestroyWindow());
        EXPECT_EQ(nullptr, m.dlg.m_hWnd);
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hwnd));
    }
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(list));
}

TEST(AttachTest, DetachAndTheObjectsLifetime)
{
    HWND box = ::CreateWindowA("LISTBOX", "", WS_POPUP, 0, 0, 50, 50, NULL, NULL, NULL, NULL);
    ASSERT_NE(nullptr, box);
    {
        CListBox lb;
        EXPECT_TRUE(lb.Attach(box));
        EXPECT_EQ(&lb, CWnd::FromHandlePermanent(box));
        EXPECT_EQ(box, lb.Detach());
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(box));
        EXPECT_TRUE(lb.Attach(box));
    }
    // The object is gone, the window is not: a CWnd does not own it.
    EXPECT_TRUE(::IsWindow(box));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(box));
    ::DestroyWindow(box);
}

TEST(AttachTest, ModelessChildPage)
{
    class CPage : public CDialog
    {
    public:
        CPage() : CDialog(IDD_PAGE) {}
        void OnOK() override {}
        void OnCancel() override {}
    };
    Modeless<CControlsDlg> m;
    ASSERT_NE(nullptr, m.hwnd());
    {
        CPage page;
        ASSERT_TRUE(page.Create(IDD_PAGE, &m.dlg));
        EXPECT_EQ(m.hwnd(), ::GetParent(page.m_hWnd));
        EXPECT_EQ(&m.dlg, page.GetParent());
        EXPECT_TRUE(::GetWindowLongPtrA(page.m_hWnd, GWL_STYLE) & WS_CHILD);
        EXPECT_EQ(&page, CWnd::FromHandlePermanent(page.m_hWnd));
        EXPECT_FALSE(page.Create(IDD_PAGE, &m.dlg));   // one window per object
        // Placing it as the main dialog places its pages.
        page.SetWindowPos(&CWnd::wndTop, 7, 9, 0, 0, SWP_NOSIZE);
        CRect rc;
        page.GetWindowRect(&rc);
        m.dlg.ScreenToClient(&rc);
        EXPECT_EQ(7, rc.left);
        EXPECT_EQ(9, rc.top);
    }
    // The page object went first: its window went with it.
    EXPECT_EQ(nullptr, ::FindWindowExA(m.hwnd(), NULL, "#32770", NULL));
}

TEST(AttachTest, MissingTemplates)
{
    CDialog dlg(IDD_MISSING);
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_FALSE(dlg.Create(IDD_MISSING, NULL));
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

// ---- modal dialogs --------------------------------------------------------

TEST(ModalTest, OkSavesTheControlsAndEnds)
{
    CControlsDlg dlg;
    dlg.m_edit = "initial";
    dlg.m_listText = "OS/2";
    std::string shown;
    int shownSel = -2;
    INT_PTR result = ui::RunModal(dlg, [&](CDialog &d) {
        shown = ui::WindowText(::GetDlgItem(d.m_hWnd, IDC_EDIT));
        shownSel = SelectedIndex(d.m_hWnd, IDC_COMBO_LIST);
        ::SetDlgItemTextA(d.m_hWnd, IDC_EDIT, "edited \xE9");
        ::CheckDlgButton(d.m_hWnd, IDC_CHECK, BST_CHECKED);
        ui::Click(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("initial", shown);
    EXPECT_EQ(2, shownSel);
    EXPECT_EQ("edited \xE9", std::string(dlg.m_edit));
    EXPECT_EQ(1, dlg.m_checkState);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(1, dlg.initCount);
}

TEST(ModalTest, EscapeAndTheCloseBoxReachOnCancel)
{
    CControlsDlg esc;
    esc.m_edit = "unchanged";
    INT_PTR result = ui::RunModal(esc, [](CDialog &d) {
        HWND edit = ::GetDlgItem(d.m_hWnd, IDC_EDIT);
        ::SetWindowTextA(edit, "discarded");
        ::SetFocus(edit);
        // What the modal loop does with the key: the dialog manager turns
        // Esc into IDCANCEL.
        MSG key = {edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {0, 0}};
        ::IsDialogMessageA(d.m_hWnd, &key);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ("unchanged", std::string(esc.m_edit));
    EXPECT_EQ(1, std::count(esc.calls.begin(), esc.calls.end(), "OnCancel"));

    CControlsDlg close;
    result = ui::RunModal(close, [](CDialog &d) {
        // The Close box: SC_CLOSE, WM_CLOSE, then the dialog manager posts IDCANCEL.
        ::SendMessageA(d.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        ui::Pump();
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(1, std::count(close.calls.begin(), close.calls.end(), "OnCancel"));
}

TEST(ModalTest, OwnerIsTheMainWindowUnlessAParentIsGiven)
{
    CHelpApp app;
    Modeless<CControlsDlg> main;
    app.m_pMainWnd = &main.dlg;
    EXPECT_EQ(&main.dlg, AfxGetMainWnd());

    CControlsDlg child;
    HWND owner = NULL;
    EXPECT_EQ(IDCANCEL, ui::RunModal(child, [&](CDialog &d) {
        owner = ::GetWindow(d.m_hWnd, GW_OWNER);
        ui::Click(d.m_hWnd, IDCANCEL);
    }));
    EXPECT_EQ(main.hwnd(), owner);

    // The main window itself, run modally, has no owner.
    app.m_pMainWnd = &child;
    owner = (HWND)1;
    EXPECT_EQ(IDCANCEL, ui::RunModal(child, [&](CDialog &d) {
        owner = ::GetWindow(d.m_hWnd, GW_OWNER);
        ui::Click(d.m_hWnd, IDCANCEL);
    }));
    EXPECT_EQ(nullptr, owner);
    app.m_pMainWnd = NULL;
}

} // namespace
