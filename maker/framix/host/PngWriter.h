// A frame buffer as a PNG file through the Windows Imaging Component.
#pragma once

#include "FramixTypes.h"

#include <string>

struct FrameImage {
    const void* pixels = nullptr;
    uint32_t width = 0, height = 0;
    uint32_t components = 0;    // 1, 3 or 4
    uint32_t allocatedBits = 0; // 8 or 16 per component
    UG_COLORCODING colorCoding = UG_CC_MONO;
};

// Writes the image in its colour coding (grey for monochrome and raw
// colour-filter data, RGB/BGR, RGBA/BGRA, 8 or 16 bits); an empty text on
// success, else why not.
std::string WritePng(const std::string& path, const FrameImage& image);
