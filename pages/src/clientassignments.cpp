// clientassignments.cpp - the client assignments page.
//
// ShowCurrent runs on every change of configuration, over possibly tens of
// thousands of clients: the lists are built from the copy and the cache's
// records with one hash lookup a client, and each box is drawn once.
#include "clientassignments.h"

#include "resource.h"

CClientAssignments::CClientAssignments() : CListPage(IDD_PAGE_ASSIGN)
{
}

std::vector<ListEntry> CClientAssignments::Catalogue(const std::unordered_set<int> &keys)
{
    LoadClients();
    const std::deque<ClientRecord> &records = DataCache::Get().clients;
    std::vector<ListEntry> entries;
    entries.reserve(records.size());
    for (const ClientRecord &record : records)
        if (!keys.count(record.key))
            entries.push_back(ListEntry{record.key, NULL, record.name});
    return entries;
}

void CClientAssignments::InitPage()
{
    // The ShowCurrent that follows fills both lists.
    SetupLists();
}

void CClientAssignments::ShowCurrent()
{
    std::vector<ListEntry> assigned;
    if (current)
        assigned = EntriesOf(current->clients, [](const ClientRef &ref) { return (const char *)ref.GetRecord()->name; });
    std::vector<ListEntry> available = Catalogue(KeysOf(assigned));
    ShowLists(std::move(available), std::move(assigned));
}

void CClientAssignments::StoreCurrent()
{
    if (current)
        StoreRight<ClientRef>(current->clients);
}

void CClientAssignments::ResetContents()
{
    // The ShowCurrent that follows draws both lists.
    left.SetEntries({});
    right.SetEntries({});
}

bool CClientAssignments::MayAdd()
{
    if (current)
        return true;
    AfxMessageBox(IDS_NO_CONFIGURATION, MB_OK, 0);
    return false;
}
