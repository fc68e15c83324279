// 512-bit vector operations for the block kernels: four 128-bit lanes, each a
// block of its own, and byte picks from two registers with one permute (VBMI)
// instead of two shuffles and an or.
#pragma once

#include "simd_sse.h"

namespace grabber_pixel::detail {
namespace {

// Lane m of a gathered register is unit pick[m] of (x, y, z): 0..7 from the
// pair x, y, 8..11 from z.
struct GatherIndex {
    std::int64_t fromPair[8];
    std::int64_t fromThird[8];
    std::uint8_t thirdLanes;
};
constexpr GatherIndex MakeGather(int p0, int p1, int p2, int p3)
{
    GatherIndex g{};
    const int pick[4] = {p0, p1, p2, p3};
    for (int m = 0; m < 4; ++m) {
        int u = pick[m] < 8 ? pick[m] : pick[m] - 8;
        g.fromPair[2 * m] = g.fromThird[2 * m] = 2 * u;
        g.fromPair[2 * m + 1] = g.fromThird[2 * m + 1] = 2 * u + 1;
        if (pick[m] >= 8) g.thirdLanes = static_cast<std::uint8_t>(g.thirdLanes | (3 << (2 * m)));
    }
    return g;
}
// Loading: lane L of register k is unit 3L + k.
constexpr GatherIndex kLoad3[3] = {MakeGather(0, 3, 6, 9), MakeGather(1, 4, 7, 10), MakeGather(2, 5, 8, 11)};
// Storing: unit 4j + m of the output is unit (4j + m) % 3 of lane (4j + m) / 3,
// registers 0 and 1 the pair and register 2 the third.
constexpr GatherIndex kStore3[3] = {MakeGather(0, 4, 8, 1), MakeGather(5, 9, 2, 6), MakeGather(10, 3, 7, 11)};

struct Avx512 {
    using Reg = __m512i;
    static constexpr std::size_t kLanes = 4;
    static constexpr bool kDotProduct = true;

    static Reg Load(const std::uint8_t* p, std::size_t laneStride)
    {
        if (laneStride == 16) return _mm512_loadu_si512(p);
        Reg v = _mm512_castsi128_si512(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + laneStride)), 1);
        v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * laneStride)), 2);
        return _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 3 * laneStride)), 3);
    }
    static void Store(std::uint8_t* p, Reg v, std::size_t laneStride)
    {
        if (laneStride == 16) return _mm512_storeu_si512(p, v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm512_castsi512_si128(v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + laneStride), _mm512_extracti32x4_epi32(v, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * laneStride), _mm512_extracti32x4_epi32(v, 2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 3 * laneStride), _mm512_extracti32x4_epi32(v, 3));
    }
    // Blocks of 2 or 3 units per lane are loaded and stored as whole 64-byte
    // registers and dealt to the lanes with 128-bit permutes. Unit u of a
    // register pair lies in 64-bit elements 2u, 2u + 1.
    static void LoadUnits(const std::uint8_t* p, Reg (&units)[2])
    {
        Reg z0 = _mm512_loadu_si512(p), z1 = _mm512_loadu_si512(p + 64);
        units[0] = _mm512_shuffle_i64x2(z0, z1, 0x88); // units 0, 2, 4, 6
        units[1] = _mm512_shuffle_i64x2(z0, z1, 0xDD); // units 1, 3, 5, 7
    }
    static Reg Gather(Reg x, Reg y, Reg z, const GatherIndex& g)
    {
        Reg t = _mm512_permutex2var_epi64(x, _mm512_loadu_si512(g.fromPair), y);
        return _mm512_mask_permutexvar_epi64(t, g.thirdLanes, _mm512_loadu_si512(g.fromThird), z);
    }
    static void LoadUnits(const std::uint8_t* p, Reg (&units)[3])
    {
        Reg z0 = _mm512_loadu_si512(p), z1 = _mm512_loadu_si512(p + 64), z2 = _mm512_loadu_si512(p + 128);
#pragma GCC unroll 4
        for (int k = 0; k < 3; ++k) units[k] = Gather(z0, z1, z2, kLoad3[k]);
    }
    static void StoreUnits(std::uint8_t* p, const Reg (&units)[3])
    {
#pragma GCC unroll 4
        for (int j = 0; j < 3; ++j) _mm512_storeu_si512(p + 64 * j, Gather(units[0], units[1], units[2], kStore3[j]));
    }
    static Reg DotAdd(Reg acc, Reg a, Reg b) { return _mm512_dpwssd_epi32(acc, a, b); }

    static Reg Pattern(const BytePattern& b) { return _mm512_broadcast_i32x4(Sse::Pattern(b)); }
    static Reg Words(std::int16_t even, std::int16_t odd) { return _mm512_broadcast_i32x4(Sse::Words(even, odd)); }
    static Reg Dwords(std::int32_t x) { return _mm512_set1_epi32(x); }
    static Reg Zero() { return _mm512_setzero_si512(); }

    // Index of byte i of lane L taken from x (pattern a) or from y (pattern b).
    static Reg PermuteIndex(const BytePattern& a, const BytePattern& b)
    {
        std::uint8_t index[64];
        for (int lane = 0; lane < 4; ++lane) {
            for (int i = 0; i < 16; ++i) {
                int from = a[i] >= 0 ? a[i] : b[i] >= 0 ? 64 + b[i]
                                                        : 0;
                index[16 * lane + i] = static_cast<std::uint8_t>(from + 16 * lane);
            }
        }
        return _mm512_loadu_si512(index);
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
