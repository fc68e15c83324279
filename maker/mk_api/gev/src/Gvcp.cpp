// GigE Vision control packets, byte for byte.
#include "mk_gev/Gvcp.h"

#include "mk_gev/Wire.h"

namespace mkgev {

const char* gvcpStatusName(uint16_t status)
{
    switch (status) {
    case gvcp_status::Success: return "SUCCESS";
    case gvcp_status::PacketResend: return "PACKET_RESEND";
    case gvcp_status::NotImplemented: return "NOT_IMPLEMENTED";
    case gvcp_status::InvalidParameter: return "INVALID_PARAMETER";
    case gvcp_status::InvalidAddress: return "INVALID_ADDRESS";
    case gvcp_status::WriteProtect: return "WRITE_PROTECT";
    case gvcp_status::BadAlignment: return "BAD_ALIGNMENT";
    case gvcp_status::AccessDenied: return "ACCESS_DENIED";
    case gvcp_status::Busy: return "BUSY";
    case gvcp_status::InvalidProtocol: return "INVALID_PROTOCOL";
    case gvcp_status::NoMessage: return "NO_MSG";
    case gvcp_status::PacketUnavailable: return "PACKET_UNAVAILABLE";
    case gvcp_status::DataOverrun: return "DATA_OVERRUN";
    case gvcp_status::InvalidHeader: return "INVALID_HEADER";
    case gvcp_status::WrongConfig: return "WRONG_CONFIG";
    case gvcp_status::PacketNotYetAvailable: return "PACKET_NOT_YET_AVAILABLE";
    case gvcp_status::PacketAndPreviousRemoved: return "PACKET_AND_PREV_REMOVED_FROM_MEMORY";
    case gvcp_status::PacketRemoved: return "PACKET_REMOVED_FROM_MEMORY";
    case gvcp_status::Error: return "ERROR";
    default: return "UNKNOWN";
    }
}

const char* decodeErrorName(DecodeError error)
{
    switch (error) {
    case DecodeError::None: return "none";
    case DecodeError::TooShort: return "packet too short";
    case DecodeError::BadKey: return "not a control packet";
    case DecodeError::BadLength: return "bad length";
    case DecodeError::UnexpectedCode: return "unexpected acknowledge";
    case DecodeError::Mismatch: return "answer does not match the request";
    case DecodeError::Unsupported: return "unsupported packet";
    }
    return "?";
}

namespace {

std::vector<uint8_t> header(uint8_t flags, GvcpCommand command, size_t length, uint16_t requestId)
{
    std::vector<uint8_t> out;
    out.reserve(kGvcpHeaderSize + length);
    out.push_back(kGvcpKey);
    out.push_back(flags);
    append16(out, uint16_t(command));
    append16(out, uint16_t(length));
    append16(out, requestId);
    return out;
}

} // namespace

std::vector<uint8_t> encodeDiscovery(uint16_t requestId, bool allowBroadcastAck)
{
    return header(uint8_t(kFlagAckWanted | (allowBroadcastAck ? kFlagBroadcastAck : 0)), GvcpCommand::Discovery, 0,
                  requestId);
}

std::vector<uint8_t> encodeReadRegisters(uint16_t requestId, std::span<const uint32_t> addresses)
{
    if (addresses.empty() || addresses.size() > kMaxReadRegisters)
        return {};
    auto out = header(kFlagAckWanted, GvcpCommand::ReadRegister, addresses.size() * 4, requestId);
    for (uint32_t a : addresses)
        append32(out, a);
    return out;
}

std::vector<uint8_t> encodeWriteRegisters(uint16_t requestId, std::span<const uint32_t> addresses,
                                          std::span<const uint32_t> values)
{
    if (addresses.empty() || addresses.size() > kMaxWriteRegisters || addresses.size() != values.size())
        return {};
    auto out = header(kFlagAckWanted, GvcpCommand::WriteRegister, addresses.size() * 8, requestId);
    for (size_t i = 0; i < addresses.size(); ++i) {
        append32(out, addresses[i]);
        append32(out, values[i]);
    }
    return out;
}

std::vector<uint8_t> encodeReadMemory(uint16_t requestId, uint32_t address, uint32_t count)
{
    if (count == 0 || count % 4 != 0 || count > kMaxMemoryBlock || address % 4 != 0)
        return {};
    auto out = header(kFlagAckWanted, GvcpCommand::ReadMemory, 8, requestId);
    append32(out, address);
    append16(out, 0);
    append16(out, uint16_t(count));
    return out;
}

std::vector<uint8_t> encodeWriteMemory(uint16_t requestId, uint32_t address, std::span<const uint8_t> bytes)
{
    if (bytes.empty() || bytes.size() % 4 != 0 || bytes.size() > kMaxMemoryBlock || address % 4 != 0)
        return {};
    auto out = header(kFlagAckWanted, GvcpCommand::WriteMemory, 4 + bytes.size(), requestId);
    append32(out, address);
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

std::vector<uint8_t> encodePacketResend(uint16_t requestId, uint16_t streamChannel, uint16_t blockId,
                                        uint32_t firstPacket, uint32_t lastPacket)
{
    // Standard packet ids are 24 bits wide.
    if (firstPacket > lastPacket || lastPacket > 0xFFFFFF)
        return {};
    auto out = header(0, GvcpCommand::PacketResend, 12, requestId);
    append16(out, streamChannel);
    append16(out, blockId);
    append32(out, firstPacket);
    append32(out, lastPacket);
    return out;
}

DecodeError decodeCommand(std::span<const uint8_t> datagram, GvcpCommandView& out)
{
    if (datagram.size() < kGvcpHeaderSize)
        return DecodeError::TooShort;
    if (datagram[0] != kGvcpKey)
        return DecodeError::BadKey;
    uint16_t length = load16(datagram, 4);
    if (datagram.size() - kGvcpHeaderSize < length)
        return DecodeError::TooShort;
    out.flags = datagram[1];
    out.command = load16(datagram, 2);
    out.requestId = load16(datagram, 6);
    out.data = datagram.subspan(kGvcpHeaderSize, length);
    return DecodeError::None;
}

DecodeError decodeAck(std::span<const uint8_t> datagram, GvcpAckView& out)
{
    if (datagram.size() < kGvcpHeaderSize)
        return DecodeError::TooShort;
    uint16_t length = load16(datagram, 4);
    if (datagram.size() - kGvcpHeaderSize < length)
        return DecodeError::TooShort;
    out.status = load16(datagram, 0);
    out.ackCode = load16(datagram, 2);
    out.requestId = load16(datagram, 6);
    out.data = datagram.subspan(kGvcpHeaderSize, length);
    return DecodeError::None;
}

std::vector<uint8_t> encodeAck(uint16_t status, uint16_t ackCode, uint16_t requestId, std::span<const uint8_t> data)
{
    std::vector<uint8_t> out;
    out.reserve(kGvcpHeaderSize + data.size());
    append16(out, status);
    append16(out, ackCode);
    append16(out, uint16_t(data.size()));
    append16(out, requestId);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

DecodeError readRegisterValues(const GvcpAckView& ack, std::span<uint32_t> values, size_t& count)
{
    count = 0;
    if (ack.ackCode != ackCodeFor(GvcpCommand::ReadRegister))
        return DecodeError::UnexpectedCode;
    if (ack.data.size() % 4 != 0)
        return DecodeError::BadLength;
    size_t n = ack.data.size() / 4;
    if (n > values.size())
        return DecodeError::Mismatch;
    for (size_t i = 0; i < n; ++i)
        values[i] = load32(ack.data, i * 4);
    count = n;
    return DecodeError::None;
}

DecodeError writeRegisterIndex(const GvcpAckView& ack, uint16_t& index)
{
    if (ack.ackCode != ackCodeFor(GvcpCommand::WriteRegister))
        return DecodeError::UnexpectedCode;
    if (ack.data.size() != 4)
        return DecodeError::BadLength;
    index = load16(ack.data, 2);
    return DecodeError::None;
}

DecodeError readMemoryData(const GvcpAckView& ack, uint32_t address, std::span<const uint8_t>& bytes)
{
    if (ack.ackCode != ackCodeFor(GvcpCommand::ReadMemory))
        return DecodeError::UnexpectedCode;
    if (ack.data.size() < 4)
        return DecodeError::BadLength;
    if (load32(ack.data, 0) != address)
        return DecodeError::Mismatch;
    bytes = ack.data.subspan(4);
    return DecodeError::None;
}

DecodeError writeMemoryCount(const GvcpAckView& ack, uint16_t& written)
{
    if (ack.ackCode != ackCodeFor(GvcpCommand::WriteMemory))
        return DecodeError::UnexpectedCode;
    if (ack.data.size() != 4)
        return DecodeError::BadLength;
    written = load16(ack.data, 2);
    return DecodeError::None;
}

DecodeError pendingTimeMs(const GvcpAckView& ack, uint16_t& milliseconds)
{
    if (ack.ackCode != kAckPending)
        return DecodeError::UnexpectedCode;
    if (ack.data.size() != 4)
        return DecodeError::BadLength;
    milliseconds = load16(ack.data, 2);
    return DecodeError::None;
}

} // namespace mkgev
