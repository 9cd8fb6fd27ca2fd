// The two list pages' shared part.
#include "listpage.h"

#include "resource.h"

BEGIN_MESSAGE_MAP(CListPage, CClientPage)
    ON_BN_CLICKED(IDC_ADD, OnAdd)
    ON_BN_CLICKED(IDC_REMOVE, OnRemove)
    ON_LBN_SELCHANGE(IDC_RIGHT_LIST, OnSelChangeRight)
    ON_LBN_SELCHANGE(IDC_LEFT_LIST, OnSelChangeLeft)
    ON_LBN_DBLCLK(IDC_LEFT_LIST, OnAdd)
    ON_LBN_DBLCLK(IDC_RIGHT_LIST, OnRemove)
    ON_EN_CHANGE(IDC_FILTER, OnFilterChange)
END_MESSAGE_MAP()

void CListPage::DoDataExchange(CDataExchange *pDX)
{
    CClientPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LEFT_LIST, left);
    DDX_Control(pDX, IDC_RIGHT_LIST, right);
    DDX_Control(pDX, IDC_REMOVE, removeButton);
    DDX_Control(pDX, IDC_ADD, addButton);
    DDX_Control(pDX, IDC_FILTER, filterBox);
}

BOOL CListPage::PreTranslateMessage(MSG *pMsg)
{
    return filter.HandleKey(pMsg) || CClientPage::PreTranslateMessage(pMsg);
}

void CListPage::SetupLists()
{
    transfer.Setup(&left, &right, &addButton, &removeButton);
    filter.Setup(&filterBox, &left);
    // What may be added is shown in catalogue order whatever comes back.
    left.KeepKeyOrder();
}

std::unordered_set<int> CListPage::KeysOf(const std::vector<ListEntry> &entries)
{
    std::unordered_set<int> keys;
    keys.reserve(entries.size());
    for (const ListEntry &entry : entries)
        keys.insert(entry.key);
    return keys;
}

void CListPage::ShowLists(std::vector<ListEntry> leftEntries, std::vector<ListEntry> rightEntries)
{
    left.SetEntries(std::move(leftEntries));
    right.SetEntries(std::move(rightEntries));
    transfer.SetActive(current != NULL);
    transfer.SelectionChanged(&right);
    SelectionMayHaveChanged();
}

void CListPage::OnAdd()
{
    if (!MayAdd())
        return;
    if (transfer.AddSelected())
        modified = 1;
    right.SetFocus();
    SelectionMayHaveChanged();
}

void CListPage::OnRemove()
{
    if (transfer.RemoveSelected())
        modified = 1;
    left.SetFocus();
    SelectionMayHaveChanged();
}

void CListPage::OnSelChangeRight()
{
    transfer.SelectionChanged(&right);
    SelectionMayHaveChanged();
}

void CListPage::OnSelChangeLeft()
{
    transfer.SelectionChanged(&left);
    SelectionMayHaveChanged();
}

void CListPage::OnFilterChange()
{
    filter.TextChanged();
    // Add follows what is selected among the items still shown.
    if (left.GetSelCount() > 0)
        transfer.SelectionChanged(&left);
    else
        addButton.EnableWindow(FALSE);
    SelectionMayHaveChanged();
}
