// The framework's communication device over the emulated camera in virtual
// time, with the clock the dialog under test waits on.
#pragma once

#include "kiv_testing/HapDeviceCommStub.h"
#include "kl7700/SessionPorts.h"
#include "kl7700emu_testing/EmulatedDevice.h"

// Every wait of the dialog advances the virtual time at once.
using VirtualClock = kl7700emu::testing::VirtualClock<kl7700::Clock>;

class EmulatedCommDevice final : public kl7700emu::testing::EmulatedDevice<HapDeviceCommStub> {
public:
    using EmulatedDevice::EmulatedDevice;

    int configDialogs = 0;

    int ShowConfigDialog(HWND) override
    {
        ++configDialogs;
        return 0;
    }
};
