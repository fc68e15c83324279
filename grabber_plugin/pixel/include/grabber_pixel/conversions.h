// The frame conversions of the grabber: camera pixel layouts into the layouts the
// framework shows (12-bit packed into 16-bit words, YUV into R, G, B bytes).
#pragma once

#include <cstddef>
#include <cstdint>

namespace grabber_pixel {

// routine(source, destination, pixel count). The source must hold
// SourceBytes(routine, count) bytes and the destination DestinationBytes(routine,
// count); nothing outside them is read or written.
using ConversionRoutine = void (*)(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount);

// Every 3 bytes b0, b1, b2 give the little-endian words (b0 << 4) | (b1 & 0x0F)
// and (b2 << 4) | (b1 >> 4); an odd last pixel takes 2 bytes.
void Unpack12Packed(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount);
// U, Y, V per pixel into R, G, B, in 22-bit fixed point.
void Yuv444ToRgb(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount);
// U, Y0, V, Y1 per two pixels into R, G, B, by the double-precision formula; an odd
// last pixel reads U, Y0 and V of one more group.
void Yuv422ToRgb(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount);
// U, Y0, Y1, V, Y2, Y3 per four pixels into R, G, B by the same formula; 1 to 3
// last pixels read U, V and their Y from the bytes of one more group.
void Yuv411ToRgb(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount);

// Bytes a routine reads and writes for a pixel count (0 for an unknown routine).
// A frame whose data is shorter than SourceBytes must not be converted.
std::size_t SourceBytes(ConversionRoutine routine, std::size_t pixelCount);
std::size_t DestinationBytes(ConversionRoutine routine, std::size_t pixelCount);

// The instruction-set paths; the best one the processor offers is chosen once, on
// first use, for the whole process.
enum class KernelPath { Baseline,
                        Ssse3,
                        Avx2,
                        Avx512 }; // AVX-512 F, BW, VBMI and VNNI
inline constexpr KernelPath kAllPaths[] = {KernelPath::Baseline, KernelPath::Ssse3, KernelPath::Avx2, KernelPath::Avx512};

struct KernelSet {
    ConversionRoutine unpack12Packed;
    ConversionRoutine yuv444ToRgb;
    ConversionRoutine yuv422ToRgb;
    ConversionRoutine yuv411ToRgb;
};

const char* PathName(KernelPath path);
bool PathSupported(KernelPath path);
// One path's kernels (null when this processor or build lacks it).
const KernelSet* KernelsFor(KernelPath path);
KernelPath ActivePath();
// Test hook: route the four routines above through another supported path.
// Returns false, changing nothing, for a path the processor lacks.
bool ForcePathForTesting(KernelPath path);

} // namespace grabber_pixel
