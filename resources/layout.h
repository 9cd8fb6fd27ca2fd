// Layout of the dialog templates, in dialog units. The pages are stacked at
// the main dialog's placeholder, so the placeholder has the pages' size.
#ifndef RVX_LAYOUT_H
#define RVX_LAYOUT_H

#define MARGIN      7
#define PAD         4
#define BTN_W       54
#define BTN_H       14

#define PAGE_W      330
#define PAGE_H      196
#define PAGE_Y      24

#define MAIN_W      (PAGE_W + 2 * MARGIN)
#define BTN_ROW_Y   (PAGE_Y + PAGE_H + 6)
#define MAIN_H      (BTN_ROW_Y + BTN_H + MARGIN)

// Two list boxes with the move buttons between them.
#define LIST_Y      (PAD + 52)
#define LIST_W      136
#define LIST_H      (PAGE_H - LIST_Y - PAD)
#define MOVE_W      42
#define MOVE_X      (PAD + LIST_W + 6)
#define RIGHT_X     (PAGE_W - PAD - LIST_W)
#define LIST_STYLE  (LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP)

// The two groups of the conflict-resolution page.
#define GROUP_Y     (PAD + 24)
#define GROUP_W     ((PAGE_W - 2 * PAD - 8) / 2)
#define GROUP_H     100
#define GROUP2_X    (PAD + GROUP_W + 8)

#endif
