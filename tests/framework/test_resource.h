// Resource IDs of the framework tests' own dialogs and strings.
#pragma once

// Dialog 100: a top-level dialog with one control of each kind.
#define IDD_CONTROLS      100
#define IDC_COMBO_LIST    1001   // drop-down list
#define IDC_COMBO_DROP    1002   // drop-down with edit
#define IDC_LIST          1003   // single selection, notifies
#define IDC_LIST_MULTI    1004   // extended selection
#define IDC_CHECK         1005   // three-state check box
#define IDC_EDIT          1006
#define IDC_BUTTON        1007
#define IDC_HELPBUTTON    57670  // ID_HELP
#define IDC_LABEL         1008   // static, never attached

// Dialog 101: a child page (WS_CHILD, no caption).
#define IDD_PAGE          101
#define IDC_PAGE_CHECK    1101

// Never defined: templates that are missing.
#define IDD_MISSING       199

#define IDS_HELLO         200
#define IDS_EIGHT_BIT     201
#define IDS_LONG          202
#define IDS_MISSING       299
