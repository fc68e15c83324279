// What the serial configuration dialog edits: the ports the camera offers, the
// position of the channel's port among them, the line settings and the delay.
#pragma once

#include "zelmk_serial/SerialPorts.h"
#include "zelmk_serial/SerialSettings.h"

#include <cstdint>
#include <vector>

namespace zelmk::serial {

struct SerialDialogData {
    std::vector<SerialPortEntry> ports;
    int64_t selected = -1; // position in ports, -1 = none
    LineSettings settings;
    uint32_t delayMs = 0; // intercharacter delay
};

} // namespace zelmk::serial
