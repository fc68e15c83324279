// Resource ids of the communication device's configuration dialog (in the
// module that links kiv_comm_device); the 3100 block is the device's own.
#pragma once

#define IDD_COMM_CONFIG 3100
#define IDC_COMM_KIND_SERIAL 3101
#define IDC_COMM_KIND_TCP 3102
#define IDC_COMM_KIND_EMULATOR 3103
#define IDC_COMM_COM_NUMBER 3104
#define IDC_COMM_BAUD 3105
#define IDC_COMM_PARITY 3106
#define IDC_COMM_DATA_BITS 3107
#define IDC_COMM_STOP_BITS 3108
#define IDC_COMM_TCP_HOST 3109
#define IDC_COMM_TCP_PORT 3110
#define IDC_COMM_ERROR 3111
#define IDC_COMM_KIND_GRABBER 3112
#define IDC_COMM_GRABBER 3113
