// Faults switched at run time, the control commands' answers, the description file's
// fallback to the built-in network, and the colour interpolation utility.
#include "LibraryTestSupport.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace mkapi::testing {
namespace {

TEST_F(LibraryTest, NamedFunctionsFailAsToldThenRecover)
{
    EXPECT_EQ(control("fail MkCameraOpen 10 2"), "ok");
    MkHandle h = nullptr;
    EXPECT_EQ(MkCameraOpen(kMono, MK_ACCESS_MASTER, &h), 10u);
    EXPECT_EQ(MkCameraOpen(kMono, MK_ACCESS_MASTER, &h), 10u);
    EXPECT_EQ(MkCameraOpen(kMono, MK_ACCESS_MASTER, &h), 0u) << "two failures, then the real answer";
    EXPECT_EQ(control("fail MkAttrUint32Get 1 always"), "ok");
    uint32_t v = 0;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(MkAttrUint32Get(h, "Width", &v), 1u);
    EXPECT_EQ(control("fail MkAttrUint32Get off"), "ok");
    EXPECT_EQ(MkAttrUint32Get(h, "Width", &v), 0u);
    EXPECT_EQ(control("fail MkCameraCount 2"), "ok");
    EXPECT_EQ(MkCameraCount(), 0u) << "a failing count counts nothing";
    EXPECT_EQ(MkCameraCount(), 2u);
    EXPECT_EQ(control("fail MkCameraClose 2 once"), "ok");
    EXPECT_EQ(control("fail clear"), "ok");
    EXPECT_EQ(MkCameraClose(h), 0u);
}

TEST_F(LibraryTest, DelayedReplyComesAfterItsTimeOnTheLibrarysClock)
{
    EXPECT_EQ(control("delay MkCameraCount 500"), "ok");
    const uint64_t start = time.nowUs();
    std::atomic<uint64_t> answeredAt{0};
    std::atomic<uint32_t> count{99};
    std::thread caller([&] {
        count = MkCameraCount();
        answeredAt = time.nowUs();
    });
    for (int i = 0; i < 100000 && answeredAt == 0; ++i) {
        run(1000);
        std::this_thread::yield();
    }
    caller.join();
    EXPECT_EQ(count.load(), 2u) << "late, but the real answer";
    EXPECT_GE(answeredAt.load() - start, 500000u);
    EXPECT_EQ(MkCameraCount(), 2u) << "once by default";
}

void MKAPI_CALL ignoreFrame(MkFrame*) {}

TEST_F(LibraryTest, FramesCompleteWithTheInjectedStatus)
{
    MkHandle h = open();
    ASSERT_EQ(MkAttrUint32Set(h, "Width", 64), 0u);
    ASSERT_EQ(MkAttrUint32Set(h, "Height", 4), 0u);
    std::vector<std::vector<uint8_t>> data(4, std::vector<uint8_t>(256));
    std::vector<MkFrame> frames(4);
    ASSERT_EQ(MkCaptureStart(h), 0u);
    for (size_t i = 0; i < frames.size(); ++i) {
        std::memset(&frames[i], 0, sizeof frames[i]);
        frames[i].imageBuffer = data[i].data();
        frames[i].imageBufferSize = i == 3 ? 100 : 256;
        ASSERT_EQ(MkCaptureQueueFrame(h, &frames[i], ignoreFrame), 0u);
    }
    EXPECT_EQ(control("frame-status 15"), "ok");
    ASSERT_EQ(MkCommandRun(h, "AcquisitionStart"), 0u);
    run(1000000 / 30 + 1);
    EXPECT_EQ(control("frame-status 16 once"), "ok");
    for (int i = 0; i < 3; ++i) run(1000000 / 30 + 1);
    const struct {
        uint32_t status, bytes;
    } expected[] = {{MK_ERR_DATA_LOST, 0}, {MK_ERR_DATA_MISSING, 128}, {0, 256}, {MK_ERR_BUFFER_TOO_SMALL, 0}};
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(MkCaptureWaitForFrameDone(h, &frames[i], 0), 0u);
        EXPECT_EQ(frames[i].status, expected[i].status);
        EXPECT_EQ(frames[i].imageSize, expected[i].bytes);
    }
    MkCaptureEnd(h);
    MkCameraClose(h);
}

