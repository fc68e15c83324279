// Resource identifiers of the serial debug window and the message it sends when it hides itself.
#pragma once

#define IDD_RXTX_DEBUG_DLG 6003
#define IDC_RXTX_LOG 8098
#define IDC_RXTX_COPY 8099
#define IDC_RXTX_CLEAR 8100

// Sent to the debug window's parent when the window hides itself (Close, close box, Escape).
#ifndef WM_KL7700_DEBUG_HIDDEN
#define WM_KL7700_DEBUG_HIDDEN (WM_APP + 1000)
#endif
