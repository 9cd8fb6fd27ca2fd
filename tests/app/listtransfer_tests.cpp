// ListTransfer on the real list boxes and buttons of the client assignments
// page template (multiple selection, not sorted).
#include "listtransfer.h"

#include <string>
#include <vector>

#include "resource.h"
#include "ui_helpers.h"

namespace {

struct Notification
{
    CListBox *box;
    int index;
    std::string text;
    DWORD context;
};

std::vector<Notification> added;
std::vector<Notification> removed;

void OnAdded(CListBox *box, int index, LPCSTR text, DWORD context)
{
    added.push_back({box, index, text, context});
}

void OnRemoved(CListBox *box, int index, LPCSTR text, DWORD context)
{
    removed.push_back({box, index, text, context});
}

class ListTransferTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(language.Loaded());
        frame = CreateWindowExA(0, "STATIC", "frame", WS_POPUP, 0, 0, 700, 500, NULL, NULL, NULL, NULL);
        ASSERT_TRUE(frame != NULL);
        frameWnd.Attach(frame);
        ASSERT_TRUE(page.Create(IDD_PAGE_ASSIGN, &frameWnd));
        left.Attach(::GetDlgItem(page.m_hWnd, IDC_LEFT_LIST));
        right.Attach(::GetDlgItem(page.m_hWnd, IDC_RIGHT_LIST));
        addButton.Attach(::GetDlgItem(page.m_hWnd, IDC_ADD));
        removeButton.Attach(::GetDlgItem(page.m_hWnd, IDC_REMOVE));
        leftItems.Attach(CreateWindowExA(0, "BUTTON", "left items", WS_CHILD, 0, 0, 10, 10, page.m_hWnd, NULL, NULL, NULL));
        rightItems.Attach(CreateWindowExA(0, "BUTTON", "right items", WS_CHILD, 0, 0, 10, 10, page.m_hWnd, NULL, NULL, NULL));
        added.clear();
        removed.clear();
    }

    void TearDown() override
    {
        left.Detach();
        right.Detach();
        addButton.Detach();
        removeButton.Detach();
        leftItems.Detach();
        rightItems.Detach();
        if (page.m_hWnd)
            page.DestroyWindow();
        frameWnd.Detach();
        if (frame)
            ::DestroyWindow(frame);
    }

    void Fill(CListBox &box, const std::vector<std::string> &texts, DWORD_PTR firstData)
    {
        for (size_t i = 0; i < texts.size(); ++i) {
            int index = box.AddString(texts[i].c_str());
            box.SetItemData(index, firstData + i);
        }
    }

    void SetupPlain()
    {
        transfer.Setup(&page, 0, &left, &right, &addButton, &removeButton);
    }

    std::vector<int> Selected(CListBox &box)
    {
        std::vector<int> result;
        for (int i = 0; i < box.GetCount(); ++i)
            if (box.GetSel(i) > 0)
                result.push_back(i);
        return result;
    }

    ui::LanguageLibrary language;
    HWND frame = NULL;
    CWnd frameWnd;
    CDialog page{IDD_PAGE_ASSIGN};
    CListBox left, right;
    CWnd addButton, removeButton, leftItems, rightItems;
    ListTransfer transfer;
};

TEST_F(ListTransferTest, DoesNothingBeforeSetup)
{
    Fill(left, {"A", "B"}, 10);
    Fill(right, {"R"}, 20);
    left.SetSel(0, TRUE);
    right.SetSel(0, TRUE);
    addButton.EnableWindow(TRUE);
    removeButton.EnableWindow(TRUE);

    EXPECT_FALSE(transfer.IsSetUp());
    transfer.AddSelected();
    transfer.RemoveSelected();
    transfer.SelectionChanged(&left);
    transfer.SelectionChanged(&right);

    EXPECT_EQ(ui::ListTexts(left.m_hWnd), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ui::ListTexts(right.m_hWnd), (std::vector<std::string>{"R"}));
    EXPECT_EQ(Selected(left), (std::vector<int>{0}));
    EXPECT_EQ(Selected(right), (std::vector<int>{0}));
    EXPECT_TRUE(addButton.IsWindowEnabled());
    EXPECT_TRUE(removeButton.IsWindowEnabled());
}

