// listfilter.cpp - the filter above a page's left-hand list.
//
// At 65,535 clients a keystroke refills the box from the kept items (no text
// is asked of the box again) with its redrawing held off and its storage
// reserved in one step. Suspend shows every kept item and keeps them;
// Resume learns from the box only which items left and which came in.
#include "listfilter.h"
#include "recordlistbox.h"

#include <unordered_map>
#include <unordered_set>

void ListFilter::Setup(CWnd *editBox, CListBox *listBox)
{
    edit = editBox;
    box = listBox;
}

// Lower case by the active code page's rules, so that 8-bit letters of the
// administrator's language match too.
std::string ListFilter::Lower(const std::string &text)
{
    std::string lower = text;
    if (!lower.empty())
        CharLowerBuffA(&lower[0], (DWORD)lower.size());
    return lower;
}

std::string ListFilter::Needle() const
{
    if (!edit || !edit->m_hWnd)
        return std::string();
    CString text;
    edit->GetWindowText(text);
    return Lower(std::string((LPCSTR)text));
}

ListFilter::Item ListFilter::ItemAt(int index) const
{
    Item item;
    CString text;
    box->GetText(index, text);
    item.text = (LPCSTR)text;
    item.lower = Lower(item.text);
    item.data = box->GetItemData(index);
    return item;
}

void ListFilter::Show(bool everything)
{
    std::unordered_set<DWORD_PTR> selected;
    int count = box->GetCount();
    for (int i = 0; i < count; i++)
        if (box->GetSel(i) > 0)
            selected.insert(box->GetItemData(i));
    // Nested in the page's own hold, if any: the box is drawn once, at the end.
    ListRedrawOff hold(*box);
    box->ResetContent();
    size_t bytes = 0;
    for (const Item &item : all)
        bytes += item.text.size() + 1;
    box->SendMessage(LB_INITSTORAGE, (WPARAM)all.size(), (LPARAM)bytes);
    for (const Item &item : all) {
        if (!everything && !Matches(item))
            continue;
        int index = box->AddString(item.text.c_str());
        if (index < 0)
            break;
        box->SetItemData(index, item.data);
        if (selected.count(item.data))
            box->SetSel(index, TRUE);
    }
}

void ListFilter::TextChanged()
{
    if (!box)
        return;
    std::string text = Needle();
    if (text.empty()) {
        if (active) {
            Show(true);
            all.clear();
            needle.clear();
            active = false;
        }
        return;
    }
    if (!active) {
        all.clear();
        int count = box->GetCount();
        all.reserve((size_t)count);
        for (int i = 0; i < count; i++)
            all.push_back(ItemAt(i));
        active = true;
    }
    needle = text;
    Show(false);
}

void ListFilter::ItemsMoved()
{
    if (!active || held)
        return;
    if (Sync(false))
        Show(false);
}

void ListFilter::Suspend()
{
    if (!active || held)
        return;
    Show(true);
    held = true;
}

void ListFilter::Resume()
{
    if (!held) {
        TextChanged();
        return;
    }
    held = false;
    Sync(true);
    TextChanged();
}

bool ListFilter::Sync(bool everythingShown)
{
    int count = box->GetCount();
    std::unordered_map<DWORD_PTR, int> shown;   // item data -> index in the box
    shown.reserve((size_t)count);
    for (int i = 0; i < count; i++)
        shown.emplace(box->GetItemData(i), i);
    // What was shown and is gone has been moved out.
    std::vector<Item> kept;
    kept.reserve(all.size() + (size_t)count);
    std::unordered_set<DWORD_PTR> known;
    for (Item &item : all) {
        if ((everythingShown || Matches(item)) && !shown.count(item.data))
            continue;
        known.insert(item.data);
        kept.push_back(std::move(item));
    }
    all.swap(kept);
    // What is shown and unknown has been moved in: it goes right after the
    // nearest item shown before it that was there already (first of all
    // when there is none), in the order the box shows.
    std::vector<Item> front;
    std::unordered_map<DWORD_PTR, std::vector<Item>> after;
    bool anchored = false, hide = false;
    DWORD_PTR anchor = 0;
    for (int i = 0; i < count; i++) {
        DWORD_PTR data = box->GetItemData(i);
        if (known.count(data)) {
            anchor = data;
            anchored = true;
            continue;
        }
        Item item = ItemAt(i);
        hide = hide || !Matches(item);
        (anchored ? after[anchor] : front).push_back(std::move(item));
    }
    if (!front.empty() || !after.empty()) {
        std::vector<Item> merged;
        merged.reserve(all.size() + (size_t)count);
        for (Item &item : front)
            merged.push_back(std::move(item));
        for (Item &item : all) {
            DWORD_PTR data = item.data;
            merged.push_back(std::move(item));
            auto found = after.find(data);
            if (found != after.end())
                for (Item &moved : found->second)
                    merged.push_back(std::move(moved));
        }
        all.swap(merged);
    }
    return hide;
}
