// Resource identifiers of the controls' test dialogs.
#pragma once

#define IDD_EDIT_TEST 100
#define IDD_OWNER_TEST 101
#define IDC_NUMERIC 1001
#define IDC_REAL 1002
#define IDC_LABEL 1003
#define IDC_OTHER 1004
