// The AVX-512 path (BW and VBMI): four blocks at a time, then two, then one, then the scalar
// kernels for the tail.
#include "kernel_table.h"
#include "simd_avx2.h"
#include "simd_avx512.h"
#include "simd_blocks.h"

namespace grabber_pixel::detail {
namespace {

void Unpack12PackedAvx512(const std::uint8_t* s, std::uint8_t* d, std::size_t n)
{
    n = Unpack12Blocks<Avx512>(s, d, n);
    n = Unpack12Blocks<Avx2>(s, d, n);
    n = Unpack12Blocks<Sse>(s, d, n);
    Unpack12PackedScalar(s, d, n);
}

void Yuv444ToRgbAvx512(const std::uint8_t* s, std::uint8_t* d, std::size_t n)
{
    n = Yuv444Blocks<Avx512>(s, d, n);
    n = Yuv444Blocks<Avx2>(s, d, n);
    n = Yuv444Blocks<Sse>(s, d, n);
    Yuv444ToRgbScalar(s, d, n);
}

void Yuv422ToRgbAvx512(const std::uint8_t* s, std::uint8_t* d, std::size_t n)
{
    n = Yuv422Blocks<Avx512>(s, d, n);
    n = Yuv422Blocks<Avx2>(s, d, n);
    n = Yuv422Blocks<Sse>(s, d, n);
    Yuv422ToRgbScalar(s, d, n);
}

void Yuv411ToRgbAvx512(const std::uint8_t* s, std::uint8_t* d, std::size_t n)
{
    n = Yuv411Blocks<Avx512>(s, d, n);
    n = Yuv411Blocks<Avx2>(s, d, n);
    n = Yuv411Blocks<Sse>(s, d, n);
    Yuv411ToRgbScalar(s, d, n);
}


} // namespace

const KernelSet kAvx512Kernels = {Unpack12PackedAvx512, Yuv444ToRgbAvx512, Yuv422ToRgbAvx512, Yuv411ToRgbAvx512};

} // namespace grabber_pixel::detail