TEST_F(ListTransferTest, SetupDisablesBothButtonsAndSetsItemButtonsByContents)
{
    Fill(left, {"A"}, 1);
    addButton.EnableWindow(TRUE);
    removeButton.EnableWindow(TRUE);
    leftItems.EnableWindow(FALSE);
    rightItems.EnableWindow(TRUE);

    transfer.Setup(&page, 7, &left, &right, &addButton, &removeButton, &leftItems, &rightItems);

    EXPECT_TRUE(transfer.IsSetUp());
    EXPECT_EQ(transfer.GetOwner(), &page);
    EXPECT_FALSE(addButton.IsWindowEnabled());
    EXPECT_FALSE(removeButton.IsWindowEnabled());
    EXPECT_TRUE(leftItems.IsWindowEnabled());    // left holds an item
    EXPECT_FALSE(rightItems.IsWindowEnabled());  // right is empty
}

TEST_F(ListTransferTest, AddWithNothingSelectedMovesNothingButSwapsButtons)
{
    Fill(left, {"A", "B"}, 1);
    SetupPlain();
    addButton.EnableWindow(TRUE);

    transfer.AddSelected();

    EXPECT_EQ(left.GetCount(), 2);
    EXPECT_EQ(right.GetCount(), 0);
    EXPECT_FALSE(addButton.IsWindowEnabled());
    EXPECT_TRUE(removeButton.IsWindowEnabled());
}

