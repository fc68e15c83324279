// The one call from the serial channel into the plug-in's dialogs: the
// serial configuration dialog (template 7009) over a SerialDialogData. The
// dialogs library installs its function when the plug-in starts; the channel
// only knows this name, so neither library links the other.
#pragma once

#include "win32/lean_windows.h"
#include "zelmk_serial/SerialDialogData.h"

namespace zelmk::serial {

// Shows the dialog modally over `data` and answers IDOK (data holds the user's
// choice), IDCANCEL (data unchanged) or -1 (the dialog could not be made).
using SerialConfigDialogFunction = INT_PTR (*)(HWND parent, SerialDialogData& data);

// Null removes it; the previous function is returned.
SerialConfigDialogFunction InstallSerialConfigDialog(SerialConfigDialogFunction function);
SerialConfigDialogFunction InstalledSerialConfigDialog();

} // namespace zelmk::serial
