// Faults switched at run time, the control commands' answers, the description file's
// fallback to the built-in network, and the colour interpolation utility.
#include "LibraryTestSupport.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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

TEST(ColorInterpolate, BayerCellsGiveTheirColours)
{
    // One 2x2 cell per layout: the values name their places.
    const uint8_t cell[4] = {10, 20, 30, 40}; // (0,0) (1,0) / (0,1) (1,1)
    const struct {
        uint32_t code;
        uint8_t r, g, b;
    } cases[] = {
        {0x01080008, 20, 25, 30}, // GR: G R / B G
        {0x01080009, 10, 25, 40}, // RG: R G / G B
        {0x0108000A, 30, 25, 20}, // GB: G B / R G
        {0x0108000B, 40, 25, 10}, // BG: B G / G R
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        MkFrame frame;
        std::memset(&frame, 0, sizeof frame);
        frame.imageBuffer = const_cast<uint8_t*>(cell);
        frame.imageSize = 4;
        frame.width = 2, frame.height = 2, frame.pixelFormat = c.code;
        uint8_t rgb[12] = {}, bgr[12] = {};
        ASSERT_EQ(MkUtilityColorInterpolate(&frame, rgb, sizeof rgb, 0x02180014), 0u);
        ASSERT_EQ(MkUtilityColorInterpolate(&frame, bgr, sizeof bgr, 0x02180015), 0u);
        for (int p = 0; p < 4; ++p) {
            EXPECT_EQ(rgb[p * 3], c.r);
            EXPECT_EQ(rgb[p * 3 + 1], c.g);
            EXPECT_EQ(rgb[p * 3 + 2], c.b);
            EXPECT_EQ(bgr[p * 3], c.b);
        }
        EXPECT_EQ(MkUtilityColorInterpolate(&frame, rgb, 11, 0x02180014), uint32_t(MK_ERR_BUFFER_TOO_SMALL));
        EXPECT_EQ(MkUtilityColorInterpolate(&frame, rgb, sizeof rgb, 0x01080001), uint32_t(MK_ERR_BAD_PARAMETER));
    }
}

} // namespace
} // namespace mkapi::testing
