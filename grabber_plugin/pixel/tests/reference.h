// The conversions exactly as defined, written for clarity rather than speed: the
// yardstick every kernel path is held to, byte for byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace grabber_pixel::reference {

using Rgb = std::array<std::uint8_t, 3>;

// R, G, B in 22-bit fixed point (the 4:4:4 formula).
Rgb FixedPoint(int y, int u, int v);
// R, G, B in double precision (the 4:2:2 and 4:1:1 formula).
Rgb DoublePrecision(int y, int u, int v);

void Unpack12Packed(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount);
void Yuv444ToRgb(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount);
void Yuv422ToRgb(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount);
void Yuv411ToRgb(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount);

} // namespace grabber_pixel::reference