TEST_F(LibraryTest, ControlCommandsAnswerClearly)
{
    const struct {
        const char* command;
        uint32_t code;
        const char* reply;
    } cases[] = {
        {"explode", MK_ERR_NOT_FOUND, "error: unknown command 'explode'"},
        {"fail MkCameraOpen", MK_ERR_BAD_PARAMETER, "error: usage: fail FUNCTION CODE [once|N|always]"},
        {"fail MkCameraOpen 3 sometimes", MK_ERR_BAD_PARAMETER, "error: usage: fail FUNCTION CODE [once|N|always]"},
        {"delay MkCameraOpen", MK_ERR_BAD_PARAMETER, "error: usage: delay FUNCTION MS [once|N|always]"},
        {"frame-status 3", MK_ERR_BAD_PARAMETER, "error: usage: frame-status 15|16|0 [once|N|always]"},
        {"set 100001 Gain 2", 0, "ok"},
        {"get 100001 Gain", 0, "2.000000"},
        {"status", 0, "ok"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(control(c.command), c.reply);
        EXPECT_EQ(lastControlCode, c.code);
    }
    char small[4];
    EXPECT_EQ(MkSimControl("explode", small, sizeof small), uint32_t(MK_ERR_NOT_FOUND));
    EXPECT_STREQ(small, "err") << "the reply is cut to the buffer, always terminated";
    EXPECT_EQ(MkSimControl(nullptr, small, sizeof small), uint32_t(MK_ERR_BAD_PARAMETER));
}

TEST_F(LibraryTest, CallsBeforeInitialisationAreOutOfSequence)
{
    MkUnInitialize();
    MkHandle h = nullptr;
    EXPECT_EQ(MkCameraOpen(kMono, MK_ACCESS_MASTER, &h), uint32_t(MK_ERR_BAD_SEQUENCE));
    EXPECT_EQ(MkCameraCount(), 0u);
    char reply[64];
    EXPECT_EQ(MkSimControl("status", reply, sizeof reply), uint32_t(MK_ERR_BAD_SEQUENCE));
    EXPECT_STREQ(reply, "error: the library is not initialised");
    uint32_t major = 0, minor = 0;
    MkVersion(&major, &minor);
    EXPECT_EQ(major, 1u) << "the version needs no library";
    ASSERT_EQ(MkInitialize(), 0u);
}

TEST_F(LibraryTest, BadDescriptionGivesTheBuiltInNetworkAndSaysWhy)
{
    const struct {
        const char* text;
        const char* diagnostics;
    } cases[] = {
        {"[Camera A]\nUniqueId=1\nWidth=5\n", "net.ini:3: [Camera A] Width: unknown key\n"},
        {"[Library]\nBackends=simulated,warp\n[Camera A]\nUniqueId=1\n",
         "net.ini:2: [Library] Backends: unknown backend 'warp'\n"},
        {"[Cameras]\n", "net.ini:1: unknown section [Cameras]\n"},
        {"Key=1\n", "net.ini:1: key 'Key' before the first section\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        MkUnInitialize();
        composition = {};
        start(c.text, "net.ini");
        EXPECT_EQ(composition.diagnostics, std::string(c.diagnostics) + "serving the built-in network instead\n");
        EXPECT_EQ(MkCameraCount(), 2u) << "the built-in network serves";
        EXPECT_EQ(control("status"), composition.diagnostics);
    }
    MkUnInitialize();
    composition = {};
    start("[Library]\nBackends=simulated\n[Network]\nHostAddress=10.0.0.1\nHostMask=255.0.0.0\n"
          "[Camera Only]\nUniqueId=5\nAddress=10.0.0.9\nMask=255.0.0.0\n");
    EXPECT_EQ(composition.diagnostics, "");
    EXPECT_EQ(MkCameraCount(), 1u);
}

void setNetworkVariable(const std::string& value)
{
#ifdef _WIN32
    _putenv(("MKAPI_NETWORK=" + value).c_str());
#else
    if (value.empty())
        unsetenv("MKAPI_NETWORK");
    else
        setenv("MKAPI_NETWORK", value.c_str(), 1);
#endif
}

TEST(Composition, DescriptionBesideTheModuleOrNamedByTheVariable)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("mkapi_composition_" + std::to_string(std::rand()));
    std::filesystem::create_directories(folder);
    {
        std::ofstream("" + (folder / "mkApi.ini").string()) << "[Camera One]\nUniqueId=9\nAddress=192.168.10.9\n";
        std::ofstream("" + (folder / "other.ini").string()) << "[Camera One]\nUniqueId=9\nAddress=192.168.10\n";
    }
    ManualTime time;
    const struct {
        std::string variable, moduleFolder;
        size_t cameras; // reachable
        std::string file, diagnostics;
    } cases[] = {
        {"", folder.string(), 1, (folder / "mkApi.ini").string(), ""},
        {"", (folder / "none").string(), 2, "", ""},
        {(folder / "other.ini").string(), folder.string(), 2, (folder / "other.ini").string(),
         (folder / "other.ini").string() +
             ":3: [Camera One] Address: expected an address a.b.c.d, got '192.168.10'\n"
             "serving the built-in network instead\n"},
        {(folder / "missing.ini").string(), folder.string(), 2, (folder / "missing.ini").string(),
         (folder / "missing.ini").string() +
             ": cannot be read (named by MKAPI_NETWORK)\nserving the built-in network instead\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variable + " | " + c.moduleFolder);
        setNetworkVariable(c.variable);
        Composition composition;
        auto library = composeLibrary(c.moduleFolder, time, false, composition);
        ASSERT_TRUE(library);
        EXPECT_EQ(library->cameraCount(), c.cameras);
        EXPECT_EQ(composition.file, c.file);
        EXPECT_EQ(composition.diagnostics, c.diagnostics);
    }
    setNetworkVariable("");
    std::filesystem::remove_all(folder);
}

MkFrame rawFrame(const void* data, uint32_t bytes, uint32_t width, uint32_t height, uint32_t code)
{
    MkFrame frame;
    std::memset(&frame, 0, sizeof frame);
    frame.imageBuffer = const_cast<void*>(data);
    frame.imageSize = bytes;
    frame.width = width, frame.height = height, frame.pixelFormat = code;
    return frame;
}

TEST(ColorInterpolate, BayerCellsGiveTheirColours)
{
    // One 2x2 frame per layout: the values name their places. Red and blue have one sample
    // each; green keeps its own sample and is the mean of both elsewhere.
    const uint8_t cell[4] = {10, 20, 30, 40}; // (0,0) (1,0) / (0,1) (1,1)
    const struct {
        uint32_t code;
        uint8_t r, g, b;
        bool green[4]; // which places are green
    } cases[] = {
        {0x01080008, 20, 25, 30, {true, false, false, true}}, // GR: G R / B G
        {0x01080009, 10, 25, 40, {false, true, true, false}}, // RG: R G / G B
        {0x0108000A, 30, 25, 20, {true, false, false, true}}, // GB: G B / R G
        {0x0108000B, 40, 25, 10, {false, true, true, false}}, // BG: B G / G R
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        MkFrame frame = rawFrame(cell, 4, 2, 2, c.code);
        uint8_t rgb[12] = {}, bgr[12] = {};
        ASSERT_EQ(MkUtilityColorInterpolate(&frame, rgb, sizeof rgb, 0x02180014), 0u);
        ASSERT_EQ(MkUtilityColorInterpolate(&frame, bgr, sizeof bgr, 0x02180015), 0u);
        for (int p = 0; p < 4; ++p) {
            const uint8_t g = c.green[p] ? cell[p] : c.g;
            EXPECT_EQ(rgb[p * 3], c.r);
            EXPECT_EQ(rgb[p * 3 + 1], g);
            EXPECT_EQ(rgb[p * 3 + 2], c.b);
            EXPECT_EQ(bgr[p * 3], c.b);
            EXPECT_EQ(bgr[p * 3 + 1], g);
            EXPECT_EQ(bgr[p * 3 + 2], c.r);
        }
        EXPECT_EQ(MkUtilityColorInterpolate(&frame, rgb, 11, 0x02180014), uint32_t(MK_ERR_BUFFER_TOO_SMALL));
        EXPECT_EQ(MkUtilityColorInterpolate(&frame, rgb, sizeof rgb, 0x01080001), uint32_t(MK_ERR_BAD_PARAMETER));
    }
}

enum class Packing { Bytes,
                     Words,
                     Packed12 };

std::vector<uint8_t> pack(const std::vector<uint16_t>& samples, Packing packing)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < samples.size(); ++i) {
        const uint16_t v = samples[i];
        if (packing == Packing::Bytes) {
            out.push_back(uint8_t(v));
        } else if (packing == Packing::Words) {
            out.push_back(uint8_t(v)), out.push_back(uint8_t(v >> 8));
        } else if (i % 2 == 0) { // b0 = high 8 bits, low nibble in b1's low half
            out.push_back(uint8_t(v >> 4)), out.push_back(uint8_t(v & 0x0F));
        } else {
            out.back() |= uint8_t((v & 0x0F) << 4);
            out.push_back(uint8_t(v >> 4));
        }
    }
    return out;
}

