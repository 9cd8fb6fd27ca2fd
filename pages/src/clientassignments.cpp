// clientassignments.cpp - the client assignments page.
//
// ShowCurrent runs on every change of configuration, over possibly tens of
// thousands of clients: the lists are built from the copy and the cache's
// records with one hash lookup a client, and each box is drawn once.
#include "clientassignments.h"

#include <unordered_set>

#include "resource.h"

BEGIN_MESSAGE_MAP(CClientAssignments, CListPage)
    ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CClientAssignments::CClientAssignments() : CListPage(IDD_PAGE_ASSIGN)
{
}

void CClientAssignments::BuildIndex()
{
    if (!places.IsBuilt() && configurations)
        places.Build(*configurations);
}

void CClientAssignments::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CListPage::OnShowWindow(bShow, nStatus);
    if (bShow)
        BuildIndex();
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
    // After Reset All the copies are new.
    if (IsWindowVisible())
        BuildIndex();
}

void CClientAssignments::StoreCurrent()
{
    if (!current)
        return;
    std::vector<int> before = places.IsBuilt() ? ClientPlaces::KeysOf(current->clients) : std::vector<int>();
    StoreRight<ClientRef>(current->clients);
    places.Replace(current, before);
}

void CClientAssignments::ResetContents()
{
    // The copies the index points at are gone.
    places.Clear();
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

bool CClientAssignments::PlacesOfSelected(std::vector<std::string> &names)
{
    int onLeft = left.GetSelCount(), onRight = right.GetSelCount();
    if (onLeft + onRight != 1)
        return false;
    RecordListBox &box = onLeft == 1 ? left : right;
    int item = -1;
    if (box.GetSelItems(1, &item) != 1)
        return false;
    // The copies' lists as last stored; the current one's is what the page
    // shows, where the client stands on the right exactly when it holds it.
    BuildIndex();
    const std::vector<ConfigurationCopy *> stored = places.CopiesHolding(box.EntryAt(item).key);
    std::unordered_set<const ConfigurationCopy *> holders(stored.begin(), stored.end());
    holders.erase(current);
    if (onRight == 1 && current)
        holders.insert(current);
    // Removed copies are no longer listed in the combobox.
    for (int i = 0; i < configurationBox.GetCount() && names.size() < holders.size(); i++) {
        const ConfigurationCopy *copy = CopyOfItem(i);
        if (holders.count(copy))
            names.push_back((LPCSTR)copy->name);
    }
    return true;
}

std::string CClientAssignments::FitLine(const std::vector<std::string> &names)
{
    auto joined = [&names](size_t count) {
        std::string text;
        for (size_t i = 0; i < count; i++)
            text += (i ? ", " : "") + names[i];
        return text;
    };
    std::string line = joined(names.size());
    CWnd *edit = GetDlgItem(IDC_CLIENT_PLACES);
    if (!edit || names.size() < 2)
        return line;
    RECT area = {0, 0, 0, 0};
    edit->SendMessage(EM_GETRECT, 0, (LPARAM)&area);
    HDC dc = ::GetDC(edit->m_hWnd);
    if (!dc)
        return line;
    HGDIOBJ previousFont = SelectObject(dc, (HFONT)edit->SendMessage(WM_GETFONT));
    auto width = [dc](const std::string &text) {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &size);
        return (int)size.cx;
    };
    int room = area.right - area.left;
    int total = width(line);
    if (total > room) {
        // Drop names from the end until the rest and "and N more" fit; at
        // least "and N more" stays. Widths add up: each name is measured once.
        CString more;
        more.LoadString(IDS_MORE_CONFIGURATIONS);
        const int separator = width(", ");
        size_t shown = names.size();
        std::string ending;
        do {
            --shown;
            total -= width(names[shown]) + (shown > 0 ? separator : 0);
            std::string count = std::to_string(names.size() - shown);
            ending = (LPCSTR)more;
            size_t at = ending.find("%d");
            if (at != std::string::npos)
                ending.replace(at, 2, count);
            ending = (shown > 0 ? " " : "") + ending;
        } while (shown > 0 && total + width(ending) > room);
        line = joined(shown) + ending;
    }
    SelectObject(dc, previousFont);
    ::ReleaseDC(edit->m_hWnd, dc);
    return line;
}

void CClientAssignments::SelectionMayHaveChanged()
{
    std::vector<std::string> names;
    std::string line = PlacesOfSelected(names) ? FitLine(names) : std::string();
    SetDlgItemText(IDC_CLIENT_PLACES, line.c_str());
}
