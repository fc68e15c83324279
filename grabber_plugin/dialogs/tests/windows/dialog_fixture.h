// What the camera dialogs' tests share: the simulated camera library on a
// network of four cameras, its control commands, and a driver that runs steps
// on a modal dialog from a thread timer while its loop runs.
#pragma once

#include "app_framework_testing/message_tests.h"
#include "zelmk/MkApiAccess.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace dialogs_test {

// Alpha and Beta (DHCP only) in the host's subnet, Far and Away outside it.
inline constexpr uint32_t kAlpha = 601, kBeta = 602, kFar = 603, kAway = 604;

// The binding of mkApi.dll, made once per process as the plug-in makes it.
const zelmk::CmkAPIAccess& Api();
const zelmk::MkApiFunctions& Functions();
// One MkSimControl command; its reply, or "error N: reply".
std::string Sim(const std::string& command);

// Runs the steps, one per 20 ms tick, on the visible window with the
// caption; cancels it when the steps are done or after 3 s, so a test never
// waits for a user. One driver at a time.
class ModalDriver {
public:
    using Step = std::function<void(HWND)>;
    ModalDriver(const char* caption, std::vector<Step> steps);
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;
    bool AllStepsRan() const;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR m_timer = 0;
};

void Press(HWND dialog, int id);
// Sends a control's notification (WM_COMMAND) to its dialog.
void NotifyCommand(HWND dialog, int id, UINT code);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
// The address control's address as four dotted octets.
std::string AddressText(HWND dialog, int id);
void SetAddress(HWND dialog, int id, BYTE a, BYTE b, BYTE c, BYTE d);

} // namespace dialogs_test
