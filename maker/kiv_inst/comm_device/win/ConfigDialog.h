// The modal dialog that chooses the communication device's transport and settings.
#pragma once

#include "win32/lean_windows.h"

#include "kiv_comm_device/PortConfig.h"

namespace kivinst {

// Shows the dialog from the template in the module that holds this code.
// True when the user confirmed valid settings (then in `config`); false on
// Cancel or when the dialog cannot be shown. Invalid fields keep the dialog
// open with the reason shown in it.
bool runConfigDialog(HWND parent, PortConfig& config);

} // namespace kivinst
