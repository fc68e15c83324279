// 512-bit vector operations for the block kernels: four 128-bit lanes, each a
// block of its own, and byte picks from two registers with one permute (VBMI)
// instead of two shuffles and an or.
#pragma once

#include "simd_sse.h"

namespace grabber_pixel::detail {
namespace {

struct Avx512 {
    using Reg = __m512i;
    static constexpr std::size_t kLanes = 4;

    static Reg Load(const std::uint8_t* p, std::size_t laneStride)
    {
        Reg v = _mm512_castsi128_si512(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + laneStride)), 1);
        v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * laneStride)), 2);
        return _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 3 * laneStride)), 3);
    }
    static void Store(std::uint8_t* p, Reg v, std::size_t laneStride)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm512_castsi512_si128(v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + laneStride), _mm512_extracti32x4_epi32(v, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * laneStride), _mm512_extracti32x4_epi32(v, 2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 3 * laneStride), _mm512_extracti32x4_epi32(v, 3));
    }
    static Reg Pattern(const BytePattern& b) { return _mm512_broadcast_i32x4(Sse::Pattern(b)); }
    static Reg Words(std::int16_t even, std::int16_t odd) { return _mm512_broadcast_i32x4(Sse::Words(even, odd)); }
    static Reg Dwords(std::int32_t x) { return _mm512_set1_epi32(x); }
    static Reg Zero() { return _mm512_setzero_si512(); }

    // Index of byte i of lane L taken from x (pattern a) or from y (pattern b).
    static Reg PermuteIndex(const BytePattern& a, const BytePattern& b)
    {
        alignas(64) std::uint8_t index[64];
        for (int lane = 0; lane < 4; ++lane) {
            for (int i = 0; i < 16; ++i) {
                int from = a[i] >= 0 ? a[i] : b[i] >= 0 ? 64 + b[i]
                                                        : 0;
                index[16 * lane + i] = static_cast<std::uint8_t>(from + 16 * lane);
            }
        }
        return _mm512_load_si512(index);
    }
    static __mmask64 LaneMask(const BytePattern& c)
    {
        std::uint64_t mask = 0;
        for (int lane = 0; lane < 4; ++lane) {
            for (int i = 0; i < 16; ++i) {
                if (c[i] >= 0) mask |= std::uint64_t{1} << (16 * lane + i);
            }
        }
        return mask;
    }
    struct Pick2 {
        Reg index;
    };
    struct Pick3 {
        Reg index, shuffle;
        __mmask64 fromZ;
    };
    static Pick2 MakePick(const BytePattern& a, const BytePattern& b) { return {PermuteIndex(a, b)}; }
    static Pick3 MakePick(const BytePattern& a, const BytePattern& b, const BytePattern& c) { return {PermuteIndex(a, b), Pattern(c), LaneMask(c)}; }
    static Reg Pick(Reg x, Reg y, const Pick2& m) { return _mm512_permutex2var_epi8(x, m.index, y); }
    static Reg Pick(Reg x, Reg y, Reg z, const Pick3& m)
    {
        return _mm512_mask_shuffle_epi8(_mm512_permutex2var_epi8(x, m.index, y), m.fromZ, z, m.shuffle);
    }

    static Reg Shuffle(Reg a, Reg m) { return _mm512_shuffle_epi8(a, m); }
    template <int N>
    static Reg Alignr(Reg hi, Reg lo) { return _mm512_alignr_epi8(hi, lo, N); }
    static Reg Or(Reg a, Reg b) { return _mm512_or_si512(a, b); }
    static Reg And(Reg a, Reg b) { return _mm512_and_si512(a, b); }
    static Reg Add16(Reg a, Reg b) { return _mm512_add_epi16(a, b); }
    static Reg Sub16(Reg a, Reg b) { return _mm512_sub_epi16(a, b); }
    static Reg Add32(Reg a, Reg b) { return _mm512_add_epi32(a, b); }
    static Reg Sub32(Reg a, Reg b) { return _mm512_sub_epi32(a, b); }
    template <int N>
    static Reg Sll16(Reg a) { return _mm512_slli_epi16(a, N); }
    template <int N>
    static Reg Srl16(Reg a) { return _mm512_srli_epi16(a, N); }
    template <int N>
    static Reg Sra16(Reg a) { return _mm512_srai_epi16(a, N); }
    template <int N>
    static Reg Sll32(Reg a) { return _mm512_slli_epi32(a, N); }
    template <int N>
    static Reg Sra32(Reg a) { return _mm512_srai_epi32(a, N); }
    static Reg MulhiU16(Reg a, Reg b) { return _mm512_mulhi_epu16(a, b); }
    static Reg Madd16(Reg a, Reg b) { return _mm512_madd_epi16(a, b); }
    static Reg PackS32(Reg a, Reg b) { return _mm512_packs_epi32(a, b); }
    static Reg PackU16(Reg a, Reg b) { return _mm512_packus_epi16(a, b); }
    static Reg AddsU8(Reg a, Reg b) { return _mm512_adds_epu8(a, b); }
    static Reg SubsU8(Reg a, Reg b) { return _mm512_subs_epu8(a, b); }
};

} // namespace
} // namespace grabber_pixel::detail
