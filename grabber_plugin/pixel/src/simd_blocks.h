// The vector block kernels, written once over a vector type V whose operations
// all work within 128-bit lanes: with one lane it is the SSSE3 path, with two
// or four lanes (each lane a block of its own) the AVX2 and AVX-512 paths. Every block computes the
// integer forms of yuv_offsets.h and adds Y with unsigned saturation in bytes:
// out = (Y +sat pos) -sat neg, where pos = max(d, 0) and neg = max(-d, 0).
#pragma once

#include "simd_sse.h"
#include "yuv_offsets.h"

namespace grabber_pixel::detail {
namespace {

constexpr std::int8_t kZ = -128; // a shuffle index that gives a zero byte

// Shuffle pattern from a function of the destination byte (kZ for zero).
template <class F>
constexpr BytePattern MakePattern(F f)
{
    BytePattern p{};
    for (int i = 0; i < 16; ++i) p[i] = static_cast<std::int8_t>(f(i));
    return p;
}

// ---------------------------------------------------------------- offsets

// Words U, V (alternating) in, words d_B, d_R (alternating) out.
template <class V>
struct BlueRed {
    typename V::Reg mul = V::Words(kBlueMul, kRedMul), add = V::Words(kBlueAdd, kRedAdd);
    typename V::Reg operator()(typename V::Reg uv) const
    {
        return V::template Sra16<kRedBlueShift>(V::Add16(V::MulhiU16(V::template Sll16<8>(uv), mul), add));
    }
};

// Words U, V (alternating) in, one 32-bit d_G per pair out. With dot-product
// instructions the high part multiplies U << 7 and V << 7 (still positive
// 16-bit words) by twice the factor, both accumulating onto k.
template <class V>
struct Green {
    typename V::Reg high = V::Words(kGreenUHigh, kGreenVHigh), low = V::Words(kGreenULow, kGreenVLow);
    typename V::Reg high2 = V::Words(-2 * kGreenUHigh, -2 * kGreenVHigh), lowNeg = V::Words(-kGreenULow, -kGreenVLow), add;
    explicit Green(std::int32_t k) : add(V::Dwords(k)) {}
    typename V::Reg operator()(typename V::Reg uv) const
    {
        if constexpr (V::kDotProduct) {
            auto sum = V::DotAdd(V::DotAdd(add, V::template Sll16<7>(uv), high2), uv, lowNeg);
            return V::template Sra32<kGreenShift>(sum);
        } else {
            auto t = V::Add32(V::template Sll32<8>(V::Madd16(uv, high)), V::Madd16(uv, low));
            return V::template Sra32<kGreenShift>(V::Sub32(add, t));
        }
    }
};

// Positive and negative parts of 16 words as bytes: [max(a,0), max(b,0)] and
// [max(-a,0), max(-b,0)].
template <class V>
void Split(typename V::Reg a, typename V::Reg b, typename V::Reg& pos, typename V::Reg& neg)
{
    pos = V::PackU16(a, b);
    neg = V::PackU16(V::Sub16(V::Zero(), a), V::Sub16(V::Zero(), b));
}

// ---------------------------------------------------------------- 12-bit packed

// 8 pixels (12 bytes, 16 read) into 8 words. Each word is taken as the bytes
// (b1, b0) or (b1, b2): shifted right by 4 it is the odd value, and for the even
// value its low 4 bits are b1 & 0x0F.
constexpr int Unpack12Source(int i)
{
    constexpr int kByteOfWordByte[4] = {1, 0, 1, 2}; // (b1, b0), (b1, b2)
    return (i / 4) * 3 + kByteOfWordByte[i % 4];
}

template <class V>
struct Unpack12 {
    typename V::Reg order = V::Pattern(MakePattern(Unpack12Source));
    typename V::Reg high = V::Words(0x0FF0, 0x0FFF), low = V::Words(0x000F, 0);
    void operator()(const std::uint8_t* s, std::uint8_t* d) const
    {
        auto x = V::Shuffle(V::Load(s, 12), order);
        V::Store(d, V::Or(V::And(V::template Srl16<4>(x), high), V::And(x, low)), 16);
    }
};

// ---------------------------------------------------------------- YUV

// Output byte q of a block of 16 pixels: pixel q / 3, channel q % 3 (R, G, B).
constexpr int PixelOf(int chunk, int i) { return (16 * chunk + i) / 3; }
constexpr int ChannelOf(int chunk, int i) { return (16 * chunk + i) % 3; }

// Output chunk from Y, positive and negative offsets, all in output order.
template <class V>
typename V::Reg Emit(typename V::Reg luma, typename V::Reg pos, typename V::Reg neg)
{
    return V::SubsU8(V::AddsU8(luma, pos), neg);
}

// 4:2:2, 16 pixels: 32 bytes in, 48 out.
template <class V>
struct Yuv422Block {
    using R = typename V::Reg;
    static constexpr BytePattern kUv = MakePattern([](int i) { return i % 2 ? kZ : (i / 4) * 4 + (i % 4 ? 2 : 0); });
    // d_B, d_R pairs of chroma j at bytes 2j, 2j + 1; d_G of j at byte j (pos) and 8 + j (neg).
    template <int C>
    static constexpr BytePattern kBlueRed = MakePattern([](int i) { int j = PixelOf(C, i) / 2, c = ChannelOf(C, i); return c == 1 ? kZ : 2 * j + (c == 0); });
    template <int C, int Neg>
    static constexpr BytePattern kGreen = MakePattern([](int i) { return ChannelOf(C, i) == 1 ? 8 * Neg + PixelOf(C, i) / 2 : kZ; });
    // Luma windows start at bytes 0, 8 and 16.
    template <int C>
    static constexpr BytePattern kLuma = MakePattern([](int i) { return 2 * PixelOf(C, i) + 1 - 8 * C; });