TEST_F(ListTransferTest, ThreeSelectedItemsArriveReversedSelectedWithTheirData)
{
    Fill(left, {"A", "x", "B", "y", "C"}, 100);   // data 100..104
    SetupPlain();
    left.SetSel(0, TRUE);
    left.SetSel(2, TRUE);
    left.SetSel(4, TRUE);

    transfer.AddSelected();

    ASSERT_EQ(ui::ListTexts(right.m_hWnd), (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(Selected(right), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(right.GetItemData(0), (DWORD_PTR)104);
    EXPECT_EQ(right.GetItemData(1), (DWORD_PTR)102);
    EXPECT_EQ(right.GetItemData(2), (DWORD_PTR)100);
    // The unselected items stay behind, in their order, with their data.
    ASSERT_EQ(ui::ListTexts(left.m_hWnd), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(left.GetItemData(0), (DWORD_PTR)101);
    EXPECT_EQ(left.GetItemData(1), (DWORD_PTR)103);
    EXPECT_TRUE(Selected(left).empty());
    EXPECT_FALSE(addButton.IsWindowEnabled());
    EXPECT_TRUE(removeButton.IsWindowEnabled());
}

TEST_F(ListTransferTest, RemoveMovesBackAppendedAfterWhatIsThere)
{
    Fill(left, {"keep"}, 1);
    Fill(right, {"P", "Q"}, 50);
    SetupPlain();
    right.SetSel(1, TRUE);

    transfer.RemoveSelected();

    EXPECT_EQ(ui::ListTexts(left.m_hWnd), (std::vector<std::string>{"keep", "Q"}));
    EXPECT_EQ(left.GetItemData(1), (DWORD_PTR)51);
    EXPECT_EQ(Selected(left), (std::vector<int>{1}));
    EXPECT_EQ(ui::ListTexts(right.m_hWnd), (std::vector<std::string>{"P"}));
    EXPECT_FALSE(removeButton.IsWindowEnabled());
    EXPECT_TRUE(addButton.IsWindowEnabled());
}

TEST_F(ListTransferTest, ItemDataKeepsEveryBitOfAPointerSizedValue)
{
    DWORD_PTR big = (DWORD_PTR)-2;   // all bits but one: no truncation on 64-bit
    int index = left.AddString("wide");
    left.SetItemData(index, big);
    SetupPlain();
    left.SetSel(index, TRUE);
    transfer.AddSelected();
    ASSERT_EQ(right.GetCount(), 1);
    EXPECT_EQ(right.GetItemData(0), big);
}

TEST_F(ListTransferTest, HorizontalExtentCoversTheWidestTextAndNeverShrinks)
{
    std::string longText(120, 'W');
    Fill(left, {"i", longText, "m"}, 1);
    SetupPlain();
    for (int i = 0; i < 3; ++i)
        left.SetSel(i, TRUE);

    transfer.AddSelected();

    HDC dc = ::GetDC(right.m_hWnd);
    SIZE size;
    GetTextExtentPoint32A(dc, longText.c_str(), (int)longText.size(), &size);
    ::ReleaseDC(right.m_hWnd, dc);
    EXPECT_GE(right.GetHorizontalExtent(), size.cx);

    // A wider extent set before stays as it was after a narrow move.
    int wide = size.cx + 5000;
    left.SetHorizontalExtent(wide);
    right.SetSel(-1, FALSE);
    right.SetSel(0, TRUE);   // one short text
    transfer.RemoveSelected();
    EXPECT_EQ(left.GetHorizontalExtent(), wide);
}

TEST_F(ListTransferTest, NotificationsCarryBoxIndexTextAndContextInMoveOrder)
{
    Fill(left, {"A", "B"}, 1);
    transfer.Setup(&page, 0xC0FFEE, &left, &right, &addButton, &removeButton, NULL, NULL, &OnAdded, &OnRemoved);
    left.SetSel(0, TRUE);
    left.SetSel(1, TRUE);

    transfer.AddSelected();

    ASSERT_EQ(removed.size(), 2u);
    ASSERT_EQ(added.size(), 2u);
    // The source is walked from its end: B (index 1) goes first.
    EXPECT_EQ(removed[0].box, &left);
    EXPECT_EQ(removed[0].index, 1);
    EXPECT_EQ(removed[0].text, "B");
    EXPECT_EQ(removed[1].index, 0);
    EXPECT_EQ(removed[1].text, "A");
    EXPECT_EQ(added[0].box, &right);
    EXPECT_EQ(added[0].index, 0);
    EXPECT_EQ(added[0].text, "B");
    EXPECT_EQ(added[1].index, 1);
    EXPECT_EQ(added[1].text, "A");
    for (const Notification &n : removed)
        EXPECT_EQ(n.context, (DWORD)0xC0FFEE);
    for (const Notification &n : added)
        EXPECT_EQ(n.context, (DWORD)0xC0FFEE);
}

TEST_F(ListTransferTest, ItemButtonsFollowWhetherEachBoxHoldsItems)
{
    Fill(left, {"only"}, 1);
    transfer.Setup(&page, 0, &left, &right, &addButton, &removeButton, &leftItems, &rightItems);
    left.SetSel(0, TRUE);

    transfer.AddSelected();
    EXPECT_FALSE(leftItems.IsWindowEnabled());   // left is empty now
    EXPECT_TRUE(rightItems.IsWindowEnabled());

    // Moving back one of several keeps the source's items button on.
    Fill(right, {"second"}, 2);
    right.SetSel(-1, FALSE);
    right.SetSel(0, TRUE);
    transfer.RemoveSelected();
    EXPECT_TRUE(rightItems.IsWindowEnabled());   // "second" is still there
    EXPECT_TRUE(leftItems.IsWindowEnabled());
}

TEST_F(ListTransferTest, SelectionOnOneSideClearsTheOtherAndItsButton)
{
    Fill(left, {"L1", "L2"}, 1);
    Fill(right, {"R1", "R2"}, 10);
    SetupPlain();

    left.SetSel(0, TRUE);
    left.SetSel(1, TRUE);
    transfer.SelectionChanged(&left);
    EXPECT_TRUE(addButton.IsWindowEnabled());
    EXPECT_FALSE(removeButton.IsWindowEnabled());

    right.SetSel(1, TRUE);
    transfer.SelectionChanged(&right);
    EXPECT_TRUE(Selected(left).empty());
    EXPECT_EQ(Selected(right), (std::vector<int>{1}));
    EXPECT_FALSE(addButton.IsWindowEnabled());
    EXPECT_TRUE(removeButton.IsWindowEnabled());

    // Deselecting the last selected item on the right disables remove.
    right.SetSel(1, FALSE);
    transfer.SelectionChanged(&right);
    EXPECT_FALSE(removeButton.IsWindowEnabled());
    EXPECT_FALSE(addButton.IsWindowEnabled());

    // Nothing selected on the left either: add stays disabled.
    transfer.SelectionChanged(&left);
    EXPECT_FALSE(addButton.IsWindowEnabled());
}

TEST_F(ListTransferTest, SelectionChangeOfAnUnrelatedBoxChangesNothing)
{
    Fill(left, {"L"}, 1);
    Fill(right, {"R"}, 2);
    SetupPlain();
    left.SetSel(0, TRUE);
    right.SetSel(0, TRUE);
    addButton.EnableWindow(TRUE);
    removeButton.EnableWindow(TRUE);

    CListBox other;
    other.Attach(CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_EXTENDEDSEL, 0, 0, 50, 50, page.m_hWnd, NULL, NULL, NULL));
    transfer.SelectionChanged(&other);
    other.Detach();

    EXPECT_EQ(Selected(left), (std::vector<int>{0}));
    EXPECT_EQ(Selected(right), (std::vector<int>{0}));
    EXPECT_TRUE(addButton.IsWindowEnabled());
    EXPECT_TRUE(removeButton.IsWindowEnabled());
}

} // namespace
