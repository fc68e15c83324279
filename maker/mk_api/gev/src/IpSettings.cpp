// IP settings through the bootstrap registers.
#include "mk_gev/IpSettings.h"

#include "mk_gev/Bootstrap.h"

#include <array>

namespace mkgev {

GvcpResult readIpSettings(GvcpClient& client, mkapi::IpConfig& config)
{
    const std::array<uint32_t, 8> addresses = {
        bootstrap::CurrentIpConfig,
        bootstrap::SupportedIpConfig,
        bootstrap::CurrentAddress,
        bootstrap::CurrentMask,
        bootstrap::CurrentGateway,
        bootstrap::PersistentAddress,
        bootstrap::PersistentMask,
        bootstrap::PersistentGateway,
    };
    std::array<uint32_t, 8> values{};
    size_t done = 0;
    GvcpResult result = client.readRegisters(addresses, values, done);
    if (!result.ok())
        return result;
    mkapi::IpConfig c;
    constexpr uint32_t kModes = kIpPersistent | kIpDhcp | kIpLinkLocal;
    c.mode = values[0] & kModes;
    c.supportedModes = values[1] & kModes;
    c.address = toLibraryOrder(values[2]);
    c.mask = toLibraryOrder(values[3]);
    c.gateway = toLibraryOrder(values[4]);
    c.persistentAddress = toLibraryOrder(values[5]);
    c.persistentMask = toLibraryOrder(values[6]);
    c.persistentGateway = toLibraryOrder(values[7]);
    config = c;
    return {};
}

GvcpResult writeIpSettings(GvcpClient& client, const mkapi::IpConfig& config)
{
    constexpr uint32_t kModes = kIpPersistent | kIpDhcp | kIpLinkLocal;
    uint32_t supported = 0;
    GvcpResult result = client.readRegister(bootstrap::SupportedIpConfig, supported);
    if (!result.ok())
        return result;
    // Link-local is always on in GigE Vision devices; the other modes must be supported.
    if (config.mode == 0 || (config.mode & ~kModes) != 0 || (config.mode & ~(supported | kIpLinkLocal)) != 0)
        return {GvcpOutcome::BadArgument};
    if ((config.mode & kIpPersistent) && (config.persistentAddress == 0 || config.persistentMask == 0))
        return {GvcpOutcome::BadArgument};
    uint32_t current = 0;
    result = client.readRegister(bootstrap::CurrentIpConfig, current);
    if (!result.ok())
        return result;
    // Persistent address first: a device that applies its mode at once finds it ready.
    const uint32_t addresses[] = {bootstrap::PersistentAddress, bootstrap::PersistentMask,
                                  bootstrap::PersistentGateway, bootstrap::CurrentIpConfig};
    const uint32_t values[] = {toWireOrder(config.persistentAddress), toWireOrder(config.persistentMask),
                               toWireOrder(config.persistentGateway), (current & ~kModes) | config.mode};
    size_t done = 0;
    return client.writeRegisters(addresses, values, done);
}

} // namespace mkgev
