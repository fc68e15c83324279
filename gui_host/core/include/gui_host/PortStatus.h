// What the main window shows about the communication device (status text and
// which port buttons work), and the port commands that change it.
#pragma once

#include <string>
#include <string_view>

#include "HapDeviceComm.h"

namespace varnik {

// One look at the device: texts and state read while holding the lock, and the
// state read afterwards without it (which decides the buttons).
struct PortReading {
    bool devicePresent = false;
    bool lockGranted = false;
    std::string description;   // GetInfoText(0, 0); empty for a null text
    std::string configuration; // GetInfoText(1, 0); empty for a null text
    int lockedState = 0;       // GetState() under the lock
    int state = 0;             // GetState() after the unlock
};

struct PortStatusView {
    std::string text;
    bool openEnabled = false;
    bool closeEnabled = false;
};

PortStatusView DescribePort(const PortReading& reading);

// Reads the device (lock taken without waiting and always given back) and
// describes it. A null device is described as absent.
PortStatusView ReadPortStatus(CHapDeviceComm_0* device, const void* owner);

enum class MessageIcon { None,
                         Warning,
                         Exclamation };

// How the commands talk to the user; the window shell shows message boxes.
class UserMessages {
public:
    virtual void Show(std::string_view text, std::string_view caption, MessageIcon icon) = 0;

protected:
    ~UserMessages() = default;
};

inline constexpr std::string_view kLockedText = "Communication device is locked";

// The three port commands; each does nothing with a null device and never
// returns holding the lock.
void ConfigurePort(CHapDeviceComm_0* device, const void* owner, HWND parent, UserMessages& messages);
void OpenPort(CHapDeviceComm_0* device, const void* owner, UserMessages& messages);
void ClosePort(CHapDeviceComm_0* device, const void* owner, UserMessages& messages);

} // namespace varnik
