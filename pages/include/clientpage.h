// clientpage.h - the common base of the three editing pages.
//
// Each page is a modeless child dialog stacked inside the main dialog. All
// three work on the one list of working copies the main dialog owns (a
// CPtrList of ConfigurationCopy*); a page never frees that list or its
// elements. The combobox 1019 of each page lists the live copies, item data
// = the copy's POSITION in the shared list, and selects the copy the page
// shows ("current").
//
// The main dialog drives a page only through the public members below, in
// this order: SetConfigurations (before Create), Create, then Refresh,
// Revert, CollectChanges, ChangesStored and IsModified as the user works.
#pragma once

#include "afxwin.h"

class ConfigurationCopy;
struct ChangeSet;
class CPageHost;

class CClientPage : public CDialog
{
public:
    explicit CClientPage(UINT nIDTemplate);

    // The hooks, in slot order. Each default does nothing but what it says.
    //   CollectChanges: on OK; stores the current copy (the default does
    //     just that) and adds what the page owns to the change set: the
    //     configurations page the copies to write and to remove, the
    //     conflicts page the installation-wide default. Nothing is written.
    //   ChangesStored: the store took the change set.
    //   StoreCurrent: page's lists and controls -> current copy (nothing when current is null).
    //   ShowCurrent: current copy -> controls (the empty state when null).
    //   ResetContents: the page's own controls as without any configuration.
    //   RevertPageSettings: shows again page-wide values kept outside copies.
    //   InitPage: one-time filling, before the combobox is filled.
    virtual void CollectChanges(ChangeSet &changes);
    virtual void ChangesStored(const ChangeSet &changes) {}
    virtual void StoreCurrent() {}
    virtual void ShowCurrent() {}
    virtual void ResetContents() {}
    virtual void RevertPageSettings() {}
    virtual void InitPage() {}

    // The main dialog's working copies; the page keeps the pointer only.
    void SetConfigurations(CPtrList *list) { configurations = list; }
    CPtrList *GetConfigurations() const { return configurations; }

    // Refills the combobox from the shared list and shows the first copy.
    void FillConfigurations();
    // CBN_SELENDOK of 1019: stores the old copy, shows the selected one.
    void OnSelectConfiguration();
    // After the main dialog rebuilt the shared list (the old copies are
    // freed already): reselects the configuration of the same name.
    void Refresh();
    // Drops the edits made since the current copy was last stored.
    void Revert();

    int IsModified() const { return modified; }
    int IsInitialised() const { return initialised; }
    // Set by the main dialog when configurations were added or removed; the
    // combobox is refilled the next time the page is shown.
    void SetListChanged() { listChanged = 1; }
    int IsListChanged() const { return listChanged; }
    CComboBox &GetConfigurationCombo() { return configurationBox; }
    ConfigurationCopy *GetCurrent() const { return current; }

    // Enter on a push button of the page presses it.
    BOOL PreTranslateMessage(MSG *pMsg) override;

protected:
    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL bShow, UINT nStatus);
    // A drop-down cancelled or closed without a choice leaves its combobox
    // on an item the page does not show: ShowChoicesAgain puts it back.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnClosedUp(WPARAM, LPARAM);
    // Every combobox of the page back on what the page shows: 1019 on the
    // current configuration.
    virtual void ShowChoicesAgain();
    // The drop-down of 1019 as wide as its longest name, up to the screen's
    // width (the box itself stays as laid out).
    void FitDropDown();

    // The hosting main dialog, NULL when the parent is no CPageHost (then
    // the shared index is this page's own).
    CPageHost *GetHost() const;
    int GetSharedIndex() const;
    void SetSharedIndex(int index);
    // The copy of combobox item index; NULL for -1 or a bad index.
    ConfigurationCopy *CopyOfItem(int index) const;

    CComboBox configurationBox;
    CPtrList *configurations;
    int listChanged;
    ConfigurationCopy *current;
    int initialised;
    int modified;

private:
    // Fills the combobox from the shared list, nothing selected.
    void FillConfigurationBox();

    int localIndex;   // stands in for the host's index when there is no host

    DECLARE_MESSAGE_MAP()
};
