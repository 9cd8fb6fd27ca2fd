// Moving the selected entries of one list into the other, and keeping the
// add and remove buttons enabled only when they can act.
#include "listtransfer.h"

void ListTransfer::Setup(RecordListBox *leftBox, RecordListBox *rightBox, CWnd *add, CWnd *remove)
{
    left = leftBox;
    right = rightBox;
    addButton = add;
    removeButton = remove;
    addButton->EnableWindow(FALSE);
    removeButton->EnableWindow(FALSE);
}

size_t ListTransfer::AddSelected()
{
    return left ? Move(left, right) : 0;
}

size_t ListTransfer::RemoveSelected()
{
    return left ? Move(right, left) : 0;
}

size_t ListTransfer::Move(RecordListBox *source, RecordListBox *target)
{
    RecordListBox::RedrawOff holdSource(*source), holdTarget(*target);
    std::vector<ListEntry> moved = source->TakeSelected();
    target->Add(moved);
    // The moved items are the target's selection now.
    SelectionChanged(target);
    return moved.size();
}

void ListTransfer::SelectionChanged(CListBox *box)
{
    if (!left)
        return;
    if (box == right) {
        removeButton->EnableWindow(active && right->GetSelCount() > 0);
        left->ClearSelection();
        addButton->EnableWindow(FALSE);
    } else if (box == left) {
        addButton->EnableWindow(active && left->GetSelCount() > 0);
        right->ClearSelection();
        removeButton->EnableWindow(FALSE);
    }
}
