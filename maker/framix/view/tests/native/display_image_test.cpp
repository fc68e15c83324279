// FramixView's conversion for the screen, placement, frame rate and format names.
#include "framix_view/DisplayImage.h"

#include <gtest/gtest.h>

#include <array>

using namespace framixview;

namespace {

FrameLayout Layout(uint32_t w, uint32_t h, uint32_t comps, uint32_t bits, UG_COLORCODING coding, uint32_t sig = 0,
                   uint32_t cfaX = 0, uint32_t cfaY = 0)
{
    FrameLayout l;
    l.width = w;
    l.height = h;
    l.components = comps;
    l.allocatedBits = bits;
    l.significantBits = sig;
    l.coding = coding;
    l.cfaX = cfaX;
    l.cfaY = cfaY;
    return l;
}

std::array<uint8_t, 4> Pixel(const std::vector<uint8_t>& out, const FrameLayout& l, uint32_t x, uint32_t y)
{
    const size_t i = (size_t(y) * l.width + x) * 4;
    return {out[i], out[i + 1], out[i + 2], out[i + 3]};
}

} // namespace

TEST(DisplayImage, MonoSamplesBecomeGreyShiftedBySignificantBits)
{
    struct Case {
        const char* name;
        uint32_t bits, significant;
        uint16_t sample;
        uint8_t grey;
    } cases[] = {
        {"8 bit", 8, 8, 200, 200},
        {"12 of 16: white", 16, 12, 4095, 255},
        {"12 of 16: half", 16, 12, 0x0800, 128},
        {"12 of 16: above the sensor's bits saturates", 16, 12, 0x1234, 255},
        {"10 of 16", 16, 10, 0x0200, 128},
        {"16 of 16", 16, 16, 0xABCD, 0xAB},
        {"16 with no significant bits given", 16, 0, 0x8000, 0x80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FrameLayout l = Layout(2, 1, 1, c.bits, UG_CC_MONO, c.significant);
        std::vector<uint8_t> src;
        for (int i = 0; i < 2; ++i) {
            src.push_back(uint8_t(c.sample));
            if (c.bits == 16)
                src.push_back(uint8_t(c.sample >> 8));
        }
        std::vector<uint8_t> out;
        ASSERT_TRUE(ToDisplay(l, src.data(), src.size(), out));
        ASSERT_EQ(out.size(), 8u);
        const std::array<uint8_t, 4> want{c.grey, c.grey, c.grey, 0xFF};
        EXPECT_EQ(Pixel(out, l, 0, 0), want);
        EXPECT_EQ(Pixel(out, l, 1, 0), want);
    }
}

TEST(DisplayImage, ColourOrdersBecomeBgrx)
{
    struct Case {
        UG_COLORCODING coding;
        uint32_t components;
        std::vector<uint8_t> pixel; // one source pixel
    } cases[] = {
        {UG_CC_RGB, 3, {10, 20, 30}},
        {UG_CC_BGR, 3, {30, 20, 10}},
        {UG_CC_RGBA, 4, {10, 20, 30, 99}},
        {UG_CC_BGRA, 4, {30, 20, 10, 99}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(DescribeFormat(Layout(1, 1, c.components, 8, c.coding)));
        const FrameLayout l = Layout(3, 1, c.components, 8, c.coding);
        std::vector<uint8_t> src;
        for (int i = 0; i < 3; ++i) src.insert(src.end(), c.pixel.begin(), c.pixel.end());
        std::vector<uint8_t> out;
        ASSERT_TRUE(ToDisplay(l, src.data(), src.size(), out));
        for (uint32_t x = 0; x < 3; ++x) EXPECT_EQ(Pixel(out, l, x, 0), (std::array<uint8_t, 4>{30, 20, 10, 0xFF}));
    }
}

// A scene of one colour seen through each filter layout: every pixel, border ones
// too, must come back as that colour; a wrong filter offset swaps red and blue or
// mixes green in.
TEST(DisplayImage, BayerDataIsInterpolatedWithTheLayoutsFilterOffsets)
{
    struct Case {
        const char* layout;
        uint32_t cfaX, cfaY;
        const char* firstRow; // the filter colours of the first two pixels
    } cases[] = {{"GR", 0, 0, "GR"}, {"RG", 1, 0, "RG"}, {"GB", 1, 1, "GB"}, {"BG", 0, 1, "BG"}};
    const uint8_t r = 200, g = 100, b = 40;
    for (const Case& c : cases) {
        for (uint32_t bits : {8u, 16u}) {
            SCOPED_TRACE(std::string(c.layout) + " " + std::to_string(bits) + " bit");
            const FrameLayout l = Layout(6, 5, 1, bits, UG_CC_RAW_CFA, bits == 16 ? 12 : 0, c.cfaX, c.cfaY);
            EXPECT_EQ(DescribeFormat(l), std::string("Bayer ") + c.layout + (bits == 16 ? " 12 bit" : " 8 bit"));
            // The mosaic: what each pixel's filter lets through. Row 0 starts with the
            // two colours the layout is named for; row 1 with the other two.
            const std::string row0 = c.firstRow;
            const std::string row1 = row0 == "GR" ? "BG" : row0 == "RG" ? "GB"
                : row0 == "GB"                                          ? "RG"
                                                                        : "GR";
            std::vector<uint8_t> src;
            for (uint32_t y = 0; y < l.height; ++y)
                for (uint32_t x = 0; x < l.width; ++x) {
                    const char colour = (y % 2 ? row1 : row0)[x % 2];
                    const uint32_t v = colour == 'R' ? r : colour == 'G' ? g
                                                                         : b;
                    if (bits == 8) {
                        src.push_back(uint8_t(v));
                    } else {
                        const uint32_t wide = v << 4; // 12 significant bits
                        src.push_back(uint8_t(wide));
                        src.push_back(uint8_t(wide >> 8));
                    }
                }
            std::vector<uint8_t> out;
            ASSERT_TRUE(ToDisplay(l, src.data(), src.size(), out));
            for (uint32_t y = 0; y < l.height; ++y)
                for (uint32_t x = 0; x < l.width; ++x)
                    ASSERT_EQ(Pixel(out, l, x, y), (std::array<uint8_t, 4>{b, g, r, 0xFF})) << "at " << x << "," << y;
        }
    }
}

TEST(DisplayImage, BayerEdgeBetweenTwoColoursStaysSharpAtTheSamples)
{
    // Left half black, right half white, RG layout: each pixel keeps its own sample,
    // the others are the mean of its neighbours, so the edge blurs by one pixel only.
    const FrameLayout l = Layout(8, 4, 1, 8, UG_CC_RAW_CFA, 0, 1, 0);
    std::vector<uint8_t> src(32);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 8; ++x) src[y * 8 + x] = x < 4 ? 0 : 255;
    std::vector<uint8_t> out;
    ASSERT_TRUE(ToDisplay(l, src.data(), src.size(), out));
    for (uint32_t y = 0; y < 4; ++y) {
        EXPECT_EQ(Pixel(out, l, 1, y), (std::array<uint8_t, 4>{0, 0, 0, 0xFF}));
        EXPECT_EQ(Pixel(out, l, 6, y), (std::array<uint8_t, 4>{255, 255, 255, 0xFF}));
    }
}

TEST(DisplayImage, RefusesWhatItCannotShowAndShortFrames)
{
    std::vector<uint8_t> src(64, 7), out{1, 2, 3};
    struct Case {
        const char* name;
        FrameLayout layout;
        size_t bytes;
    } cases[] = {
        {"no size", Layout(0, 4, 1, 8, UG_CC_MONO), 64},
        {"mono with 3 components", Layout(2, 2, 3, 8, UG_CC_MONO), 64},
        {"12-bit container", Layout(2, 2, 1, 12, UG_CC_MONO), 64},
        {"16-bit RGB", Layout(2, 2, 3, 16, UG_CC_RGB), 64},
        {"unknown coding", Layout(2, 2, 1, 8, UG_COLORCODING(5)), 64},
        {"one byte short", Layout(3, 3, 1, 16, UG_CC_MONO, 12), 17},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ToDisplay(c.layout, src.data(), c.bytes, out));
        EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3}));
    }
    EXPECT_FALSE(Unsupported(Layout(2, 2, 3, 16, UG_CC_RGB)).empty());
    EXPECT_EQ(Layout(3, 3, 1, 16, UG_CC_MONO).FrameBytes(), 18u);
    EXPECT_EQ(Layout(3, 3, 1, 16, UG_CC_RGB).FrameBytes(), 0u);
}