// The plain definition: a pixel keeps its own sample; every other colour is the rounded
// mean of that colour's samples in the 3x3 window around it, cut off at the frame's edge;
// then the top eight significant bits, saturated. `cfa` is the 2x2 cell, row by row.
std::vector<uint8_t> reference(const std::vector<uint16_t>& s, uint32_t w, uint32_t h, const char* cfa, uint32_t bits)
{
    const auto colour = [&](int x, int y) {
        const char c = cfa[(y % 2) * 2 + x % 2];
        return c == 'R' ? 0 : c == 'G' ? 1
                                       : 2;
    };
    std::vector<uint8_t> out;
    for (int y = 0; y < int(h); ++y)
        for (int x = 0; x < int(w); ++x)
            for (int want = 0; want < 3; ++want) {
                uint32_t value = s[y * w + x];
                if (*cfa && colour(x, y) != want) {
                    uint32_t sum = 0, n = 0;
                    for (int yy = y - 1; yy <= y + 1; ++yy)
                        for (int xx = x - 1; xx <= x + 1; ++xx)
                            if (xx >= 0 && yy >= 0 && xx < int(w) && yy < int(h) && colour(xx, yy) == want)
                                sum += s[yy * w + xx], ++n;
                    value = (sum + n / 2) / n;
                }
                out.push_back(uint8_t(std::min<uint32_t>(value >> (bits - 8), 255)));
            }
    return out;
}

