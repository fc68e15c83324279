// Kernel paths against the reference on small and random frames of every length
// remainder, with the buffers sized exactly so that a stray read or write shows.
#include "kernel_cases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

namespace grabber_pixel {
namespace {

using testing::KernelCase;
using testing::kKernels;
using testing::SupportedPaths;

constexpr std::uint8_t kCanary = 0xA5;

// Runs one kernel on an exactly sized source (a fresh heap block, so the address
// sanitizer sees any read past it) into a destination followed by canary bytes.
std::vector<std::uint8_t> RunExact(ConversionRoutine kernel, ConversionRoutine routine, const std::vector<std::uint8_t>& source, std::size_t n)
{
    std::size_t in = SourceBytes(routine, n), out = DestinationBytes(routine, n);
    EXPECT_LE(in, source.size());
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[in ? in : 1]);
    std::copy_n(source.begin(), in, exact.get());
    std::vector<std::uint8_t> destination(out + 64, kCanary);
    kernel(exact.get(), destination.data(), n);
    for (std::size_t i = out; i < destination.size(); ++i) {
        if (destination[i] != kCanary) {
            ADD_FAILURE() << "byte " << i << " written past the " << out << " destination bytes";
            break;
        }
    }
    destination.resize(out);
    return destination;
}

std::string FirstDifference(const std::vector<std::uint8_t>& expected, const std::vector<std::uint8_t>& actual)
{
    auto [e, a] = std::mismatch(expected.begin(), expected.end(), actual.begin());
    if (e == expected.end()) return "";
    return "byte " + std::to_string(e - expected.begin()) + ": expected " + std::to_string(*e) + ", got " + std::to_string(*a);
}

TEST(Conversions, EveryPathMatchesTheReferenceForEveryLengthAndRemainder)
{
    std::mt19937 random(20261207);
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 140; ++n) lengths.push_back(n); // every remainder of every block size
    for (std::size_t n : {1000, 1001, 1002, 1003, 4093, 640 * 3 + 7}) lengths.push_back(n);
    for (const KernelCase& kernel : kKernels) {
        for (std::size_t n : lengths) {
            std::vector<std::uint8_t> source(SourceBytes(kernel.routine, n));
            for (auto& byte : source) byte = static_cast<std::uint8_t>(random());
            std::vector<std::uint8_t> expected(DestinationBytes(kernel.routine, n));
            kernel.reference(source.data(), expected.data(), n);
            for (KernelPath path : SupportedPaths()) {
                SCOPED_TRACE(std::string(kernel.name) + " on " + PathName(path) + ", " + std::to_string(n) + " pixels");
                std::vector<std::uint8_t> actual = RunExact(KernelsFor(path)->*kernel.member, kernel.routine, source, n);
                ASSERT_EQ(FirstDifference(expected, actual), "");
            }
        }
    }
}

