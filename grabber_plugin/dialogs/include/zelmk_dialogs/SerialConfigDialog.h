// How a serial channel over the camera shows its configuration dialog.
#pragma once

#include "win32/lean_windows.h"
#include "zelmk_dialogs/DialogRules.h"

#include <vector>

namespace zelmk {

// Runs the serial configuration dialog modally over parent (null: none),
// with the plug-in module's resources. True on OK, with settings holding the
// choices: position is the chosen entry of ports (-1 when none is chosen),
// the indices and the delay as the dialog read them back. On Cancel, or when
// the dialog cannot be made, false with settings unchanged. Call it without
// holding the grabber's mutex: the dialog runs its own message loop.
bool RunSerialConfigDialog(HWND parent, const std::vector<SerialPortEntry>& ports, SerialDialogSettings& settings);

} // namespace zelmk
