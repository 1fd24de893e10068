// Identifiers shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MORLIND_DIALOG 102
// The maker's site, shown on the link label and opened from it.
#define IDS_HOMEPAGE 103
#define IDR_MAINFRAME 128
#define IDC_LINK_CURSOR 130

// The system-menu command that opens the about box.
#define IDM_ABOUTBOX 0x0010

#define IDC_FILE_TYPE 1000
#define IDC_SEARCH 1001
#define IDC_SAVE_CURRENT 1005
#define IDC_RESULTS 1006
#define IDC_CLEAN 1007
#define IDC_ABOUT 1008
#define IDC_SAVE_SELECTED 1009
#define IDC_START_DATE 1012
#define IDC_END_DATE 1014
#define IDC_START_TIME 1015
#define IDC_END_TIME 1016
#define IDC_SELECT_ALL 1019
#define IDC_SELECT_NONE 1020
#define IDC_INVERT 1021
#define IDC_STATUS 1022
#define IDC_NO_LIMIT 1023
#define IDC_MATCH_WINDOW 1024
#define IDC_VIEW_CURRENT 1025
#define IDC_HOMEPAGE 1027
#define IDC_RESULTS_GROUP 1028

// The about box's text; the number of the main dialog's "关于" button,
// in another template.
#define IDC_ABOUT_TEXT 1008

// The result list's row menu.
#define IDM_ROW_OPEN 32801
#define IDM_ROW_SHOW_IN_FOLDER 32802
#define IDM_ROW_COPY_ADDRESS 32803
#define IDM_ROW_COPY_FILES 32804
#define IDM_ROW_DELETE 32805
#define IDM_ROW_EXPORT 32806
