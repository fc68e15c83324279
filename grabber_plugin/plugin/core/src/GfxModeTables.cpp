// The pixel-format, colour-filter and significant-bits tables.
#include "zelmk/GfxModeTables.h"

#include "grabber_pixel/conversions.h"

#include <algorithm>
#include <cctype>

namespace zelmk {
namespace {

constexpr PixelFormatRow kPixelFormats[] = {
    {"Mono8", 1, 8, 8, UG_CC_MONO, Conversion::None},
    {"Mono10", 1, 16, 10, UG_CC_MONO, Conversion::None},
    {"Mono12", 1, 16, 12, UG_CC_MONO, Conversion::None},
    {"Mono12Packed", 1, 16, 12, UG_CC_MONO, Conversion::Unpack12Packed},
    {"Mono16", 1, 16, 16, UG_CC_MONO, Conversion::None},
    {"Bayer8", 1, 8, 8, UG_CC_RAW_CFA, Conversion::None},
    {"Bayer10", 1, 16, 10, UG_CC_RAW_CFA, Conversion::None},
    {"Bayer12", 1, 16, 12, UG_CC_RAW_CFA, Conversion::None},
    {"Bayer12Packed", 1, 16, 12, UG_CC_RAW_CFA, Conversion::Unpack12Packed},
    {"Bayer16", 1, 16, 16, UG_CC_RAW_CFA, Conversion::None},
    {"Rgb24", 3, 8, 8, UG_CC_RGB, Conversion::None},
    {"Bgr24", 3, 8, 8, UG_CC_BGR, Conversion::None},
    {"Rgba32", 4, 8, 8, UG_CC_RGBA, Conversion::None},
    {"Bgra32", 4, 8, 8, UG_CC_BGRA, Conversion::None},
    {"Yuv444", 3, 8, 8, UG_CC_RGB, Conversion::Yuv444ToRgb},
    {"Yuv422", 3, 8, 8, UG_CC_RGB, Conversion::Yuv422ToRgb},
    {"Yuv411", 3, 8, 8, UG_CC_RGB, Conversion::Yuv411ToRgb},
};
static_assert(std::size(kPixelFormats) == 17);

struct CfaRow {
    uint32_t code;
    CfaOffsets offsets;
};
// GR, RG, GB, BG for each depth: the first red/blue sample's column and row.
constexpr CfaRow kCfaOffsets[] = {
    {0x01080008, {0, 0}}, {0x01080009, {1, 0}}, {0x0108000A, {1, 1}}, {0x0108000B, {0, 1}}, // 8 bits
    {0x0110000C, {0, 0}},
    {0x0110000D, {1, 0}},
    {0x0110000E, {1, 1}},
    {0x0110000F, {0, 1}}, // 10 bits
    {0x01100010, {0, 0}},
    {0x01100011, {1, 0}},
    {0x01100012, {1, 1}},
    {0x01100013, {0, 1}}, // 12 bits
    {0x010C002A, {0, 0}},
    {0x010C002B, {1, 0}},
    {0x010C002C, {1, 1}},
    {0x010C002D, {0, 1}}, // 12 bits packed
    {0x0110002E, {0, 0}},
    {0x0110002F, {1, 0}},
    {0x01100030, {1, 1}},
    {0x01100031, {0, 1}}, // 16 bits
};
static_assert(std::size(kCfaOffsets) == 20);

struct BitsRow {
    uint32_t code;
    uint32_t bits;
};
constexpr BitsRow kSignificantBits[] = {
    {0x01100003, 10}, {0x01100005, 12}, {0x01100025, 14}, {0x01100007, 16}, // Mono10, 12, 14, 16
    {0x0110000C, 10},
    {0x0110000D, 10},
    {0x0110000E, 10},
    {0x0110000F, 10}, // Bayer 10-bit
    {0x01100010, 12},
    {0x01100011, 12},
    {0x01100012, 12},
    {0x01100013, 12}, // Bayer 12-bit
    {0x0110002E, 16},
    {0x0110002F, 16},
    {0x01100030, 16},
    {0x01100031, 16}, // Bayer 16-bit
};
static_assert(std::size(kSignificantBits) == 16);

// The framework's routine type takes untyped pointers and a 64-bit count.
void MkUnpack12Packed(const void* source, void* destination, uint64_t pixelCount)
{
    grabber_pixel::Unpack12Packed(static_cast<const uint8_t*>(source), static_cast<uint8_t*>(destination), pixelCount);
}
void MkYuv444ToRgb(const void* source, void* destination, uint64_t pixelCount)
{
    grabber_pixel::Yuv444ToRgb(static_cast<const uint8_t*>(source), static_cast<uint8_t*>(destination), pixelCount);
}
void MkYuv422ToRgb(const void* source, void* destination, uint64_t pixelCount)
{
    grabber_pixel::Yuv422ToRgb(static_cast<const uint8_t*>(source), static_cast<uint8_t*>(destination), pixelCount);
}
void MkYuv411ToRgb(const void* source, void* destination, uint64_t pixelCount)
{
    grabber_pixel::Yuv411ToRgb(static_cast<const uint8_t*>(source), static_cast<uint8_t*>(destination), pixelCount);
}

grabber_pixel::ConversionRoutine KernelOf(Conversion conversion)
{
    switch (conversion) {
    case Conversion::Unpack12Packed: return &grabber_pixel::Unpack12Packed;
    case Conversion::Yuv444ToRgb: return &grabber_pixel::Yuv444ToRgb;
    case Conversion::Yuv422ToRgb: return &grabber_pixel::Yuv422ToRgb;
    case Conversion::Yuv411ToRgb: return &grabber_pixel::Yuv411ToRgb;
    case Conversion::None: break;
    }
    return nullptr;
}

uint64_t Bytes(size_t bytes) { return bytes == SIZE_MAX ? UINT64_MAX : uint64_t(bytes); }

} // namespace

std::span<const PixelFormatRow> PixelFormatTable() { return kPixelFormats; }

const PixelFormatRow* FindPixelFormat(std::string_view name)
{
    for (const PixelFormatRow& row : kPixelFormats) {
        const std::string_view rowName(row.name);
        if (rowName.size() == name.size() && std::equal(rowName.begin(), rowName.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return &row;
    }
    return nullptr;
}

std::optional<CfaOffsets> CfaOffsetsOf(uint32_t registerCode)
{
    for (const CfaRow& row : kCfaOffsets)
        if (row.code == registerCode) return row.offsets;
    return std::nullopt;
}

std::optional<uint32_t> SignificantBitsOf(uint32_t registerCode)
{
    for (const BitsRow& row : kSignificantBits)
        if (row.code == registerCode) return row.bits;
    return std::nullopt;
}

UG_CONVERSION_FUNCTION ConversionFunction(Conversion conversion)
{
    switch (conversion) {
    case Conversion::Unpack12Packed: return &MkUnpack12Packed;
    case Conversion::Yuv444ToRgb: return &MkYuv444ToRgb;
    case Conversion::Yuv422ToRgb: return &MkYuv422ToRgb;
    case Conversion::Yuv411ToRgb: return &MkYuv411ToRgb;
    case Conversion::None: break;
    }
    return nullptr;
}

Conversion ConversionOf(UG_CONVERSION_FUNCTION routine)
{
    for (Conversion c : {Conversion::Unpack12Packed, Conversion::Yuv444ToRgb, Conversion::Yuv422ToRgb, Conversion::Yuv411ToRgb})
        if (routine && routine == ConversionFunction(c)) return c;
    return Conversion::None;
}

uint64_t ConversionSourceBytes(UG_CONVERSION_FUNCTION routine, uint64_t pixelCount)
{
    const grabber_pixel::ConversionRoutine kernel = KernelOf(ConversionOf(routine));
    return kernel ? Bytes(grabber_pixel::SourceBytes(kernel, pixelCount)) : 0;
}

uint64_t ConversionDestinationBytes(UG_CONVERSION_FUNCTION routine, uint64_t pixelCount)
{
    const grabber_pixel::ConversionRoutine kernel = KernelOf(ConversionOf(routine));
    return kernel ? Bytes(grabber_pixel::DestinationBytes(kernel, pixelCount)) : 0;
}

uint64_t FrameBufferBytes(uint32_t components, uint32_t allocatedBits, uint32_t height, uint32_t width)
{
    // 4 x 16 x 2^32 x 2^32 needs 70 bits: a wrapped product would size a buffer far too small.
    unsigned __int128 bits = static_cast<unsigned __int128>(uint64_t(components) * allocatedBits) * height * width;
    bits >>= 3;
    return bits > UINT64_MAX ? UINT64_MAX : static_cast<uint64_t>(bits);
}

} // namespace zelmk