TEST(ColorInterpolate, EveryRawFormatMatchesThePlainDefinitionBordersIncluded)
{
    const struct {
        const char* name;
        uint32_t code, bits;
        const char* cfa; // "" for monochrome
        Packing packing;
    } formats[] = {
        {"BayerGR8", 0x01080008, 8, "GRBG", Packing::Bytes},
        {"BayerRG8", 0x01080009, 8, "RGGB", Packing::Bytes},
        {"BayerGB8", 0x0108000A, 8, "GBRG", Packing::Bytes},
        {"BayerBG8", 0x0108000B, 8, "BGGR", Packing::Bytes},
        {"BayerGR10", 0x0110000C, 10, "GRBG", Packing::Words},
        {"BayerRG12", 0x01100011, 12, "RGGB", Packing::Words},
        {"BayerBG12", 0x01100013, 12, "BGGR", Packing::Words},
        {"BayerGB16", 0x01100030, 16, "GBRG", Packing::Words},
        {"BayerRG16", 0x0110002F, 16, "RGGB", Packing::Words},
        {"BayerBG12Packed", 0x010C002D, 12, "BGGR", Packing::Packed12},
        {"BayerGR12Packed", 0x010C002A, 12, "GRBG", Packing::Packed12},
        {"Mono8", 0x01080001, 8, "", Packing::Bytes},
        {"Mono10", 0x01100003, 10, "", Packing::Words},
        {"Mono12", 0x01100005, 12, "", Packing::Words},
        {"Mono14", 0x01100025, 14, "", Packing::Words},
        {"Mono16", 0x01100007, 16, "", Packing::Words},
        {"Mono12Packed", 0x010C0006, 12, "", Packing::Packed12},
    };
    const uint32_t sizes[][2] = {{2, 2}, {3, 3}, {5, 4}, {4, 5}, {7, 2}, {2, 6}};
    uint32_t seed = 12345;
    for (const auto& f : formats)
        for (const auto& size : sizes) {
            const uint32_t w = size[0], h = size[1];
            SCOPED_TRACE(std::string(f.name) + " " + std::to_string(w) + "x" + std::to_string(h));
            std::vector<uint16_t> samples(w * h);
            for (uint16_t& v : samples) {
                seed = seed * 1103515245u + 12345u;
                v = uint16_t((seed >> 8) & ((1u << f.bits) - 1));
            }
            const std::vector<uint8_t> data = pack(samples, f.packing);
            const MkFrame frame = rawFrame(data.data(), uint32_t(data.size()), w, h, f.code);
            const std::vector<uint8_t> expected = reference(samples, w, h, f.cfa, f.bits);
            std::vector<uint8_t> rgb(w * h * 3), bgr(w * h * 3);
            ASSERT_EQ(MkUtilityColorInterpolate(&frame, rgb.data(), uint32_t(rgb.size()), 0x02180014), 0u);
            ASSERT_EQ(MkUtilityColorInterpolate(&frame, bgr.data(), uint32_t(bgr.size()), 0x02180015), 0u);
            EXPECT_EQ(rgb, expected);
            for (size_t p = 0; p < w * h; ++p) std::swap(bgr[p * 3], bgr[p * 3 + 2]);
            EXPECT_EQ(bgr, expected) << "BGR is RGB with red and blue swapped";
            const MkFrame shortFrame = rawFrame(data.data(), uint32_t(data.size() - 1), w, h, f.code);
            EXPECT_EQ(MkUtilityColorInterpolate(&shortFrame, rgb.data(), uint32_t(rgb.size()), 0x02180014),
                      uint32_t(MK_ERR_DATA_MISSING));
        }
}

