// MkUtilityColorInterpolate: raw camera frames (monochrome or colour-filter data of any
// depth the cameras send) to 8-bit RGB or BGR.
#include "mk_api_core/Exports.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace mkapi {
namespace {

constexpr uint32_t kRgb8 = 0x02180014, kBgr8 = 0x02180015;

enum class Packing { Bytes,
                     Words,
                     Packed12 };

struct Source {
    uint32_t bits; // significant bits of a sample
    int layout;    // colour-filter layout GR, RG, GB, BG as 0..3; -1 for monochrome
    Packing packing;
};

// The raw formats by GigE Vision code; the code of a 16-bit container names the bits
// that are significant in it (a 12-bit sensor's Bayer16 frame comes as BayerRG12).
std::optional<Source> sourceOf(uint32_t code)
{
    switch (code) {
    case 0x01080001: return Source{8, -1, Packing::Bytes};
    case 0x01100003: return Source{10, -1, Packing::Words};
    case 0x01100005: return Source{12, -1, Packing::Words};
    case 0x01100025: return Source{14, -1, Packing::Words};
    case 0x01100007: return Source{16, -1, Packing::Words};
    case 0x010C0006: return Source{12, -1, Packing::Packed12};
    default: break;
    }
    const struct {
        uint32_t first, bits;
        Packing packing;
    } bayer[] = {
        {0x01080008, 8, Packing::Bytes},
        {0x0110000C, 10, Packing::Words},
        {0x01100010, 12, Packing::Words},
        {0x0110002E, 16, Packing::Words},
        {0x010C002A, 12, Packing::Packed12},
    };
    for (const auto& b : bayer)
        if (code >= b.first && code < b.first + 4)
            return Source{b.bits, int(code - b.first), b.packing};
    return std::nullopt;
}

uint64_t sourceBytes(Packing packing, uint64_t pixels)
{
    switch (packing) {
    case Packing::Bytes: return pixels;
    case Packing::Words: return pixels * 2;
    case Packing::Packed12: return (pixels * 3 + 1) / 2;
    }
    return 0;
}

// Every sample as a number, pixels in order; 12-bit packing runs on across rows.
std::vector<uint16_t> unpack(const uint8_t* src, Packing packing, uint64_t pixels)
{
    std::vector<uint16_t> samples(pixels);
    for (uint64_t i = 0; i < pixels; ++i) {
        if (packing == Packing::Bytes) {
            samples[i] = src[i];
        } else if (packing == Packing::Words) {
            samples[i] = uint16_t(src[2 * i] | src[2 * i + 1] << 8);
        } else {
            const uint8_t* g = src + i / 2 * 3;
            samples[i] = i % 2 == 0 ? uint16_t(g[0] << 4 | (g[1] & 0x0F)) : uint16_t(g[2] << 4 | g[1] >> 4);
        }
    }
    return samples;
}

class Mosaic {
public:
    Mosaic(const std::vector<uint16_t>& samples, uint32_t w, uint32_t h, int layout)
        : s_(samples), w_(w), h_(h), redX_(layout == 0 || layout == 3), redY_(layout >= 2)
    {
    }

    // 0 red, 1 green, 2 blue at (x, y).
    int colourAt(uint32_t x, uint32_t y) const
    {
        const bool redColumn = (x & 1) == redX_, redRow = (y & 1) == redY_;
        return redColumn && redRow ? 0 : !redColumn && !redRow ? 2
                                                               : 1;
    }

    // The pixel's red, green and blue at full depth: its own sample, and for each other
    // colour the rounded mean of that colour's samples among its eight neighbours.
    void at(uint32_t x, uint32_t y, uint32_t rgb[3]) const
    {
        const int own = colourAt(x, y);
        if (x == 0 || y == 0 || x + 1 == w_ || y + 1 == h_)
            return border(x, y, own, rgb);
        const uint32_t across = v(x - 1, y) + v(x + 1, y), upDown = v(x, y - 1) + v(x, y + 1);
        rgb[own] = v(x, y);
        if (own == 1) {
            // Green: one neighbour pair is red, the other blue.
            const int sideways = colourAt(x - 1, y);
            rgb[sideways] = (across + 1) / 2;
            rgb[2 - sideways] = (upDown + 1) / 2;
        } else {
            rgb[1] = (across + upDown + 2) / 4;
            rgb[2 - own] = (v(x - 1, y - 1) + v(x + 1, y - 1) + v(x - 1, y + 1) + v(x + 1, y + 1) + 2) / 4;
        }
    }

private:
    uint32_t v(uint32_t x, uint32_t y) const { return s_[uint64_t(y) * w_ + x]; }

    // At the edge only the neighbours inside the frame count; with at least two rows and
    // two columns every colour has one.
    void border(uint32_t x, uint32_t y, int own, uint32_t rgb[3]) const
    {
        uint32_t sum[3] = {}, n[3] = {};
        for (uint32_t yy = y ? y - 1 : 0; yy <= std::min(y + 1, h_ - 1); ++yy)
            for (uint32_t xx = x ? x - 1 : 0; xx <= std::min(x + 1, w_ - 1); ++xx) {
                const int c = colourAt(xx, yy);
                sum[c] += v(xx, yy);
                ++n[c];
            }
        for (int c = 0; c < 3; ++c) rgb[c] = c == own ? v(x, y) : (sum[c] + n[c] / 2) / n[c];
    }

    const std::vector<uint16_t>& s_;
    const uint32_t w_, h_;
    const uint32_t redX_, redY_;
};

} // namespace

Code colorInterpolate(const MkFrame* frame, void* destination, uint32_t destinationSize, uint32_t format)
{
    if (!frame || !frame->imageBuffer || !destination || (format != kRgb8 && format != kBgr8))
        return MK_ERR_BAD_PARAMETER;
    const uint32_t w = frame->width, h = frame->height;
    const std::optional<Source> source = sourceOf(frame->pixelFormat);
    // Colour data and other formats are no raw frame to interpolate; a colour filter needs
    // two rows and two columns for every colour to be there.
    if (!source || w == 0 || h == 0 || (source->layout >= 0 && (w < 2 || h < 2)))
        return MK_ERR_BAD_PARAMETER;
    const uint64_t pixels = uint64_t(w) * h;
    if (frame->imageSize < sourceBytes(source->packing, pixels))
        return MK_ERR_DATA_MISSING;
    if (destinationSize < pixels * 3)
        return MK_ERR_BUFFER_TOO_SMALL;
    const std::vector<uint16_t> samples =
        unpack(static_cast<const uint8_t*>(frame->imageBuffer), source->packing, pixels);
    // The top eight of the significant bits; a sample with bits above them saturates.
    const uint32_t shift = source->bits - 8;
    const auto eight = [shift](uint32_t value) { return uint8_t(std::min<uint32_t>(value >> shift, 255)); };
    uint8_t* out = static_cast<uint8_t*>(destination);
    const bool bgr = format == kBgr8;
    const Mosaic mosaic(samples, w, h, source->layout);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t rgb[3];
            if (source->layout < 0)
                rgb[0] = rgb[1] = rgb[2] = samples[uint64_t(y) * w + x];
            else
                mosaic.at(x, y, rgb);
            uint8_t* p = out + (uint64_t(y) * w + x) * 3;
            p[0] = eight(rgb[bgr ? 2 : 0]), p[1] = eight(rgb[1]), p[2] = eight(rgb[bgr ? 0 : 2]);
        }
    return 0;
}

} // namespace mkapi
