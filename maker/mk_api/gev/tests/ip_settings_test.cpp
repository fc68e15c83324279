// IP settings through the bootstrap registers of a device on virtual time.
#include "mk_gev/IpSettings.h"

#include "FakeDevice.h"

#include <gtest/gtest.h>

namespace mkgev {
namespace {

TEST(IpSettingsTest, ReadInTheLibrarysOrder)
{
    static_assert(toLibraryOrder(0xC0A8010A) == 0x0A01A8C0); // 192.168.1.10
    testing::VirtualClock clock;
    testing::FakeDevice device(clock);
    GvcpClient client(device, clock);
    device.registers[bootstrap::SupportedIpConfig] = 0x80000007; // a bit beyond the modes
    device.registers[bootstrap::CurrentIpConfig] = kIpDhcp | kIpLinkLocal;
    device.registers[bootstrap::CurrentAddress] = 0xC0A8010A;
    device.registers[bootstrap::CurrentMask] = 0xFFFFFF00;
    device.registers[bootstrap::CurrentGateway] = 0xC0A80101;
    device.registers[bootstrap::PersistentAddress] = 0x0A000005;
    device.registers[bootstrap::PersistentMask] = 0xFF000000;
    mkapi::IpConfig config;
    ASSERT_TRUE(readIpSettings(client, config).ok());
    EXPECT_EQ(kIpDhcp | kIpLinkLocal, config.mode);
    EXPECT_EQ(7u, config.supportedModes);
    EXPECT_EQ(0x0A01A8C0u, config.address);
    EXPECT_EQ(0x00FFFFFFu, config.mask);
    EXPECT_EQ(0x0101A8C0u, config.gateway);
    EXPECT_EQ(0x0500000Au, config.persistentAddress);
    EXPECT_EQ(0x000000FFu, config.persistentMask);
    EXPECT_EQ(0u, config.persistentGateway);
}

TEST(IpSettingsTest, WritesThePersistentSettingsAndTheModeOnly)
{
    testing::VirtualClock clock;
    testing::FakeDevice device(clock);
    GvcpClient client(device, clock);
    device.registers[bootstrap::SupportedIpConfig] = kIpPersistent | kIpDhcp | kIpLinkLocal;
    device.registers[bootstrap::CurrentIpConfig] = 0x40000000 | kIpDhcp; // keeps the other bits
    device.registers[bootstrap::CurrentAddress] = 0xC0A8010A;
    mkapi::IpConfig config;
    config.mode = kIpPersistent;
    config.persistentAddress = toLibraryOrder(0x0A000005);
    config.persistentMask = toLibraryOrder(0xFF000000);
    config.persistentGateway = toLibraryOrder(0x0A000001);
    config.address = 0x01020304; // not the host's to write
    ASSERT_TRUE(writeIpSettings(client, config).ok());
    EXPECT_EQ(0x0A000005u, device.registers[bootstrap::PersistentAddress]);
    EXPECT_EQ(0xFF000000u, device.registers[bootstrap::PersistentMask]);
    EXPECT_EQ(0x0A000001u, device.registers[bootstrap::PersistentGateway]);
    EXPECT_EQ(0x40000000u | kIpPersistent, device.registers[bootstrap::CurrentIpConfig]);
    EXPECT_EQ(0xC0A8010Au, device.registers[bootstrap::CurrentAddress]);

    struct Case {
        const char* what;
        uint32_t mode, address, mask;
    };
    device.registers[bootstrap::SupportedIpConfig] = kIpDhcp | kIpLinkLocal;
    const Case refused[] = {
        {"no mode", 0, 1, 1},
        {"an unknown mode bit", kIpDhcp | 8, 1, 1},
        {"persistent, not supported", kIpPersistent, 1, 1},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        config.mode = c.mode;
        device.sent.clear();
        EXPECT_EQ(GvcpOutcome::BadArgument, writeIpSettings(client, config).outcome);
        for (const auto& packet : device.sent)
            EXPECT_NE(uint16_t(GvcpCommand::WriteRegister), load16(packet, 2));
    }
    device.registers[bootstrap::SupportedIpConfig] = kIpPersistent | kIpLinkLocal;
    config.mode = kIpPersistent;
    config.persistentMask = 0;
    EXPECT_EQ(GvcpOutcome::BadArgument, writeIpSettings(client, config).outcome);
}

TEST(IpSettingsTest, Subnets)
{
    EXPECT_TRUE(sameSubnet(0x7F000001, 0xFF000000, 0x7F000002));
    EXPECT_TRUE(sameSubnet(0xC0A80164, 0xFFFFFF00, 0xC0A801FE));
    EXPECT_FALSE(sameSubnet(0xC0A80164, 0xFFFFFF00, 0xC0A80201));
    EXPECT_FALSE(sameSubnet(0xC0A80164, 0, 0xC0A80164));
}

} // namespace
} // namespace mkgev
