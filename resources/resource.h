// Resource numbers shared by the language libraries and the program.
// The numbers are fixed: every language library carries the same ones.
#ifndef RVX_RESOURCE_H
#define RVX_RESOURCE_H

// ---- Icon --------------------------------------------------------------------
#define IDI_APP                   103

// ---- Strings: application --------------------------------------------------
#define IDS_ABOUT_MENU            5       // system menu item
#define IDS_CONFIRM_DISCARD       6       // Cancel with unsaved changes
#define IDS_APP_TITLE             57344   // caption of the main window and every message box
#define IDS_HELP_FAILED           61703   // the help engine could not be started

// ---- Strings: views of the main dialog -------------------------------------
#define IDS_VIEW_CONFIGURATIONS   1003
#define IDS_VIEW_ASSIGNMENTS      1006
#define IDS_VIEW_CONFLICTS        1008

// ---- Strings: configurations page -----------------------------------------
#define IDS_CONFIRM_REMOVE        1016
#define IDS_NAME_HAS_COMMA        1018
#define IDS_NAME_RESERVED         1019
#define IDS_NAME_EXISTS           1020
#define IDS_NO_CONFIGURATION      61204   // add clients without a configuration
#define IDS_CREATE_FIRST          61205   // another view while no configuration exists
#define IDS_MORE_CONFIGURATIONS   1055    // ends a shortened client line: "and %d more"

// ---- Strings: operating-system display texts --------------------------------
#define IDS_OS_NT                 1009
#define IDS_OS_WINDOWS            1010
#define IDS_OS_OS2                1011
#define IDS_OS_DOS                1012
#define IDS_OS_NETWARE            1013
#define IDS_OS_NONE               1014
#define IDS_OS_WIN95              1021
#define IDS_OS_WIN32              1022

// ---- Commands ----------------------------------------------------------------
#define IDM_ABOUTBOX              57664   // system menu command of the About item
#define ID_HELP_CMD               57670   // the standard help command

// ---- Dialog: main (28487) --------------------------------------------------
#define IDD_MAIN                  28487
#define IDC_REVERT_PAGE           1002
#define IDC_RESET_ALL             1005
#define IDC_HELP_CONTENTS         1007
#define IDC_VIEW                  1021
#define IDC_PLACEHOLDER           1022

// ---- Dialog: about (1017) ---------------------------------------------------
#define IDD_ABOUT                 1017

// ---- Dialog: name entry (28486) ---------------------------------------------
#define IDD_NAME                  28486
#define IDC_NAME                  1023

// ---- Pages: shared controls --------------------------------------------------
#define IDC_CONFIGURATION         1019    // configuration combobox of every page
#define IDC_LEFT_LIST             1018    // what may be added
#define IDC_FILTER                1050    // narrows 1018 to the items holding its text
#define IDC_RIGHT_LIST            1020    // what has been chosen
#define IDC_ADD                   1030
#define IDC_REMOVE                1032

// ---- Page: configurations (28470) -------------------------------------------
#define IDD_PAGE_CONFIG           28470
#define IDC_NEW_CONFIGURATION     1001
#define IDC_REMOVE_CONFIGURATION  1004
#define IDC_OS                    1034
#define IDC_CONFIG_NOTE           1037
#define IDC_COPY_CONFIGURATION    1051

// ---- Page: client assignments (28483) ---------------------------------------
#define IDD_PAGE_ASSIGN           28483
#define IDC_CLIENT_PLACES         1052    // the configurations holding the one selected client

// ---- Page: conflict resolution (28484) --------------------------------------
#define IDD_PAGE_CONFLICTS        28484
#define IDC_DEF_SHARED            1024
#define IDC_DEF_DOWNLOAD          1026
#define IDC_DEF_ADMINISTRATOR     1028
#define IDC_DEF_MANDATORY         1029
#define IDC_DEF_LOCAL             1038
#define IDC_CFG_ADMINISTRATOR     1031
#define IDC_CFG_MANDATORY         1033
#define IDC_CFG_DOWNLOAD          1027
#define IDC_CFG_LOCAL             1039
#define IDC_CFG_SHARED            1040

#endif
