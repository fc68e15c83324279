// The terminal's exchanges with the communication device, one lock per exchange.
#pragma once

#include "HapDeviceComm.h"
#include "kiv_inst_core/TerminalScreen.h"

#include <cstddef>
#include <string_view>

namespace kivinst {

enum class TerminalStatus {
    Ok,
    NoDevice, // no communication device was handed to the terminal
    Locked,   // another owner holds the device
    NotOpen,  // the port is closed
    IoError,  // the device reported a failed write or read
};

// Status line text for a result; empty for Ok.
const char* TerminalStatusText(TerminalStatus status);

// Works on the program's thread. The device is shared with the host and the
// other dialogs, so the terminal holds the lock only for one exchange: a send
// waits for it up to kSendLockWaitMs, a poll never waits (the next tick
// tries again). A poll reads at most kMaxReadsPerPoll chunks so a chattering
// device cannot keep the window from painting.
class TerminalSession {
public:
    static constexpr unsigned long kSendLockWaitMs = 500;
    static constexpr size_t kReadChunk = 256;
    static constexpr int kMaxReadsPerPoll = 16;

    explicit TerminalSession(const void* owner) : owner_(owner) {}

    void SetDevice(CHapDeviceComm_0* device) { device_ = device; }
    CHapDeviceComm_0* Device() const { return device_; }

    // Sends the typed line followed by CR.
    TerminalStatus SendLine(std::string_view line);

    // Moves what the device has received onto the screen. A busy device
    // (Locked) is not an error for a poll; the caller simply tries later.
    TerminalStatus Poll(TerminalScreen& screen);

private:
    class Hold;

    const void* owner_;
    CHapDeviceComm_0* device_ = nullptr;
};

} // namespace kivinst
