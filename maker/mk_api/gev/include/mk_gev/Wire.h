// Big-endian field access for the GigE Vision packets, bounds checked by the callers.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace mkgev {

inline uint16_t load16(std::span<const uint8_t> bytes, size_t offset)
{
    return static_cast<uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}

inline uint32_t load32(std::span<const uint8_t> bytes, size_t offset)
{
    return uint32_t(bytes[offset]) << 24 | uint32_t(bytes[offset + 1]) << 16 | uint32_t(bytes[offset + 2]) << 8 |
        uint32_t(bytes[offset + 3]);
}

inline void store16(uint8_t* out, uint16_t value)
{
    out[0] = uint8_t(value >> 8);
    out[1] = uint8_t(value);
}

inline void store32(uint8_t* out, uint32_t value)
{
    out[0] = uint8_t(value >> 24);
    out[1] = uint8_t(value >> 16);
    out[2] = uint8_t(value >> 8);
    out[3] = uint8_t(value);
}

inline void append16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

inline void append32(std::vector<uint8_t>& out, uint32_t value)
{
    append16(out, uint16_t(value >> 16));
    append16(out, uint16_t(value));
}

} // namespace mkgev
