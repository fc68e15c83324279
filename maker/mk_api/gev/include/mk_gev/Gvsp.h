// GigE Vision stream packets: leader, payload and trailer, decoded and encoded byte for
// byte. Standard 16-bit block ids and 24-bit packet ids.
#pragma once

#include "mk_gev/Gvcp.h"

#include <cstdint>
#include <span>
#include <vector>

namespace mkgev {

inline constexpr size_t kGvspHeaderSize = 8;
// What a stream packet's size includes besides its content: IP 20, UDP 8, GVSP 8.
inline constexpr uint32_t kGvspPacketOverhead = 36;
inline constexpr size_t kLeaderImageSize = 36;
inline constexpr uint16_t kPayloadTypeImage = 0x0001;

enum class GvspContent : uint8_t {
    Leader = 1,
    Trailer = 2,
    Payload = 3,
};

struct GvspPacketView {
    uint16_t status = 0;
    uint16_t blockId = 0;
    uint8_t content = 0; // GvspContent
    uint32_t packetId = 0;
    std::span<const uint8_t> data;
};
// Extended-id packets (bit 31 of the packet information) answer Unsupported.
DecodeError decodeGvsp(std::span<const uint8_t> datagram, GvspPacketView& out);

struct GvspLeader {
    uint16_t flags = 0;
    uint16_t payloadType = kPayloadTypeImage;
    uint64_t timestamp = 0;
    uint32_t pixelFormat = 0;
    uint32_t width = 0, height = 0, offsetX = 0, offsetY = 0;
    uint16_t paddingX = 0, paddingY = 0;
};
// Only image leaders are decoded; other payload types answer Unsupported.
DecodeError decodeLeader(const GvspPacketView& packet, GvspLeader& out);

struct GvspTrailer {
    uint16_t payloadType = kPayloadTypeImage;
    bool hasHeight = false;
    uint32_t height = 0; // the lines actually sent
};
DecodeError decodeTrailer(const GvspPacketView& packet, GvspTrailer& out);

// For simulated devices and seeds.
std::vector<uint8_t> encodeLeader(uint16_t blockId, const GvspLeader& leader, uint16_t status = 0);
std::vector<uint8_t> encodePayload(uint16_t blockId, uint32_t packetId, std::span<const uint8_t> bytes,
                                   uint16_t status = 0);
std::vector<uint8_t> encodeTrailer(uint16_t blockId, uint32_t packetId, const GvspTrailer& trailer,
                                   uint16_t status = 0);

// Block ids run 1..65535 and wrap to 1. Whether `id` comes after `reference`, within half
// the id space.
bool blockIdAfter(uint16_t id, uint16_t reference);
uint16_t nextBlockId(uint16_t id);

} // namespace mkgev
