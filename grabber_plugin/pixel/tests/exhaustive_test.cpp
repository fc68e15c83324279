// Every kernel path against the reference over every input a pixel can have: all
// 2^24 (Y, U, V) of each YUV layout and all 2^24 byte triples of the 12-bit
// packing, one frame each.
#include "kernel_cases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace grabber_pixel {
namespace {

using testing::kKernels;
using testing::SupportedPaths;

constexpr std::size_t kAll = std::size_t{1} << 24;

// Pixels of a frame that holds each input once: 2^24 (Y, U, V), or 2^24 byte
// triples of two pixels each.
std::size_t EveryInputPixels(ConversionRoutine routine) { return routine == Unpack12Packed ? 2 * kAll : kAll; }

// The low bits count Y, then U, then V.
std::vector<std::uint8_t> EveryInputFrame(ConversionRoutine routine)
{
    std::vector<std::uint8_t> frame(SourceBytes(routine, EveryInputPixels(routine)));
    std::uint8_t* p = frame.data();
    if (routine == Unpack12Packed) {
        for (std::size_t i = 0; i < kAll; ++i, p += 3) p[0] = std::uint8_t(i), p[1] = std::uint8_t(i >> 8), p[2] = std::uint8_t(i >> 16);
    } else if (routine == Yuv444ToRgb) {
        for (std::size_t i = 0; i < kAll; ++i, p += 3) p[0] = std::uint8_t(i >> 8), p[1] = std::uint8_t(i), p[2] = std::uint8_t(i >> 16);
    } else if (routine == Yuv422ToRgb) {
        for (std::size_t i = 0; i < kAll; i += 2, p += 4) p[0] = std::uint8_t(i >> 8), p[1] = std::uint8_t(i), p[2] = std::uint8_t(i >> 16), p[3] = std::uint8_t(i + 1);
    } else {
        for (std::size_t i = 0; i < kAll; i += 4, p += 6) {
            p[0] = std::uint8_t(i >> 8), p[3] = std::uint8_t(i >> 16);
            p[1] = std::uint8_t(i), p[2] = std::uint8_t(i + 1), p[4] = std::uint8_t(i + 2), p[5] = std::uint8_t(i + 3);
        }
    }
    return frame;
}

TEST(Exhaustive, EveryPathEqualsTheReferenceForEveryInput)
{
    for (const auto& kernel : kKernels) {
        std::size_t n = EveryInputPixels(kernel.routine);
        std::vector<std::uint8_t> source = EveryInputFrame(kernel.routine);
        std::vector<std::uint8_t> expected(DestinationBytes(kernel.routine, n)), actual(expected.size());
        kernel.reference(source.data(), expected.data(), n);
        for (KernelPath path : SupportedPaths()) {
            SCOPED_TRACE(std::string(kernel.name) + " on " + PathName(path));
            std::fill(actual.begin(), actual.end(), 0);
            (KernelsFor(path)->*kernel.member)(source.data(), actual.data(), n);
            if (std::memcmp(expected.data(), actual.data(), expected.size()) == 0) continue;
            auto [e, a] = std::mismatch(expected.begin(), expected.end(), actual.begin());
            FAIL() << "byte " << (e - expected.begin()) << ": expected " << int(*e) << ", got " << int(*a);
        }
    }
}

// The two formulas as written disagree only on neutral grey (U = V = 128): the
// fixed-point green falls just below the integer that the double formula reaches
// (e.g. white gives G 254 in 4:4:4 and 255 in 4:2:2). The kernels keep each
// layout's own formula; this pins the difference so neither drifts.
TEST(Exhaustive, TheFixedAndDoubleFormulasDifferOnlyInTheGreenOfNeutralGrey)
{
    std::size_t differences = 0;
    for (int v = 0; v < 256; ++v) {
        for (int u = 0; u < 256; ++u) {
            for (int y = 0; y < 256; ++y) {
                reference::Rgb fixed = reference::FixedPoint(y, u, v), exact = reference::DoublePrecision(y, u, v);
                if (fixed == exact) continue;
                ++differences;
                ASSERT_TRUE(u == 128 && v == 128 && fixed[0] == exact[0] && fixed[2] == exact[2] && fixed[1] + 1 == exact[1])
                    << "Y " << y << ", U " << u << ", V " << v;
            }
        }
    }
    EXPECT_EQ(differences, 255u) << "every Y but 0 at U = V = 128";
}

} // namespace
} // namespace grabber_pixel
