// clientconfig.h - the configurations page (template 28470).
//
// The only page that changes the set of configurations: a new one becomes a
// new working copy in the shared list, a removed one is only marked removed
// there. It also edits each configuration's products (1018 the shareable
// products of the chosen system not in the configuration, 1020 the
// configuration's, in its order) and target operating system (1034). On OK
// it hands down the copies to write and to remove.
#pragma once

#include "listpage.h"

#include <string>
#include <unordered_map>

class CClientConfig : public CListPage
{
public:
    CClientConfig();

    void CollectChanges(ChangeSet &changes) override;
    void StoreCurrent() override;
    void ShowCurrent() override;
    void ResetContents() override;
    void InitPage() override;

    void OnNewConfiguration();
    // A new configuration with the shown one's products (in their order,
    // those the page cannot show included), system and conflict resolution,
    // and no clients.
    void OnCopyConfiguration();
    void OnRemoveConfiguration();
    void OnSelendokOs();

    int GetSelectedOsCode() const { return selectedOsCode; }

    // The name rules for a new configuration: 0 when name may be used, else
    // the number of the string that says why not.
    UINT CheckNewName(const CString &name) const;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange *pDX) override;

    // Lists in 1018 the shareable products of code (all for 0) that 1020
    // does not hold, in catalogue order; sets selectedOsCode. Does not mark
    // the page modified.
    void ApplyOsFilter(int code);
    // The code of the item selected in 1034, 0 when none is.
    int SelectedOsItemCode() const;
    // Delete while the combobox lists a configuration, Copy while one is shown.
    void EnableConfigurationButtons();
    void ShowChoicesAgain() override;

    CComboBox osBox;    // 1034
    CString noteText;   // 1037, shown only
    CString osText;     // selected text of 1034
    int selectedOsCode;

private:
    // Asks for a name (the name dialog and its rules) and adds a new copy:
    // empty, or with source's products, system and resolution.
    void AddConfiguration(const ConfigurationCopy *source);

    // "label (version)", kept by key for the entries to point at; null for
    // a product that is not installed or not shareable.
    const char *ShownText(const InstalledProduct *product);

    // One page action (showing a configuration, choosing a system) begins
    // by asking whether the registry's "Shareable" marks changed since they
    // were read: the products are then judged again.
    class Action
    {
    public:
        explicit Action(CClientConfig &page) : page(page)
        {
            if (page.actionDepth++ == 0)
                RefreshShareableMarks();
        }
        ~Action() { --page.actionDepth; }
        Action(const Action &) = delete;
        Action &operator=(const Action &) = delete;

    private:
        CClientConfig &page;
    };
    int actionDepth = 0;
    std::unordered_map<int, std::string> texts;   // key -> "label (version)"

    DECLARE_MESSAGE_MAP()
};
