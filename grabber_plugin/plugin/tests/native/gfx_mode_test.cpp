// The graphics mode's tables and live getters over a scripted camera: every
// pixel format, case, unsupported names, the refined depth and the
// colour-filter offsets from the register, each failure's line, the sizes.
#include "zelmk/LiveGfxMode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace zelmk {
namespace {

struct Camera {
    std::string format = "Mono8";
    uint32_t formatCode = 0; // MkAttrEnumGet fails with it when non-zero
    std::map<std::string, uint32_t> u32 = {{"Width", 640}, {"Height", 480}, {"TotalBytesPerFrame", 614400}};
    uint32_t u32Code = 0;
    uint32_t reg = 0x01080001;
    uint32_t regCode = 0;
    int regReads = 0;
    int enumReads = 0;
} g_cam;

uint32_t MKAPI_CALL EnumGet(MkHandle, const char* name, char* buffer, uint32_t size, uint32_t* length)
{
    ++g_cam.enumReads;
    if (g_cam.formatCode || std::strcmp(name, "PixelFormat") != 0) return g_cam.formatCode ? g_cam.formatCode : 6;
    if (length) *length = static_cast<uint32_t>(g_cam.format.size());
    if (g_cam.format.size() >= size) return 4;
    std::memcpy(buffer, g_cam.format.c_str(), g_cam.format.size() + 1);
    return 0;
}
uint32_t MKAPI_CALL U32Get(MkHandle, const char* name, uint32_t* v)
{
    if (g_cam.u32Code) return g_cam.u32Code;
    *v = g_cam.u32.at(name);
    return 0;
}
uint32_t MKAPI_CALL RegRead(MkHandle, uint32_t count, const uint32_t* addresses, uint32_t* values, uint32_t*)
{
    ++g_cam.regReads;
    if (count != 1 || addresses[0] != kPixelFormatRegister) return 4;
    if (g_cam.regCode) return g_cam.regCode;
    values[0] = g_cam.reg;
    return 0;
}

class LiveGfxModeTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_cam = {};
        m_api.MkAttrEnumGet = &EnumGet;
        m_api.MkAttrUint32Get = &U32Get;
        m_api._Mk_Factory_Test_10 = &RegRead;
    }
    LiveGfxMode Mode(MkHandle handle = reinterpret_cast<MkHandle>(1))
    {
        return LiveGfxMode(&m_api, handle, m_sink);
    }
    MkApiFunctions m_api;
    std::vector<std::string> m_lines;
    LogSink m_sink = [this](int level, const std::string& text) { m_lines.push_back(std::to_string(level) + " " + text); };
};

