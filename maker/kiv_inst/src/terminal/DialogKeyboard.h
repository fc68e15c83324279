// Dialog keys (Tab, Enter, Escape) for our modeless dialogs under any host's message loop.
#pragma once

#include "win32/lean_windows.h"

namespace kivinst {

// A host's message loop may not know our modeless dialogs (a console
// program's loop only translates and dispatches), so their dialog keys would
// do nothing. While a dialog is registered, a get-message hook of its thread
// gives each keyboard message for the dialog to IsDialogMessage and
// neutralises the ones it handled, so a host that does its own
// pre-translation never handles a key twice.
void RegisterDialogKeyboard(HWND dialog);
void UnregisterDialogKeyboard(HWND dialog);

} // namespace kivinst
