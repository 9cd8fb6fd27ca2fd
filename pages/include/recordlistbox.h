// recordlistbox.h - a list box drawn from a page's ordered entries.
//
// A page keeps each of its lists as entries: the record's key, the target of
// the reference the configuration holds, and the text to show. The box shows, in
// the entries' order, those that have a text and pass the filter; it is
// never read back for what the list holds. Item data is the record's key.
// The box must not sort: item order is entry order.
#pragma once

#include "afxwin.h"
#include "datacache.h"

#include <vector>

class ListFilter;

struct ListEntry
{
    int key;            // the record's key
    RefTarget *ref;     // what the configuration's reference points at; null
                        // for a catalogue item that no configuration handed in
    const char *text;   // null: the page cannot show it (a product not
                        // installed or not shareable, a client no longer
                        // listed); it keeps its place in the list
};

class RecordListBox : public CListBox
{
public:
    // Holds the box's redrawing off for a scope and has it drawn once at the
    // end: filling, filtering or moving thousands of items would otherwise
    // repaint it for each one. Holds nest; the outermost one ends them.
    class RedrawOff
    {
    public:
        explicit RedrawOff(RecordListBox &box);
        ~RedrawOff();
        RedrawOff(const RedrawOff &) = delete;
        RedrawOff &operator=(const RedrawOff &) = delete;

    private:
        RecordListBox &box;
    };

    // The filter that narrows what is shown (none: everything with a text).
    void SetFilter(const ListFilter *filter) { this->filter = filter; }

    // The list; after changing it, Redraw.
    std::vector<ListEntry> &Entries() { return entries; }
    const std::vector<ListEntry> &Entries() const { return entries; }
    // Replaces the list and draws it, nothing selected.
    void SetEntries(std::vector<ListEntry> list);
    // Draws the list again (the filter changed): entries still shown keep
    // their selection.
    void Redraw();

    // Takes the selected entries out of the list and the box, the last one
    // first; the box loses them in place.
    std::vector<ListEntry> TakeSelected();
    // Appends entries to the list; those shown go to the end of the box,
    // selected (anchor and caret on the last), and widen its horizontal
    // extent to fit them. The extent never shrinks.
    void Append(const std::vector<ListEntry> &added);

    void ClearSelection() { SetSel(-1, FALSE); }
    // The entry of item index (it must be shown).
    const ListEntry &EntryAt(int index) const { return entries[(size_t)shown[(size_t)index]]; }

private:
    bool Shows(const ListEntry &entry) const;
    // Adds the entry's item (item data = key) at the end of the box.
    void AddItem(size_t entryIndex);
    // Widens the horizontal extent to the widest of the texts of keys.
    void Widen(const std::vector<size_t> &entryIndexes);

    std::vector<ListEntry> entries;
    std::vector<int> shown;         // the entry index of each item
    const ListFilter *filter = NULL;
    std::vector<int> widths;        // by key: the text's width, -1 unmeasured
    int redrawHolds = 0;
};
