// GigE Vision stream packets, byte for byte.
#include "mk_gev/Gvsp.h"

#include "mk_gev/Wire.h"

namespace mkgev {

DecodeError decodeGvsp(std::span<const uint8_t> datagram, GvspPacketView& out)
{
    if (datagram.size() < kGvspHeaderSize)
        return DecodeError::TooShort;
    uint32_t info = load32(datagram, 4);
    if (info & 0x80000000u)
        return DecodeError::Unsupported;
    out.status = load16(datagram, 0);
    out.blockId = load16(datagram, 2);
    out.content = uint8_t(info >> 24 & 0x7F);
    out.packetId = info & 0xFFFFFF;
    out.data = datagram.subspan(kGvspHeaderSize);
    return DecodeError::None;
}

DecodeError decodeLeader(const GvspPacketView& packet, GvspLeader& out)
{
    if (packet.content != uint8_t(GvspContent::Leader))
        return DecodeError::UnexpectedCode;
    if (packet.data.size() < 4)
        return DecodeError::TooShort;
    uint16_t type = load16(packet.data, 2);
    if (type != kPayloadTypeImage)
        return DecodeError::Unsupported;
    if (packet.data.size() < kLeaderImageSize)
        return DecodeError::TooShort;
    out.flags = load16(packet.data, 0);
    out.payloadType = type;
    out.timestamp = uint64_t(load32(packet.data, 4)) << 32 | load32(packet.data, 8);
    out.pixelFormat = load32(packet.data, 12);
    out.width = load32(packet.data, 16);
    out.height = load32(packet.data, 20);
    out.offsetX = load32(packet.data, 24);
    out.offsetY = load32(packet.data, 28);
    out.paddingX = load16(packet.data, 32);
    out.paddingY = load16(packet.data, 34);
    return DecodeError::None;
}

DecodeError decodeTrailer(const GvspPacketView& packet, GvspTrailer& out)
{
    if (packet.content != uint8_t(GvspContent::Trailer))
        return DecodeError::UnexpectedCode;
    if (packet.data.size() < 4)
        return DecodeError::TooShort;
    out.payloadType = load16(packet.data, 2);
    out.hasHeight = out.payloadType == kPayloadTypeImage && packet.data.size() >= 8;
    out.height = out.hasHeight ? load32(packet.data, 4) : 0;
    return DecodeError::None;
}

namespace {

std::vector<uint8_t> header(uint16_t status, uint16_t blockId, GvspContent content, uint32_t packetId)
{
    std::vector<uint8_t> out;
    append16(out, status);
    append16(out, blockId);
    append32(out, uint32_t(content) << 24 | (packetId & 0xFFFFFF));
    return out;
}

} // namespace

std::vector<uint8_t> encodeLeader(uint16_t blockId, const GvspLeader& leader, uint16_t status)
{
    auto out = header(status, blockId, GvspContent::Leader, 0);
    append16(out, leader.flags);
    append16(out, leader.payloadType);
    append32(out, uint32_t(leader.timestamp >> 32));
    append32(out, uint32_t(leader.timestamp));
    append32(out, leader.pixelFormat);
    append32(out, leader.width);
    append32(out, leader.height);
    append32(out, leader.offsetX);
    append32(out, leader.offsetY);
    append16(out, leader.paddingX);
    append16(out, leader.paddingY);
    return out;
}

std::vector<uint8_t> encodePayload(uint16_t blockId, uint32_t packetId, std::span<const uint8_t> bytes,
                                   uint16_t status)
{
    auto out = header(status, blockId, GvspContent::Payload, packetId);
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

std::vector<uint8_t> encodeTrailer(uint16_t blockId, uint32_t packetId, const GvspTrailer& trailer, uint16_t status)
{
    auto out = header(status, blockId, GvspContent::Trailer, packetId);
    append16(out, 0);
    append16(out, trailer.payloadType);
    if (trailer.hasHeight)
        append32(out, trailer.height);
    return out;
}

bool blockIdAfter(uint16_t id, uint16_t reference)
{
    if (id == 0 || reference == 0 || id == reference)
        return false;
    // Distance forward on the ring 1..65535.
    uint32_t forward = (uint32_t(id) + 65535 - reference) % 65535;
    return forward < 65535 / 2;
}

uint16_t nextBlockId(uint16_t id) { return id == 0xFFFF ? 1 : uint16_t(id + 1); }

} // namespace mkgev
