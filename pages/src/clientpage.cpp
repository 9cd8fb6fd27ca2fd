// clientpage.cpp - the page base: configuration combobox, shared current
// index, and the Refresh/Revert/OnShowWindow protocol.
#include "clientpage.h"

#include "data.h"
#include "pagehost.h"
#include "recordlistbox.h"
#include "resource.h"

#include <algorithm>

namespace {

// Posted on CBN_CLOSEUP: the order of a drop-down's notifications is not
// fixed (a choice's CBN_SELENDOK may come after CBN_CLOSEUP), so the box is
// checked once all of them have been handled.
const UINT WM_CLOSEDUP = WM_APP + 1;

}  // namespace

BEGIN_MESSAGE_MAP(CClientPage, CDialog)
    ON_CBN_SELENDOK(IDC_CONFIGURATION, OnSelectConfiguration)
    ON_WM_SHOWWINDOW()
    ON_MESSAGE(WM_CLOSEDUP, OnClosedUp)
END_MESSAGE_MAP()

CClientPage::CClientPage(UINT nIDTemplate)
    : CDialog(nIDTemplate, NULL),
      configurations(NULL),
      listChanged(0),
      current(NULL),
      initialised(0),
      modified(0),
      localIndex(-1)
{
}

void CClientPage::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CONFIGURATION, configurationBox);
}

CPageHost *CClientPage::GetHost() const
{
    if (!m_hWnd)
        return NULL;
    return dynamic_cast<CPageHost *>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
}

int CClientPage::GetSharedIndex() const
{
    CPageHost *host = GetHost();
    return host ? host->GetCurrentConfigurationIndex() : localIndex;
}

void CClientPage::SetSharedIndex(int index)
{
    localIndex = index;
    if (CPageHost *host = GetHost())
        host->SetCurrentConfigurationIndex(index);
}

ConfigurationCopy *CClientPage::CopyOfItem(int index) const
{
    if (index < 0 || !configurations || !configurationBox.m_hWnd)
        return NULL;
    LRESULT data = configurationBox.SendMessage(CB_GETITEMDATA, (WPARAM)index);
    if (data == CB_ERR || data == 0)
        return NULL;
    return static_cast<ConfigurationCopy *>(configurations->GetAt((POSITION)data));
}

void CClientPage::FillConfigurations()
{
    FillConfigurationBox();
    configurationBox.SetCurSel(configurationBox.GetCount() > 0 ? 0 : -1);
    OnSelectConfiguration();
}

void CClientPage::FillConfigurationBox()
{
    configurationBox.ResetContent();
    if (configurations) {
        for (POSITION pos = configurations->GetHeadPosition(); pos != NULL;) {
            POSITION node = pos;
            ConfigurationCopy *copy = static_cast<ConfigurationCopy *>(configurations->GetNext(pos));
            if (!copy || copy->removed)
                continue;
            // The box may sort: the data goes to the index the add reports.
            int index = configurationBox.AddString(copy->name);
            if (index >= 0)
                configurationBox.SetItemData(index, (DWORD_PTR)node);
        }
    }
    FitDropDown();
}

void CClientPage::FitDropDown()
{
    // The names come from the copies the box lists: Wine hands a combobox
    // item's text over through a buffer of 512 characters.
    ControlText measure(configurationBox.m_hWnd);
    int widest = 0;
    for (POSITION pos = configurations ? configurations->GetHeadPosition() : NULL; pos != NULL;) {
        const ConfigurationCopy *copy = static_cast<const ConfigurationCopy *>(configurations->GetNext(pos));
        if (copy && !copy->removed)
            widest = std::max(widest, measure.Width(copy->name));
    }
    // The list's text margins and borders, and its scroll bar.
    int width = widest + 2 * ::GetSystemMetrics(SM_CXEDGE) + 2 * ::GetSystemMetrics(SM_CXBORDER) +
                ::GetSystemMetrics(SM_CXVSCROLL);
    CRect box;
    configurationBox.GetWindowRect(&box);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    int screen = ::GetMonitorInfoA(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)
                     ? monitor.rcMonitor.right - monitor.rcMonitor.left
                     : ::GetSystemMetrics(SM_CXSCREEN);
    width = std::min(std::max(width, box.Width()), screen);
    configurationBox.SendMessage(CB_SETDROPPEDWIDTH, (WPARAM)width);
}

BOOL CClientPage::PreTranslateMessage(MSG *pMsg)
{
    // The dialog manager sends Enter on a focused push button to the main
    // dialog, which does not know the page's buttons: the page presses it.
    HWND control = pMsg->hwnd;
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN && ::GetParent(control) == m_hWnd &&
        (::SendMessageA(control, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) &&
        ::IsWindowEnabled(control)) {
        SendMessage(WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED), (LPARAM)control);
        return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CClientPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == CBN_SELENDCANCEL)
        ShowChoicesAgain();
    else if (HIWORD(wParam) == CBN_CLOSEUP)
        PostMessage(WM_CLOSEDUP);
    return CDialog::OnCommand(wParam, lParam);
}

LRESULT CClientPage::OnClosedUp(WPARAM, LPARAM)
{
    ShowChoicesAgain();
    return 0;
}

void CClientPage::ShowChoicesAgain()
{
    int shown = -1;
    for (int i = 0; i < configurationBox.GetCount() && current; i++)
        if (CopyOfItem(i) == current)
            shown = i;
    if (configurationBox.GetCurSel() != shown)
        configurationBox.SetCurSel(shown);
}

void CClientPage::CollectChanges(ChangeSet &)
{
    if (initialised)
        StoreCurrent();
}

void CClientPage::OnSelectConfiguration()
{
    StoreCurrent();
    int index = configurationBox.GetCurSel();
    SetSharedIndex(index);
    current = CopyOfItem(index);
    ShowCurrent();
}

void CClientPage::Refresh()
{
    if (!initialised)
        return;
    // The copies current pointed at are gone already: store nothing.
    current = NULL;
    CString previous;
    int selected = configurationBox.GetCurSel();
    if (selected >= 0)
        configurationBox.GetLBText(selected, previous);
    ResetContents();
    // The configuration of that name (the box's prefix match), else the
    // first, shown once: a list of 65,535 clients is drawn once, not twice.
    FillConfigurationBox();
    int index = previous.IsEmpty() ? CB_ERR : configurationBox.FindString(-1, previous);
    configurationBox.SetCurSel(index != CB_ERR ? index : configurationBox.GetCount() > 0 ? 0 : -1);
    OnSelectConfiguration();
    modified = 0;
}

void CClientPage::Revert()
{
    if (!initialised)
        return;
    current = NULL;
    RevertPageSettings();
    OnSelectConfiguration();
}

BOOL CClientPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    InitPage();
    FillConfigurations();
    modified = 0;
    initialised = 1;
    return TRUE;
}

void CClientPage::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    if (!initialised || !bShow)
        return;
    int index = GetSharedIndex();
    if (listChanged) {
        FillConfigurations();
        listChanged = 0;
    }
    if (configurationBox.GetCurSel() != index) {
        configurationBox.SetCurSel(index);
        OnSelectConfiguration();
    }
    configurationBox.SetFocus();
    if (CPageHost *host = GetHost()) {
        HWND view = host->GetViewBoxHwnd();
        if (view)
            ::SetFocus(view);
    }
}
