// The bootstrap registers every GigE Vision device has, the device record that a
// discovery acknowledge carries, and the description URL's "Local:" form.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace mkgev {

// Addresses are GigE Vision's; one table, read by the client and the tests alike.
namespace bootstrap {
inline constexpr uint32_t Version = 0x0000;
inline constexpr uint32_t DeviceMode = 0x0004;
inline constexpr uint32_t MacHigh = 0x0008;
inline constexpr uint32_t MacLow = 0x000C;
inline constexpr uint32_t SupportedIpConfig = 0x0010;
inline constexpr uint32_t CurrentIpConfig = 0x0014;
inline constexpr uint32_t CurrentAddress = 0x0024;
inline constexpr uint32_t CurrentMask = 0x0034;
inline constexpr uint32_t CurrentGateway = 0x0044;
inline constexpr uint32_t ManufacturerName = 0x0048; // 32 bytes
inline constexpr uint32_t ModelName = 0x0068;        // 32
inline constexpr uint32_t DeviceVersion = 0x0088;    // 32
inline constexpr uint32_t ManufacturerInfo = 0x00A8; // 48
inline constexpr uint32_t SerialNumber = 0x00D8;     // 16
inline constexpr uint32_t UserDefinedName = 0x00E8;  // 16
inline constexpr uint32_t FirstUrl = 0x0200;         // 512
inline constexpr uint32_t SecondUrl = 0x0400;        // 512
inline constexpr uint32_t UrlSize = 512;
inline constexpr uint32_t PersistentAddress = 0x064C;
inline constexpr uint32_t PersistentMask = 0x065C;
inline constexpr uint32_t PersistentGateway = 0x066C;
inline constexpr uint32_t StreamChannelCount = 0x0904;
inline constexpr uint32_t Capabilities = 0x0934;
inline constexpr uint32_t HeartbeatTimeout = 0x0938;
// How many ticks a second the device's time stamps count, as two 32-bit halves.
inline constexpr uint32_t TimestampTickFrequencyHigh = 0x093C;
inline constexpr uint32_t TimestampTickFrequencyLow = 0x0940;
inline constexpr uint32_t ControlChannelPrivilege = 0x0A00;
inline constexpr uint32_t StreamChannelPort = 0x0D00;
inline constexpr uint32_t StreamChannelPacketSize = 0x0D04;
inline constexpr uint32_t StreamChannelPacketDelay = 0x0D08;
inline constexpr uint32_t StreamChannelDestination = 0x0D18;
// Stream channel n's registers lie 0x40 apart.
inline constexpr uint32_t StreamChannelStride = 0x40;
} // namespace bootstrap

// Bits of the IP configuration registers.
inline constexpr uint32_t kIpPersistent = 1u << 0;
inline constexpr uint32_t kIpDhcp = 1u << 1;
inline constexpr uint32_t kIpLinkLocal = 1u << 2;

// Bits of the capability register (bit 0 is the least significant).
inline constexpr uint32_t kCapMultipleRead = 1u << 0;
inline constexpr uint32_t kCapWriteMemory = 1u << 1;
inline constexpr uint32_t kCapPacketResend = 1u << 2;
inline constexpr uint32_t kCapPendingAck = 1u << 5;

// Control channel privilege values.
inline constexpr uint32_t kPrivilegeExclusive = 1;
inline constexpr uint32_t kPrivilegeControl = 2;

// Stream channel packet size register: flags above the 16-bit size.
inline constexpr uint32_t kPacketSizeDoNotFragment = 1u << 30;
inline constexpr uint32_t kPacketSizeFireTest = 1u << 31;

// What a discovery acknowledge says about a device. Addresses as on the wire: the first
// octet in the most significant byte.
struct DeviceInfo {
    uint16_t versionMajor = 0, versionMinor = 0;
    uint64_t mac = 0;
    uint32_t supportedIpConfig = 0, currentIpConfig = 0;
    uint32_t address = 0, mask = 0, gateway = 0;
    std::string manufacturer, model, deviceVersion, manufacturerInfo, serialNumber, userName;
};

// Decodes the 248 bytes of a discovery acknowledge (the bootstrap block 0x0000-0x00F7).
// Texts end at their first zero or at their field's end, whichever comes first.
std::optional<DeviceInfo> decodeDeviceInfo(std::span<const uint8_t> data);
// The inverse, for devices simulated in tests.
void encodeDeviceInfo(const DeviceInfo& info, std::span<uint8_t, 248> out);

// A zero-terminated text from a register block, at most `bytes.size()` long.
std::string registerText(std::span<const uint8_t> bytes);

// The description URL "Local:NAME;ADDRESS;LENGTH" (hexadecimal numbers, optionally with a
// "?SchemaVersion=..." suffix).
struct DescriptionLocation {
    std::string fileName;
    uint32_t address = 0;
    uint32_t length = 0;
    bool zipped = false; // NAME ends in ".zip", case-insensitively
};
// Why the URL cannot be used, in a sentence; empty on success.
std::string parseDescriptionUrl(std::string_view url, DescriptionLocation& out);

// "192.168.0.10" for a wire-order address, and back (nullopt for anything else).
std::string formatAddress(uint32_t address);
std::optional<uint32_t> parseAddress(std::string_view text);

} // namespace mkgev
