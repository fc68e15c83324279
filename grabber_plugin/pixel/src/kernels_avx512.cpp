// The AVX-512 path (F, BW, VBMI, VNNI): four blocks at a time, then two, then
// one, then the scalar kernels for the tail; 4:2:2 first in whole registers.
#include "kernel_table.h"
#include "simd_avx2.h"
#include "simd_avx512.h"
#include "simd_blocks.h"

namespace grabber_pixel::detail {
namespace {

// 4:2:2 on whole 64-byte registers, 64 pixels from 128 bytes into 192: the offsets
// are computed per 128-bit lane as in the block kernels, but every output byte is
// fetched across lanes by a two-register byte permute, so the source is loaded and
// the result stored as whole registers without any dealing to lanes.
struct Yuv422Wide {
    __m512i uv = Avx512::Pattern(Yuv422Block<Avx512>::kUv);
    __m512i luma[3], pos[3], neg[3];
    BlueRed<Avx512> blueRed;
    Green<Avx512> green{kGreenAddDouble};

    // Where the offsets of chroma j (0..31) land: lane m holds chroma 4m..4m+3 of
    // the first register half and 16 + 4m.. of the second.
    static int Lane(int j) { return (j % 16) / 4; }
    static int Half(int j) { return j / 16; }
    static int BlueRedByte(int j, int channel) { return 16 * Lane(j) + 8 * Half(j) + 2 * (j % 4) + (channel == 0); }
    static int GreenByte(int j, bool negative) { return 16 * Lane(j) + 8 * negative + 4 * Half(j) + j % 4; }

    Yuv422Wide()
    {
        std::uint8_t y[3][64], p[3][64], n[3][64];
        for (int k = 0; k < 3; ++k) {
            for (int q = 0; q < 64; ++q) {
                int o = 64 * k + q, pixel = o / 3, channel = o % 3, j = pixel / 2;
                y[k][q] = static_cast<std::uint8_t>(2 * pixel + 1); // 64..127 from the second register
                p[k][q] = static_cast<std::uint8_t>(channel == 1 ? 64 + GreenByte(j, false) : BlueRedByte(j, channel));
                n[k][q] = static_cast<std::uint8_t>(channel == 1 ? 64 + GreenByte(j, true) : BlueRedByte(j, channel));
            }
            luma[k] = _mm512_loadu_si512(y[k]);
            pos[k] = _mm512_loadu_si512(p[k]);
            neg[k] = _mm512_loadu_si512(n[k]);
        }
    }

    void operator()(const std::uint8_t* s, std::uint8_t* d) const
    {
        __m512i z0 = _mm512_loadu_si512(s), z1 = _mm512_loadu_si512(s + 64);
        __m512i uv0 = _mm512_shuffle_epi8(z0, uv), uv1 = _mm512_shuffle_epi8(z1, uv);
        __m512i g = _mm512_packs_epi32(green(uv0), green(uv1));
        __m512i g2 = _mm512_packus_epi16(g, _mm512_sub_epi16(_mm512_setzero_si512(), g));
        __m512i pbr, nbr;
        Split<Avx512>(blueRed(uv0), blueRed(uv1), pbr, nbr);
#pragma GCC unroll 3
        for (int k = 0; k < 3; ++k) {
            __m512i y = _mm512_permutex2var_epi8(z0, luma[k], z1);
            __m512i out = _mm512_adds_epu8(y, _mm512_permutex2var_epi8(pbr, pos[k], g2));
            _mm512_storeu_si512(d + 64 * k, _mm512_subs_epu8(out, _mm512_permutex2var_epi8(nbr, neg[k], g2)));
        }
    }
};

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
    if (n >= 64) {
        const Yuv422Wide wide;
        for (; n >= 64; n -= 64, s += 128, d += 192) wide(s, d);
    }
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
