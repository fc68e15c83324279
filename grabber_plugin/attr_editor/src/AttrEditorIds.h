// Resource and control identifiers of the feature control dialog and its
// value views (shared by the resource script and the code).
#pragma once

// The dialog and its "Close" button.
#define IDD_ZELMK_FEATURE_CTRL 7001
#define IDC_FEATURE_CLOSE 7001
// Children the dialog makes itself.
#define IDC_FEATURE_TREE_VIEW 4108
#define IDC_FEATURE_CONTAINER_VIEW 4109

// The value views' templates.
#define IDD_VALUE_COMMAND 7002
#define IDD_VALUE_ENUM 7003
#define IDD_VALUE_UINT 7004
#define IDD_VALUE_FLOAT 7005
#define IDD_VALUE_COMBINED 7006
#define IDD_VALUE_STRING 7007
#define IDD_VALUE_SINT 7008

// Controls every view has.
#define IDC_VALUE_LABEL 7014
#define IDC_VALUE_APPLY 7015
#define IDC_VALUE_RELOAD 7017
// Each view's value controls.
#define IDC_VALUE_COMMAND 7002
#define IDC_VALUE_ENUM 7003
#define IDC_VALUE_UINT_SLIDER 7004
#define IDC_VALUE_UINT_EDIT 7005
#define IDC_VALUE_FLOAT_EDIT 7006
#define IDC_VALUE_COMBINED_EDIT 7007
#define IDC_VALUE_COMBINED_LIST1 7008
#define IDC_VALUE_COMBINED_LIST2 7009
#define IDC_VALUE_COMBINED_SLIDER 7010
#define IDC_VALUE_STRING_EDIT 7011
#define IDC_VALUE_SINT_SLIDER 7012
#define IDC_VALUE_SINT_EDIT 7013

// Icons: the views' apply and reload buttons, the dialog's window.
#define IDI_VALUE_APPLY 7014
#define IDI_VALUE_RELOAD 7015
#define IDI_ZELMK_FEATURE_CTRL 7016
