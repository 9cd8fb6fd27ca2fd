// The cache's configuration records before OK, for a failed OK.
#include "recordsnapshot.h"

namespace {

template <class T, class List>
void SaveList(const List &list, std::vector<T *> &out)
{
    out.reserve((size_t)list.GetCount());
    for (POSITION pos = list.GetHeadPosition(); pos != NULL;)
        out.push_back(list.GetNext(pos));
}

template <class T, class List>
void RestoreList(List &list, const std::vector<T *> &in)
{
    list.RemoveAll();
    for (T *ref : in)
        list.AddShared(ref);
}

}  // namespace

void RecordSnapshot::Take()
{
    saved.clear();
    const CPtrList &records = DataCache::Get().configurations;
    saved.reserve((size_t)records.GetCount());
    for (POSITION pos = records.GetHeadPosition(); pos != NULL;) {
        ConfigurationRecord *r = (ConfigurationRecord *)records.GetNext(pos);
        Saved s{r, r->name, r->osCode, r->resolution, {}, {}};
        SaveList(r->products, s.products);
        SaveList(r->clients, s.clients);
        saved.push_back(std::move(s));
    }
}

void RecordSnapshot::Restore()
{
    CPtrList &records = DataCache::Get().configurations;
    // Records are only ever appended: the ones past the count are new.
    while ((size_t)records.GetCount() > saved.size())
        delete (ConfigurationRecord *)records.RemoveTail();
    for (Saved &s : saved) {
        ConfigurationRecord *r = s.record;
        r->name = s.name;
        r->osCode = s.osCode;
        r->resolution = s.resolution;
        RestoreList(r->products, s.products);
        RestoreList(r->clients, s.clients);
    }
}
