// GigE Vision control packets: commands and acknowledges, encoded and decoded byte for
// byte, with the protocol's status codes. Pure functions over byte spans.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace mkgev {

inline constexpr uint16_t kGvcpPort = 3956;
inline constexpr uint8_t kGvcpKey = 0x42;
inline constexpr size_t kGvcpHeaderSize = 8;
// The data a device must accept after the header (a 576-byte datagram); commands built
// here never exceed it, so they reach even the smallest devices.
inline constexpr size_t kGvcpMaxData = 540;
inline constexpr size_t kMaxReadRegisters = kGvcpMaxData / 4;
inline constexpr size_t kMaxWriteRegisters = kGvcpMaxData / 8;
inline constexpr uint32_t kMaxMemoryBlock = 512;
inline constexpr size_t kDiscoveryDataSize = 248;

inline constexpr uint8_t kFlagAckWanted = 0x01;
inline constexpr uint8_t kFlagBroadcastAck = 0x10;

enum class GvcpCommand : uint16_t {
    Discovery = 0x0002,
    PacketResend = 0x0040,
    ReadRegister = 0x0080,
    WriteRegister = 0x0082,
    ReadMemory = 0x0084,
    WriteMemory = 0x0086,
};

inline constexpr uint16_t kAckPending = 0x0089;
constexpr uint16_t ackCodeFor(GvcpCommand command) { return uint16_t(uint16_t(command) + 1); }

// Acknowledge status codes.
namespace gvcp_status {
inline constexpr uint16_t Success = 0x0000;
inline constexpr uint16_t PacketResend = 0x0100;
inline constexpr uint16_t NotImplemented = 0x8001;
inline constexpr uint16_t InvalidParameter = 0x8002;
inline constexpr uint16_t InvalidAddress = 0x8003;
inline constexpr uint16_t WriteProtect = 0x8004;
inline constexpr uint16_t BadAlignment = 0x8005;
inline constexpr uint16_t AccessDenied = 0x8006;
inline constexpr uint16_t Busy = 0x8007;
inline constexpr uint16_t InvalidProtocol = 0x800A;
inline constexpr uint16_t NoMessage = 0x800B;
inline constexpr uint16_t PacketUnavailable = 0x800C;
inline constexpr uint16_t DataOverrun = 0x800D;
inline constexpr uint16_t InvalidHeader = 0x800E;
inline constexpr uint16_t WrongConfig = 0x800F;
inline constexpr uint16_t PacketNotYetAvailable = 0x8010;
inline constexpr uint16_t PacketAndPreviousRemoved = 0x8011;
inline constexpr uint16_t PacketRemoved = 0x8012;
inline constexpr uint16_t Error = 0x8FFF;
} // namespace gvcp_status

// "ACCESS_DENIED" and the like; "UNKNOWN" for codes the protocol does not define.
const char* gvcpStatusName(uint16_t status);

enum class DecodeError {
    None,
    TooShort,       // fewer bytes than the header or its length field promise
    BadKey,         // a command without the 0x42 key
    BadLength,      // a length that does not fit the packet kind
    UnexpectedCode, // an acknowledge of another command
    Mismatch,       // content that contradicts the request (address, count)
    Unsupported,    // a well-formed packet of a kind not handled (extended ids)
};
const char* decodeErrorName(DecodeError error);

// ---- commands (host to device)

// Each returns the whole datagram; an argument outside the packet's limits (too many
// registers, a memory block not a multiple of 4 or over 512 bytes) gives an empty vector.
std::vector<uint8_t> encodeDiscovery(uint16_t requestId, bool allowBroadcastAck);
std::vector<uint8_t> encodeReadRegisters(uint16_t requestId, std::span<const uint32_t> addresses);
std::vector<uint8_t> encodeWriteRegisters(uint16_t requestId, std::span<const uint32_t> addresses,
                                          std::span<const uint32_t> values);
std::vector<uint8_t> encodeReadMemory(uint16_t requestId, uint32_t address, uint32_t count);
std::vector<uint8_t> encodeWriteMemory(uint16_t requestId, uint32_t address, std::span<const uint8_t> bytes);
// Packet resend never wants an acknowledge: the answer is the resent stream packets.
std::vector<uint8_t> encodePacketResend(uint16_t requestId, uint16_t streamChannel, uint16_t blockId,
                                        uint32_t firstPacket, uint32_t lastPacket);

struct GvcpCommandView {
    uint8_t flags = 0;
    uint16_t command = 0;
    uint16_t requestId = 0;
    std::span<const uint8_t> data; // exactly the length the header gives
};
// Bytes past the length field are ignored (link-layer padding).
DecodeError decodeCommand(std::span<const uint8_t> datagram, GvcpCommandView& out);

// ---- acknowledges (device to host)

struct GvcpAckView {
    uint16_t status = 0;
    uint16_t ackCode = 0;
    uint16_t requestId = 0;
    std::span<const uint8_t> data;
};
DecodeError decodeAck(std::span<const uint8_t> datagram, GvcpAckView& out);
std::vector<uint8_t> encodeAck(uint16_t status, uint16_t ackCode, uint16_t requestId, std::span<const uint8_t> data);

// The values of a read-register acknowledge; `count` is how many came (a device may answer
// fewer than asked, and a failed read answers the ones before the failing address).
DecodeError readRegisterValues(const GvcpAckView& ack, std::span<uint32_t> values, size_t& count);
// Write register: the index field of the acknowledge.
DecodeError writeRegisterIndex(const GvcpAckView& ack, uint16_t& index);
// Read memory: the bytes after the echoed address, which must be `address`.
DecodeError readMemoryData(const GvcpAckView& ack, uint32_t address, std::span<const uint8_t>& bytes);
// Write memory: the bytes the device says it wrote.
DecodeError writeMemoryCount(const GvcpAckView& ack, uint16_t& written);
// Pending acknowledge: how much longer the device asks the host to wait.
DecodeError pendingTimeMs(const GvcpAckView& ack, uint16_t& milliseconds);

} // namespace mkgev
