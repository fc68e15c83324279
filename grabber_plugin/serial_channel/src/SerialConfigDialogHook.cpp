// The installed serial configuration dialog.
#include "SerialConfigDialogHook.h"

#include <atomic>

namespace zelmk::serial {

namespace {
std::atomic<SerialConfigDialogFunction> g_dialog{nullptr};
}

SerialConfigDialogFunction InstallSerialConfigDialog(SerialConfigDialogFunction function) { return g_dialog.exchange(function); }

SerialConfigDialogFunction InstalledSerialConfigDialog() { return g_dialog.load(); }

} // namespace zelmk::serial