TEST(DisplayImage, FitKeepsTheAspectRatioAndCentres)
{
    struct Case {
        uint32_t iw, ih;
        int aw, ah;
        Placement want;
    } cases[] = {
        {640, 480, 640, 480, {0, 0, 640, 480}},
        {640, 480, 800, 480, {80, 0, 640, 480}},  // wide area: bars left and right
        {640, 480, 320, 600, {0, 180, 320, 240}}, // tall area: bars above and below
        {1920, 1200, 960, 600, {0, 0, 960, 600}}, // scaled down
        {64, 48, 1280, 960, {0, 0, 1280, 960}},   // scaled up
        {1000, 1, 10, 10, {0, 4, 10, 1}},         // never thinner than a pixel
        {0, 480, 100, 100, {0, 0, 0, 0}},
        {640, 480, 0, 100, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.iw) + "x" + std::to_string(c.ih) + " in " + std::to_string(c.aw) + "x" +
                     std::to_string(c.ah));
        const Placement p = FitImage(c.iw, c.ih, c.aw, c.ah);
        EXPECT_EQ(p.x, c.want.x);
        EXPECT_EQ(p.y, c.want.y);
        EXPECT_EQ(p.width, c.want.width);
        EXPECT_EQ(p.height, c.want.height);
    }
}

TEST(DisplayImage, FrameRateCountsTheLastSecond)
{
    FrameRate rate;
    EXPECT_EQ(rate.PerSecond(0), 0.0);
    for (uint64_t t = 0; t < 3000; t += 40) rate.Frame(t); // 25 per second
    EXPECT_NEAR(rate.PerSecond(2999), 25.0, 1.0);
    EXPECT_EQ(rate.PerSecond(10000), 0.0) << "no frame in the last second";
    FrameRate fast;
    for (uint64_t i = 0; i < 2000; ++i) fast.Frame(i / 2); // 2000 per second: more than are kept
    EXPECT_NEAR(fast.PerSecond(1000), 2000.0, 20.0);
}

TEST(DisplayImage, NamesTheFormats)
{
    EXPECT_EQ(DescribeFormat(Layout(1, 1, 1, 8, UG_CC_MONO)), "Mono 8 bit");
    EXPECT_EQ(DescribeFormat(Layout(1, 1, 1, 16, UG_CC_MONO, 12)), "Mono 12 bit");
    EXPECT_EQ(DescribeFormat(Layout(1, 1, 3, 8, UG_CC_RGB)), "RGB 8 bit");
    EXPECT_EQ(DescribeFormat(Layout(1, 1, 4, 8, UG_CC_BGRA)), "BGRA 8 bit");
}
