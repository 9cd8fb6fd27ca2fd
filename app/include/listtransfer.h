// listtransfer.h - moves the selected items between two list boxes.
//
// Two pages build a set this way: the left box holds what may be added, the
// right box what has been chosen. A ListTransfer owns nothing; the list boxes
// and buttons are members of the page, and the transfer only points at them.
// It never rebinds: Setup is called once, while the page initialises, after
// the left box has been filled.
#pragma once

#include "afxwin.h"

// Called once for each moved item: the list box the item was removed from
// (or added to), the item's index in that box, its text and the context value
// given to Setup.
typedef void (*ListTransferNotification)(CListBox *box, int index, LPCSTR text, DWORD context);

class ListTransfer
{
public:
    ListTransfer();

    // Binds the transfer. addButton and removeButton start disabled; an
    // optional leftItemsButton/rightItemsButton is enabled exactly while its
    // box holds items. Every pointer after removeButton may be null.
    void Setup(CWnd *owner, DWORD context, CListBox *left, CListBox *right,
               CWnd *addButton, CWnd *removeButton,
               CWnd *leftItemsButton = NULL, CWnd *rightItemsButton = NULL,
               ListTransferNotification addedNotification = NULL,
               ListTransferNotification removedNotification = NULL);

    // Moves the left box's selected items to the right box, and back.
    // Items keep their item data and arrive selected; the source is walked
    // from its end, so into a box that does not sort they arrive reversed.
    void AddSelected();
    void RemoveSelected();

    // The page forwards LBN_SELCHANGE of either box here. Afterwards at most
    // one box has a selection and only that box's button can be enabled.
    // Any other list box is ignored.
    void SelectionChanged(CListBox *box);

    int IsSetUp() const { return setUp; }
    CWnd *GetOwner() const { return owner; }

private:
    void MoveSelected(CListBox *source, CListBox *target,
                      CWnd *sourceButton, CWnd *sourceItemsButton,
                      CWnd *targetButton, CWnd *targetItemsButton);

    int setUp;
    CWnd *owner;            // kept for the notifications' benefit; not used here
    CListBox *left;
    CListBox *right;
    CWnd *addButton;
    CWnd *removeButton;
    CWnd *leftItemsButton;  // optional
    CWnd *rightItemsButton; // optional
    ListTransferNotification addedNotification;   // optional
    ListTransferNotification removedNotification; // optional
    DWORD context;

    ListTransfer(const ListTransfer &);
    ListTransfer &operator=(const ListTransfer &);
};
