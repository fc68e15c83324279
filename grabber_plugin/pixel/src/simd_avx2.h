// 256-bit vector operations for the block kernels: two 128-bit lanes, each
// holding a block of its own, so every in-lane operation of Sse carries over.
#pragma once

#include "simd_sse.h"

namespace grabber_pixel::detail {
namespace {

struct Avx2 : ShufflePicks<Avx2> {
    using Reg = __m256i;
    struct Pick2 {
        Reg a, b;
    };
    struct Pick3 {
        Reg a, b, c;
    };
    static constexpr std::size_t kLanes = 2;

    static Reg Load(const std::uint8_t* p, std::size_t laneStride)
    {
        if (laneStride == 16) return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        return _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(p + laneStride), reinterpret_cast<const __m128i*>(p));
    }
    static void Store(std::uint8_t* p, Reg v, std::size_t laneStride)
    {
        if (laneStride == 16) return _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + laneStride), _mm256_extracti128_si256(v, 1));
    }
    static Reg Pattern(const BytePattern& b) { return _mm256_broadcastsi128_si256(Sse::Pattern(b)); }
    static Reg Words(std::int16_t even, std::int16_t odd) { return _mm256_broadcastsi128_si256(Sse::Words(even, odd)); }
    static Reg Dwords(std::int32_t x) { return _mm256_set1_epi32(x); }
    static Reg Zero() { return _mm256_setzero_si256(); }

    static Reg Shuffle(Reg a, Reg m) { return _mm256_shuffle_epi8(a, m); }
    template <int N>
    static Reg Alignr(Reg hi, Reg lo) { return _mm256_alignr_epi8(hi, lo, N); }
    static Reg Or(Reg a, Reg b) { return _mm256_or_si256(a, b); }
    static Reg And(Reg a, Reg b) { return _mm256_and_si256(a, b); }
    static Reg Add16(Reg a, Reg b) { return _mm256_add_epi16(a, b); }
    static Reg Sub16(Reg a, Reg b) { return _mm256_sub_epi16(a, b); }
    static Reg Add32(Reg a, Reg b) { return _mm256_add_epi32(a, b); }
    static Reg Sub32(Reg a, Reg b) { return _mm256_sub_epi32(a, b); }
    template <int N>
    static Reg Sll16(Reg a) { return _mm256_slli_epi16(a, N); }
    template <int N>
    static Reg Srl16(Reg a) { return _mm256_srli_epi16(a, N); }
    template <int N>
    static Reg Sra16(Reg a) { return _mm256_srai_epi16(a, N); }
    template <int N>
    static Reg Sll32(Reg a) { return _mm256_slli_epi32(a, N); }
    template <int N>
    static Reg Sra32(Reg a) { return _mm256_srai_epi32(a, N); }
    static Reg MulhiU16(Reg a, Reg b) { return _mm256_mulhi_epu16(a, b); }
    static Reg Madd16(Reg a, Reg b) { return _mm256_madd_epi16(a, b); }
    static Reg PackS32(Reg a, Reg b) { return _mm256_packs_epi32(a, b); }
    static Reg PackU16(Reg a, Reg b) { return _mm256_packus_epi16(a, b); }
    static Reg AddsU8(Reg a, Reg b) { return _mm256_adds_epu8(a, b); }
    static Reg SubsU8(Reg a, Reg b) { return _mm256_subs_epu8(a, b); }
};

} // namespace
} // namespace grabber_pixel::detail
