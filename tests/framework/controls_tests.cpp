// Control wrappers, the system menu, icons, painting helpers and the
// controls' attachment across runs of a dialog.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "afxwin.h"
#include "ui_helpers.h"
#include "test_resource.h"

namespace {

class CBoxesDlg : public CDialog
{
public:
    CBoxesDlg() : CDialog(IDD_CONTROLS) {}
    CListBox m_list, m_multi;
    CComboBox m_combo;
    CButton m_check;
    std::vector<HWND> attachedAtInit;
    int erased = 0;

    void DoDataExchange(CDataExchange *pDX) override
    {
        DDX_Control(pDX, IDC_LIST, m_list);
        DDX_Control(pDX, IDC_LIST_MULTI, m_multi);
        DDX_Control(pDX, IDC_COMBO_LIST, m_combo);
        DDX_Control(pDX, IDC_CHECK, m_check);
    }
    BOOL OnInitDialog() override
    {
        BOOL r = CDialog::OnInitDialog();
        attachedAtInit.push_back(m_list.m_hWnd);
        return r;
    }
    BOOL OnEraseBkgnd(CDC *pDC)
    {
        ++erased;
        return pDC->GetSafeHdc() != NULL;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBoxesDlg, CDialog)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

struct Boxes
{
    CBoxesDlg dlg;
    Boxes() { EXPECT_TRUE(dlg.Create(IDD_CONTROLS)); }
    ~Boxes() { dlg.DestroyWindow(); }
};

TEST(ListBoxTest, TextsDataAndErrors)
{
    Boxes b;
    ASSERT_NE(nullptr, b.dlg.m_hWnd);
    CListBox &lb = b.dlg.m_list;
    EXPECT_EQ(0, lb.GetCount());
    EXPECT_EQ(0, lb.AddString("\xC4pfel ; = [1]"));
    EXPECT_EQ(1, lb.AddString(""));
    EXPECT_EQ(0, lb.InsertString(0, "first"));
    EXPECT_EQ(3, lb.GetCount());

    CString text("stale");
    EXPECT_EQ(13, lb.GetText(1, text));
    EXPECT_EQ("\xC4pfel ; = [1]", std::string(text));
    EXPECT_EQ(0, lb.GetText(2, text));
    EXPECT_TRUE(text.IsEmpty());
    text = "stale";
    EXPECT_EQ(LB_ERR, lb.GetText(3, text));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(LB_ERR, lb.GetTextLen(-1));

    // Item data holds a full pointer (a POSITION) on 64-bit as well.
    CPtrList list;
    int x = 7;
    POSITION pos = list.AddTail(&x);
    lb.SetItemData(1, (DWORD_PTR)pos);
    EXPECT_EQ((DWORD_PTR)pos, lb.GetItemData(1));
    EXPECT_EQ(&x, list.GetAt((POSITION)lb.GetItemData(1)));

    EXPECT_EQ(1, lb.FindStringExact(-1, "\xC4PFEL ; = [1]"));   // the control ignores case
    EXPECT_EQ(0, lb.FindString(-1, "fir"));
    EXPECT_EQ(LB_ERR, lb.FindStringExact(-1, "none"));
    EXPECT_EQ(LB_ERR, lb.GetCurSel());
    EXPECT_EQ(1, lb.SetCurSel(1));
    EXPECT_EQ(1, lb.GetCurSel());
    EXPECT_EQ(2, lb.DeleteString(0));
    EXPECT_EQ(0, lb.GetCurSel());   // the selection moved up with its item
    lb.SetHorizontalExtent(321);
    EXPECT_EQ(321, lb.GetHorizontalExtent());
    EXPECT_EQ(0, lb.GetTopIndex());
    lb.ResetContent();
    EXPECT_EQ(0, lb.GetCount());
}

TEST(ListBoxTest, MultipleSelection)
{
    Boxes b;
    ASSERT_NE(nullptr, b.dlg.m_hWnd);
    CListBox &lb = b.dlg.m_multi;
    for (const char *t : {"a", "b", "c", "d"})
        lb.AddString(t);
    EXPECT_EQ(0, lb.GetSelCount());
    lb.SetSel(1);
    lb.SetSel(3);
    EXPECT_EQ(2, lb.GetSelCount());
    int items[4] = {-1, -1, -1, -1};
    EXPECT_EQ(2, lb.GetSelItems(4, items));
    EXPECT_EQ(1, items[0]);
    EXPECT_EQ(3, items[1]);
    EXPECT_GT(lb.GetSel(1), 0);
    EXPECT_EQ(0, lb.GetSel(0));
    lb.SetSel(-1, FALSE);
    EXPECT_EQ(0, lb.GetSelCount());
}

TEST(ComboBoxTest, TextsSelectionAndErrors)
{
    Boxes b;
    ASSERT_NE(nullptr, b.dlg.m_hWnd);
    CComboBox &cb = b.dlg.m_combo;
    for (const char *t : {"Windows NT", "Windows 95", "\xC4lteres"})
        cb.AddString(t);
    EXPECT_EQ(3, cb.GetCount());
    EXPECT_EQ(CB_ERR, cb.GetCurSel());
    EXPECT_EQ(1, cb.SelectString(-1, "Windows 9"));
    EXPECT_EQ(1, cb.GetCurSel());
    EXPECT_EQ(CB_ERR, cb.SelectString(-1, "Solaris"));
    EXPECT_EQ(1, cb.GetCurSel());   // unchanged
    EXPECT_EQ(2, cb.FindStringExact(-1, "\xC4lteres"));
    EXPECT_EQ(0, cb.FindString(-1, "Win"));

    CString text;
    EXPECT_EQ(7, cb.GetLBText(2, text));
    EXPECT_EQ("\xC4lteres", std::string(text));
    text = "stale";
    EXPECT_EQ(CB_ERR, cb.GetLBText(7, text));
    EXPECT_TRUE(text.IsEmpty());

    cb.SetItemData(0, (DWORD_PTR)3);
    EXPECT_EQ((DWORD_PTR)3, cb.GetItemData(0));
    EXPECT_EQ(CB_ERR, cb.SetCurSel(-1));
    EXPECT_EQ(CB_ERR, cb.GetCurSel());
    EXPECT_EQ(0, cb.InsertString(0, "top"));
    EXPECT_EQ(3, cb.DeleteString(3));
    cb.ResetContent();
    EXPECT_EQ(0, cb.GetCount());
}

TEST(ButtonTest, CheckAndState)
{
    Boxes b;
    ASSERT_NE(nullptr, b.dlg.m_hWnd);
    CButton &check = b.dlg.m_check;
    check.SetCheck(BST_INDETERMINATE);
    EXPECT_EQ(BST_INDETERMINATE, check.GetCheck());
    EXPECT_EQ((UINT)BST_INDETERMINATE, check.GetState() & 3);
    check.SetCheck(BST_CHECKED);
    EXPECT_EQ(1u, b.dlg.IsDlgButtonChecked(IDC_CHECK));
    b.dlg.CheckDlgButton(IDC_CHECK, BST_UNCHECKED);
    EXPECT_EQ(0, check.GetCheck());
}

TEST(WindowTest, SystemMenuIconsTextAndPainting)
{
    Boxes b;
    ASSERT_NE(nullptr, b.dlg.m_hWnd);
    CMenu *menu = b.dlg.GetSystemMenu(FALSE);
    ASSERT_NE(nullptr, menu);
    int before = menu->GetMenuItemCount();
    EXPECT_TRUE(menu->InsertMenu(3, MF_BYPOSITION | MF_SEPARATOR));
    EXPECT_TRUE(menu->AppendMenu(MF_SEPARATOR));
    EXPECT_TRUE(menu->AppendMenu(MF_STRING, 57664, "About..."));
    EXPECT_EQ(before + 3, menu->GetMenuItemCount());
    EXPECT_EQ(57664u, menu->GetMenuItemID(menu->GetMenuItemCount() - 1));
    menu->EnableMenuItem(57664, MF_BYCOMMAND | MF_GRAYED);
    EXPECT_TRUE(menu->GetMenuState(57664, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ((UINT)-1, menu->EnableMenuItem(4711, MF_BYCOMMAND | MF_GRAYED));

    HICON icon = ::LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    b.dlg.SetIcon(icon, TRUE);
    EXPECT_EQ(icon, b.dlg.SetIcon(NULL, TRUE));   // the previous one comes back

    b.dlg.SetWindowText("Caption \xE9");
    CString caption;
    b.dlg.GetWindowText(caption);
    EXPECT_EQ("Caption \xE9", std::string(caption));
    EXPECT_EQ(9, b.dlg.GetWindowTextLength());
    b.dlg.SetDlgItemText(IDC_EDIT, "inner");
    EXPECT_EQ(5, b.dlg.GetDlgItemText(IDC_EDIT, caption));
    EXPECT_EQ(0, b.dlg.GetDlgItemText(4321, caption));
    EXPECT_TRUE(caption.IsEmpty());

    // WM_ERASEBKGND reaches the map with the DC, and its BOOL comes back.
    CDC *dc = b.dlg.GetDC();
    ASSERT_NE(nullptr, dc);
    EXPECT_EQ(TRUE, ::SendMessageA(b.dlg.m_hWnd, WM_ERASEBKGND, (WPARAM)dc->m_hDC, 0));
    EXPECT_EQ(1, b.dlg.erased);
    CSize size = dc->GetTextExtent(CString("wide text"));
    EXPECT_GT(size.cx, dc->GetTextExtent("w", 1).cx);
    EXPECT_EQ(0, dc->GetTextExtent("", 0).cx);
    EXPECT_EQ(1, b.dlg.ReleaseDC(dc));
}

TEST(WindowTest, ControlsAreReattachedOnEveryRunOfTheDialog)
{
    CBoxesDlg dlg;
    for (int run = 0; run < 2; ++run)
    {
        HWND during = NULL;
        EXPECT_EQ(IDCANCEL, ui::RunModal(dlg, [&](CDialog &d) {
            during = ::GetDlgItem(d.m_hWnd, IDC_LIST);
            ui::Click(d.m_hWnd, IDCANCEL);
        }));
        ASSERT_EQ((size_t)run + 1, dlg.attachedAtInit.size());
        EXPECT_EQ(during, dlg.attachedAtInit[(size_t)run]) << "run " << run;
        // The control went with the dialog; its object let go.
        EXPECT_EQ(nullptr, dlg.m_list.m_hWnd);
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(during));
    }
}

TEST(WindowTest, PlacementHelpers)
{
    Boxes b;
    ASSERT_NE(nullptr, b.dlg.m_hWnd);
    b.dlg.MoveWindow(10, 20, 300, 200);
    CRect rc;
    b.dlg.GetWindowRect(&rc);
    EXPECT_EQ(300, rc.Width());
    EXPECT_EQ(200, rc.Height());
    b.dlg.SetWindowPos(NULL, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    b.dlg.GetWindowRect(&rc);
    EXPECT_EQ(30, rc.left);
    EXPECT_EQ(300, rc.Width());

    CRect client;
    b.dlg.GetClientRect(&client);
    CRect screen = client;
    b.dlg.ClientToScreen(&screen);
    b.dlg.ScreenToClient(&screen);
    EXPECT_EQ(client.left, screen.left);
    EXPECT_EQ(client.bottom, screen.bottom);

    b.dlg.CenterWindow();
    b.dlg.GetWindowRect(&rc);
    RECT work;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((work.left + work.right) / 2, (rc.left + rc.right) / 2, 1);
}

TEST(AppRunTest, MessageLoopEndsAtQuitWithExitInstance)
{
    struct CLoopApp : CWinApp
    {
        int exited = 0;
        int ExitInstance() override { return ++exited + 40; }
    } app;
    ::PostQuitMessage(0);
    EXPECT_EQ(41, app.Run());
    EXPECT_EQ(1, app.exited);
}

} // namespace