TEST(ColorInterpolate, InterpolatesTheInteriorBilinearly)
{
    // BayerRG8, 4x4: R G R G / G B G B / ...; the pixel at (1,1) is blue with red on its
    // diagonals and green beside it, the one at (2,1) green with blue beside and red above
    // and below.
    const uint8_t data[16] = {
        10,
        1,
        30,
        3, //
        5,
        99,
        7,
        97, //
        50,
        11,
        70,
        13, //
        9,
        95,
        15,
        93,
    };
    const MkFrame frame = rawFrame(data, 16, 4, 4, 0x01080009);
    uint8_t rgb[48];
    ASSERT_EQ(MkUtilityColorInterpolate(&frame, rgb, sizeof rgb, 0x02180014), 0u);
    const uint8_t* blue = rgb + (1 * 4 + 1) * 3;
    EXPECT_EQ(blue[0], (10 + 30 + 50 + 70 + 2) / 4);
    EXPECT_EQ(blue[1], (1 + 5 + 7 + 11 + 2) / 4);
    EXPECT_EQ(blue[2], 99);
    const uint8_t* green = rgb + (1 * 4 + 2) * 3;
    EXPECT_EQ(green[0], (30 + 70 + 1) / 2);
    EXPECT_EQ(green[1], 7);
    EXPECT_EQ(green[2], (99 + 97 + 1) / 2);
}

