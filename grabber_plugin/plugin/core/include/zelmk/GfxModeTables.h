// The graphics mode's tables: the camera's "PixelFormat" names as the
// framework's image description and conversion, and the two tables keyed by the
// pixel-format register (colour-filter offsets, significant bits).
#pragma once

#include "FramixTypes.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zelmk {

// The camera's 32-bit register holding the current format as a GigE Vision code.
inline constexpr uint32_t kPixelFormatRegister = 0x00012120;

enum class Conversion { None,
                        Unpack12Packed,
                        Yuv444ToRgb,
                        Yuv422ToRgb,
                        Yuv411ToRgb };

struct PixelFormatRow {
    const char* name;
    uint32_t components;
    uint32_t allocatedBits;
    uint32_t bits;
    UG_COLORCODING colorCoding;
    Conversion conversion;
};

std::span<const PixelFormatRow> PixelFormatTable();
// The row for an enumeration value, compared without regard to case; null when none.
const PixelFormatRow* FindPixelFormat(std::string_view name);

struct CfaOffsets {
    uint32_t x;
    uint32_t y;
};
std::optional<CfaOffsets> CfaOffsetsOf(uint32_t registerCode);
std::optional<uint32_t> SignificantBitsOf(uint32_t registerCode);

// The routine the frame buffers run for a conversion (null for None), and back.
UG_CONVERSION_FUNCTION ConversionFunction(Conversion conversion);
Conversion ConversionOf(UG_CONVERSION_FUNCTION routine);
// Bytes a routine reads and writes for a pixel count (0 for None or an unknown
// routine; UINT64_MAX when the count is too large to say).
uint64_t ConversionSourceBytes(UG_CONVERSION_FUNCTION routine, uint64_t pixelCount);
uint64_t ConversionDestinationBytes(UG_CONVERSION_FUNCTION routine, uint64_t pixelCount);

// components x allocated bits x height x width / 8, in 64 bits; a product that
// does not fit gives UINT64_MAX, which no allocation passes.
uint64_t FrameBufferBytes(uint32_t components, uint32_t allocatedBits, uint32_t height, uint32_t width);

} // namespace zelmk
