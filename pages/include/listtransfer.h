// listtransfer.h - moves the selected entries between a page's two lists.
//
// The left list holds what may be added, the right one what has been chosen.
// A move takes the selected entries out of one list and appends them to the
// other (the last selected first, as they have always arrived), updating
// both boxes in place; the moved items arrive selected. Add and Remove are
// enabled only when they can act. The transfer owns nothing: lists and
// buttons are the page's.
#pragma once

#include "recordlistbox.h"

class ListTransfer
{
public:
    // Binds the transfer, once, while the page initialises; both buttons
    // start disabled.
    void Setup(RecordListBox *left, RecordListBox *right, CWnd *addButton, CWnd *removeButton);

    void AddSelected();
    void RemoveSelected();

    // The page forwards LBN_SELCHANGE of either box here. Afterwards at most
    // one box has a selection and only that box's button can be enabled.
    // Any other list box is ignored.
    void SelectionChanged(CListBox *box);

private:
    void Move(RecordListBox *source, RecordListBox *target, CWnd *sourceButton, CWnd *targetButton);

    RecordListBox *left = NULL;
    RecordListBox *right = NULL;
    CWnd *addButton = NULL;
    CWnd *removeButton = NULL;
};