TEST_F(LiveGfxModeTest, EveryFormatOfTheTable)
{
    struct Row {
        const char* name;
        uint32_t components, allocated, bits;
        UG_COLORCODING coding;
        Conversion conversion;
        uint64_t bytes640x480;
    };
    const Row rows[] = {
        {"Mono8", 1, 8, 8, 0, Conversion::None, 307200},
        {"Mono10", 1, 16, 10, 0, Conversion::None, 614400},
        {"Mono12", 1, 16, 12, 0, Conversion::None, 614400},
        {"Mono12Packed", 1, 16, 12, 0, Conversion::Unpack12Packed, 614400},
        {"Mono16", 1, 16, 16, 0, Conversion::None, 614400},
        {"Bayer8", 1, 8, 8, 1, Conversion::None, 307200},
        {"Bayer10", 1, 16, 10, 1, Conversion::None, 614400},
        {"Bayer12", 1, 16, 12, 1, Conversion::None, 614400},
        {"Bayer12Packed", 1, 16, 12, 1, Conversion::Unpack12Packed, 614400},
        {"Bayer16", 1, 16, 16, 1, Conversion::None, 614400},
        {"Rgb24", 3, 8, 8, 3, Conversion::None, 921600},
        {"Bgr24", 3, 8, 8, 8, Conversion::None, 921600},
        {"Rgba32", 4, 8, 8, 7, Conversion::None, 1228800},
        {"Bgra32", 4, 8, 8, 12, Conversion::None, 1228800},
        {"Yuv444", 3, 8, 8, 3, Conversion::Yuv444ToRgb, 921600},
        {"Yuv422", 3, 8, 8, 3, Conversion::Yuv422ToRgb, 921600},
        {"Yuv411", 3, 8, 8, 3, Conversion::Yuv411ToRgb, 921600},
    };
    ASSERT_EQ(std::size(rows), PixelFormatTable().size());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        g_cam.format = row.name;
        g_cam.reg = 0x01100007; // a 16-bit container as the register reports it: 16 significant bits
        LiveGfxMode mode = Mode();
        EXPECT_EQ(row.components, mode.NumComponents());
        EXPECT_EQ(row.allocated, mode.AllocatedBitPerComponent());
        EXPECT_EQ(row.bits, mode.BitPerComponent());
        EXPECT_EQ(row.coding, mode.ColorCoding());
        EXPECT_EQ(ConversionFunction(row.conversion), mode.ConversionFunction());
        EXPECT_EQ(row.conversion == Conversion::None, mode.ConversionFunction() == nullptr);
        EXPECT_EQ(row.bytes640x480, FrameBufferBytes(mode.NumComponents(), mode.AllocatedBitPerComponent(), 480, 640));
    }
    // Lower and mixed case are the same names.
    for (const char* name : {"mono8", "MONO12PACKED", "yUv422"}) {
        SCOPED_TRACE(name);
        g_cam.format = name;
        EXPECT_NE(0u, Mode().NumComponents());
    }
    EXPECT_EQ(614400u, Mode().IntermediateBufferSize());
    EXPECT_EQ(640u, Mode().Width());
    EXPECT_EQ(480u, Mode().Height());
}

TEST_F(LiveGfxModeTest, UnsupportedFormatGivesZeroAndOneLineEach)
{
    g_cam.format = "Mono14";
    LiveGfxMode mode = Mode();
    EXPECT_EQ(0u, mode.NumComponents());
    EXPECT_EQ(0u, mode.AllocatedBitPerComponent());
    EXPECT_EQ(0u, mode.BitPerComponent());
    EXPECT_EQ(UG_CC_MONO, mode.ColorCoding());
    EXPECT_EQ(nullptr, mode.ConversionFunction());
    EXPECT_EQ(0u, mode.CFAxOffset());
    const std::string tail = ": MkAttrEnumGet reports pixelformat Mono14 which is not supported!";
    EXPECT_EQ((std::vector<std::string>{
                  "0 CUnifiedGfxModeZelmkAPI::GetNumComponents" + tail,
                  "0 CUnifiedGfxModeZelmkAPI::GetAllocatedBitPerComponent" + tail,
                  "0 CUnifiedGfxModeZelmkAPI::GetBitPerComponent" + tail,
                  "0 CUnifiedGfxModeZelmkAPI::GetColorCoding" + tail,
                  "0 CUnifiedGfxModeZelmkAPI::GetColorCoding" + tail,
                  "0 CUnifiedGfxModeZelmkAPI::GetColorCoding" + tail,
              }),
              m_lines);
    EXPECT_EQ(0, g_cam.regReads);
}

