// The library through its C functions, as the grabber plug-in calls them: listing,
// opening, attributes and their codes, acquisition order and drops, queue clear, waits
// and time-outs, unplugs mid-acquisition, link events, registers.
#include "LibraryTestSupport.h"

#include <cstring>
#include <thread>
#include <vector>

namespace mkapi::testing {
namespace {

struct Frames {
    explicit Frames(size_t n, uint32_t bytes) : data(n, std::vector<uint8_t>(bytes)), frames(n)
    {
        for (size_t i = 0; i < n; ++i) {
            std::memset(&frames[i], 0, sizeof frames[i]);
            frames[i].imageBuffer = data[i].data();
            frames[i].imageBufferSize = bytes;
            frames[i].context[2] = reinterpret_cast<void*>(i);
        }
    }
    std::vector<std::vector<uint8_t>> data;
    std::vector<MkFrame> frames;
};

std::vector<std::pair<uint64_t, uint32_t>> g_completed; // buffer index, frame number

void MKAPI_CALL recordFrame(MkFrame* frame)
{
    g_completed.push_back({reinterpret_cast<uint64_t>(frame->context[2]), frame->frameCount});
}

TEST_F(LibraryTest, ListsReachableAndUnreachableCameras)
{
    EXPECT_EQ(MkCameraCount(), 2u);
    struct MkCameraInfo list[4];
    uint32_t total = 0;
    EXPECT_EQ(MkCameraListEx(list, 4, nullptr, 180), 2u);
    EXPECT_EQ(list[0].uniqueId, kMono);
    EXPECT_STREQ(list[0].name, "Mono");
    EXPECT_STREQ(list[0].serialNumber, "ZX640M-0001");
    EXPECT_EQ(MkCameraListEx(list, 1, &total, 180), 1u);
    EXPECT_EQ(total, 2u);
    EXPECT_EQ(MkCameraListEx(list, 4, nullptr, 179), 0u) << "a record size other than 180 fills nothing";
    EXPECT_EQ(MkCameraListUnreachableEx(list, 1, &total, 180), 1u);
    EXPECT_EQ(total, 1u);
    EXPECT_EQ(list[0].uniqueId, kElsewhere);
    EXPECT_EQ(list[0].permittedAccess, 0u);

    struct MkCameraInfo info;
    EXPECT_EQ(MkCameraInfoEx(kColour, &info, 180), 0u);
    EXPECT_STREQ(info.model, "ZX-1920C");
    EXPECT_EQ(MkCameraInfoEx(kColour, &info, 100), uint32_t(MK_ERR_BAD_PARAMETER));
    EXPECT_EQ(MkCameraInfoEx(12345, &info, 180), uint32_t(MK_ERR_NOT_FOUND));
    EXPECT_EQ(MkCameraInfoEx(kColour, nullptr, 180), uint32_t(MK_ERR_BAD_PARAMETER));
    EXPECT_EQ(MkCameraInfoByAddr(info.address, &info), 0u);
    EXPECT_EQ(info.uniqueId, kColour);

    MkIpSettings ip;
    ASSERT_EQ(MkCameraIpSettingsGet(kMono, &ip), 0u);
    EXPECT_EQ(ip.currentAddress, 21u << 24 | 10u << 16 | 168u << 8 | 192u);
    EXPECT_EQ(ip.configMode, uint32_t(MK_IP_PERSISTENT));
}

TEST_F(LibraryTest, OpenAndCloseAnswerWithTheirCodes)
{
    MkHandle handle = nullptr, other = nullptr;
    const struct {
        const char* what;
        uint32_t id, mode;
        MkHandle* out;
        uint32_t code;
    } cases[] = {
        {"unreachable", kElsewhere, MK_ACCESS_MASTER, &other, MK_ERR_ACCESS_DENIED},
        {"unknown", 55, MK_ACCESS_MASTER, &other, MK_ERR_NOT_FOUND},
        {"no handle", kMono, MK_ACCESS_MASTER, nullptr, MK_ERR_BAD_PARAMETER},
        {"no such mode", kMono, 2, &other, MK_ERR_BAD_PARAMETER},
        {"first open", kMono, MK_ACCESS_MASTER, &handle, 0},
        {"already open", kMono, MK_ACCESS_MASTER, &other, MK_ERR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(MkCameraOpen(c.id, c.mode, c.out), c.code);
    }
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(MkCameraClose(handle), 0u);
    EXPECT_EQ(MkCameraClose(handle), uint32_t(MK_ERR_BAD_HANDLE)) << "a closed handle is never valid again";
    uint32_t width = 0;
    EXPECT_EQ(MkAttrUint32Get(handle, "Width", &width), uint32_t(MK_ERR_BAD_HANDLE));
    MkHandle again = open();
    EXPECT_NE(again, handle);
    EXPECT_EQ(MkCameraClose(again), 0u);
}

TEST_F(LibraryTest, AttributesThroughTheCFunctions)
{
    MkHandle h = open();
    const char* const* names = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(MkAttrList(h, &names, &count), 0u);
    EXPECT_GE(count, 30u);
    const char* const* again = nullptr;
    ASSERT_EQ(MkAttrList(h, &again, &count), 0u);
    EXPECT_EQ(again, names) << "the list stays the library's, the same each time";

    struct MkAttrInfo info;
    ASSERT_EQ(MkAttrInfo(h, "Width", &info), 0u);
    EXPECT_EQ(info.type, uint32_t(MK_ATTR_UINT32));
    EXPECT_EQ(info.flags & 3, 3u);
    EXPECT_STREQ(info.category, "/ImageFormat");
    EXPECT_NE(std::strstr(info.impacts, "TotalBytesPerFrame"), nullptr);
    EXPECT_EQ(MkAttrInfo(h, "Nope", &info), uint32_t(MK_ERR_NOT_FOUND));
    EXPECT_EQ(MkAttrExists(h, "Gain"), 0u);

    char text[64];
    uint32_t length = 0;
    ASSERT_EQ(MkAttrRangeEnum(h, "PixelFormat", text, sizeof text, &length), 0u);
    EXPECT_STREQ(text, "Mono8,Mono10,Mono12,Mono12Packed,Mono14,Mono16");
    EXPECT_EQ(MkAttrEnumGet(h, "PixelFormat", text, 4, &length), uint32_t(MK_ERR_BAD_PARAMETER));
    EXPECT_EQ(length, 5u) << "the full length even when the buffer is too small";
    ASSERT_EQ(MkAttrEnumSet(h, "PixelFormat", "Mono16"), 0u);
    uint32_t bytes = 0, minimum = 0, maximum = 0;
    ASSERT_EQ(MkAttrUint32Get(h, "TotalBytesPerFrame", &bytes), 0u);
    EXPECT_EQ(bytes, 640u * 480 * 2);
    const uint32_t address = 0x00012120;
    uint32_t code = 0;
    ASSERT_EQ(_Mk_Factory_Test_10(h, 1, &address, &code, nullptr), 0u);
    EXPECT_EQ(code, 0x01100005u) << "the 12-bit sensor sends Mono16 as Mono12";
    ASSERT_EQ(MkAttrRangeUint32(h, "Width", &minimum, &maximum), 0u);
    EXPECT_EQ(maximum, 640u);

    float gain = 0, low = 0, high = 0;
    ASSERT_EQ(MkAttrFloat32Set(h, "Gain", 6.0f), 0u);
    ASSERT_EQ(MkAttrFloat32Get(h, "Gain", &gain), 0u);
    EXPECT_EQ(gain, 6.0f);
    ASSERT_EQ(MkAttrRangeFloat32(h, "Gain", &low, &high), 0u);
    EXPECT_EQ(high, 24.0f);
    int64_t black = 0, lowest = 0, highest = 0;
    ASSERT_EQ(MkAttrInt64Set(h, "BlackLevel", -5), 0u);
    ASSERT_EQ(MkAttrInt64Get(h, "BlackLevel", &black), 0u);
    EXPECT_EQ(black, -5);
    ASSERT_EQ(MkAttrRangeInt64(h, "BlackLevel", &lowest, &highest), 0u);
    EXPECT_EQ(lowest, -64);
    uint8_t flag = 0;
    ASSERT_EQ(MkAttrBooleanSet(h, "ReverseX", 1), 0u);
    ASSERT_EQ(MkAttrBooleanGet(h, "ReverseX", &flag), 0u);
    EXPECT_EQ(flag, 1);
    ASSERT_EQ(MkAttrStringSet(h, "DeviceUserID", "left"), 0u);
    ASSERT_EQ(MkAttrStringGet(h, "DeviceUserID", text, sizeof text, &length), 0u);
    EXPECT_STREQ(text, "left");

    const struct {
        const char* what;
        uint32_t code, expected;
    } codes[] = {
        {"wrong type", MkAttrFloat32Get(h, "Width", &gain), MK_ERR_WRONG_TYPE},
        {"out of range", MkAttrUint32Set(h, "Width", 2000), MK_ERR_OUT_OF_RANGE},
        {"unavailable now", MkAttrIsAvailable(h, "AcquisitionFrameCount"), MK_ERR_UNAVAILABLE},
        {"null name", MkAttrUint32Get(h, nullptr, &bytes), MK_ERR_BAD_PARAMETER},
        {"null value", MkAttrUint32Get(h, "Width", nullptr), MK_ERR_BAD_PARAMETER},
        {"unknown command", MkCommandRun(h, "Explode"), MK_ERR_NOT_FOUND},
    };
    for (const auto& c : codes) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.code, c.expected);
    }
    ASSERT_EQ(MkAttrUint32Set(h, "Width", 320), 0u);
    ASSERT_EQ(MkAttrUint32Set(h, "OffsetX", 300), 0u);
    ASSERT_EQ(MkAttrUint32Set(h, "Width", 640), 0u);
    EXPECT_EQ(MkAttrIsValid(h, "OffsetX"), uint32_t(MK_ERR_OUT_OF_RANGE)) << "a side effect left it invalid";
    MkCameraClose(h);
}

TEST_F(LibraryTest, FramesArriveInOrderAndDropsAreCounted)
{
    MkHandle h = open();
    ASSERT_EQ(MkAttrUint32Set(h, "Width", 64), 0u);
    ASSERT_EQ(MkAttrUint32Set(h, "Height", 4), 0u);
    ASSERT_EQ(MkAttrFloat32Set(h, "AcquisitionFrameRate", 100.0f), 0u);
    Frames buffers(3, 256);
    EXPECT_EQ(MkCaptureQueueFrame(h, &buffers.frames[0], recordFrame), uint32_t(MK_ERR_BAD_SEQUENCE))
        << "queueing before MkCaptureStart";
    ASSERT_EQ(MkCaptureAdjustPacketSize(h, 8228), 0u);
    uint32_t packet = 0;
    ASSERT_EQ(MkAttrUint32Get(h, "PacketSize", &packet), 0u);
    EXPECT_EQ(packet, 8228u);
    ASSERT_EQ(MkCaptureStart(h), 0u);
    EXPECT_EQ(MkCaptureStart(h), uint32_t(MK_ERR_BAD_SEQUENCE));
    g_completed.clear();
    for (auto& f : buffers.frames) ASSERT_EQ(MkCaptureQueueFrame(h, &f, recordFrame), 0u);
    EXPECT_EQ(MkCaptureQueueFrame(h, &buffers.frames[0], recordFrame), uint32_t(MK_ERR_BAD_PARAMETER))
        << "a frame already on the queue";
    ASSERT_EQ(MkCommandRun(h, "AcquisitionStart"), 0u);
    EXPECT_EQ(MkAttrUint32Set(h, "Width", 32), uint32_t(MK_ERR_FORBIDDEN)) << "fixed while acquiring";
    for (int i = 0; i < 5; ++i) run(10000);
    ASSERT_EQ(g_completed.size(), 3u);
    for (uint64_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(g_completed[i], std::make_pair(i, uint32_t(i + 1)));
        EXPECT_EQ(buffers.frames[i].status, 0u);
        EXPECT_EQ(buffers.frames[i].imageSize, 256u);
        EXPECT_EQ(buffers.frames[i].width, 64u);
        uint32_t stamp = 0;
        std::memcpy(&stamp, buffers.data[i].data(), 4);
        EXPECT_EQ(stamp, i + 1) << "the data carries the frame number";
    }
    uint32_t dropped = 0;
    ASSERT_EQ(MkAttrUint32Get(h, "StatFramesDropped", &dropped), 0u);
    EXPECT_EQ(dropped, 2u);
    EXPECT_EQ(MkCaptureWaitForFrameDone(h, &buffers.frames[1], 0), 0u) << "done frames need no wait";
    ASSERT_EQ(MkCaptureQueueFrame(h, &buffers.frames[1], recordFrame), 0u);
    run(10000);
    ASSERT_EQ(g_completed.size(), 4u);
    EXPECT_EQ(g_completed[3], std::make_pair(uint64_t(1), 6u)) << "frames 4 and 5 are missing, and it shows";
    ASSERT_EQ(MkCommandRun(h, "AcquisitionStop"), 0u);
    ASSERT_EQ(MkCaptureEnd(h), 0u);
    EXPECT_EQ(MkCaptureEnd(h), uint32_t(MK_ERR_BAD_SEQUENCE));
    MkCameraClose(h);
}

std::vector<uint32_t> g_events;

void MKAPI_CALL recordEvents(void* context, MkHandle handle, const MkCameraEvent* events, uint32_t count)
{
    EXPECT_EQ(context, &g_events);
    EXPECT_NE(handle, nullptr);
    for (uint32_t i = 0; i < count; ++i) g_events.push_back(events[i].event);
}

TEST_F(LibraryTest, CameraEventsReachTheirCallback)
{
    MkHandle h = open();
    g_events.clear();
    ASSERT_EQ(MkCameraEventCallbackRegister(h, recordEvents, &g_events), 0u);
    ASSERT_EQ(MkCaptureStart(h), 0u);
    ASSERT_EQ(MkCommandRun(h, "AcquisitionStart"), 0u);
    run(1000000 / 30 + 1); // one frame, no buffer for it
    ASSERT_EQ(MkCommandRun(h, "AcquisitionStop"), 0u);
    run(0);
    EXPECT_EQ(g_events, (std::vector<uint32_t>{MK_EVENT_ACQUISITION_START, MK_EVENT_FRAME_DROPPED, MK_EVENT_ACQUISITION_END}));
    ASSERT_EQ(MkCameraEventCallbackRegister(h, nullptr, nullptr), 0u);
    ASSERT_EQ(MkCommandRun(h, "AcquisitionStart"), 0u);
    run(0);
    EXPECT_EQ(g_events.size(), 3u) << "none after unregistering";
    EXPECT_EQ(MkCameraEventCallbackRegister(reinterpret_cast<MkHandle>(1), recordEvents, nullptr),
              uint32_t(MK_ERR_BAD_HANDLE));
    MkCaptureEnd(h);
    MkCameraClose(h);
}

TEST_F(LibraryTest, QueueClearCancelsAndWaitsEnd)
{
    MkHandle h = open();
    Frames buffers(3, 640 * 480);
    ASSERT_EQ(MkCaptureStart(h), 0u);
    g_completed.clear();
    ASSERT_EQ(MkCaptureQueueFrame(h, &buffers.frames[0], recordFrame), 0u);
    ASSERT_EQ(MkCaptureQueueFrame(h, &buffers.frames[1], nullptr), 0u);
    EXPECT_EQ(MkCaptureWaitForFrameDone(h, &buffers.frames[0], 0), uint32_t(MK_ERR_TIMEOUT));
    EXPECT_EQ(MkCaptureWaitForFrameDone(h, &buffers.frames[2], 0xFFFFFFFF), uint32_t(MK_ERR_BAD_PARAMETER))
        << "a frame never queued here ends at once";

    // A second thread waits with a time limit while virtual time runs out under it.
    std::atomic<uint32_t> waited{99};
    std::thread waiter([&] { waited = MkCaptureWaitForFrameDone(h, &buffers.frames[1], 50); });
    for (int i = 0; i < 100000 && waited == 99; ++i) {
        run(1000);
        std::this_thread::yield();
    }
    waiter.join();
    EXPECT_EQ(waited.load(), uint32_t(MK_ERR_TIMEOUT));

    ASSERT_EQ(MkCaptureQueueClear(h), 0u);
    EXPECT_EQ(MkCaptureWaitForFrameDone(h, &buffers.frames[0], 0xFFFFFFFF), 0u);
    EXPECT_EQ(buffers.frames[0].status, uint32_t(MK_ERR_CANCELLED));
    EXPECT_EQ(buffers.frames[1].status, uint32_t(MK_ERR_CANCELLED));
    run(0);
    ASSERT_EQ(g_completed.size(), 1u) << "the cancelled frame's callback runs";
    MkCaptureEnd(h);
    MkCameraClose(h);
}

std::vector<std::pair<uint32_t, uint32_t>> g_links[2];

void MKAPI_CALL recordLink(void* context, uint32_t interfaceType, uint32_t event, uint32_t uniqueId)
{
    EXPECT_EQ(interfaceType, uint32_t(MK_INTERFACE_ETHERNET));
    g_links[reinterpret_cast<uintptr_t>(context)].push_back({event, uniqueId});
}

TEST_F(LibraryTest, UnplugMidAcquisitionEndsEveryFrameAndWait)
{
    g_links[0].clear(), g_links[1].clear();
    for (uint32_t event : {1u, 2u}) {
        ASSERT_EQ(MkLinkCallbackRegister(recordLink, event, reinterpret_cast<void*>(0)), 0u);
        ASSERT_EQ(MkLinkCallbackRegister(recordLink, event, reinterpret_cast<void*>(1)), 0u);
    }
    MkHandle h = open();
    Frames buffers(2, 640 * 480);
    ASSERT_EQ(MkCaptureStart(h), 0u);
    for (auto& f : buffers.frames) ASSERT_EQ(MkCaptureQueueFrame(h, &f, nullptr), 0u);
    std::atomic<uint32_t> waited{99};
    std::thread waiter([&] { waited = MkCaptureWaitForFrameDone(h, &buffers.frames[1], 0xFFFFFFFF); });
    EXPECT_EQ(control("unplug 100001"), "ok");
    waiter.join();
    EXPECT_EQ(waited.load(), uint32_t(MK_ERR_UNPLUGGED)) << "a wait without limit ends, never hangs";
    EXPECT_EQ(buffers.frames[0].status, uint32_t(MK_ERR_UNPLUGGED));
    EXPECT_EQ(MkCaptureQueueFrame(h, &buffers.frames[0], nullptr), uint32_t(MK_ERR_UNPLUGGED));
    uint32_t width = 0;
    EXPECT_EQ(MkAttrUint32Get(h, "Width", &width), uint32_t(MK_ERR_UNPLUGGED));
    run(0);
    for (auto& links : g_links) {
        ASSERT_EQ(links.size(), 1u) << "both registrations hear it";
        EXPECT_EQ(links[0], std::make_pair(2u, kMono));
    }
    EXPECT_EQ(MkCameraClose(h), 0u);
    EXPECT_EQ(MkCameraCount(), 1u);
    EXPECT_EQ(control("plug 100001"), "ok");
    run(0);
    EXPECT_EQ(g_links[0].back(), std::make_pair(1u, kMono));
    ASSERT_EQ(MkLinkCallbackUnRegister(recordLink, 1), 0u);
    EXPECT_EQ(control("unplug 100001"), "ok");
    EXPECT_EQ(control("plug 100001"), "ok");
    run(0);
    EXPECT_EQ(g_links[1].size(), 4u) << "the other registration is still there";
    EXPECT_EQ(g_links[0].size(), 3u) << "one event 1 registration fewer";
    MkLinkCallbackUnRegister(recordLink, 1);
    MkLinkCallbackUnRegister(recordLink, 2);
    MkLinkCallbackUnRegister(recordLink, 2);
    EXPECT_EQ(MkLinkCallbackUnRegister(recordLink, 2), uint32_t(MK_ERR_NOT_FOUND));
}

void MKAPI_CALL unregisterRecorder(void*, uint32_t, uint32_t event, uint32_t)
{
    MkLinkCallbackUnRegister(recordLink, event);
}

TEST_F(LibraryTest, CallbackUnregisteredByAnEarlierOneIsNotCalled)
{
    g_links[0].clear();
    ASSERT_EQ(MkLinkCallbackRegister(unregisterRecorder, 2, nullptr), 0u);
    ASSERT_EQ(MkLinkCallbackRegister(recordLink, 2, nullptr), 0u);
    EXPECT_EQ(control("unplug 100002"), "ok");
    run(0);
    EXPECT_TRUE(g_links[0].empty()) << "its context may be gone once unregistered";
    EXPECT_EQ(MkLinkCallbackUnRegister(recordLink, 2), uint32_t(MK_ERR_NOT_FOUND));
    MkLinkCallbackUnRegister(unregisterRecorder, 2);
}

TEST_F(LibraryTest, ReconfiguringTheUnreachableCameraBringsItHome)
{
    g_links[0].clear();
    ASSERT_EQ(MkLinkCallbackRegister(recordLink, 1, nullptr), 0u);
    ASSERT_EQ(MkLinkCallbackRegister(recordLink, 2, nullptr), 0u);
    MkIpSettings ip;
    ASSERT_EQ(MkCameraIpSettingsGet(kElsewhere, &ip), 0u);
    ip.configMode = MK_IP_PERSISTENT;
    ip.persistentAddress = 70u << 24 | 10u << 16 | 168u << 8 | 192u;
    ip.persistentMask = 0x00FFFFFF;
    ASSERT_EQ(MkCameraIpSettingsChange(kElsewhere, &ip), 0u);
    run(0);
    ASSERT_EQ(g_links[0].size(), 1u);
    EXPECT_EQ(g_links[0][0], std::make_pair(2u, kElsewhere));
    run(2000000);
    ASSERT_EQ(g_links[0].size(), 2u);
    EXPECT_EQ(g_links[0][1], std::make_pair(1u, kElsewhere));
    EXPECT_EQ(MkCameraCount(), 3u);
    MkHandle h = nullptr;
    EXPECT_EQ(MkCameraOpen(kElsewhere, MK_ACCESS_MASTER, &h), 0u);
    MkCameraClose(h);
    MkLinkCallbackUnRegister(recordLink, 1);
    MkLinkCallbackUnRegister(recordLink, 2);
}

TEST_F(LibraryTest, SerialPortThroughRegisters)
{
    MkHandle h = open();
    const uint32_t base = 0x60000; // port 1: the loopback
    const uint32_t openAddresses[] = {base + 0x104, base + 0x128, base + 0x148, base + 0x144};
    const uint32_t openValues[] = {9 | 3u << 10, 3, 3, 0xFFFFFFFF};
    uint32_t done = 0;
    ASSERT_EQ(_Mk_Factory_Test_11(h, 4, openAddresses, openValues, &done), 0u);
    EXPECT_EQ(done, 4u);
    const uint32_t txAddresses[] = {base + 0x400, base + 0x404, base + 0x12C};
    const uint32_t txValues[] = {0x41424344, 0x45000000, 5};
    ASSERT_EQ(_Mk_Factory_Test_11(h, 3, txAddresses, txValues, nullptr), 0u);
    run(1000);
    const uint32_t rxAddresses[] = {base + 0x14C, base + 0x800, base + 0x804};
    uint32_t rx[3] = {};
    ASSERT_EQ(_Mk_Factory_Test_10(h, 3, rxAddresses, rx, &done), 0u);
    EXPECT_EQ(rx[0], 5u);
    EXPECT_EQ(rx[1], 0x41424344u);
    EXPECT_EQ(rx[2] >> 24, 0x45u);
    uint8_t bytes[8] = {};
    ASSERT_EQ(_Mk_Factory_Test_12(h, base + 0x800, 8, bytes, &done), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 5), "ABCDE") << "memory reads in wire order";
    const uint32_t bad = 0x99998;
    EXPECT_EQ(_Mk_Factory_Test_10(h, 1, &bad, rx, &done), uint32_t(MK_ERR_BAD_PARAMETER));
    EXPECT_EQ(_Mk_Factory_Test_10(h, 1, nullptr, rx, &done), uint32_t(MK_ERR_BAD_PARAMETER));
    MkCameraClose(h);
}

} // namespace
} // namespace mkapi::testing
