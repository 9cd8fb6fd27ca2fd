// listfilter.h - the filter edit box (1050) above a page's left-hand list
// (1018): the list shows only the items whose text holds the filter's text,
// letters compared without regard to case.
//
// Filtering only hides. While a filter is in force the ListFilter keeps every
// item of the box in its unfiltered order (text and item data) and the box
// shows the matching ones; a move acts on what the box shows. Whatever
// refills or rearranges the box as a whole (showing another configuration,
// Reset All, the configurations page's system filter) runs between Suspend,
// which puts the box back as it would be without the filter, and Resume,
// which narrows it again. With an empty filter every call does nothing.
#pragma once

#include "afxwin.h"

#include <string>
#include <vector>

class ListFilter
{
public:
    // Once, while the page initialises.
    void Setup(CWnd *edit, CListBox *box);

    // The page forwards EN_CHANGE of the edit box here.
    void TextChanged();
    // The box as without a filter, until Resume.
    void Suspend();
    void Resume();
    // After a move into or out of the box: items that left are forgotten,
    // items that came in keep their place among the shown ones and are
    // hidden when they do not match.
    void ItemsMoved();

    bool Active() const { return active && !held; }

private:
    struct Item
    {
        std::string text, lower;
        DWORD_PTR data;
    };
    static std::string Lower(const std::string &text);
    std::string Needle() const;
    bool Matches(const Item &item) const { return item.lower.find(needle) != std::string::npos; }
    Item ItemAt(int index) const;
    // Brings all up to date with the box: items of all that are not in the
    // box (only the ones that match, unless everything is shown) left it;
    // items of the box not in all came in. True when one that came in does
    // not match.
    bool Sync(bool everythingShown);
    // Fills the box with the items of all that match (all of them when
    // everything is true), keeping the selection of what stays shown.
    void Show(bool everything);

    CWnd *edit = NULL;
    CListBox *box = NULL;
    std::vector<Item> all;   // while active: every item, in the unfiltered order
    std::string needle;      // the filter's text in lower case
    bool active = false;
    bool held = false;       // between Suspend and Resume
};
