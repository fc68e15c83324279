// One source of truth for the integer forms of the YUV formulas that every path
// computes. All the formulas here have the shape out = clamp(Y + d, 0, 255), where
// d depends on the chroma only (R on V, B on U, G on both), so each path computes
// d once per chroma sample and adds Y with saturation. The constants below were
// found by searching for the smallest integer forms that give exactly the
// double-precision (4:2:2, 4:1:1) and 22-bit fixed-point (4:4:4) offsets for all
// 256 or 65,536 chroma inputs; the tests hold them to the formulas over all 2^24
// (Y, U, V).
#pragma once

#include <cstdint>

namespace grabber_pixel::detail {

// Red and blue in 16-bit lanes, as a vector unit computes them with an unsigned
// high multiply: d = (mulhi(x << 8, k) + offset) >> 7. Exact for both formulas;
// they give the same red and blue offsets.
inline constexpr int kRedMul = 45940;
inline constexpr int kRedAdd = -22970;
inline constexpr int kBlueMul = 58065;
inline constexpr int kBlueAdd = -29033;
inline constexpr int kRedBlueShift = 7;

// Green needs 19 fractional bits: d = (k - 180426 U - 374413 V) >> 19. The two
// formulas differ only in k. Vector units split each factor into a high part
// times 256 and a low part so that both fit 16-bit multiplies.
inline constexpr int kGreenU = 180426;
inline constexpr int kGreenV = 374413;
inline constexpr int kGreenUHigh = kGreenU >> 8, kGreenULow = kGreenU & 0xFF;
inline constexpr int kGreenVHigh = kGreenV >> 8, kGreenVLow = kGreenV & 0xFF;
inline constexpr int kGreenShift = 19;
inline constexpr std::int32_t kGreenAddDouble = 71019397; // the 4:2:2 and 4:1:1 formula
inline constexpr std::int32_t kGreenAddFixed = 71019386;  // the 4:4:4 formula

inline int RedOffset(int v)
{
    return (static_cast<int>(static_cast<unsigned>(v << 8) * kRedMul >> 16) + kRedAdd) >> kRedBlueShift;
}
inline int BlueOffset(int u)
{
    return (static_cast<int>(static_cast<unsigned>(u << 8) * kBlueMul >> 16) + kBlueAdd) >> kRedBlueShift;
}
inline int GreenOffset(int u, int v, std::int32_t add)
{
    return (add - kGreenU * u - kGreenV * v) >> kGreenShift;
}
inline std::uint8_t AddSaturated(int y, int d)
{
    int x = y + d;
    return static_cast<std::uint8_t>(x < 0 ? 0 : x > 255 ? 255
                                                         : x);
}

} // namespace grabber_pixel::detail
