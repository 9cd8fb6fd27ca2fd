// listfilter.h - the filter edit box (1050) above a page's left-hand list:
// the list shows only the entries whose text holds the filter's text,
// letters compared without regard to case.
//
// Filtering only hides: the page's entries are the same with or without a
// filter, and every action gives the same lists in the same order; the box
// is drawn from them and the filter. Inside the box Enter moves on to the
// list below instead of pressing OK, and Escape clears the text (with the
// box empty it closes the dialog as Cancel does).
#pragma once

#include "afxwin.h"
#include "recordlistbox.h"

#include <string>
#include <vector>

class ListFilter
{
public:
    // Once, while the page initialises: the edit box and the list it narrows.
    void Setup(CEdit *edit, RecordListBox *list);

    // The page forwards EN_CHANGE of the edit box here: the list is drawn
    // again under the new text.
    void TextChanged();
    // Enter and Escape pressed in the edit box, before the dialog manager
    // sees them; TRUE when the filter took the key.
    BOOL HandleKey(const MSG *msg);

    bool Matches(const ListEntry &entry) const;

private:
    CEdit *edit = NULL;
    RecordListBox *list = NULL;
    std::string needle;                       // the text in lower case
    mutable std::vector<std::string> lower;   // by key: the entry's text in lower case
    mutable std::vector<char> lowered;        // by key: whether lower holds it
};
