// The GigE Vision backend through the camera library's C functions on virtual time: the
// network's waits move the clock, the library is pumped by the test, so time-outs,
// retries, a heartbeat that stops, packets lost and resent and test packets that do not
// arrive are tested exactly and without sleeping.
#include "mk_api/MkApi.h"
#include "mk_api_core/Exports.h"
#include "mk_gev/GevBackend.h"

#include <gtest/gtest.h>

#include "VirtualNetwork.h"

#include <vector>

namespace mkgev {
namespace {

using testing::VirtualCamera;

constexpr uint32_t kCameraAddress = 0x7F000010;
constexpr uint32_t kMono8 = 0x01080001;

std::vector<uint32_t> linkEvents;
void MKAPI_CALL onLink(void*, uint32_t, uint32_t event, uint32_t uniqueId) { linkEvents.push_back(event); }

class VirtualBackendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        network.add(camera);
        linkEvents.clear();
    }
    void start(GevSetup setup = {})
    {
        if (setup.search.empty())
            setup.search = {kCameraAddress};
        setup.interfaceAddress = 0x7F000001;
        setup.interfaceMask = 0xFF000000;
        mkapi::setLibraryMaker([this, setup] {
            std::vector<std::unique_ptr<mkapi::Backend>> backends;
            auto made = std::make_unique<GevBackend>(setup, time, network);
            backend = made.get();
            backends.push_back(std::move(made));
            return std::make_unique<mkapi::Library>(std::move(backends), time, false, "");
        });
        ASSERT_EQ(0u, MkInitialize());
        initialized = true;
        ASSERT_EQ(0u, MkLinkCallbackRegister(onLink, MK_LINK_REMOVE, nullptr));
    }
    void TearDown() override
    {
        if (initialized)
            MkUnInitialize();
        mkapi::setLibraryMaker(nullptr);
    }

    MkHandle open(uint32_t access = MK_ACCESS_MASTER)
    {
        struct MkCameraInfo list[2] = {};
        uint32_t total = 0;
        EXPECT_EQ(1u, MkCameraListEx(list, 2, &total, sizeof(struct MkCameraInfo)));
        MkHandle h = nullptr;
        EXPECT_EQ(0u, MkCameraOpen(list[0].uniqueId, access, &h));
        return h;
    }

    // Moves virtual time on by `us`, pumping the library at every moment the backend has
    // work due (and at least every millisecond).
    void runFor(uint64_t us)
    {
        const uint64_t end = time.now + us;
        for (int i = 0; i < 1000000 && time.now < end; ++i) {
            mkapi::currentLibrary()->pump();
            const uint64_t due = std::min({backend->nextDueUs(), time.now + 1000, end});
            time.now = std::max(time.now + 1, due);
        }
        mkapi::currentLibrary()->pump();
    }
    // Runs until the frame is done (0) or the camera is gone (8); 17 after `limitUs`.
    uint32_t runUntilDone(MkHandle h, MkFrame& frame, uint64_t limitUs)
    {
        const uint64_t end = time.now + limitUs;
        for (;;) {
            const uint32_t code = MkCaptureWaitForFrameDone(h, &frame, 0);
            if (code != MK_ERR_TIMEOUT || time.now >= end)
                return code;
            runFor(1000);
        }
    }
    uint32_t u32(MkHandle h, const char* name)
    {
        uint32_t value = 0;
        EXPECT_EQ(0u, MkAttrUint32Get(h, name, &value)) << name;
        return value;
    }

    // Frames of `width` x `height` Mono8 into `count` queued buffers, acquisition started.
    void startFrames(MkHandle h, uint32_t width, uint32_t height, size_t count)
    {
        ASSERT_EQ(0u, MkAttrUint32Set(h, "Width", width));
        ASSERT_EQ(0u, MkAttrUint32Set(h, "Height", height));
        buffers.assign(count, std::vector<uint8_t>(width * height));
        frames.assign(count, MkFrame{});
        ASSERT_EQ(0u, MkCaptureStart(h));
        for (size_t i = 0; i < count; ++i) {
            frames[i].imageBuffer = buffers[i].data();
            frames[i].imageBufferSize = uint32_t(buffers[i].size());
            ASSERT_EQ(0u, MkCaptureQueueFrame(h, &frames[i], nullptr));
        }
        ASSERT_EQ(0u, MkCommandRun(h, "AcquisitionStart"));
    }

