// One simulated camera: the pixel-format register, attributes with their rules and
// impacts, volatile values, and acquisition into queued buffers with drops counted.
#include "gige_sim/SimCamera.h"
#include "mk_api/MkApi.h"
#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace gigesim {
namespace {

using mkapi::AttrValue;
using testing::RecordingSink;

CameraSetup monoSetup()
{
    CameraSetup s;
    s.uniqueId = 7;
    s.sensorWidth = 640, s.sensorHeight = 480, s.sensorBits = 12;
    return s;
}

CameraSetup colourSetup(BayerLayout layout)
{
    CameraSetup s = monoSetup();
    s.colour = true;
    s.layout = layout;
    return s;
}

uint32_t u32(const SimCamera& c, const char* name)
{
    AttrValue v;
    EXPECT_EQ(c.get(name, MK_ATTR_UINT32, v, 0), 0u) << name;
    return std::get<uint32_t>(v);
}

uint32_t pixelRegister(SimCamera& c)
{
    uint32_t v = 0;
    EXPECT_EQ(c.readRegister(kPixelFormatRegister, v, 0), 0u);
    return v;
}

TEST(SimCamera, PixelFormatRegisterHoldsTheCodeOfWhatIsSent)
{
    const struct {
        const char* format;
        uint32_t sensorBits;
        BayerLayout layout;
        bool colour;
        uint32_t code;
    } cases[] = {
        {"Mono8", 12, BayerLayout::RG, false, 0x01080001},
        {"Mono12Packed", 12, BayerLayout::RG, false, 0x010C0006},
        {"Mono16", 12, BayerLayout::RG, false, 0x01100005}, // a 12-bit sensor says Mono12
        {"Mono16", 16, BayerLayout::RG, false, 0x01100007},
        {"Mono16", 10, BayerLayout::RG, false, 0x01100003},
        {"Mono14", 14, BayerLayout::RG, false, 0x01100025},
        {"Bayer8", 12, BayerLayout::BG, true, 0x0108000B},
        {"Bayer8", 12, BayerLayout::GR, true, 0x01080008},
        {"Bayer12Packed", 12, BayerLayout::GB, true, 0x010C002C},
        {"Bayer16", 12, BayerLayout::RG, true, 0x01100011},
        {"Bayer16", 16, BayerLayout::RG, true, 0x0110002F},
        {"Rgb24", 12, BayerLayout::RG, true, 0x02180014},
        {"Bgra32", 12, BayerLayout::RG, true, 0x02200017},
        {"Yuv411", 12, BayerLayout::RG, true, 0x020C001E},
        {"Yuv422", 12, BayerLayout::RG, true, 0x0210001F},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " on " + std::to_string(c.sensorBits) + " bits");
        CameraSetup setup = c.colour ? colourSetup(c.layout) : monoSetup();
        setup.sensorBits = c.sensorBits;
        SimCamera camera(setup);
        ASSERT_EQ(camera.set("PixelFormat", MK_ATTR_ENUM, std::string(c.format), 0), 0u);
        EXPECT_EQ(pixelRegister(camera), c.code) << std::hex << "expected 0x" << c.code;
    }
}

TEST(SimCamera, WritingThePixelFormatRegisterSelectsTheFormat)
{
    SimCamera camera(monoSetup());
    EXPECT_EQ(camera.writeRegister(kPixelFormatRegister, 0x010C0006, 0), 0u);
    EXPECT_EQ(camera.valueText("PixelFormat", 0), "Mono12Packed");
    EXPECT_EQ(camera.writeRegister(kPixelFormatRegister, 0x02180014, 0), uint32_t(MK_ERR_OUT_OF_RANGE))
        << "a mono camera sends no RGB";
}

