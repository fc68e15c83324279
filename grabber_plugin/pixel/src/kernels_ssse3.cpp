// The SSSE3 path: one 128-bit block at a time, the scalar kernels for the tail.
#include "kernel_table.h"
#include "simd_blocks.h"

namespace grabber_pixel::detail {
namespace {

void Unpack12PackedSsse3(const std::uint8_t* s, std::uint8_t* d, std::size_t n)
{
    n = Unpack12Blocks<Sse>(s, d, n);
    Unpack12PackedScalar(s, d, n);
}

void Yuv444ToRgbSsse3(const std::uint8_t* s, std::uint8_t* d, std::size_t n)
{
    n = Yuv444Blocks<Sse>(s, d, n);
    Yuv444ToRgbScalar(s, d, n);
}

void Yuv422ToRgbSsse3(const std::uint8_t* s, std::uint8_t* d, std::size_t n)
{
    n = Yuv422Blocks<Sse>(s, d, n);
    Yuv422ToRgbScalar(s, d, n);
}

void Yuv411ToRgbSsse3(const std::uint8_t* s, std::uint8_t* d, std::size_t n)
{
    n = Yuv411Blocks<Sse>(s, d, n);
    Yuv411ToRgbScalar(s, d, n);
}


} // namespace

const KernelSet kSsse3Kernels = {Unpack12PackedSsse3, Yuv444ToRgbSsse3, Yuv422ToRgbSsse3, Yuv411ToRgbSsse3};

} // namespace grabber_pixel::detail