    R uv = V::Pattern(kUv);
    typename V::Pick2 pos[3] = {V::MakePick(kBlueRed<0>, kGreen<0, 0>), V::MakePick(kBlueRed<1>, kGreen<1, 0>), V::MakePick(kBlueRed<2>, kGreen<2, 0>)};
    typename V::Pick2 neg[3] = {V::MakePick(kBlueRed<0>, kGreen<0, 1>), V::MakePick(kBlueRed<1>, kGreen<1, 1>), V::MakePick(kBlueRed<2>, kGreen<2, 1>)};
    R luma[3] = {V::Pattern(kLuma<0>), V::Pattern(kLuma<1>), V::Pattern(kLuma<2>)};
    BlueRed<V> blueRed;
    Green<V> green{kGreenAddDouble};

    void operator()(const std::uint8_t* s, std::uint8_t* d) const
    {
        R in[2];
        V::LoadUnits(s, in);
        R a = in[0], b = in[1];
        R uvA = V::Shuffle(a, uv), uvB = V::Shuffle(b, uv);
        R g = V::PackS32(green(uvA), green(uvB));
        R g2 = V::PackU16(g, V::Sub16(V::Zero(), g)); // [pos d_G 0..7, neg d_G 0..7]
        R pbr, nbr;
        Split<V>(blueRed(uvA), blueRed(uvB), pbr, nbr);
        R window[3] = {a, V::template Alignr<8>(b, a), b}, out[3];
#pragma GCC unroll 4
        for (int c = 0; c < 3; ++c) out[c] = Emit<V>(V::Shuffle(window[c], luma[c]), V::Pick(pbr, g2, pos[c]), V::Pick(nbr, g2, neg[c]));
        V::StoreUnits(d, out);
    }
};

// 4:1:1, 16 pixels: 24 bytes in (read as bytes 0..15 and 8..23), 48 out.
template <class V>
struct Yuv411Block {
    using R = typename V::Reg;
    static constexpr int kLumaAt[4] = {1, 2, 4, 5};
    // U_j at 6j, V_j at 6j + 3; chroma 3 comes from the second window (start 8).
    static constexpr BytePattern kUvA = MakePattern([](int i) { return i % 2 || i >= 12 ? kZ : (i / 4) * 6 + (i % 4 ? 3 : 0); });
    static constexpr BytePattern kUvB = MakePattern([](int i) { return i % 2 || i < 12 ? kZ : 18 - 8 + (i % 4 ? 3 : 0); });
    // [pos d_B, d_R pairs of chroma 0..3, neg pairs] and [pos d_G 0..3 twice, neg twice].
    template <int C, int Neg>
    static constexpr BytePattern kBlueRed = MakePattern([](int i) { int j = PixelOf(C, i) / 4, c = ChannelOf(C, i); return c == 1 ? kZ : 8 * Neg + 2 * j + (c == 0); });
    template <int C, int Neg>
    static constexpr BytePattern kGreen = MakePattern([](int i) { return ChannelOf(C, i) == 1 ? 8 * Neg + PixelOf(C, i) / 4 : kZ; });
    template <int C>
    static constexpr BytePattern kLuma = MakePattern([](int i) { int p = PixelOf(C, i); return 6 * (p / 4) + kLumaAt[p % 4] - (C ? 8 : 0); });

