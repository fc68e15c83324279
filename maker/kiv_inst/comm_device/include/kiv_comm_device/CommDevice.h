// Factory of the communication device that KIVInst hands out as object id 0.
#pragma once

#include "HapDeviceComm.h"

namespace kivinst {

// A new device on the Windows transports (serial, TCP, in-process emulator),
// or null when out of memory. The caller deletes it through the virtual
// destructor. Never throws.
CHapDeviceComm_0* CreateCommDevice();

} // namespace kivinst