TEST(ColorInterpolate, FormatsItCannotConvertAreRefused)
{
    const uint16_t mono12[4] = {0x0FFF, 0x1FFF, 0xFFFF, 0x0800}; // bits above the twelve saturate
    MkFrame frame = rawFrame(mono12, 8, 2, 2, 0x01100005);
    uint8_t out[12];
    ASSERT_EQ(MkUtilityColorInterpolate(&frame, out, sizeof out, 0x02180014), 0u);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[3], 255);
    EXPECT_EQ(out[6], 255);
    EXPECT_EQ(out[9], 0x80);

    const uint8_t bytes[64] = {};
    const struct {
        const char* what;
        uint32_t code, width, height, destinationFormat;
        uint32_t result;
    } cases[] = {
        {"RGB8 source", 0x02180014, 2, 2, 0x02180014, MK_ERR_BAD_PARAMETER},
        {"BGRA8 source", 0x02200017, 2, 2, 0x02180014, MK_ERR_BAD_PARAMETER},
        {"YUV422 source", 0x0210001F, 2, 2, 0x02180014, MK_ERR_BAD_PARAMETER},
        {"RGB16 source", 0x02300033, 2, 2, 0x02180014, MK_ERR_BAD_PARAMETER},
        {"unknown source", 0, 2, 2, 0x02180014, MK_ERR_BAD_PARAMETER},
        {"Mono8 destination", 0x01080001, 2, 2, 0x01080001, MK_ERR_BAD_PARAMETER},
        {"Bayer one column", 0x01080009, 1, 4, 0x02180014, MK_ERR_BAD_PARAMETER},
        {"Bayer one row", 0x01080009, 4, 1, 0x02180014, MK_ERR_BAD_PARAMETER},
        {"no pixels", 0x01080001, 0, 4, 0x02180014, MK_ERR_BAD_PARAMETER},
        {"Mono one row", 0x01080001, 4, 1, 0x02180014, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        frame = rawFrame(bytes, sizeof bytes, c.width, c.height, c.code);
        EXPECT_EQ(MkUtilityColorInterpolate(&frame, out, sizeof out, c.destinationFormat), c.result);
    }
    frame = rawFrame(bytes, sizeof bytes, 2, 2, 0x01080009);
    EXPECT_EQ(MkUtilityColorInterpolate(&frame, nullptr, sizeof out, 0x02180014), uint32_t(MK_ERR_BAD_PARAMETER));
    EXPECT_EQ(MkUtilityColorInterpolate(nullptr, out, sizeof out, 0x02180014), uint32_t(MK_ERR_BAD_PARAMETER));
}

// What the cameras send: every raw format converts, colour data is refused.
TEST_F(LibraryTest, EveryFrameTheCamerasSendInARawFormatConverts)
{
    for (const uint32_t id : {kMono, kColour}) {
        MkHandle h = open(id);
        ASSERT_EQ(MkAttrUint32Set(h, "Width", 64), 0u);
        ASSERT_EQ(MkAttrUint32Set(h, "Height", 4), 0u);
        ASSERT_EQ(MkAttrFloat32Set(h, "AcquisitionFrameRate", 100.0f), 0u);
        char range[512];
        ASSERT_EQ(MkAttrRangeEnum(h, "PixelFormat", range, sizeof range, nullptr), 0u);
        std::stringstream names(range);
        for (std::string name; std::getline(names, name, ',');) {
            SCOPED_TRACE(name);
            ASSERT_EQ(MkAttrEnumSet(h, "PixelFormat", name.c_str()), 0u);
            std::vector<uint8_t> data(64 * 4 * 8), rgb(64 * 4 * 3);
            MkFrame frame = rawFrame(nullptr, 0, 0, 0, 0);
            frame.imageBuffer = data.data();
            frame.imageBufferSize = uint32_t(data.size());
            ASSERT_EQ(MkCaptureStart(h), 0u);
            ASSERT_EQ(MkCaptureQueueFrame(h, &frame, nullptr), 0u);
            ASSERT_EQ(MkCommandRun(h, "AcquisitionStart"), 0u);
            run(10000);
            ASSERT_EQ(MkCaptureWaitForFrameDone(h, &frame, 0), 0u);
            ASSERT_EQ(frame.status, 0u);
            ASSERT_EQ(MkCommandRun(h, "AcquisitionStop"), 0u);
            ASSERT_EQ(MkCaptureEnd(h), 0u);
            const bool raw = name.rfind("Mono", 0) == 0 || name.rfind("Bayer", 0) == 0;
            EXPECT_EQ(MkUtilityColorInterpolate(&frame, rgb.data(), uint32_t(rgb.size()), 0x02180014),
                      raw ? 0u : uint32_t(MK_ERR_BAD_PARAMETER));
        }
        MkCameraClose(h);
    }
}

} // namespace
} // namespace mkapi::testing