    testing::VirtualClock time;
    testing::VirtualNetwork network{time};
    VirtualCamera camera{time, 0x0000AABBCCDD0001, kCameraAddress};
    GevBackend* backend = nullptr;
    bool initialized = false;
    std::vector<std::vector<uint8_t>> buffers;
    std::vector<MkFrame> frames;
};

TEST_F(VirtualBackendTest, ListingWaitsForEachAddressOnlyItsBoundedTime)
{
    struct Case {
        const char* what;
        std::vector<uint32_t> search;
        bool silent;
        uint32_t listed;
        // Exactly: an answering address costs its discovery and the question whether control
        // is taken (500 us each), a silent one its discovery sent twice.
        uint64_t spentUs;
    } cases[] = {
        {"the camera answers", {kCameraAddress}, false, 1, 1000},
        {"the camera is silent", {kCameraAddress}, true, 0, 2 * 50000},
        {"nobody at the second address", {kCameraAddress, kCameraAddress + 1}, false, 1, 1000 + 2 * 50000},
        {"the camera searched twice", {kCameraAddress, kCameraAddress}, false, 1, 2 * 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        camera.silent = c.silent;
        GevSetup setup;
        setup.search = c.search;
        setup.discoveryTimeoutMs = 50;
        start(setup);
        struct MkCameraInfo list[4] = {};
        uint32_t total = 0;
        const uint64_t before = time.now;
        const uint32_t listed = MkCameraListEx(list, 4, &total, sizeof(struct MkCameraInfo));
        EXPECT_EQ(c.listed, listed);
        EXPECT_EQ(c.spentUs, time.now - before);
        if (listed) {
            EXPECT_STREQ("VIRT1", list[0].serialNumber);
        }
        MkUnInitialize();
        initialized = false;
    }
}

TEST_F(VirtualBackendTest, CommandsAreResentAsGvcpRetriesSaysWithinTheirTimeOut)
{
    struct Case {
        uint32_t retries, timeoutMs;
        int lost;       // answers lost on the way back
        uint32_t code;  // of the register read
        size_t sends;   // of the one command
        uint64_t spent; // virtual microseconds
    } cases[] = {
        {0, 200, 0, 0, 1, 500},
        {0, 200, 1, MK_ERR_TIMEOUT, 1, 200000},
        {3, 200, 3, 0, 4, 3 * 200000 + 500},
        {3, 200, 4, MK_ERR_TIMEOUT, 4, 4 * 200000},
        {3, 50, 2, 0, 3, 2 * 50000 + 500},
        {20, 10, 20, 0, 21, 20 * 10000 + 500},
        {20, 10, 21, MK_ERR_TIMEOUT, 21, 21 * 10000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.retries << " retries, " << c.lost << " lost, " << c.timeoutMs << " ms");
        GevSetup setup;
        setup.timeoutMs = c.timeoutMs;
        start(setup);
        MkHandle h = open();
        ASSERT_EQ(0u, MkAttrUint32Set(h, "GvcpRetries", c.retries));
        camera.dropAnswers = c.lost;
        const size_t sentBefore = camera.sent.size();
        const uint64_t before = time.now;
        const uint32_t address = bootstrap::HeartbeatTimeout;
        uint32_t value = 0, done = 0;
        EXPECT_EQ(c.code, _Mk_Factory_Test_10(h, 1, &address, &value, &done));
        EXPECT_EQ(c.sends, camera.sent.size() - sentBefore);
        EXPECT_EQ(c.spent, time.now - before);
        EXPECT_EQ(c.code == 0 ? 1u : 0u, done);
        camera.dropAnswers = 0;
        EXPECT_EQ(0u, MkCameraClose(h));
        MkUnInitialize();
        initialized = false;
    }
}

TEST_F(VirtualBackendTest, AHeartbeatThatFailsForItsTimeOutUnplugsTheCamera)
{
    struct Case {
        const char* what;
        uint64_t silentAtUs, silentForUs; // silentForUs 0: for ever
        bool controlTakenAway;            // the device forgets us at silentAtUs
        bool lost;
        uint64_t lostWithinUs; // after silentAtUs
    } cases[] = {
        {"the device answers throughout", 0, 0, false, false, 0},
        {"silent for less than its time-out", 2000000, 1500000, false, false, 0},
        {"silent for good", 2000000, 0, false, true, 3000000 + 4 * 200000 + 1000000},
        {"control given to another", 2000000, 0, true, true, 1000000 + 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        linkEvents.clear();
        camera.silent = false;
        start();
        MkHandle h = open();
        startFrames(h, 64, 16, 1);
        // The frame never comes: the camera stops before it sends one.
        camera.framesToSend = 0;
        const uint64_t opened = time.now;
        uint64_t lostAt = 0;
        for (int i = 0; i < 20000 && time.now < opened + 10000000; ++i) {
            const uint64_t t = time.now - opened;
            if (c.silentAtUs && t >= c.silentAtUs) {
                const bool silentNow = c.silentForUs == 0 || t < c.silentAtUs + c.silentForUs;
                camera.silent = silentNow && !c.controlTakenAway;
                if (c.controlTakenAway)
                    camera.registers[bootstrap::ControlChannelPrivilege] = 0;
            }
            runFor(1000);
            if (!lostAt && !linkEvents.empty())
                lostAt = time.now - opened;
        }
        camera.silent = false;
        uint32_t width = 0;
        if (c.lost) {
            ASSERT_NE(0u, lostAt) << "never unplugged";
            EXPECT_GE(lostAt, c.silentAtUs);
            EXPECT_LE(lostAt - c.silentAtUs, c.lostWithinUs);
            EXPECT_EQ((std::vector<uint32_t>{MK_LINK_REMOVE}), linkEvents) << "link event 2, once";
            EXPECT_EQ(uint32_t(MK_ERR_UNPLUGGED), MkCaptureWaitForFrameDone(h, &frames[0], 0));
            EXPECT_EQ(uint32_t(MK_ERR_UNPLUGGED), MkAttrUint32Get(h, "Width", &width));
        } else {
            EXPECT_EQ(0u, lostAt) << "unplugged at " << lostAt;
            EXPECT_EQ(uint32_t(MK_ERR_TIMEOUT), MkCaptureWaitForFrameDone(h, &frames[0], 0));
            EXPECT_EQ(0u, MkAttrUint32Get(h, "Width", &width));
            EXPECT_EQ(kPrivilegeControl, camera.registers[bootstrap::ControlChannelPrivilege]);
        }
        camera.framesToSend = INT_MAX;
        EXPECT_EQ(0u, MkCameraClose(h));
        MkUnInitialize();
        initialized = false;
        camera.registers[bootstrap::ControlChannelPrivilege] = 0;
    }
}

TEST_F(VirtualBackendTest, LostPacketsAreAskedForAgainWithinTheirLimits)
{
    // 512x100 Mono8 in 576-byte packets: 95 payload packets; every other one lost.
    std::set<uint32_t> everyOther;
    for (uint32_t id = 2; id <= 94; id += 2) everyOther.insert(id);
    struct Case {
        const char* what;
        uint32_t width, height;
        std::set<uint32_t> lost; // packet ids lost at first sending
        bool canResend;
        int resendsAnswered;
        uint32_t status;          // of the first frame
        uint32_t resendRequests;  // sent for the first frame
        uint32_t missing, resent; // statistics after the first frame
    } cases[] = {
        {"nothing lost", 64, 16, {}, true, INT_MAX, 0, 0, 0, 0},
        {"one payload packet, sent again", 64, 16, {1}, true, INT_MAX, 0, 1, 0, 1},
        {"one payload packet, resend lost", 64, 16, {1}, true, 0, MK_ERR_DATA_MISSING, 1, 1, 0},
        {"one payload packet, no resend on the device", 64, 16, {1}, false, INT_MAX, MK_ERR_DATA_MISSING, 0, 1, 0},
        {"the leader, sent again", 64, 16, {0}, true, INT_MAX, 0, 1, 0, 0},
        {"the leader, resend lost", 64, 16, {0}, true, 0, MK_ERR_DATA_LOST, 1, 1, 0},
        {"the trailer", 64, 16, {3}, true, INT_MAX, MK_ERR_DATA_MISSING, 0, 1, 0},
        // 47 gaps, 32 requests at most, the resends lost.
        {"many gaps", 512, 100, everyOther, true, 0, MK_ERR_DATA_MISSING, 32, 47, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        camera.lostPackets = c.lost;
        camera.resendsAnswered = c.resendsAnswered;
        camera.resendRequests = 0;
        camera.registers[bootstrap::Capabilities] =
            kCapMultipleRead | kCapWriteMemory | (c.canResend ? kCapPacketResend : 0);
        start();
        MkHandle h = open();
        startFrames(h, c.width, c.height, 1);
        // A frame ends by itself, whole or not, within the frame time-out.
        ASSERT_EQ(0u, runUntilDone(h, frames[0], 2000000));
        EXPECT_EQ(c.status, frames[0].status);
        EXPECT_EQ(c.resendRequests, camera.resendRequests);
        if (c.status != MK_ERR_DATA_LOST) {
            EXPECT_EQ(c.width, frames[0].width);
            EXPECT_EQ(kMono8, frames[0].pixelFormat);
        }
        if (c.status == 0) {
            for (size_t i = 0; i < buffers[0].size(); ++i)
                ASSERT_EQ(VirtualCamera::patternByte(uint16_t(frames[0].frameCount), i), buffers[0][i]) << i;
        }
        ASSERT_EQ(0u, MkCommandRun(h, "AcquisitionStop"));
        ASSERT_EQ(0u, MkCaptureEnd(h));
        EXPECT_EQ(c.status == 0 ? 1u : 0u, u32(h, "StatFramesCompleted"));
        EXPECT_EQ(c.status == 0 ? 0u : 1u, u32(h, "StatFramesIncomplete"));
        EXPECT_EQ(c.missing, u32(h, "StatPacketsMissing"));
        EXPECT_EQ(c.resent, u32(h, "StatPacketsResent"));
        EXPECT_EQ(0u, MkCameraClose(h));
        MkUnInitialize();
        initialized = false;
    }
}

TEST_F(VirtualBackendTest, AStreamThatStopsMidFrameEndsTheFrameAtItsTimeOut)
{
    camera.lostPackets = {2, 3}; // the second payload packet and the trailer never come
    camera.framesToSend = 1;
    camera.resendsAnswered = 0;
    start();
    MkHandle h = open();
    startFrames(h, 64, 16, 2);
    const uint64_t started = time.now;
    ASSERT_EQ(0u, runUntilDone(h, frames[0], 3000000));
    EXPECT_EQ(uint32_t(MK_ERR_DATA_MISSING), frames[0].status);
    // One second without a packet, after the frame's start.
    EXPECT_GE(time.now - started, 1000000u);
    EXPECT_LE(time.now - started, 1000000u + camera.framePeriodUs + 2000);
    EXPECT_EQ(540u, frames[0].imageSize) << "the bytes up to the last one received";
    // The second buffer waits on: no frame came for it.
    EXPECT_EQ(uint32_t(MK_ERR_TIMEOUT), MkCaptureWaitForFrameDone(h, &frames[1], 0));
    EXPECT_EQ(0u, MkCaptureEnd(h));
    EXPECT_EQ(uint32_t(MK_ERR_CANCELLED), frames[1].status);
    EXPECT_EQ(0u, MkCameraClose(h));
}

TEST_F(VirtualBackendTest, FramesCarryTheCameraClockInMicroseconds)
{
    struct Case {
        uint64_t ticksPerSecond; // 0: the camera does not say
    } cases[] = {{1000000000}, {125000000}, {1000000}, {0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ticksPerSecond);
        camera.registers[bootstrap::TimestampTickFrequencyHigh] = uint32_t(c.ticksPerSecond >> 32);
        camera.registers[bootstrap::TimestampTickFrequencyLow] = uint32_t(c.ticksPerSecond);
        start();
        MkHandle h = open();
        startFrames(h, 64, 16, 3);
        std::vector<uint64_t> doneAt;
        for (auto& frame : frames) {
            ASSERT_EQ(0u, runUntilDone(h, frame, 1000000));
            doneAt.push_back(time.now);
        }
        for (size_t i = 0; i < frames.size(); ++i) {
            const uint64_t stamp = uint64_t(frames[i].timestampHi) << 32 | frames[i].timestampLo;
            if (c.ticksPerSecond) {
                // The camera's time at the frame's start, whenever it was completed.
                if (i > 0) {
                    const uint64_t before = uint64_t(frames[i - 1].timestampHi) << 32 | frames[i - 1].timestampLo;
                    EXPECT_EQ(camera.framePeriodUs, stamp - before);
                }
                EXPECT_LT(stamp, doneAt[i]);
            } else {
                // The host's clock at completion, within the last millisecond pumped.
                EXPECT_LE(stamp, doneAt[i]);
                EXPECT_GE(stamp + 1000, doneAt[i]);
            }
        }
        EXPECT_EQ(0u, MkCaptureEnd(h));
        EXPECT_EQ(0u, MkCameraClose(h));
        MkUnInitialize();
        initialized = false;
    }
}

TEST_F(VirtualBackendTest, PacketSizeIsTheLargestWhoseTestPacketArrives)
{
    struct Case {
        const char* what;
        uint32_t pathMtu;
        bool testPackets;
        uint32_t asked, expected;
        size_t maxProbes;
    } cases[] = {
        {"jumbo frames all the way", 9000, true, 9000, 9000, 1},
        {"an ordinary network", 1500, true, 9000, 1500, 13},
        {"asked for less than fits", 9000, true, 1400, 1400, 1},
        {"a path smaller than asked", 1000, true, 1400, 1000, 10},
        {"nothing fits", 500, true, 9000, 9000, 2},      // as a device without test packets
        {"no test packets", 9000, false, 8000, 8000, 2}, // the device keeps what it is given
        {"asked for more than any", 65535, true, 20000, 9000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        camera.pathMtu = c.pathMtu;
        camera.sendsTestPackets = c.testPackets;
        camera.testPackets.clear();
        start();
        MkHandle h = open();
        const uint64_t before = time.now;
        EXPECT_EQ(0u, MkCaptureAdjustPacketSize(h, c.asked));
        EXPECT_EQ(c.expected, u32(h, "PacketSize"));
        EXPECT_LE(camera.testPackets.size(), c.maxProbes);
        EXPECT_GE(camera.testPackets.size(), 1u);
        // Each probe waits a tenth of a second at most.
        EXPECT_LE(time.now - before, camera.testPackets.size() * 100000 + 100000);
        EXPECT_EQ(0u, camera.registers[bootstrap::StreamChannelPort]) << "the probe's port is closed again";
        EXPECT_EQ(0u, camera.registers[bootstrap::StreamChannelPacketSize] & kPacketSizeFireTest);
        EXPECT_EQ(0u, MkCameraClose(h));
        MkUnInitialize();
        initialized = false;
    }
}

} // namespace
} // namespace mkgev
