// The pixel formats a simulated camera sends: names as the camera's "PixelFormat"
// enumeration gives them, GigE Vision codes, sizes, and the test pattern frames carry.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace gigesim {

struct PixelFormat {
    const char* name;      // enumeration value, e.g. "Mono12Packed"
    uint32_t code;         // GigE Vision code; for Bayer formats the GR layout's
    uint32_t bitsPerPixel; // bits one pixel takes in the frame
    uint32_t bits;         // significant bits per component as the format defines them
    uint32_t groupPixels;  // pixels of the smallest repeating byte group
    bool bayer;
    bool followsSensor; // a 16-bit container: the register reports the sensor's depth
};

// The one table; null when the name is unknown (compared without case).
const PixelFormat* findPixelFormat(std::string_view name);
std::span<const PixelFormat> pixelFormats();

// Colour-filter layouts in the order of the GigE Vision Bayer codes.
enum class BayerLayout : uint32_t { GR = 0,
                                    RG = 1,
                                    GB = 2,
                                    BG = 3 };

// The code the pixel-format register holds for `format` on a sensor of `sensorBits`
// significant bits with the given filter layout: a 12-bit sensor sending Mono16 sends
// Mono12 data, and says so.
uint32_t registerCode(const PixelFormat& format, uint32_t sensorBits, BayerLayout layout);

// Bytes of one frame; 0 when the width does not fill the format's byte groups.
uint64_t frameBytes(const PixelFormat& format, uint32_t width, uint32_t height);

// A prepared pattern: frame n is the pattern moved by n byte groups, with n in its
// first four bytes (little-endian), so that order and loss can be seen in the data.
class TestPattern {
public:
    TestPattern() = default;
    TestPattern(const PixelFormat& format, uint32_t width, uint32_t height, uint32_t significantBits);

    uint64_t frameBytes() const { return frameBytes_; }
    // Writes frame `number` into out (at least frameBytes() bytes).
    void fill(uint8_t* out, uint32_t number) const;

private:
    std::vector<uint8_t> pattern_;
    uint64_t frameBytes_ = 0;
    uint32_t groupBytes_ = 1;
};

} // namespace gigesim