TEST(Conversions, KnownValuesOnEveryPath)
{
    struct Case {
        const char* what;
        ConversionRoutine routine;
        std::vector<std::uint8_t> source;
        std::vector<std::uint8_t> expected;
    };
    const Case cases[] = {
        {"white, 4:2:2", Yuv422ToRgb, {128, 255, 128, 255}, {255, 255, 254, 255, 255, 254}},
        {"white, 4:1:1", Yuv411ToRgb, {128, 255, 255, 128, 255, 255}, {255, 255, 254, 255, 255, 254, 255, 255, 254, 255, 255, 254}},
        {"white, 4:4:4", Yuv444ToRgb, {128, 255, 128}, {255, 254, 254}},
        {"black, 4:2:2", Yuv422ToRgb, {128, 0, 128, 0}, {0, 0, 0, 0, 0, 0}},
        {"black, 4:1:1", Yuv411ToRgb, {128, 0, 0, 128, 0, 0}, std::vector<std::uint8_t>(12, 0)},
        {"black, 4:4:4", Yuv444ToRgb, {128, 0, 128}, {0, 0, 0}},
        // Odd last pixel of 4:2:2: U, Y0, V of the next group.
        {"odd 4:2:2", Yuv422ToRgb, {128, 0, 128, 0, 128, 255, 128}, {0, 0, 0, 0, 0, 0, 255, 255, 254}},
        // Three last pixels of 4:1:1 take Y0, Y1, Y2 with the group's U and V.
        {"partial 4:1:1", Yuv411ToRgb, {128, 0, 100, 128, 255}, {0, 0, 0, 100, 100, 99, 255, 255, 254}},
        // Three pixels: 5 bytes in, 6 out; words little-endian and right-aligned.
        {"12-bit, 3 pixels", Unpack12Packed, {0xAB, 0xCD, 0xEF, 0x12, 0x34}, {0xBD, 0x0A, 0xFC, 0x0E, 0x24, 0x01}},
    };
    for (const Case& c : cases) {
        std::size_t n = c.expected.size() / (c.routine == Unpack12Packed ? 2 : 3);
        ASSERT_EQ(SourceBytes(c.routine, n), c.source.size()) << c.what;
        for (KernelPath path : SupportedPaths()) {
            SCOPED_TRACE(std::string(c.what) + " on " + PathName(path));
            ConversionRoutine kernel = nullptr;
            for (const KernelCase& k : kKernels) {
                if (k.routine == c.routine) kernel = KernelsFor(path)->*k.member;
            }
            EXPECT_EQ(RunExact(kernel, c.routine, c.source, n), c.expected);
        }
    }
}

TEST(Conversions, BufferSizesPerRoutine)
{
    struct Case {
        ConversionRoutine routine;
        std::size_t pixels, in, out;
    };
    const Case cases[] = {
        {Unpack12Packed, 0, 0, 0},
        {Unpack12Packed, 1, 2, 2},
        {Unpack12Packed, 2, 3, 4},
        {Unpack12Packed, 3, 5, 6},
        {Unpack12Packed, 640 * 480, 460800, 614400},
        {Yuv444ToRgb, 1, 3, 3},
        {Yuv444ToRgb, 640 * 480, 921600, 921600},
        {Yuv422ToRgb, 1, 3, 3},
        {Yuv422ToRgb, 2, 4, 6},
        {Yuv422ToRgb, 3, 7, 9},
        {Yuv422ToRgb, 640 * 480, 614400, 921600},
        {Yuv411ToRgb, 1, 4, 3},
        {Yuv411ToRgb, 2, 4, 6},
        {Yuv411ToRgb, 3, 5, 9},
        {Yuv411ToRgb, 4, 6, 12},
        {Yuv411ToRgb, 5, 10, 15},
        {nullptr, 10, 0, 0},
        // A count whose byte count would wrap is never satisfiable.
        {Yuv444ToRgb, SIZE_MAX / 2, SIZE_MAX, SIZE_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.pixels) + " pixels");
        EXPECT_EQ(SourceBytes(c.routine, c.pixels), c.in);
        EXPECT_EQ(DestinationBytes(c.routine, c.pixels), c.out);
    }
}

TEST(Conversions, TestHookRoutesThePublicRoutinesThroughEachPath)
{
    KernelPath original = ActivePath();
    std::string names;
    for (KernelPath path : SupportedPaths()) names += std::string(" ") + PathName(path);
    std::printf("paths on this processor:%s\n", names.c_str());
    EXPECT_EQ(original, SupportedPaths().back()) << "the best path is chosen";
    for (KernelPath path : SupportedPaths()) {
        ASSERT_TRUE(ForcePathForTesting(path));
        EXPECT_EQ(ActivePath(), path);
        std::vector<std::uint8_t> source(SourceBytes(Yuv422ToRgb, 37), 77), expected(37 * 3), actual(37 * 3);
        reference::Yuv422ToRgb(source.data(), expected.data(), 37);
        Yuv422ToRgb(source.data(), actual.data(), 37);
        EXPECT_EQ(actual, expected) << PathName(path);
    }
    for (KernelPath path : kAllPaths) {
        if (!PathSupported(path)) {
            EXPECT_FALSE(ForcePathForTesting(path)) << PathName(path);
        }
    }
    ASSERT_TRUE(ForcePathForTesting(original));
}

} // namespace
} // namespace grabber_pixel
