// What the communication device needs from the operating system, behind one
// interface so that the device's rules run in tests without it.
#pragma once

#include "HapDeviceComm.h"
#include "kiv_comm_device/PortConfig.h"
#include "kiv_comm_device/Transport.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kivinst {

// A lock shared with other programs (a named kernel mutex on Windows).
class PortMutex {
public:
    virtual ~PortMutex() = default;
    // True when this process now holds it; waits at most `timeoutMs`.
    virtual bool acquire(uint32_t timeoutMs) = 0;
    virtual void release() = 0;
};

class CommPlatform {
public:
    virtual ~CommPlatform() = default;
    // Null when the kind cannot be served here.
    virtual std::unique_ptr<Transport> makeTransport(const PortConfig& config) = 0;
    // Null when the mutex cannot be created.
    virtual std::unique_ptr<PortMutex> makePortMutex(const std::string& name) = 0;
    // The modal configuration dialog; true when the user confirmed and
    // `config` now holds the new settings, false when cancelled.
    virtual bool editPortConfig(HWND parent, PortConfig& config) = 0;
};

} // namespace kivinst
