// Resource ids of Varnik: templates, controls, strings, icon and bitmap.
#pragma once

#define IDR_MAINFRAME 128
#define IDS_ABOUTBOX 101
#define IDD_VARNIK_DIALOG 102
#define IDD_APPLICATION_ABOUT 510
#define IDB_ABOUT_LOGO 512

#define IDC_OPEN_PORT 1004
#define IDC_CLOSE_PORT 1005
#define IDC_CONFIGURE_PORT 1006
#define IDC_CONFIGURATION_GROUP 1008
#define IDC_PORT_STATUS 1009
#define IDC_CONTROLLER_GROUP 1010
#define IDC_CONTROLLER_LIST 1011
#define IDC_ADD_CONTROLLER 1012

#define IDC_ABOUT_FILES 3000
#define IDC_ABOUT_ICON 3001

// System-menu command of the about box (the system keeps the low four bits).
#define IDM_ABOUTBOX 0x0010