    R uvA = V::Pattern(kUvA), uvB = V::Pattern(kUvB);
    typename V::Pick2 pos[3] = {V::MakePick(kBlueRed<0, 0>, kGreen<0, 0>), V::MakePick(kBlueRed<1, 0>, kGreen<1, 0>), V::MakePick(kBlueRed<2, 0>, kGreen<2, 0>)};
    typename V::Pick2 neg[3] = {V::MakePick(kBlueRed<0, 1>, kGreen<0, 1>), V::MakePick(kBlueRed<1, 1>, kGreen<1, 1>), V::MakePick(kBlueRed<2, 1>, kGreen<2, 1>)};
    R luma[3] = {V::Pattern(kLuma<0>), V::Pattern(kLuma<1>), V::Pattern(kLuma<2>)};
    BlueRed<V> blueRed;
    Green<V> green{kGreenAddDouble};

    void operator()(const std::uint8_t* s, std::uint8_t* d) const
    {
        R a = V::Load(s, 24), b = V::Load(s + 8, 24);
        R uv = V::Or(V::Shuffle(a, uvA), V::Shuffle(b, uvB));
        R g = green(uv);
        g = V::PackS32(g, g);
        R br = blueRed(uv);
        R pg = V::PackU16(g, V::Sub16(V::Zero(), g));
        R pbr = V::PackU16(br, V::Sub16(V::Zero(), br));
        R window[3] = {a, b, b}, out[3];
#pragma GCC unroll 4
        for (int c = 0; c < 3; ++c) out[c] = Emit<V>(V::Shuffle(window[c], luma[c]), V::Pick(pbr, pg, pos[c]), V::Pick(pbr, pg, neg[c]));
        V::StoreUnits(d, out);
    }
};

// 4:4:4, 16 pixels: 48 bytes in, 48 out; every pixel has its own chroma.
template <class V>
struct Yuv444Block {
    using R = typename V::Reg;
    // U, V words of 4 pixels from windows starting at bytes 0, 12, 24 and 32.
    static constexpr int kUvStart[4] = {0, 12, 24, 32};
    template <int K>
    static constexpr BytePattern kUv = MakePattern([](int i) { return i % 2 ? kZ : 3 * (4 * K + i / 4) + (i % 4 ? 2 : 0) - kUvStart[K]; });
    // pbr: pos d_B, d_R pairs of pixels 0..7 (first) or 8..15 (second); g: pixels 0..15.
    template <int C, int Half>
    static constexpr BytePattern kBlueRed = MakePattern([](int i) { int p = PixelOf(C, i), c = ChannelOf(C, i); return c == 1 || p / 8 != Half ? kZ : 2 * (p % 8) + (c == 0); });
    template <int C>
    static constexpr BytePattern kGreen = MakePattern([](int i) { return ChannelOf(C, i) == 1 ? PixelOf(C, i) : kZ; });
    // Luma windows start at bytes 1, 16 and 31.
    static constexpr int kLumaStart[3] = {1, 16, 31};
    template <int C>
    static constexpr BytePattern kLuma = MakePattern([](int i) { return 3 * PixelOf(C, i) + 1 - kLumaStart[C]; });

