// listtransfer.h - moves the selected entries between a page's two lists.
//
// The left list holds what may be added, the right one what has been chosen.
// A move takes the selected entries out of one list and adds them to the
// other, keeping their order among themselves, updating both boxes in
// place; the moved items arrive selected. Add and Remove are enabled only
// while a configuration is shown and their list has a selection. The
// transfer owns nothing: lists and buttons are the page's.
#pragma once

#include "recordlistbox.h"

class ListTransfer
{
public:
    // Binds the transfer, once, while the page initialises; both buttons
    // start disabled.
    void Setup(RecordListBox *left, RecordListBox *right, CWnd *addButton, CWnd *removeButton);

    // Whether the lists belong to a configuration; without one neither
    // button is enabled.
    void SetActive(bool active) { this->active = active; }

    // Each returns how many entries moved.
    size_t AddSelected();
    size_t RemoveSelected();

    // The page forwards LBN_SELCHANGE of either box here. Afterwards at most
    // one box has a selection and only that box's button can be enabled.
    // Any other list box is ignored.
    void SelectionChanged(CListBox *box);

private:
    size_t Move(RecordListBox *source, RecordListBox *target);

    RecordListBox *left = NULL;
    RecordListBox *right = NULL;
    CWnd *addButton = NULL;
    CWnd *removeButton = NULL;
    bool active = false;
};
