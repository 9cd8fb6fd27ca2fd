// Layout of the dialog templates, in dialog units, shared by every language
// library. The sizes leave room for the longest texts of all of them (German
// runs about a third longer than English). The pages are stacked at the main
// dialog's placeholder, so the placeholder has the pages' size.
#ifndef RVX_LAYOUT_H
#define RVX_LAYOUT_H

#define MARGIN      7
#define PAD         4
#define BTN_W       54
#define BTN_H       14
#define WIDE_BTN_W  80          // Reset All, Revert Page
#define LABEL_W     62          // the labels before the comboboxes of a page
#define COMBO_X     (PAD + LABEL_W + 2)

#define PAGE_W      350
#define PAGE_H      196
#define PAGE_Y      24

#define MAIN_W      (PAGE_W + 2 * MARGIN)
#define BTN_ROW_Y   (PAGE_Y + PAGE_H + 6)
#define MAIN_H      (BTN_ROW_Y + BTN_H + MARGIN)
// The right-hand buttons of the main dialog and of the name dialog.
#define RIGHT_BTN_X(width, n)   ((width) - MARGIN - (n) * BTN_W - ((n) - 1) * 4)

// Two list boxes with the move buttons between them; the filter of the
// left-hand one above it.
#define FILTER_Y    (PAD + 40)
#define FILTER_LABEL_W 30
#define LIST_Y      (PAD + 66)
#define LIST_W      136
#define LIST_H      (PAGE_H - LIST_Y - PAD)
#define MOVE_X      (PAD + LIST_W + 6)
#define RIGHT_X     (PAGE_W - PAD - LIST_W)
#define MOVE_W      (RIGHT_X - MOVE_X - 6)
#define LIST_STYLE  (LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP)

// The configurations page's buttons New, Delete and Copy, right of its
// configuration box.
#define CFG_BTN_W   46
#define CFG_BTN_X(n) (PAGE_W - PAD - (3 - (n)) * CFG_BTN_W - (2 - (n)) * 3)

// The client assignments page: the line below its lists naming the selected
// client's configurations, with its label.
#define PLACES_H    12
#define PLACES_Y    (PAGE_H - PAD - PLACES_H)
#define PLACES_LABEL_W 72
#define ASSIGN_LIST_H (LIST_H - PLACES_H - 4)

// The two groups of the conflict-resolution page.
#define GROUP_Y     (PAD + 24)
#define GROUP_W     ((PAGE_W - 2 * PAD - 8) / 2)
#define GROUP_H     100
#define GROUP2_X    (PAD + GROUP_W + 8)

// The name dialog and the About box.
#define NAME_W      240
#define ABOUT_W     240

#endif