TEST(SimCamera, AttributesCoverEveryTypeAndCategory)
{
    SimCamera camera(colourSetup(BayerLayout::RG));
    const auto& names = camera.attributeNames();
    EXPECT_GE(names.size(), 30u);
    std::set<uint32_t> types;
    std::set<std::string> categories;
    for (const std::string& name : names) {
        mkapi::AttrDescription d;
        ASSERT_EQ(camera.describe(name, d), 0u) << name;
        types.insert(d.type);
        categories.insert(d.category.substr(0, d.category.find('/', 1)));
        EXPECT_EQ(d.category.front(), '/') << name;
    }
    for (uint32_t type = MK_ATTR_COMMAND; type <= MK_ATTR_BOOLEAN; ++type) EXPECT_TRUE(types.count(type)) << type;
    EXPECT_TRUE(types.count(11)) << "an unknown type is among them";
    for (const char* category :
         {"/DeviceInformation", "/ImageFormat", "/Acquisition", "/Exposure", "/GigE", "/Statistics", "/SerialPorts"})
        EXPECT_TRUE(categories.count(category)) << category;
    for (const char* name : {"Width", "Height", "PixelFormat", "TotalBytesPerFrame", "PacketSize", "GvcpRetries",
                             "AcquisitionStart", "AcquisitionStop"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

TEST(SimCamera, RulesAnswerWithTheirCodes)
{
    struct Step {
        const char* name;
        const char* value; // null: run the command
        uint32_t code;
    };
    const struct {
        const char* what;
        std::vector<Step> steps;
    } cases[] = {
        {"width off its increment", {{"Width", "642", MK_ERR_OUT_OF_RANGE}}},
        {"width beyond the sensor", {{"Width", "644", MK_ERR_OUT_OF_RANGE}}},
        {"unknown attribute", {{"Nothing", "1", MK_ERR_NOT_FOUND}}},
        {"user name too long", {{"DeviceUserID", "0123456789012345678901234567890123", MK_ERR_OUT_OF_RANGE}}},
        {"enumeration value unknown", {{"PixelFormat", "Rgb24", MK_ERR_OUT_OF_RANGE}}},
        {"frame count only for multi-frame", {{"AcquisitionFrameCount", "5", MK_ERR_UNAVAILABLE}}},
        {"frame count in multi-frame",
         {{"AcquisitionMode", "MultiFrame", 0}, {"AcquisitionFrameCount", "5", 0}}},
        {"software trigger only when triggered", {{"TriggerSoftware", nullptr, MK_ERR_UNAVAILABLE}}},
        {"exposure under automatic control", {{"ExposureAuto", "Continuous", 0}, {"ExposureTimeAbs", "100", MK_ERR_UNAVAILABLE}}},
        {"format fixed while acquiring",
         {{"AcquisitionStart", nullptr, 0}, {"PixelFormat", "Mono16", MK_ERR_FORBIDDEN}, {"Width", "320", MK_ERR_FORBIDDEN}, {"PacketSize", "8000", MK_ERR_FORBIDDEN}, {"Gain", "3", 0}, {"AcquisitionStop", nullptr, 0}, {"Width", "320", 0}}},
        {"offset left invalid blocks acquisition",
         {{"Width", "320", 0}, {"OffsetX", "320", 0}, {"Width", "640", 0}, {"AcquisitionStart", nullptr, MK_ERR_INVALID_SETUP}}},
        {"command is no value", {{"AcquisitionStart", "1", MK_ERR_WRONG_TYPE}}},
        {"raw data takes no typed value", {{"UserData", "1", MK_ERR_WRONG_TYPE}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SimCamera camera(monoSetup());
        for (const Step& step : c.steps) {
            SCOPED_TRACE(step.name);
            const uint32_t code = step.value ? camera.setFromText(step.name, step.value, 0) : camera.run(step.name, 0);
            EXPECT_EQ(code, step.code);
        }
    }
}

TEST(SimCamera, WrongAccessFunctionIsWrongType)
{
    SimCamera camera(monoSetup());
    AttrValue v;
    mkapi::AttrRange r;
    EXPECT_EQ(camera.get("Width", MK_ATTR_FLOAT32, v, 0), uint32_t(MK_ERR_WRONG_TYPE));
    EXPECT_EQ(camera.get("PixelFormat", MK_ATTR_STRING, v, 0), uint32_t(MK_ERR_WRONG_TYPE));
    EXPECT_EQ(camera.set("Gain", MK_ATTR_UINT32, uint32_t(1), 0), uint32_t(MK_ERR_WRONG_TYPE));
    EXPECT_EQ(camera.range("DeviceUserID", MK_ATTR_STRING, r), uint32_t(MK_ERR_WRONG_TYPE));
    EXPECT_EQ(camera.run("Width", 0), uint32_t(MK_ERR_WRONG_TYPE));
    EXPECT_EQ(camera.set("DeviceModelName", MK_ATTR_STRING, std::string("x"), 0), uint32_t(MK_ERR_FORBIDDEN))
        << "read-only";
    EXPECT_EQ(camera.get("ChunkLayout", MK_ATTR_UINT32, v, 0), uint32_t(MK_ERR_WRONG_TYPE));
}

TEST(SimCamera, ImpactsAreTrueAndValidityFollowsTheRegion)
{
    SimCamera camera(monoSetup());
    mkapi::AttrDescription width, format;
    ASSERT_EQ(camera.describe("Width", width), 0u);
    ASSERT_EQ(camera.describe("PixelFormat", format), 0u);
    EXPECT_NE(width.impacts.find("TotalBytesPerFrame"), std::string::npos);
    EXPECT_NE(format.impacts.find("TotalBytesPerFrame"), std::string::npos);
    EXPECT_EQ(u32(camera, "TotalBytesPerFrame"), 640u * 480);
    ASSERT_EQ(camera.setFromText("PixelFormat", "Mono16", 0), 0u);
    EXPECT_EQ(u32(camera, "TotalBytesPerFrame"), 640u * 480 * 2);
    ASSERT_EQ(camera.setFromText("Width", "320", 0), 0u);
    EXPECT_EQ(u32(camera, "TotalBytesPerFrame"), 320u * 480 * 2);
    ASSERT_EQ(camera.setFromText("PixelFormat", "Mono12Packed", 0), 0u);
    EXPECT_EQ(u32(camera, "TotalBytesPerFrame"), 320u * 480 * 3 / 2);

    mkapi::AttrRange r;
    ASSERT_EQ(camera.range("OffsetX", MK_ATTR_UINT32, r), 0u);
    EXPECT_EQ(std::get<uint32_t>(r.maximum), 320u) << "the region may move as far as the sensor reaches";
    ASSERT_EQ(camera.setFromText("OffsetX", "200", 0), 0u);
    EXPECT_EQ(camera.isValid("OffsetX"), 0u);
    ASSERT_EQ(camera.setFromText("Width", "600", 0), 0u);
    EXPECT_EQ(camera.isValid("OffsetX"), uint32_t(MK_ERR_OUT_OF_RANGE)) << "a wider region left the offset invalid";
    EXPECT_EQ(camera.isValid("Width"), 0u);
}

TEST(SimCamera, VolatileValuesChangeByThemselves)
{
    SimCamera camera(monoSetup());
    mkapi::AttrDescription d;
    ASSERT_EQ(camera.describe("DeviceTemperature", d), 0u);
    EXPECT_TRUE(d.flags & MK_FLAG_VOLATILE);
    AttrValue early, late;
    ASSERT_EQ(camera.get("DeviceTemperature", MK_ATTR_FLOAT32, early, 0), 0u);
    ASSERT_EQ(camera.get("DeviceTemperature", MK_ATTR_FLOAT32, late, 3000000), 0u);
    EXPECT_NE(std::get<float>(early), std::get<float>(late));
    ASSERT_EQ(camera.get("TimestampValue", MK_ATTR_INT64, early, 5000), 0u);
    EXPECT_EQ(std::get<int64_t>(early), 5000);
    ASSERT_EQ(camera.run("TimestampReset", 5000), 0u);
    ASSERT_EQ(camera.get("TimestampValue", MK_ATTR_INT64, late, 7000), 0u);
    EXPECT_EQ(std::get<int64_t>(late), 2000);
}

TEST(SimCamera, FramesFillQueuedBuffersInOrderAndDropsAreCounted)
{
    CameraSetup setup = monoSetup();
    setup.initialValues = {{"Width", "64"}, {"Height", "8"}, {"AcquisitionFrameRate", "100"}};
    SimCamera camera(setup);
    RecordingSink sink;
    sink.queue(64 * 8);
    sink.queue(64 * 8);
    camera.setSink(&sink);
    const uint64_t t0 = 1000000, period = 10000;
    ASSERT_EQ(camera.run("AcquisitionStart", t0), 0u);
    EXPECT_EQ(camera.nextDueUs(), t0 + period);
    camera.advance(t0 + 5 * period);
    ASSERT_EQ(sink.done.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sink.done[i].token, i) << "buffers fill oldest first";
        EXPECT_EQ(sink.done[i].result.status, 0u);
        EXPECT_EQ(sink.done[i].result.frameNumber, i + 1);
        EXPECT_EQ(sink.done[i].stamp, i + 1) << "the frame carries its number";
        EXPECT_EQ(sink.done[i].result.bytes, 64u * 8);
        EXPECT_EQ(sink.done[i].result.pixelFormat, 0x01080001u);
        EXPECT_EQ(sink.done[i].result.timestampUs, t0 + (i + 1) * period);
    }
    EXPECT_NE(std::vector<uint8_t>(sink.buffer(0).begin() + 4, sink.buffer(0).end()),
              std::vector<uint8_t>(sink.buffer(1).begin() + 4, sink.buffer(1).end()))
        << "the pattern moves from frame to frame";
    EXPECT_EQ(u32(camera, "StatFramesDropped"), 3u);
    EXPECT_EQ(u32(camera, "StatFramesCompleted"), 2u);
    EXPECT_EQ(std::count(sink.events.begin(), sink.events.end(), uint32_t(MK_EVENT_FRAME_DROPPED)), 3);

    sink.requeue(0);
    camera.advance(t0 + 6 * period);
    ASSERT_EQ(sink.done.size(), 3u);
    EXPECT_EQ(sink.done[2].stamp, 6u) << "frames 3 to 5 are missing, and it shows";
}

TEST(SimCamera, FrameFormatsFillWholeBuffersOfTheRightSize)
{
    const struct {
        const char* format;
        uint32_t bytes;
    } cases[] = {{"Mono8", 64 * 4}, {"Bayer12Packed", 64 * 4 * 3 / 2}, {"Yuv422", 64 * 4 * 2}, {"Yuv411", 64 * 4 * 3 / 2}, {"Rgba32", 64 * 4 * 4}, {"Rgb48", 64 * 4 * 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        CameraSetup setup = colourSetup(BayerLayout::RG);
        setup.initialValues = {{"Width", "64"}, {"Height", "4"}, {"PixelFormat", c.format}};
        SimCamera camera(setup);
        EXPECT_EQ(u32(camera, "TotalBytesPerFrame"), c.bytes);
        RecordingSink sink;
        sink.queue(c.bytes);
        sink.queue(c.bytes - 1);
        camera.setSink(&sink);
        ASSERT_EQ(camera.run("AcquisitionStart", 0), 0u);
        camera.advance(1000000);
        ASSERT_GE(sink.done.size(), 2u);
        EXPECT_EQ(sink.done[0].result.status, 0u);
        EXPECT_EQ(sink.done[0].result.bytes, c.bytes);
        EXPECT_EQ(sink.done[1].result.status, uint32_t(MK_ERR_BUFFER_TOO_SMALL));
        EXPECT_EQ(sink.done[1].result.bytes, 0u);
    }
}

TEST(SimCamera, AcquisitionModesEndByThemselves)
{
    const struct {
        const char* mode;
        uint32_t frames;
    } cases[] = {{"SingleFrame", 1}, {"MultiFrame", 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        CameraSetup setup = monoSetup();
        setup.initialValues = {{"Width", "16"}, {"Height", "2"}, {"AcquisitionMode", c.mode}, {"AcquisitionFrameCount", "3"}};
        SimCamera camera(setup);
        RecordingSink sink;
        for (int i = 0; i < 5; ++i) sink.queue(32);
        camera.setSink(&sink);
        ASSERT_EQ(camera.run("AcquisitionStart", 0), 0u);
        camera.advance(10000000);
        EXPECT_EQ(sink.done.size(), c.frames);
        EXPECT_FALSE(camera.acquiring());
        EXPECT_EQ(sink.events.back(), uint32_t(MK_EVENT_ACQUISITION_END));
    }
}

TEST(SimCamera, SoftwareTriggerMakesOneFrameEach)
{
    CameraSetup setup = monoSetup();
    setup.initialValues = {{"Width", "16"}, {"Height", "2"}, {"TriggerMode", "On"}};
    SimCamera camera(setup);
    RecordingSink sink;
    for (int i = 0; i < 3; ++i) sink.queue(32);
    camera.setSink(&sink);
    ASSERT_EQ(camera.run("AcquisitionStart", 0), 0u);
    camera.advance(10000000);
    EXPECT_TRUE(sink.done.empty()) << "no frames without a trigger";
    EXPECT_EQ(camera.nextDueUs(), mkapi::Backend::kNever);
    ASSERT_EQ(camera.run("TriggerSoftware", 10000000), 0u);
    ASSERT_EQ(camera.run("TriggerSoftware", 10000001), 0u);
    ASSERT_EQ(sink.done.size(), 2u);
    EXPECT_EQ(sink.done[1].result.frameNumber, 2u);
}

TEST(SimCamera, SerialPortsSitAtTheirBases)
{
    CameraSetup setup = monoSetup();
    setup.serialPorts = 2;
    SimCamera camera(setup);
    const struct {
        uint32_t address;
        uint32_t code, value;
    } cases[] = {
        {0x16000, 0, 3},
        {0x60000, 0, 3},
        {0x61000, 0, 0},
        {0x61100, MK_ERR_BAD_PARAMETER, 0},
        {0x16100, 0, SerialPort::kAllSettings},
        {0x12345, MK_ERR_BAD_PARAMETER, 0},
        {0x50000, MK_ERR_BAD_PARAMETER, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        uint32_t v = 0;
        EXPECT_EQ(camera.readRegister(c.address, v, 0), c.code);
        if (c.code == 0) {
            EXPECT_EQ(v, c.value);
        }
    }
    EXPECT_EQ(camera.writeRegister(0x16104, 5 | 3u << 10, 0), 0u);
    uint32_t v = 0;
    EXPECT_EQ(camera.readRegister(0x16104, v, 0), 0u);
    EXPECT_EQ(v, 5u | 3u << 10);
}

} // namespace
} // namespace gigesim
