// Moving the selected items of one list box into the other, with their item
// data (record keys), and keeping the add/remove buttons enabled only when
// they can act.
#include "listtransfer.h"

#include <vector>

ListTransfer::ListTransfer()
    : setUp(0), owner(NULL), left(NULL), right(NULL), addButton(NULL), removeButton(NULL),
      leftItemsButton(NULL), rightItemsButton(NULL), addedNotification(NULL),
      removedNotification(NULL), context(0)
{
}

void ListTransfer::Setup(CWnd *ownerPage, DWORD contextValue, CListBox *leftBox, CListBox *rightBox,
                         CWnd *add, CWnd *remove, CWnd *leftItems, CWnd *rightItems,
                         ListTransferNotification added, ListTransferNotification removed)
{
    owner = ownerPage;
    context = contextValue;
    left = leftBox;
    right = rightBox;
    addButton = add;
    removeButton = remove;
    leftItemsButton = leftItems;
    rightItemsButton = rightItems;
    addedNotification = added;
    removedNotification = removed;
    setUp = 1;

    addButton->EnableWindow(FALSE);
    removeButton->EnableWindow(FALSE);
    if (leftItemsButton)
        leftItemsButton->EnableWindow(left->GetCount() > 0);
    if (rightItemsButton)
        rightItemsButton->EnableWindow(right->GetCount() > 0);
}

void ListTransfer::AddSelected()
{
    if (!setUp)
        return;
    MoveSelected(left, right, addButton, leftItemsButton, removeButton, rightItemsButton);
}

void ListTransfer::RemoveSelected()
{
    if (!setUp)
        return;
    MoveSelected(right, left, removeButton, rightItemsButton, addButton, leftItemsButton);
}

void ListTransfer::MoveSelected(CListBox *source, CListBox *target,
                                CWnd *sourceButton, CWnd *sourceItemsButton,
                                CWnd *targetButton, CWnd *targetItemsButton)
{
    // The widths are measured in the target's DC as it comes (its default
    // font): close enough for the scroll range, and what the fill code of
    // the record list boxes does too.
    CDC *dc = target->GetDC();
    if (dc == NULL)
        return;

    // The selected items, asked for once (multiple-selection boxes; a
    // single-selection one answers LB_ERR and is asked item by item).
    int count = source->GetCount();
    std::vector<int> selected;
    int selectedCount = source->GetSelCount();
    bool listed = selectedCount >= 0 && count > 0;
    if (listed) {
        selected.resize((size_t)count);
        int got = source->GetSelItems(count, selected.data());
        listed = got >= 0;
        selected.resize(listed ? (size_t)got : 0);
    }
    // Without notifications nobody looks at the target in between: an
    // unsorted target, where every item is appended, can take the selection
    // of all moved items in one pass at the end.
    bool selectAtEnd = listed && !removedNotification && !addedNotification &&
                       !(::GetWindowLongA(target->m_hWnd, GWL_STYLE) & LBS_SORT);
    std::vector<int> added;

    // From the end, so that deleting item i leaves the indices below it valid.
    for (size_t k = listed ? selected.size() : (size_t)count; k-- > 0;) {
        int i = listed ? selected[k] : (int)k;
        if (!listed && source->GetSel(i) <= 0)
            continue;

        CString text;
        source->GetText(i, text);
        int j = target->AddString(text);
        if (j < 0)
            continue;   // the target is full (LB_ERRSPACE): leave the item where it is
        if (selectAtEnd)
            added.push_back(j);
        else
            target->SetSel(j, TRUE);
        if (removedNotification)
            removedNotification(source, i, text, context);
        target->SetItemData(j, source->GetItemData(i));
        if (addedNotification)
            addedNotification(target, j, text, context);
        source->DeleteString(i);

        CSize extent = dc->GetTextExtent(text);
        if (target->GetHorizontalExtent() < extent.cx)
            target->SetHorizontalExtent(extent.cx);
    }
    target->SelectItems(added);

    sourceButton->EnableWindow(FALSE);
    if (sourceItemsButton && source->GetCount() == 0)
        sourceItemsButton->EnableWindow(FALSE);
    targetButton->EnableWindow(TRUE);
    if (targetItemsButton && target->GetCount() > 0)
        targetItemsButton->EnableWindow(TRUE);

    target->ReleaseDC(dc);
}

void ListTransfer::SelectionChanged(CListBox *box)
{
    if (!setUp)
        return;
    if (box == right) {
        removeButton->EnableWindow(right->GetSelCount() > 0);
        left->SetSel(-1, FALSE);
        addButton->EnableWindow(FALSE);
    } else if (box == left) {
        addButton->EnableWindow(left->GetSelCount() > 0);
        right->SetSel(-1, FALSE);
        removeButton->EnableWindow(FALSE);
    }
}
