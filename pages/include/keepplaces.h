// keepplaces.h - storing a page's list back without moving what the page
// could not show.
//
// A configuration may hold products the configurations page cannot show
// (not shareable, no longer installed) and clients the assignments page
// cannot show (no longer listed). Storing the box back must leave those
// entries where they were: viewing a configuration never changes it, and
// the store counts a configuration as unchanged only when it is written
// back as it was read. [Mail, Gone, Forms] shown as [Mail, Forms] stays
// [Mail, Gone, Forms].
#pragma once

#include <unordered_map>
#include <unordered_set>
#include <vector>

// list: the copy's list as it was shown. shown: the box's entries, in the
// box's order. unshown: the entries of list the page could not show (the
// very reference objects). Afterwards list holds the entries of the old list
// that are still there, each at its old place among the others (the unshown
// ones always, the shown ones while the box still holds them), then the
// entries the box holds beyond those, in the box's order.
template <class Ref, class List>
void StoreKeepingPlaces(List &list, const std::vector<Ref> &shown, const std::vector<Ref *> &unshown)
{
    std::unordered_set<const Ref *> kept(unshown.begin(), unshown.end());
    std::unordered_map<int, int> inBox;   // shown entries by key, not yet placed
    for (const Ref &ref : shown)
        ++inBox[ref.GetKey()];
    std::vector<Ref *> old;
    old.reserve((size_t)list.GetCount());
    for (POSITION pos = list.GetHeadPosition(); pos != NULL;)
        old.push_back(list.GetNext(pos));
    // The list may share its reference objects with the record: drop, do
    // not delete.
    list.RemoveAll();
    std::unordered_map<int, int> placed;
    for (Ref *ref : old) {
        if (kept.count(ref)) {
            list.AddShared(ref);
        } else {
            auto it = inBox.find(ref->GetKey());
            if (it != inBox.end() && it->second > 0) {
                --it->second;
                ++placed[ref->GetKey()];
                list.AddShared(ref);
            }
        }
    }
    for (const Ref &ref : shown) {
        auto it = placed.find(ref.GetKey());
        if (it != placed.end() && it->second > 0)
            --it->second;
        else
            list.AppendCopy(ref);
    }
}