    R uv[4] = {V::Pattern(kUv<0>), V::Pattern(kUv<1>), V::Pattern(kUv<2>), V::Pattern(kUv<3>)};
    typename V::Pick3 pick[3] = {V::MakePick(kBlueRed<0, 0>, kBlueRed<0, 1>, kGreen<0>), V::MakePick(kBlueRed<1, 0>, kBlueRed<1, 1>, kGreen<1>),
                                 V::MakePick(kBlueRed<2, 0>, kBlueRed<2, 1>, kGreen<2>)};
    R luma[3] = {V::Pattern(kLuma<0>), V::Pattern(kLuma<1>), V::Pattern(kLuma<2>)};
    BlueRed<V> blueRed;
    Green<V> green{kGreenAddFixed};

    void operator()(const std::uint8_t* s, std::uint8_t* d) const
    {
        R in[3];
        V::LoadUnits(s, in);
        R w0 = in[0], w1 = in[1], w2 = in[2];
        R u0 = V::Shuffle(w0, uv[0]);
        R u1 = V::Shuffle(V::template Alignr<12>(w1, w0), uv[1]);
        R u2 = V::Shuffle(V::template Alignr<8>(w2, w1), uv[2]);
        R u3 = V::Shuffle(w2, uv[3]);
        R ga = V::PackS32(green(u0), green(u1)), gb = V::PackS32(green(u2), green(u3));
        R pg, ng, pbr0, nbr0, pbr1, nbr1;
        Split<V>(ga, gb, pg, ng);
        Split<V>(blueRed(u0), blueRed(u1), pbr0, nbr0);
        Split<V>(blueRed(u2), blueRed(u3), pbr1, nbr1);
        R window[3] = {V::template Alignr<1>(w1, w0), w1, V::template Alignr<15>(w2, w1)}, out[3];
#pragma GCC unroll 4
        for (int c = 0; c < 3; ++c) out[c] = Emit<V>(V::Shuffle(window[c], luma[c]), V::Pick(pbr0, pbr1, pg, pick[c]), V::Pick(nbr0, nbr1, ng, pick[c]));
        V::StoreUnits(d, out);
    }
};

// Whole blocks of a kernel, moving s and d on; returns the pixels left. A block
// of `pixels` per lane reads `in` and writes `out` bytes per lane; extraPixels
// keeps loads that reach past a block's own bytes inside the source.
template <class Block, class V>
std::size_t RunBlocks(const std::uint8_t*& s, std::uint8_t*& d, std::size_t n, std::size_t pixels, std::size_t in, std::size_t out, std::size_t extraPixels = 0)
{
    const Block block;
    const std::size_t step = pixels * V::kLanes;
    const std::uint8_t* source = s;
    std::uint8_t* destination = d;
    for (; n >= step + extraPixels; n -= step, source += in * V::kLanes, destination += out * V::kLanes) block(source, destination);
    s = source;
    d = destination;
    return n;
}

// The four kernels of one vector type, ending in the scalar kernels.
template <class V>
std::size_t Unpack12Blocks(const std::uint8_t*& s, std::uint8_t*& d, std::size_t n) { return RunBlocks<Unpack12<V>, V>(s, d, n, 8, 12, 16, 3); }
template <class V>
std::size_t Yuv444Blocks(const std::uint8_t*& s, std::uint8_t*& d, std::size_t n) { return RunBlocks<Yuv444Block<V>, V>(s, d, n, 16, 48, 48); }
template <class V>
std::size_t Yuv422Blocks(const std::uint8_t*& s, std::uint8_t*& d, std::size_t n) { return RunBlocks<Yuv422Block<V>, V>(s, d, n, 16, 32, 48); }
template <class V>
std::size_t Yuv411Blocks(const std::uint8_t*& s, std::uint8_t*& d, std::size_t n) { return RunBlocks<Yuv411Block<V>, V>(s, d, n, 16, 24, 48); }

} // namespace
} // namespace grabber_pixel::detail
