// 128-bit vector operations for the block kernels, one lane. Included by the
// SSSE3 and AVX2 files, each compiling it with its own instruction set.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <immintrin.h>

namespace grabber_pixel::detail {
namespace {

using BytePattern = std::array<std::int8_t, 16>;

// Picking output bytes from two or three registers by shuffle patterns (a byte
// comes from exactly one of them): a shuffle of each and an or. Paths with a
// two-register byte permute replace these.
template <class V>
struct ShufflePicks {
    static constexpr bool kDotProduct = false;
    // K consecutive 16-byte units of every lane's block (blocks of 16 K bytes).
    template <class R, std::size_t K>
    static void LoadUnits(const std::uint8_t* p, R (&units)[K])
    {
#pragma GCC unroll 4
        for (std::size_t k = 0; k < K; ++k) units[k] = V::Load(p + 16 * k, 16 * K);
    }
    template <class R, std::size_t K>
    static void StoreUnits(std::uint8_t* p, const R (&units)[K])
    {
#pragma GCC unroll 4
        for (std::size_t k = 0; k < K; ++k) V::Store(p + 16 * k, units[k], 16 * K);
    }
    template <class P = V>
    static auto MakePick(const BytePattern& a, const BytePattern& b) { return typename P::Pick2{V::Pattern(a), V::Pattern(b)}; }
    template <class P = V>
    static auto MakePick(const BytePattern& a, const BytePattern& b, const BytePattern& c) { return typename P::Pick3{V::Pattern(a), V::Pattern(b), V::Pattern(c)}; }
    template <class R, class M>
    static R Pick(R x, R y, const M& m) { return V::Or(V::Shuffle(x, m.a), V::Shuffle(y, m.b)); }
    template <class R, class M>
    static R Pick(R x, R y, R z, const M& m) { return V::Or(V::Or(V::Shuffle(x, m.a), V::Shuffle(y, m.b)), V::Shuffle(z, m.c)); }
};

struct Sse : ShufflePicks<Sse> {
    using Reg = __m128i;
    struct Pick2 {
        Reg a, b;
    };
    struct Pick3 {
        Reg a, b, c;
    };
    static constexpr std::size_t kLanes = 1;

    // laneStride: distance between the data of two lanes (unused with one lane).
    static Reg Load(const std::uint8_t* p, std::size_t) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void Store(std::uint8_t* p, Reg v, std::size_t) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    static Reg Pattern(const BytePattern& b) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(b.data())); }
    static Reg Words(std::int16_t even, std::int16_t odd) { return _mm_set1_epi32(static_cast<std::uint16_t>(even) | (static_cast<std::uint32_t>(static_cast<std::uint16_t>(odd)) << 16)); }
    static Reg Dwords(std::int32_t x) { return _mm_set1_epi32(x); }
    static Reg Zero() { return _mm_setzero_si128(); }

    static Reg Shuffle(Reg a, Reg m) { return _mm_shuffle_epi8(a, m); }
    template <int N>
    static Reg Alignr(Reg hi, Reg lo) { return _mm_alignr_epi8(hi, lo, N); }
    static Reg Or(Reg a, Reg b) { return _mm_or_si128(a, b); }
    static Reg And(Reg a, Reg b) { return _mm_and_si128(a, b); }
    static Reg Add16(Reg a, Reg b) { return _mm_add_epi16(a, b); }
    static Reg Sub16(Reg a, Reg b) { return _mm_sub_epi16(a, b); }
    static Reg Add32(Reg a, Reg b) { return _mm_add_epi32(a, b); }
    static Reg Sub32(Reg a, Reg b) { return _mm_sub_epi32(a, b); }
    template <int N>
    static Reg Sll16(Reg a) { return _mm_slli_epi16(a, N); }
    template <int N>
    static Reg Srl16(Reg a) { return _mm_srli_epi16(a, N); }
    template <int N>
    static Reg Sra16(Reg a) { return _mm_srai_epi16(a, N); }
    template <int N>
    static Reg Sll32(Reg a) { return _mm_slli_epi32(a, N); }
    template <int N>
    static Reg Sra32(Reg a) { return _mm_srai_epi32(a, N); }
    static Reg MulhiU16(Reg a, Reg b) { return _mm_mulhi_epu16(a, b); }
    static Reg Madd16(Reg a, Reg b) { return _mm_madd_epi16(a, b); }
    static Reg PackS32(Reg a, Reg b) { return _mm_packs_epi32(a, b); }
    static Reg PackU16(Reg a, Reg b) { return _mm_packus_epi16(a, b); }
    static Reg AddsU8(Reg a, Reg b) { return _mm_adds_epu8(a, b); }
    static Reg SubsU8(Reg a, Reg b) { return _mm_subs_epu8(a, b); }
};

} // namespace
} // namespace grabber_pixel::detail
