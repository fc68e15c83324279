// Resource ids of the device-client tests' dialog.
#pragma once

#define IDD_TEST_CLIENT_DIALOG 200
#define IDC_TEST_EDIT 201
