// Sizing a frame buffer for a mode with and without conversion, keeping memory
// whose size did not change, the limits, and the guarded conversion.
#include "zelmk/FrameBuffer.h"
#include "zelmk/GfxModeTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace zelmk {
namespace {

struct FakeMode final : FrameBufferMode {
    UG_CONVERSION_FUNCTION routine = nullptr;
    uint32_t intermediate = 0;
    uint64_t frame = 0;
    uint32_t width = 0, height = 0;
    std::vector<std::string> asked;
    UG_CONVERSION_FUNCTION ConversionFunction() override { return asked.push_back("routine"), routine; }
    uint32_t IntermediateBufferSize() override { return asked.push_back("intermediate"), intermediate; }
    uint64_t FrameBufferSize() override { return asked.push_back("frame"), frame; }
    uint32_t Width() override { return asked.push_back("width"), width; }
    uint32_t Height() override { return asked.push_back("height"), height; }
};

FakeMode Make(UG_CONVERSION_FUNCTION routine, uint32_t intermediate, uint64_t frame, uint32_t w, uint32_t h)
{
    FakeMode mode;
    mode.routine = routine, mode.intermediate = intermediate, mode.frame = frame, mode.width = w, mode.height = h;
    return mode;
}
FakeMode Mono8(uint32_t w, uint32_t h) { return Make(nullptr, 0, uint64_t(w) * h, w, h); }
FakeMode Yuv422(uint32_t w, uint32_t h) { return Make(ConversionFunction(Conversion::Yuv422ToRgb), 2 * w * h, 3ull * w * h, w, h); }

TEST(FrameBufferTest, RecordAndContexts)
{
    int grabber = 0;
    CFrameBuffer buffer(&grabber, 7);
    EXPECT_EQ(&grabber, CFrameBuffer::GrabberOf(&buffer.Frame()));
    EXPECT_EQ(&buffer, CFrameBuffer::FromFrame(&buffer.Frame()));
    EXPECT_EQ(7u, CFrameBuffer::IndexOf(&buffer.Frame()));
    EXPECT_EQ(nullptr, buffer.Frame().imageBuffer);
    EXPECT_EQ(0u, buffer.Frame().status);
    EXPECT_EQ(nullptr, buffer.ImageBuffer());
}

TEST(FrameBufferTest, SizingWithAndWithoutConversion)
{
    CFrameBuffer buffer(nullptr, 0);
    FakeMode plain = Mono8(640, 480);
    ASSERT_TRUE(buffer.SizeFor(plain));
    EXPECT_EQ((std::vector<std::string>{"routine", "frame", "width", "height"}), plain.asked);
    EXPECT_EQ(buffer.ImageBuffer(), buffer.Frame().imageBuffer);
    EXPECT_EQ(307200u, buffer.Frame().imageBufferSize);
    EXPECT_EQ(nullptr, buffer.IntermediateBuffer());
    uint8_t* const image = buffer.ImageBuffer();

    // The same size again keeps the block.
    FakeMode again = Mono8(480, 640);
    ASSERT_TRUE(buffer.SizeFor(again));
    EXPECT_EQ(image, buffer.ImageBuffer());
    EXPECT_EQ(480u, buffer.Width());

    // A conversion: the library writes into the intermediate buffer.
    FakeMode yuv = Yuv422(640, 480);
    ASSERT_TRUE(buffer.SizeFor(yuv));
    EXPECT_EQ((std::vector<std::string>{"routine", "intermediate", "frame", "width", "height"}), yuv.asked);
    ASSERT_NE(nullptr, buffer.IntermediateBuffer());
    EXPECT_EQ(buffer.IntermediateBuffer(), buffer.Frame().imageBuffer);
    EXPECT_EQ(614400u, buffer.Frame().imageBufferSize);
    EXPECT_EQ(921600u, buffer.ImageSize());
    EXPECT_EQ(yuv.routine, buffer.Routine());

    // Back without: the intermediate buffer goes, the record points at the image.
    FakeMode back = Mono8(640, 480);
    ASSERT_TRUE(buffer.SizeFor(back));
    EXPECT_EQ(nullptr, buffer.IntermediateBuffer());
    EXPECT_EQ(nullptr, buffer.Routine());
    EXPECT_EQ(buffer.ImageBuffer(), buffer.Frame().imageBuffer);

    // A mode the getters could not read sizes to nothing.
    FakeMode zero = Mono8(0, 0);
    ASSERT_TRUE(buffer.SizeFor(zero));
    EXPECT_EQ(nullptr, buffer.ImageBuffer());
    EXPECT_EQ(0u, buffer.Frame().imageBufferSize);
}

TEST(FrameBufferTest, ImagesThatDoNotFit)
{
    CFrameBuffer buffer(nullptr, 0);
    FakeMode plain = Mono8(64, 8);
    ASSERT_TRUE(buffer.SizeFor(plain));
    uint8_t* const image = buffer.ImageBuffer();

    // 4,294,967,296 bytes without conversion: beyond the record's 32-bit size;
    // the buffer stays as it was.
    FakeMode huge = Mono8(65536, 65536);
    EXPECT_FALSE(buffer.SizeFor(huge));
    EXPECT_EQ(image, buffer.ImageBuffer());
    EXPECT_EQ(512u, buffer.Frame().imageBufferSize);
}

TEST(FrameBufferTest, ConversionOnlyWithEveryByteItReads)
{
    CFrameBuffer buffer(nullptr, 0);
    FakeMode yuv = Yuv422(4, 2);
    ASSERT_TRUE(buffer.SizeFor(yuv));
    // U, Y0, V, Y1 = 128, 255, 128, 0 per group: white and black pixels.
    for (uint32_t i = 0; i < 16; i += 4) {
        const uint8_t group[4] = {128, 255, 128, 0};
        std::memcpy(buffer.IntermediateBuffer() + i, group, 4);
    }
    struct Case {
        uint32_t written;
        CFrameBuffer::Converted result;
    };
    for (const Case c : {Case{16, CFrameBuffer::Converted::Done}, Case{15, CFrameBuffer::Converted::TooShort},
                         Case{0, CFrameBuffer::Converted::TooShort}}) {
        SCOPED_TRACE(c.written);
        std::memset(buffer.ImageBuffer(), 0x55, buffer.ImageSize());
        buffer.Frame().imageSize = c.written;
        EXPECT_EQ(c.result, buffer.Convert());
        if (c.result == CFrameBuffer::Converted::Done) {
            EXPECT_EQ((std::vector<uint8_t>{255, 255, 254, 0, 0, 0}), std::vector<uint8_t>(buffer.ImageBuffer(), buffer.ImageBuffer() + 6));
        } else {
            EXPECT_EQ(0x55, buffer.ImageBuffer()[0]); // untouched
        }
    }

    // A camera frame smaller than the mode's pixel count says (the intermediate
    // buffer sized from a smaller TotalBytesPerFrame): not converted.
    FakeMode shortRaw = Yuv422(4, 2);
    shortRaw.intermediate = 12;
    ASSERT_TRUE(buffer.SizeFor(shortRaw));
    buffer.Frame().imageSize = 12;
    EXPECT_EQ(CFrameBuffer::Converted::TooShort, buffer.Convert());

    FakeMode plain = Mono8(4, 2);
    ASSERT_TRUE(buffer.SizeFor(plain));
    EXPECT_EQ(CFrameBuffer::Converted::NotNeeded, buffer.Convert());
}

} // namespace
} // namespace zelmk
