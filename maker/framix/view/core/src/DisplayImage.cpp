// FramixView's frame conversion for the screen, placement, frame rate and names.
#include "framix_view/DisplayImage.h"

#include <algorithm>
#include <cstring>

namespace framixview {
namespace {

// The shift that brings a sample of the layout down to 8 bits.
uint32_t ShiftOf(const FrameLayout& l)
{
    if (l.allocatedBits != 16)
        return 0;
    const uint32_t bits = (l.significantBits == 0 || l.significantBits > 16) ? 16 : l.significantBits;
    return bits > 8 ? bits - 8 : 0;
}

// One plane of 8-bit samples from a one-component frame.
void Samples(const FrameLayout& l, const uint8_t* src, std::vector<uint8_t>& plane)
{
    const size_t n = size_t(l.width) * l.height;
    plane.resize(n);
    if (l.allocatedBits == 8) {
        std::memcpy(plane.data(), src, n);
        return;
    }
    const uint32_t shift = ShiftOf(l);
    for (size_t i = 0; i < n; ++i) {
        // Little-endian, as the camera sends it; bits above the significant ones
        // (a sensor reporting fewer than it sends) saturate rather than wrap.
        const uint32_t v = (uint32_t(src[2 * i]) | uint32_t(src[2 * i + 1]) << 8) >> shift;
        plane[i] = static_cast<uint8_t>(v > 255 ? 255 : v);
    }
}

// The filter's colour at (x, y): 0 red, 1 green, 2 blue. The "GR" cell (G R / B G)
// starts at (cfaX, cfaY).
int FilterColour(const FrameLayout& l, uint32_t x, uint32_t y)
{
    const uint32_t px = (x + 2 - (l.cfaX & 1)) & 1, py = (y + 2 - (l.cfaY & 1)) & 1;
    if (px == py)
        return 1;
    return px == 1 ? 0 : 2;
}

// Bilinear interpolation: each colour a pixel lacks is the mean of that colour's
// samples in its 3 x 3 neighbourhood (inside the image).
void Demosaic(const FrameLayout& l, const std::vector<uint8_t>& plane, uint8_t* out)
{
    const uint32_t w = l.width, h = l.height;
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t sum[3] = {0, 0, 0}, count[3] = {0, 0, 0};
            const int own = FilterColour(l, x, y);
            for (int dy = -1; dy <= 1; ++dy) {
                const int64_t yy = int64_t(y) + dy;
                if (yy < 0 || yy >= h)
                    continue;
                for (int dx = -1; dx <= 1; ++dx) {
                    const int64_t xx = int64_t(x) + dx;
                    if (xx < 0 || xx >= w)
                        continue;
                    const int c = FilterColour(l, uint32_t(xx), uint32_t(yy));
                    sum[c] += plane[size_t(yy) * w + size_t(xx)];
                    ++count[c];
                }
            }
            uint8_t rgb[3];
            for (int c = 0; c < 3; ++c)
                rgb[c] = c == own ? plane[size_t(y) * w + x]
                                  : static_cast<uint8_t>(count[c] ? (sum[c] + count[c] / 2) / count[c] : 0);
            uint8_t* p = out + (size_t(y) * w + x) * 4;
            p[0] = rgb[2];
            p[1] = rgb[1];
            p[2] = rgb[0];
            p[3] = 0xFF;
        }
    }
}

} // namespace

uint64_t FrameLayout::FrameBytes() const
{
    if (!Unsupported(*this).empty())
        return 0;
    return uint64_t(width) * height * components * (allocatedBits / 8);
}

std::string Unsupported(const FrameLayout& l)
{
    if (l.width == 0 || l.height == 0)
        return "no image size";
    if (uint64_t(l.width) * l.height > (uint64_t(1) << 28))
        return "image too large";
    switch (l.coding) {
    case UG_CC_MONO:
    case UG_CC_RAW_CFA:
        if (l.components != 1)
            return "one component expected";
        if (l.allocatedBits != 8 && l.allocatedBits != 16)
            return "8 or 16 bits expected";
        return {};
    case UG_CC_RGB:
    case UG_CC_BGR:
    case UG_CC_RGBA:
    case UG_CC_BGRA: {
        const uint32_t wanted = (l.coding == UG_CC_RGB || l.coding == UG_CC_BGR) ? 3 : 4;
        if (l.components != wanted || l.allocatedBits != 8)
            return "8-bit components expected";
        return {};
    }
    default: return "colour coding " + std::to_string(l.coding) + " not shown";
    }
}

