// clientassignments.cpp - the client assignments page.
//
// ShowCurrent runs on every change of configuration, over possibly tens of
// thousands of clients: it looks keys up in hash tables built once per call
// rather than searching a list box or a ref list for each item, and holds
// the boxes' redrawing off while it selects.
#include "clientassignments.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "keepplaces.h"
#include "resource.h"

IMPLEMENT_DYNCREATE(CClientAssignments, CDialog)

BEGIN_MESSAGE_MAP(CClientAssignments, CClientPage)
    ON_BN_CLICKED(IDC_ADD, OnAddClients)
    ON_BN_CLICKED(IDC_REMOVE, OnRemoveClients)
    ON_LBN_SELCHANGE(IDC_RIGHT_LIST, OnSelChangeAssigned)
    ON_LBN_SELCHANGE(IDC_LEFT_LIST, OnSelChangeAvailable)
    ON_LBN_DBLCLK(IDC_LEFT_LIST, OnAddClients)
    ON_LBN_DBLCLK(IDC_RIGHT_LIST, OnRemoveClients)
    ON_EN_CHANGE(IDC_FILTER, OnFilterChange)
END_MESSAGE_MAP()

CClientAssignments::CClientAssignments() : CClientPage(IDD_PAGE_ASSIGN)
{
}

void CClientAssignments::DoDataExchange(CDataExchange *pDX)
{
    CClientPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LEFT_LIST, available);
    DDX_Control(pDX, IDC_RIGHT_LIST, assigned);
    DDX_Control(pDX, IDC_REMOVE, removeButton);
    DDX_Control(pDX, IDC_ADD, addButton);
    DDX_Control(pDX, IDC_FILTER, filterBox);
}

void CClientAssignments::InitPage()
{
    available.FillAllClients();
    transfer.Setup(this, 0, &available, &assigned, &addButton, &removeButton);
    filter.Setup(&filterBox, &available);
}

void CClientAssignments::ShowCurrent()
{
    // The configuration's clients are found among every client; the filter
    // narrows the list again at the end. The box is drawn once.
    ListRedrawOff holdAvailable(available);
    filter.Suspend();
    unshownClients.clear();
    ShowCurrentUnfiltered();
    filter.Resume();
}

void CClientAssignments::ShowCurrentUnfiltered()
{
    ListRedrawOff holdAvailable(available);
    ListRedrawOff holdAssigned(assigned);

    // The keys of the current configuration's clients.
    std::unordered_set<int> keys;
    if (current) {
        for (POSITION pos = current->clients.GetHeadPosition(); pos != NULL;) {
            ClientRef *ref = current->clients.GetNext(pos);
            if (ref)
                keys.insert(ref->GetKey());
        }
    }

    // Everything on the right that does not belong here goes back left.
    assigned.ClearSelection();
    std::vector<int> selection;
    for (int i = 0; i < assigned.GetCount(); i++) {
        int key = (int)assigned.GetItemData(i);
        if (!current || keys.find(key) == keys.end())
            selection.push_back(i);
    }
    assigned.SelectItems(selection);
    if (!selection.empty())
        transfer.RemoveSelected();

    // Then the configuration's clients come over from the left.
    available.ClearSelection();
    if (current && !keys.empty()) {
        std::unordered_set<int> keptKeys;
        for (int i = 0; i < assigned.GetCount(); i++)
            keptKeys.insert((int)assigned.GetItemData(i));
        std::unordered_map<int, int> indexOfKey;   // first item of each key
        int count = available.GetCount();
        indexOfKey.reserve((size_t)count);
        for (int i = 0; i < count; i++)
            indexOfKey.emplace((int)available.GetItemData(i), i);
        selection.clear();
        for (POSITION pos = current->clients.GetHeadPosition(); pos != NULL;) {
            ClientRef *ref = current->clients.GetNext(pos);
            if (!ref)
                continue;
            auto found = indexOfKey.find(ref->GetKey());
            if (found == indexOfKey.end()) {
                // Kept on the right from the previous configuration, or not
                // in the catalogue at all.
                if (keptKeys.find(ref->GetKey()) == keptKeys.end())
                    unshownClients.push_back(ref);
            } else {
                selection.push_back(found->second);
            }
        }
        available.SelectItems(selection);
        if (!selection.empty())
            transfer.AddSelected();
        // Moves arrive reversed: show the clients in the configuration's order,
        // so that storing them back changes nothing.
        assigned.ArrangeLike(current->clients);
    }

    assigned.ClearSelection();
    transfer.SelectionChanged(&assigned);
}

void CClientAssignments::StoreCurrent()
{
    if (!current)
        return;
    std::vector<ClientRef> shown;
    shown.reserve((size_t)assigned.GetCount());
    for (int i = 0; i < assigned.GetCount(); i++)
        shown.push_back(assigned.GetClientRef(i));
    StoreKeepingPlaces(current->clients, shown, unshownClients);
}

void CClientAssignments::ResetContents()
{
    ListRedrawOff holdAvailable(available);
    filter.Suspend();
    available.ResetContent();
    available.FillAllClients();
    assigned.ResetContent();
    filter.Resume();
}

void CClientAssignments::ApplyChanges(ConfigurationRefList &list)
{
    if (!initialised)
        return;
    StoreCurrent();
    for (int i = 0; i < configurationBox.GetCount(); i++) {
        ConfigurationCopy *copy = CopyOfItem(i);
        if (!copy || copy->removed || !copy->record.IsBound())
            continue;
        copy->record.SetClients(copy->clients);
    }
}

void CClientAssignments::OnAddClients()
{
    if (configurationBox.GetCurSel() == CB_ERR) {
        AfxMessageBox(IDS_NO_CONFIGURATION, MB_OK, 0);
        return;
    }
    {
        ListRedrawOff holdAvailable(available);
        ListRedrawOff holdAssigned(assigned);
        transfer.AddSelected();
        filter.ItemsMoved();
    }
    modified = 1;
    assigned.SetFocus();
}

void CClientAssignments::OnRemoveClients()
{
    {
        ListRedrawOff holdAvailable(available);
        ListRedrawOff holdAssigned(assigned);
        transfer.RemoveSelected();
        filter.ItemsMoved();
    }
    modified = 1;
    available.SetFocus();
}

void CClientAssignments::OnSelChangeAssigned()
{
    transfer.SelectionChanged(&assigned);
}

void CClientAssignments::OnSelChangeAvailable()
{
    transfer.SelectionChanged(&available);
}

void CClientAssignments::OnFilterChange()
{
    filter.TextChanged();
    // Add follows what is selected among the items still shown.
    if (available.GetSelCount() > 0)
        transfer.SelectionChanged(&available);
    else
        addButton.EnableWindow(FALSE);
}
