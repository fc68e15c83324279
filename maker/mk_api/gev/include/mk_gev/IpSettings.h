// A device's IP settings through its bootstrap registers, in the camera library's
// IpConfig terms (addresses with the first octet in the lowest byte), and whether a
// device is reachable from a host interface.
#pragma once

#include "mk_api_core/Backend.h"
#include "mk_gev/GvcpClient.h"

namespace mkgev {

// Wire order (first octet in the highest byte) to the library's order and back.
constexpr uint32_t toLibraryOrder(uint32_t wire)
{
    return (wire >> 24) | (wire >> 8 & 0xFF00) | (wire << 8 & 0xFF0000) | (wire << 24);
}
constexpr uint32_t toWireOrder(uint32_t library) { return toLibraryOrder(library); }

// Mode, supported modes, current and persistent address, mask and gateway.
GvcpResult readIpSettings(GvcpClient& client, mkapi::IpConfig& config);

// Writes the configuration mode and the persistent address, mask and gateway: what the
// device takes on its next start or reconfiguration. The current address is the
// device's own. A mode the device does not support, or a persistent mode without an
// address and mask, is refused before anything is written.
GvcpResult writeIpSettings(GvcpClient& client, const mkapi::IpConfig& config);

// Wire-order addresses: whether the device is on the host interface's subnet (and so can
// be talked to without a router).
constexpr bool sameSubnet(uint32_t hostAddress, uint32_t hostMask, uint32_t deviceAddress)
{
    return hostMask != 0 && (hostAddress & hostMask) == (deviceAddress & hostMask);
}

} // namespace mkgev