bool ToDisplay(const FrameLayout& l, const void* source, size_t sourceBytes, std::vector<uint8_t>& out)
{
    const uint64_t need = l.FrameBytes();
    if (need == 0 || !source || sourceBytes < need)
        return false;
    const auto* src = static_cast<const uint8_t*>(source);
    const size_t n = size_t(l.width) * l.height;
    out.resize(n * 4);
    uint8_t* dst = out.data();
    switch (l.coding) {
    case UG_CC_MONO: {
        std::vector<uint8_t> plane;
        Samples(l, src, plane);
        for (size_t i = 0; i < n; ++i) {
            dst[4 * i] = dst[4 * i + 1] = dst[4 * i + 2] = plane[i];
            dst[4 * i + 3] = 0xFF;
        }
        return true;
    }
    case UG_CC_RAW_CFA: {
        std::vector<uint8_t> plane;
        Samples(l, src, plane);
        Demosaic(l, plane, dst);
        return true;
    }
    default: {
        const bool redFirst = l.coding == UG_CC_RGB || l.coding == UG_CC_RGBA;
        const uint32_t step = l.components;
        for (size_t i = 0; i < n; ++i) {
            const uint8_t* s = src + i * step;
            dst[4 * i] = redFirst ? s[2] : s[0];
            dst[4 * i + 1] = s[1];
            dst[4 * i + 2] = redFirst ? s[0] : s[2];
            dst[4 * i + 3] = 0xFF;
        }
        return true;
    }
    }
}

Placement FitImage(uint32_t iw, uint32_t ih, int aw, int ah)
{
    Placement p;
    if (iw == 0 || ih == 0 || aw <= 0 || ah <= 0)
        return p;
    // Compare aw/ah with iw/ih in integers: the narrower side decides.
    if (uint64_t(aw) * ih <= uint64_t(ah) * iw) {
        p.width = aw;
        p.height = static_cast<int>(std::max<uint64_t>(1, (uint64_t(aw) * ih + iw / 2) / iw));
    } else {
        p.height = ah;
        p.width = static_cast<int>(std::max<uint64_t>(1, (uint64_t(ah) * iw + ih / 2) / ih));
    }
    p.x = (aw - p.width) / 2;
    p.y = (ah - p.height) / 2;
    return p;
}

void FrameRate::Frame(uint64_t nowMs)
{
    times_[count_ % kKept] = nowMs;
    ++count_;
}

double FrameRate::PerSecond(uint64_t nowMs) const
{
    // The frames of the last second, counted back from the newest kept.
    const size_t kept = std::min(count_, kKept);
    size_t inWindow = 0;
    uint64_t oldest = nowMs;
    for (size_t k = 0; k < kept; ++k) {
        const uint64_t t = times_[(count_ - 1 - k) % kKept];
        if (t + 1000 <= nowMs)
            break;
        oldest = t;
        ++inWindow;
    }
    if (inWindow < 2)
        return inWindow == 1 ? 1.0 : 0.0;
    if (inWindow == kKept && nowMs > oldest) // more than kept in the second: rate over the kept span
        return double(inWindow) * 1000.0 / double(nowMs - oldest);
    return double(inWindow);
}

std::string DescribeFormat(const FrameLayout& l)
{
    const uint32_t bits = l.allocatedBits == 16 && l.significantBits != 0 ? l.significantBits : l.allocatedBits;
    const std::string depth = " " + std::to_string(bits) + " bit";
    switch (l.coding) {
    case UG_CC_MONO: return "Mono" + depth;
    case UG_CC_RAW_CFA: {
        static const char* const kLayouts[2][2] = {{"GR", "RG"}, {"BG", "GB"}};
        return std::string("Bayer ") + kLayouts[l.cfaY & 1][l.cfaX & 1] + depth;
    }
    case UG_CC_RGB: return "RGB" + depth;
    case UG_CC_BGR: return "BGR" + depth;
    case UG_CC_RGBA: return "RGBA" + depth;
    case UG_CC_BGRA: return "BGRA" + depth;
    default: return "coding " + std::to_string(l.coding);
    }
}

} // namespace framixview
