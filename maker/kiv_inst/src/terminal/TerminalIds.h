// Resource ids of the terminal dialog (the 3000 block of KIVInst's resources).
#pragma once

#define IDD_KIV_TERMINAL 3000
#define IDC_TERMINAL_OUTPUT 3001
#define IDC_TERMINAL_INPUT 3002
#define IDC_TERMINAL_CLEAR 3003
#define IDC_TERMINAL_STATUS 3004
