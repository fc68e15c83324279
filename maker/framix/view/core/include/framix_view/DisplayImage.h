// What FramixView shows of a frame: the frame buffer's layout as the graphics
// mode describes it, its conversion into 32-bit BGRX pixels for the screen, the
// rectangle it is drawn into, the frame rate and the status text.
#pragma once

#include "FramixTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace framixview {

// The layout of a frame buffer, from the active graphics mode.
struct FrameLayout {
    uint32_t width = 0, height = 0;
    uint32_t components = 0;      // 1 (mono, raw colour filter), 3, 4
    uint32_t allocatedBits = 0;   // 8 or 16 per component
    uint32_t significantBits = 0; // of a 16-bit container: 9..16 (0 = all 16)
    UG_COLORCODING coding = UG_CC_MONO;
    uint32_t cfaX = 0, cfaY = 0; // where the filter's "GR" cell starts (raw colour filter only)

    // Bytes one frame takes; 0 when the layout is not one FramixView shows.
    uint64_t FrameBytes() const;
};

// Why a layout cannot be shown ("" when it can).
std::string Unsupported(const FrameLayout& layout);

// Converts one frame (source of at least FrameBytes() bytes) into width x height
// pixels of B, G, R, 0xFF, top row first. 16-bit samples are shifted down by their
// significant bits, so a 12-bit sensor's white is white; raw colour-filter data is
// interpolated bilinearly with the layout's filter offsets. False (out untouched)
// when the layout cannot be shown or the source is too short.
bool ToDisplay(const FrameLayout& layout, const void* source, size_t sourceBytes, std::vector<uint8_t>& out);

// The rectangle an image of imageWidth x imageHeight takes in an area of
// areaWidth x areaHeight: as large as fits with the aspect ratio kept, centred.
struct Placement {
    int x = 0, y = 0, width = 0, height = 0;
};
Placement FitImage(uint32_t imageWidth, uint32_t imageHeight, int areaWidth, int areaHeight);

// Frames per second over the last second of arrival times (any clock in ms).
class FrameRate {
public:
    void Frame(uint64_t nowMs);
    double PerSecond(uint64_t nowMs) const;
    void Reset() { count_ = 0; }

private:
    static constexpr size_t kKept = 512;
    uint64_t times_[kKept] = {};
    size_t count_ = 0; // frames recorded, the last kKept kept
};

// The format as the status bar names it: "Mono 8 bit", "Mono 12 bit", "Bayer RG 8 bit",
// "RGB 8 bit", "BGRA 8 bit", ...
std::string DescribeFormat(const FrameLayout& layout);

} // namespace framixview
