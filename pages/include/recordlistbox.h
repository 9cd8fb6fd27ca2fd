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

// Measures texts as a control draws them, in the control's own font (the
// DC GetDC hands out carries the system font). The DC is taken at the first
// text and given back with the object.
class ControlText
{
public:
    explicit ControlText(HWND control) : control(control) {}
    ~ControlText();
    ControlText(const ControlText &) = delete;
    ControlText &operator=(const ControlText &) = delete;
    // The text's width in pixels; -1 when no DC could be had.
    int Width(const char *text);

private:
    HWND control;
    HDC dc = NULL;
    HGDIOBJ previousFont = NULL;
    bool byByte = false;
    INT charWidths[256];
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
    // The list stays in key order, which is catalogue order (keys are the
    // catalogue's places): entries added go to their places, not to the end.
    void KeepKeyOrder() { keyOrder = true; }

    // The list; after changing it, Redraw.
    std::vector<ListEntry> &Entries() { return entries; }
    const std::vector<ListEntry> &Entries() const { return entries; }
    // Replaces the list and draws it, nothing selected.
    void SetEntries(std::vector<ListEntry> list);
    // Draws the list again (the filter changed): entries still shown keep
    // their selection. A box drawn anew starts at its first item, scrolled
    // fully left.
    void Redraw();

    // Takes the selected entries out of the list and the box, in list
    // order; the box loses them in place.
    std::vector<ListEntry> TakeSelected();
    // Adds entries, keeping their order among themselves: at their key
    // places, or at the end. Those shown arrive selected (anchor and caret
    // on the last).
    void Add(const std::vector<ListEntry> &added);

    void ClearSelection() { SetSel(-1, FALSE); }
    // The entry of item index (it must be shown).
    const ListEntry &EntryAt(int index) const { return entries[(size_t)shown[(size_t)index]]; }

private:
    bool Shows(const ListEntry &entry) const;
    // Adds the entry's item (item data = key) at item index at; false when
    // the box refused it.
    bool InsertItem(int at, size_t entryIndex);
    // Empties the box and adds an item for every entry shown.
    void Fill();
    // The horizontal extent: the widest text shown plus the margins the box
    // draws its text with, so that no scroll bar appears while every item
    // fits. Texts are measured once a key, with the box's own font.
    void FitExtent();

    std::vector<ListEntry> entries;
    std::vector<int> shown;         // the entry index of each item
    const ListFilter *filter = NULL;
    bool keyOrder = false;
    std::vector<int> widths;        // by key: the text's width, -1 unmeasured
    int redrawHolds = 0;
};
