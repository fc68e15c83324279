// The pixel-format table and the test pattern.
#include "gige_sim/PixelFormats.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace gigesim {
namespace {

constexpr PixelFormat kFormats[] = {
    {"Mono8", 0x01080001, 8, 8, 1, false, false},
    {"Mono10", 0x01100003, 16, 10, 1, false, false},
    {"Mono12", 0x01100005, 16, 12, 1, false, false},
    {"Mono12Packed", 0x010C0006, 12, 12, 2, false, false},
    {"Mono14", 0x01100025, 16, 14, 1, false, false},
    {"Mono16", 0x01100007, 16, 16, 1, false, true},
    {"Bayer8", 0x01080008, 8, 8, 1, true, false},
    {"Bayer10", 0x0110000C, 16, 10, 1, true, false},
    {"Bayer12", 0x01100010, 16, 12, 1, true, false},
    {"Bayer12Packed", 0x010C002A, 12, 12, 2, true, false},
    {"Bayer16", 0x0110002E, 16, 16, 1, true, true},
    {"Rgb24", 0x02180014, 24, 8, 1, false, false},
    {"Bgr24", 0x02180015, 24, 8, 1, false, false},
    {"Rgba32", 0x02200016, 32, 8, 1, false, false},
    {"Bgra32", 0x02200017, 32, 8, 1, false, false},
    {"Yuv411", 0x020C001E, 12, 8, 4, false, false},
    {"Yuv422", 0x0210001F, 16, 8, 2, false, false},
    {"Yuv444", 0x02180020, 24, 8, 1, false, false},
    {"Rgb48", 0x02300033, 48, 16, 1, false, false},
};

bool equalNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::span<const PixelFormat> pixelFormats() { return kFormats; }

const PixelFormat* findPixelFormat(std::string_view name)
{
    for (const PixelFormat& format : kFormats)
        if (equalNoCase(format.name, name))
            return &format;
    return nullptr;
}

uint32_t registerCode(const PixelFormat& format, uint32_t sensorBits, BayerLayout layout)
{
    const uint32_t shift = format.bayer ? static_cast<uint32_t>(layout) : 0;
    if (!format.followsSensor || sensorBits >= 16)
        return format.code + shift;
    // The 16-bit container carries the sensor's depth: report the format of that depth.
    if (format.bayer)
        return (sensorBits <= 10 ? 0x0110000Cu : 0x01100010u) + shift;
    switch (sensorBits) {
    case 10: return 0x01100003;
    case 12: return 0x01100005;
    case 14: return 0x01100025;
    default: return format.code;
    }
}

uint64_t frameBytes(const PixelFormat& format, uint32_t width, uint32_t height)
{
    if (width % format.groupPixels != 0)
        return 0;
    return uint64_t(width) * height * format.bitsPerPixel / 8;
}

TestPattern::TestPattern(const PixelFormat& format, uint32_t width, uint32_t height, uint32_t significantBits)
{
    frameBytes_ = gigesim::frameBytes(format, width, height);
    groupBytes_ = format.groupPixels * format.bitsPerPixel / 8;
    if (frameBytes_ == 0)
        return;
    // The pattern runs 255 groups beyond one frame, so every frame number has its view.
    const uint64_t total = frameBytes_ + 255ull * groupBytes_;
    pattern_.resize(total);
    const uint32_t mask = significantBits >= 16 ? 0xFFFFu : (1u << significantBits) - 1u;
    const uint64_t rowBytes = frameBytes_ / height;
    if (format.bitsPerPixel == 12) {
        for (uint64_t g = 0; g + 3 <= total; g += 3) {
            const uint64_t k = g / 3 * 2;
            const uint32_t v0 = uint32_t((k + k / width) * 37) & 0xFFF, v1 = uint32_t((k + 1 + k / width) * 37) & 0xFFF;
            pattern_[g] = uint8_t(v0 >> 4);
            pattern_[g + 1] = uint8_t((v0 & 0xF) | ((v1 & 0xF) << 4));
            pattern_[g + 2] = uint8_t(v1 >> 4);
        }
        if (format.groupPixels == 4) // Yuv411: bytes, 12 bits a pixel on average
            for (uint64_t i = 0; i < total; ++i) pattern_[i] = uint8_t(i + i / rowBytes);
    } else if (format.bits > 8) {
        for (uint64_t i = 0; i + 2 <= total; i += 2) {
            const uint64_t k = i / 2;
            const uint32_t v = uint32_t((k + k / width) * 13) & mask;
            pattern_[i] = uint8_t(v);
            pattern_[i + 1] = uint8_t(v >> 8);
        }
    } else {
        for (uint64_t i = 0; i < total; ++i) pattern_[i] = uint8_t(i + i / rowBytes);
    }
}

void TestPattern::fill(uint8_t* out, uint32_t number) const
{
    if (frameBytes_ == 0)
        return;
    std::memcpy(out, pattern_.data() + uint64_t(number % 256) * groupBytes_, frameBytes_);
    const uint32_t stamp = number;
    std::memcpy(out, &stamp, std::min<uint64_t>(4, frameBytes_)); // little-endian hosts only, as the records
}

} // namespace gigesim
