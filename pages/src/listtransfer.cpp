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

void ListTransfer::AddSelected()
{
    if (left)
        Move(left, right, addButton, removeButton);
}

void ListTransfer::RemoveSelected()
{
    if (left)
        Move(right, left, removeButton, addButton);
}

void ListTransfer::Move(RecordListBox *source, RecordListBox *target, CWnd *sourceButton, CWnd *targetButton)
{
    RecordListBox::RedrawOff holdSource(*source), holdTarget(*target);
    target->Append(source->TakeSelected());
    sourceButton->EnableWindow(FALSE);
    targetButton->EnableWindow(TRUE);
}

void ListTransfer::SelectionChanged(CListBox *box)
{
    if (!left)
        return;
    if (box == right) {
        removeButton->EnableWindow(right->GetSelCount() > 0);
        left->ClearSelection();
        addButton->EnableWindow(FALSE);
    } else if (box == left) {
        addButton->EnableWindow(left->GetSelCount() > 0);
        right->ClearSelection();
        removeButton->EnableWindow(FALSE);
    }
}
