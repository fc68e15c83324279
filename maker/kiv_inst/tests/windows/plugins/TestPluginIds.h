// Ids of the test device-client plug-in.
#pragma once

#define TEST_PLUGIN_TYPE 0x20000ul
#define TEST_PLUGIN_NAME "Test Device Client"
#define IDD_TEST_PLUGIN_DIALOG 400
