// Resource ids shared by the test program, its resources and the test plug-in.
#pragma once

#define IDD_FORM 100
#define IDC_NAME 1001
#define IDC_COUNT 1002
#define IDC_FACTOR 1003
#define IDC_ENABLED 1004
#define IDC_CHOICE 1005
#define IDC_ACTION 1006
#define IDC_OTHER 1007
#define IDC_LABEL 1008
#define IDC_AMOUNT 1009

#define IDD_CONTROLS 200
#define IDC_LIST 1101
#define IDC_TABS 1102
#define IDC_SPIN 1103
#define IDC_SLIDER 1104
#define IDC_RICH 1105
#define IDC_SPIN_BUDDY 1106

#define IDD_SHARED_ID 300
#define IDC_ORIGIN 1201

#define IDD_PANE 400
#define IDC_PANE_EDIT 1301
#define IDC_PANE_APPLY 1302
#define IDC_PANE_SLIDER 1303
#define IDC_PANE_ADDRESS 1304
#define IDC_PANE_LIST 1305
#define IDD_PANE_HOST 410
