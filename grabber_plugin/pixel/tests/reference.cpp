// The conversions exactly as defined (compiled without fused multiply-add, so
// every double operation rounds as written).
#include "reference.h"

namespace grabber_pixel::reference {
namespace {

std::uint8_t FromFixed(std::int64_t sum)
{
    if (sum < 0) return 0;
    if (sum >= (std::int64_t{1} << 30)) return 255;
    return static_cast<std::uint8_t>(sum >> 22);
}

std::uint8_t FromDouble(double x)
{
    if (x <= 0) return 0;
    if (x >= 255) return 255;
    return static_cast<std::uint8_t>(x); // truncates toward zero
}

void Put(std::uint8_t* destination, const Rgb& rgb)
{
    destination[0] = rgb[0];
    destination[1] = rgb[1];
    destination[2] = rgb[2];
}

} // namespace

Rgb FixedPoint(int y, int u, int v)
{
    std::int64_t y22 = std::int64_t{y} << 22;
    return {FromFixed(y22 + 5880412LL * v - 752692139LL),
            FromFixed(y22 - 1443410LL * u - 2995304LL * v + 568155364LL),
            FromFixed(y22 + 7432307LL * u - 951335516LL)};
}

Rgb DoublePrecision(int y, int u, int v)
{
    double r = y + 1.40199958 * v - 179.4557903;
    double g = y + 135.4587945 - (0.344135677 * u + 0.71413615 * v);
    double b = y + 1.77200007 * u - 226.816062;
    return {FromDouble(r), FromDouble(g), FromDouble(b)};
}

void Unpack12Packed(const std::uint8_t* s, std::uint8_t* d, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* group = s + i / 2 * 3;
        unsigned value = i % 2 == 0 ? (group[0] << 4) | (group[1] & 0x0F) : (group[2] << 4) | (group[1] >> 4);
        d[2 * i] = static_cast<std::uint8_t>(value & 0xFF);
        d[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
}

void Yuv444ToRgb(const std::uint8_t* s, std::uint8_t* d, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) Put(d + 3 * i, FixedPoint(s[3 * i + 1], s[3 * i], s[3 * i + 2]));
}

void Yuv422ToRgb(const std::uint8_t* s, std::uint8_t* d, std::size_t n)
{
    // Group of 4 bytes U, Y0, V, Y1 per two pixels.
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* group = s + i / 2 * 4;
        Put(d + 3 * i, DoublePrecision(group[i % 2 ? 3 : 1], group[0], group[2]));
    }
}

void Yuv411ToRgb(const std::uint8_t* s, std::uint8_t* d, std::size_t n)
{
    // Group of 6 bytes U, Y0, Y1, V, Y2, Y3 per four pixels.
    static constexpr int kLuma[4] = {1, 2, 4, 5};
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* group = s + i / 4 * 6;
        Put(d + 3 * i, DoublePrecision(group[kLuma[i % 4]], group[0], group[3]));
    }
}

} // namespace grabber_pixel::reference
