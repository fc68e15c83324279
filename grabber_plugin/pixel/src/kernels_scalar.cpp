// The baseline path: plain C++ on the integer forms of the formulas, correct on
// every x86-64 processor and the tail of every vector path.
#include "kernel_table.h"
#include "yuv_offsets.h"

namespace grabber_pixel::detail {
namespace {

void PutWord(std::uint8_t* destination, unsigned value)
{
    destination[0] = static_cast<std::uint8_t>(value);
    destination[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutRgb(std::uint8_t* destination, int y, int dr, int dg, int db)
{
    destination[0] = AddSaturated(y, dr);
    destination[1] = AddSaturated(y, dg);
    destination[2] = AddSaturated(y, db);
}

} // namespace

void Unpack12PackedScalar(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount)
{
    for (std::size_t pair = pixelCount / 2; pair > 0; --pair, source += 3, destination += 4) {
        PutWord(destination, (source[0] << 4) | (source[1] & 0x0F));
        PutWord(destination + 2, (source[2] << 4) | (source[1] >> 4));
    }
    if (pixelCount & 1) PutWord(destination, (source[0] << 4) | (source[1] & 0x0F));
}

void Yuv444ToRgbScalar(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount)
{
    for (; pixelCount > 0; --pixelCount, source += 3, destination += 3) {
        int u = source[0], v = source[2];
        PutRgb(destination, source[1], RedOffset(v), GreenOffset(u, v, kGreenAddFixed), BlueOffset(u));
    }
}

void Yuv422ToRgbScalar(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount)
{
    for (; pixelCount >= 2; pixelCount -= 2, source += 4, destination += 6) {
        int u = source[0], v = source[2];
        int dr = RedOffset(v), dg = GreenOffset(u, v, kGreenAddDouble), db = BlueOffset(u);
        PutRgb(destination, source[1], dr, dg, db);
        PutRgb(destination + 3, source[3], dr, dg, db);
    }
    if (pixelCount == 1) {
        int u = source[0], v = source[2];
        PutRgb(destination, source[1], RedOffset(v), GreenOffset(u, v, kGreenAddDouble), BlueOffset(u));
    }
}

void Yuv411ToRgbScalar(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixelCount)
{
    // Y of the four pixels of a group, by position in its 6 bytes U Y0 Y1 V Y2 Y3.
    static constexpr int kLumaAt[4] = {1, 2, 4, 5};
    while (pixelCount > 0) {
        std::size_t count = pixelCount < 4 ? pixelCount : 4;
        int u = source[0], v = source[3];
        int dr = RedOffset(v), dg = GreenOffset(u, v, kGreenAddDouble), db = BlueOffset(u);
        for (std::size_t i = 0; i < count; ++i, destination += 3) PutRgb(destination, source[kLumaAt[i]], dr, dg, db);
        pixelCount -= count;
        source += 6;
    }
}

const KernelSet kBaselineKernels = {Unpack12PackedScalar, Yuv444ToRgbScalar, Yuv422ToRgbScalar, Yuv411ToRgbScalar};

} // namespace grabber_pixel::detail