TEST_F(LiveGfxModeTest, NullHandleAndFailedReads)
{
    struct Case {
        const char* what;
        MkHandle handle;
        uint32_t code;
        std::vector<std::string> lines;
    };
    const std::string p = "0 CUnifiedGfxModeZelmkAPI::";
    const Case cases[] = {
        {"null handle", nullptr, 0, {p + "GetxRes: camera handle is NULL -> cannot get width", p + "GetyRes: camera handle is NULL -> cannot get height", p + "GetIntermediateBufferSize: camera handle is NULL -> cannot get TotalBytesPerFrame", p + "GetNumComponents: camera handle is NULL -> cannot get pixelformat", p + "GetColorCoding: camera handle is NULL -> cannot get pixelformat"}},
        {"failing reads", reinterpret_cast<MkHandle>(1), 8, {p + "GetxRes: MkAttrUint32Get reports error -> cannot get width", p + "GetyRes: MkAttrUint32Get reports error -> cannot get height", p + "GetIntermediateBufferSize: MkAttrUint32Get reports error -> cannot get TotalBytesPerFrame", p + "GetNumComponents: MkAttrEnumGet reports error -> cannot get pixelformat", p + "GetColorCoding: MkAttrEnumGet reports error -> cannot get pixelformat"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_lines.clear();
        g_cam.u32Code = c.code;
        g_cam.formatCode = c.code;
        LiveGfxMode mode = Mode(c.handle);
        EXPECT_EQ(0u, mode.Width());
        EXPECT_EQ(0u, mode.Height());
        EXPECT_EQ(0u, mode.IntermediateBufferSize());
        EXPECT_EQ(0u, mode.NumComponents());
        EXPECT_EQ(nullptr, mode.ConversionFunction());
        EXPECT_EQ(c.lines, m_lines);
    }
    // No library table at all answers as a null handle does, without calling anything.
    m_lines.clear();
    EXPECT_EQ(0u, LiveGfxMode(nullptr, reinterpret_cast<MkHandle>(1), m_sink).Width());
    EXPECT_EQ(std::vector<std::string>{p + "GetxRes: camera handle is NULL -> cannot get width"}, m_lines);
}

TEST_F(LiveGfxModeTest, SixteenBitContainersAskTheRegister)
{
    struct Case {
        const char* format;
        uint32_t reg, regCode, bits;
        std::vector<std::string> lines;
    };
    const std::string p = "CUnifiedGfxModeZelmkAPI::GetBitStartComponent: ";
    const Case cases[] = {
        {"Mono16", 0x01100005, 0, 12, {"1 " + p + "read pixel format from absolute address 0x00012120 -> 0x01100005"}},
        {"Mono16", 0x01100007, 0, 16, {"1 " + p + "read pixel format from absolute address 0x00012120 -> 0x01100007"}},
        {"Mono16", 0x01100025, 0, 14, {"1 " + p + "read pixel format from absolute address 0x00012120 -> 0x01100025"}},
        {"Bayer16", 0x0110000E, 0, 10, {"1 " + p + "read pixel format from absolute address 0x00012120 -> 0x0110000E"}},
        {"Mono16", 0x01080001, 0, 16, {"1 " + p + "read pixel format from absolute address 0x00012120 -> 0x01080001", "0 " + p + "unknown pixel format, assuming 16 BPC"}},
        {"Mono16", 0, 8, 16, {"0 " + p + "unable to read pixel format from absolute address 0x00012120, assuming Mono16."}},
        {"Mono12", 0x01100007, 0, 12, {}}, // not a 16-bit container: the table alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.format << " " << std::hex << c.reg);
        m_lines.clear();
        g_cam.format = c.format;
        g_cam.reg = c.reg;
        g_cam.regCode = c.regCode;
        EXPECT_EQ(c.bits, Mode().BitPerComponent());
        EXPECT_EQ(c.lines, m_lines);
    }
}

TEST_F(LiveGfxModeTest, ColourFilterOffsetsFromTheRegister)
{
    // Every layout of every depth: GR 0,0; RG 1,0; GB 1,1; BG 0,1.
    const uint32_t bases[] = {0x01080008, 0x0110000C, 0x01100010, 0x010C002A, 0x0110002E};
    const CfaOffsets layouts[] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    g_cam.format = "Bayer8";
    for (uint32_t base : bases)
        for (uint32_t layout = 0; layout < 4; ++layout) {
            SCOPED_TRACE(testing::Message() << std::hex << base + layout);
            g_cam.reg = base + layout;
            EXPECT_EQ(layouts[layout].x, Mode().CFAxOffset());
            EXPECT_EQ(layouts[layout].y, Mode().CFAyOffset());
        }
    m_lines.clear();
    g_cam.reg = 0x0108000B;
    EXPECT_EQ(0u, Mode().CFAxOffset());
    EXPECT_EQ(1u, Mode().CFAyOffset());
    EXPECT_EQ((std::vector<std::string>{
                  "1 CUnifiedGfxModeZelmkAPI::GetCFAxOffset: read pixel format from absolute address 0x00012120 -> 0x0108000B",
                  "1 CUnifiedGfxModeZelmkAPI::GetCFAyOffset: read pixel format from absolute address 0x00012120 -> 0x0108000B"}),
              m_lines);

    // Not raw colour-filter data: 0 without reading the register.
    g_cam.format = "Rgb24";
    g_cam.regReads = 0;
    EXPECT_EQ(0u, Mode().CFAxOffset());
    EXPECT_EQ(0u, Mode().CFAyOffset());
    EXPECT_EQ(0, g_cam.regReads);

    m_lines.clear();
    g_cam.format = "Bayer12";
    g_cam.reg = 0x01100005;
    EXPECT_EQ(0u, Mode().CFAyOffset());
    g_cam.regCode = 3;
    EXPECT_EQ(0u, Mode().CFAxOffset());
    EXPECT_EQ((std::vector<std::string>{
                  "1 CUnifiedGfxModeZelmkAPI::GetCFAyOffset: read pixel format from absolute address 0x00012120 -> 0x01100005",
                  "0 CUnifiedGfxModeZelmkAPI::GetCFAyOffset: unknown pixel format, assuming 0",
                  "0 CUnifiedGfxModeZelmkAPI::GetCFAxOffset: MkAttrEnumGet reports error -> cannot get pixelformat"}),
              m_lines);
}

TEST(GfxModeTablesTest, SizesAndConversionBytes)
{
    EXPECT_EQ(921600u, FrameBufferBytes(3, 8, 480, 640));
    EXPECT_EQ(614400u, FrameBufferBytes(1, 16, 480, 640));
    EXPECT_EQ(0u, FrameBufferBytes(0, 16, 480, 640));
    // 2^32 bytes fit the product; 4 x 16 x 2^32 x 2^32 bits do not fit 64 bits and saturate.
    EXPECT_EQ(uint64_t(1) << 32, FrameBufferBytes(1, 8, 65536, 65536));
    EXPECT_EQ(UINT64_MAX, FrameBufferBytes(4, 16, 0xFFFFFFFF, 0xFFFFFFFF));

    const UG_CONVERSION_FUNCTION unpack = ConversionFunction(Conversion::Unpack12Packed);
    EXPECT_EQ(5u, ConversionSourceBytes(unpack, 3));
    EXPECT_EQ(6u, ConversionDestinationBytes(unpack, 3));
    EXPECT_EQ(2u * 640 * 480, ConversionSourceBytes(ConversionFunction(Conversion::Yuv422ToRgb), 640 * 480));
    EXPECT_EQ(0u, ConversionSourceBytes(nullptr, 100));
    EXPECT_EQ(Conversion::Yuv411ToRgb, ConversionOf(ConversionFunction(Conversion::Yuv411ToRgb)));

    // The routines are the kernels: three packed pixels.
    const uint8_t packed[5] = {0xAB, 0x3C, 0xDE, 0x12, 0x04};
    uint8_t words[6] = {};
    unpack(packed, words, 3);
    EXPECT_EQ((std::vector<uint8_t>{0xBC, 0x0A, 0xE3, 0x0D, 0x24, 0x01}), std::vector<uint8_t>(words, words + 6));
    EXPECT_FALSE(SignificantBitsOf(0x01080001).has_value());
    EXPECT_FALSE(CfaOffsetsOf(0x01100005).has_value());
}

} // namespace
} // namespace zelmk
