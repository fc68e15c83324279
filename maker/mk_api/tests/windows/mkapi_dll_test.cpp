// mkApi.dll as the grabber plug-in binds it: all 55 functions by name, the version
// resource, the description named by MKAPI_NETWORK or beside the module, callbacks from
// the library's own thread that call back in, and two threads queueing and waiting at once.
#include "app_framework_testing/scratch_folder.h"
#include "mk_api/MkApi.h"
#include "win32/module.h"
#include "win32/unique_handle.h"
#include "win32/unique_socket.h"
#include "win32/version_resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using win32::BindExport;

constexpr uint32_t kMono = 100001, kColour = 100002;

const char* const kNames[] = {
    "MkVersion", "MkInitialize", "MkInitializeNoDiscovery", "MkUnInitialize", "MkLinkCallbackRegister",
    "MkLinkCallbackUnRegister", "MkCameraListEx", "MkCameraList", "MkCameraCount", "MkCameraInfoEx", "MkCameraInfo",
    "MkCameraInfoByAddrEx", "MkCameraInfoByAddr", "MkCameraListUnreachableEx", "MkCameraListUnreachable",
    "MkCameraOpen", "MkCameraOpenByAddr", "MkCameraClose", "MkCameraIpSettingsGet", "MkCameraIpSettingsChange",
    "MkCaptureStart", "MkCaptureEnd", "MkCaptureQuery", "MkCaptureAdjustPacketSize", "MkCaptureQueueFrame",
    "MkCaptureQueueClear", "MkCaptureWaitForFrameDone", "MkAttrList", "MkAttrInfo", "MkAttrExists",
    "MkAttrIsAvailable", "MkAttrIsValid", "MkAttrRangeEnum", "MkAttrRangeUint32", "MkAttrRangeFloat32",
    "MkAttrRangeInt64", "MkCommandRun", "MkAttrStringGet", "MkAttrStringSet", "MkAttrEnumGet", "MkAttrEnumSet",
    "MkAttrUint32Get", "MkAttrUint32Set", "MkAttrFloat32Get", "MkAttrFloat32Set", "MkAttrInt64Get",
    "MkAttrInt64Set", "MkAttrBooleanGet", "MkAttrBooleanSet", "MkCameraEventCallbackRegister",
    "MkUtilityColorInterpolate", "_Mk_Factory_Test_10", "_Mk_Factory_Test_11", "_Mk_Factory_Test_12",
    "_Mk_Factory_Test_13"};
static_assert(sizeof kNames / sizeof kNames[0] == 55);

std::string ModuleFolder()
{
    std::string folder = win32::ModulePath(nullptr);
    folder.resize(folder.find_last_of('\\'));     // ...\tests
    folder.resize(folder.find_last_of('\\') + 1); // ...\ (build folder)
    return folder + "bin\\";
}

// The functions this test calls, bound by name with the types the header gives.
struct Api {
    decltype(&MkInitialize) initialize;
    decltype(&MkUnInitialize) uninitialize;
    decltype(&MkVersion) version;
    decltype(&MkCameraCount) count;
    decltype(&MkCameraListEx) list;
    decltype(&MkCameraOpen) open;
    decltype(&MkCameraClose) close;
    decltype(&MkLinkCallbackRegister) linkRegister;
    decltype(&MkLinkCallbackUnRegister) linkUnregister;
    decltype(&MkCaptureStart) start;
    decltype(&MkCaptureEnd) end;
    decltype(&MkCaptureQueueFrame) queue;
    decltype(&MkCaptureQueueClear) clear;
    decltype(&MkCaptureWaitForFrameDone) wait;
    decltype(&MkCommandRun) command;
    decltype(&MkAttrUint32Get) getUint32;
    decltype(&MkAttrUint32Set) setUint32;
    decltype(&MkAttrFloat32Set) setFloat32;
    decltype(&_Mk_Factory_Test_10) readRegisters;
    MkSimControlFn control;
};

class MkApiDll : public ::testing::Test {
protected:
    void SetUp() override
    {
        _putenv("MKAPI_NETWORK=");
        module_.reset(::LoadLibraryA((ModuleFolder() + "mkApi.dll").c_str()));
        ASSERT_TRUE(module_);
        HMODULE m = module_.get();
        using win32::BindExport;
        api_ = {BindExport<decltype(&MkInitialize)>(m, "MkInitialize"),
                BindExport<decltype(&MkUnInitialize)>(m, "MkUnInitialize"),
                BindExport<decltype(&MkVersion)>(m, "MkVersion"),
                BindExport<decltype(&MkCameraCount)>(m, "MkCameraCount"),
                BindExport<decltype(&MkCameraListEx)>(m, "MkCameraListEx"),
                BindExport<decltype(&MkCameraOpen)>(m, "MkCameraOpen"),
                BindExport<decltype(&MkCameraClose)>(m, "MkCameraClose"),
                BindExport<decltype(&MkLinkCallbackRegister)>(m, "MkLinkCallbackRegister"),
                BindExport<decltype(&MkLinkCallbackUnRegister)>(m, "MkLinkCallbackUnRegister"),
                BindExport<decltype(&MkCaptureStart)>(m, "MkCaptureStart"),
                BindExport<decltype(&MkCaptureEnd)>(m, "MkCaptureEnd"),
                BindExport<decltype(&MkCaptureQueueFrame)>(m, "MkCaptureQueueFrame"),
                BindExport<decltype(&MkCaptureQueueClear)>(m, "MkCaptureQueueClear"),
                BindExport<decltype(&MkCaptureWaitForFrameDone)>(m, "MkCaptureWaitForFrameDone"),
                BindExport<decltype(&MkCommandRun)>(m, "MkCommandRun"),
                BindExport<decltype(&MkAttrUint32Get)>(m, "MkAttrUint32Get"),
                BindExport<decltype(&MkAttrUint32Set)>(m, "MkAttrUint32Set"),
                BindExport<decltype(&MkAttrFloat32Set)>(m, "MkAttrFloat32Set"),
                BindExport<decltype(&_Mk_Factory_Test_10)>(m, "_Mk_Factory_Test_10"),
                BindExport<MkSimControlFn>(m, "MkSimControl")};
        ASSERT_TRUE(api_.initialize && api_.uninitialize && api_.control && api_.wait && api_.readRegisters);
    }
    void TearDown() override { _putenv("MKAPI_NETWORK="); }

    std::string control(const char* command)
    {
        char reply[1024];
        api_.control(command, reply, sizeof reply);
        return reply;
    }

    win32::UniqueModule module_;
    Api api_{};
};

TEST_F(MkApiDll, ExportsAllFiftyFiveByNameAndAVersion)
{
    for (const char* name : kNames) {
        SCOPED_TRACE(name);
        EXPECT_NE(::GetProcAddress(module_.get(), name), nullptr);
    }
    EXPECT_NE(::GetProcAddress(module_.get(), "MkSimControl"), nullptr);
    uint32_t major = 0, minor = 0;
    api_.version(&major, &minor);
    EXPECT_EQ(major, 1u);
    EXPECT_EQ(minor, 4u);
    const auto resource = win32::VersionResource::ReadModule(module_.get());
    ASSERT_TRUE(resource);
    ASSERT_TRUE(resource->FileVersion());
    EXPECT_NE(resource->FileVersion()->mostSignificant, 0u);
}

TEST_F(MkApiDll, NetworkFromTheNamedDescriptionOrTheBuiltInOne)
{
    char folder[MAX_PATH];
    ASSERT_NE(::GetTempPathA(sizeof folder, folder), 0u);
    const std::string good = std::string(folder) + "mkapi_dll_test_good.ini";
    const std::string bad = std::string(folder) + "mkapi_dll_test_bad.ini";
    FILE* f = std::fopen(good.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs("[Camera One]\nUniqueId=77\nAddress=192.168.10.50\nMask=255.255.255.0\n", f);
    std::fclose(f);
    f = std::fopen(bad.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs("[Camera One]\nUniqueId=77\nAddress=192.168.10\n", f);
    std::fclose(f);

    _putenv(("MKAPI_NETWORK=" + good).c_str());
    ASSERT_EQ(api_.initialize(), 0u);
    EXPECT_EQ(api_.count(), 1u);
    api_.uninitialize();

    _putenv(("MKAPI_NETWORK=" + bad).c_str());
    ASSERT_EQ(api_.initialize(), 0u);
    EXPECT_EQ(api_.count(), 2u) << "a bad file gives the built-in network";
    EXPECT_EQ(control("status"), bad + ":3: [Camera One] Address: expected an address a.b.c.d, got '192.168.10'\n" + "serving the built-in network instead\n");
    api_.uninitialize();
    std::remove(good.c_str());
    std::remove(bad.c_str());
}

// Callbacks run on the library's thread and call back in: requeue, read, count.
struct Grab {
    Api* api = nullptr;
    MkHandle handle = nullptr;
    std::atomic<int> frames{0}, reads{0}, links{0};
    std::atomic<bool> stop{false};
    std::atomic<DWORD> thread{0};
};

void MKAPI_CALL onFrame(MkFrame* frame)
{
    Grab& g = *static_cast<Grab*>(frame->context[0]);
    g.thread = ::GetCurrentThreadId();
    uint32_t width = 0;
    if (g.api->getUint32(g.handle, "Width", &width) == 0 && width == 64)
        ++g.reads;
    if (frame->status == 0)
        ++g.frames;
    if (!g.stop)
        g.api->queue(g.handle, frame, onFrame);
}

void MKAPI_CALL onLink(void* context, uint32_t, uint32_t, uint32_t)
{
    Grab& g = *static_cast<Grab*>(context);
    g.api->count(); // calling in from the callback must not deadlock
    ++g.links;
}

TEST_F(MkApiDll, CallbacksCallBackInFromTheLibrarysThread)
{
    ASSERT_EQ(api_.initialize(), 0u);
    Grab grab;
    grab.api = &api_;
    ASSERT_EQ(api_.open(kMono, MK_ACCESS_MASTER, &grab.handle), 0u);
    ASSERT_EQ(api_.setUint32(grab.handle, "Width", 64), 0u);
    ASSERT_EQ(api_.setUint32(grab.handle, "Height", 16), 0u);
    ASSERT_EQ(api_.setFloat32(grab.handle, "AcquisitionFrameRate", 500.0f), 0u);
    ASSERT_EQ(api_.linkRegister(onLink, 1, &grab), 0u);
    ASSERT_EQ(api_.linkRegister(onLink, 2, &grab), 0u);

    std::vector<std::vector<uint8_t>> data(3, std::vector<uint8_t>(64 * 16));
    std::vector<MkFrame> frames(3);
    ASSERT_EQ(api_.start(grab.handle), 0u);
    for (size_t i = 0; i < frames.size(); ++i) {
        std::memset(&frames[i], 0, sizeof frames[i]);
        frames[i].imageBuffer = data[i].data();
        frames[i].imageBufferSize = uint32_t(data[i].size());
        frames[i].context[0] = &grab;
        ASSERT_EQ(api_.queue(grab.handle, &frames[i], onFrame), 0u);
    }
    ASSERT_EQ(api_.command(grab.handle, "AcquisitionStart"), 0u);
    const DWORD deadline = ::GetTickCount() + 10000;
    while (grab.frames < 20 && ::GetTickCount() < deadline) ::SwitchToThread();
    EXPECT_GE(grab.frames.load(), 20) << "frames keep cycling through the callback";
    EXPECT_GE(grab.reads.load(), 20) << "the callbacks read an attribute each";
    EXPECT_NE(grab.thread.load(), ::GetCurrentThreadId()) << "callbacks come from the library's thread";

    grab.stop = true;
    ASSERT_EQ(api_.clear(grab.handle), 0u);
    for (MkFrame& frame : frames) EXPECT_EQ(api_.wait(grab.handle, &frame, 5000), 0u);
    EXPECT_EQ(api_.command(grab.handle, "AcquisitionStop"), 0u);
    EXPECT_EQ(api_.end(grab.handle), 0u);

    EXPECT_EQ(control("unplug 100002"), "ok");
    EXPECT_EQ(control("plug 100002"), "ok");
    while (grab.links < 2 && ::GetTickCount() < deadline) ::SwitchToThread();
    EXPECT_EQ(grab.links.load(), 2);
    api_.linkUnregister(onLink, 1);
    api_.linkUnregister(onLink, 2);
    EXPECT_EQ(api_.close(grab.handle), 0u);
    api_.uninitialize();
}

TEST_F(MkApiDll, TwoThreadsQueueAndWaitAtOnce)
{
    ASSERT_EQ(api_.initialize(), 0u);
    MkHandle handles[2] = {};
    const uint32_t ids[2] = {kMono, kColour};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(api_.open(ids[i], MK_ACCESS_MASTER, &handles[i]), 0u);
        ASSERT_EQ(api_.setUint32(handles[i], "Width", 32), 0u);
        ASSERT_EQ(api_.setUint32(handles[i], "Height", 8), 0u);
        ASSERT_EQ(api_.setFloat32(handles[i], "AcquisitionFrameRate", 1000.0f), 0u);
        ASSERT_EQ(api_.start(handles[i]), 0u);
        ASSERT_EQ(api_.command(handles[i], "AcquisitionStart"), 0u);
    }
    std::atomic<int> failures{0};
    const auto grabber = [&](MkHandle h) {
        std::vector<uint8_t> data(32 * 8);
        MkFrame frame;
        std::memset(&frame, 0, sizeof frame);
        frame.imageBuffer = data.data();
        frame.imageBufferSize = uint32_t(data.size());
        uint32_t last = 0;
        for (int n = 0; n < 30; ++n) {
            if (api_.queue(h, &frame, nullptr) || api_.wait(h, &frame, 5000) || frame.status ||
                frame.frameCount <= last)
                ++failures;
            last = frame.frameCount;
        }
    };
    std::thread first(grabber, handles[0]), second(grabber, handles[1]);
    first.join();
    second.join();
    EXPECT_EQ(failures.load(), 0);
    // Both threads on the same handle at once, each with its own frame.
    std::thread third(grabber, handles[0]), fourth(grabber, handles[0]);
    third.join();
    fourth.join();
    EXPECT_EQ(failures.load(), 0);
    uint32_t value = 0;
    const uint32_t address = 0x00012120;
    EXPECT_EQ(api_.readRegisters(handles[1], 1, &address, &value, nullptr), 0u);
    EXPECT_EQ(value, 0x01080009u) << "the colour camera sends BayerRG8";
    for (MkHandle h : handles) {
        api_.command(h, "AcquisitionStop");
        EXPECT_EQ(api_.end(h), 0u);
        EXPECT_EQ(api_.close(h), 0u);
    }
    api_.uninitialize();
}

// A Winsock peer on an ephemeral port of 127.0.0.1 that echoes one connection.
class EchoPeer {
public:
    EchoPeer()
    {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        listener_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_.get(), reinterpret_cast<sockaddr*>(&a), sizeof a);
        int length = sizeof a;
        ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&a), &length);
        port_ = ntohs(a.sin_port);
        ::listen(listener_.get(), 1);
        thread_ = std::thread([this] {
            win32::UniqueSocket c(::accept(listener_.get(), nullptr, nullptr));
            char buffer[256];
            for (int n; c && (n = ::recv(c.get(), buffer, sizeof buffer, 0)) > 0;) ::send(c.get(), buffer, n, 0);
        });
    }
    ~EchoPeer()
    {
        listener_.reset();
        thread_.join();
        ::WSACleanup();
    }
    uint16_t port() const { return port_; }

private:
    win32::UniqueSocket listener_;
    uint16_t port_ = 0;
    std::thread thread_;
};

TEST_F(MkApiDll, Kl7700AnswersOnSerialPortZero)
{
    ASSERT_EQ(api_.initialize(), 0u);
    MkHandle h = nullptr;
    ASSERT_EQ(api_.open(kMono, MK_ACCESS_MASTER, &h), 0u);
    auto write = BindExport<decltype(&_Mk_Factory_Test_11)>(module_.get(), "_Mk_Factory_Test_11");
    ASSERT_TRUE(write);
    const uint32_t base = 0x16000;
    // Open as the grabber's channel does (115200 8N1), then "s=?" and CR.
    const uint32_t addresses[] = {base + 0x104, base + 0x128, base + 0x148, base + 0x144, base + 0x400, base + 0x12C};
    const uint32_t values[] = {9 | 3u << 10, 3, 3, 0xFFFFFFFF, 0x733D3F0D, 4};
    ASSERT_EQ(write(h, 6, addresses, values, nullptr), 0u);
    std::string reply;
    const DWORD deadline = ::GetTickCount() + 5000;
    while (reply.find('>') == std::string::npos && ::GetTickCount() < deadline) {
        const uint32_t lengthAddress = base + 0x14C;
        uint32_t waiting = 0;
        ASSERT_EQ(api_.readRegisters(h, 1, &lengthAddress, &waiting, nullptr), 0u);
        if (waiting == 0) {
            ::SwitchToThread();
            continue;
        }
        std::vector<uint32_t> rxAddresses((waiting + 3) / 4), rx(rxAddresses.size());
        for (size_t i = 0; i < rxAddresses.size(); ++i) rxAddresses[i] = base + 0x800 + uint32_t(4 * i);
        ASSERT_EQ(api_.readRegisters(h, uint32_t(rx.size()), rxAddresses.data(), rx.data(), nullptr), 0u);
        for (uint32_t i = 0; i < waiting; ++i) reply.push_back(char(rx[i / 4] >> (24 - 8 * (i % 4))));
        const uint32_t take = waiting;
        ASSERT_EQ(write(h, 1, &lengthAddress, &take, nullptr), 0u);
    }
    EXPECT_EQ(reply.rfind("s=?", 0), 0u) << reply;
    EXPECT_NE(reply.find('>'), std::string::npos) << reply;
    EXPECT_EQ(api_.close(h), 0u);
    api_.uninitialize();
}

TEST_F(MkApiDll, SerialPortReachesATcpEndpoint)
{
    ASSERT_EQ(api_.initialize(), 0u);
    {
        EchoPeer peer;
        EXPECT_EQ(control(("attach 100001 1 tcp:127.0.0.1:" + std::to_string(peer.port())).c_str()), "ok");
        MkHandle h = nullptr;
        ASSERT_EQ(api_.open(kMono, MK_ACCESS_MASTER, &h), 0u);
        auto write = BindExport<decltype(&_Mk_Factory_Test_11)>(module_.get(), "_Mk_Factory_Test_11");
        ASSERT_TRUE(write);
        const uint32_t base = 0x60000;
        const uint32_t addresses[] = {base + 0x128, base + 0x148, base + 0x400, base + 0x12C};
        const uint32_t values[] = {3, 3, 0x50494E47, 4}; // "PING"
        ASSERT_EQ(write(h, 4, addresses, values, nullptr), 0u);
        const uint32_t rxLength = base + 0x14C, rxBuffer = base + 0x800;
        uint32_t waiting = 0;
        const DWORD deadline = ::GetTickCount() + 5000;
        while (waiting < 4 && ::GetTickCount() < deadline) {
            ASSERT_EQ(api_.readRegisters(h, 1, &rxLength, &waiting, nullptr), 0u);
            ::SwitchToThread();
        }
        ASSERT_EQ(waiting, 4u);
        uint32_t echoed = 0;
        ASSERT_EQ(api_.readRegisters(h, 1, &rxBuffer, &echoed, nullptr), 0u);
        EXPECT_EQ(echoed, 0x50494E47u);
        EXPECT_EQ(api_.close(h), 0u);
        EXPECT_EQ(control("attach 100001 1 none"), "ok"); // lets the peer's connection end
    }
    api_.uninitialize();
}

// A copy of the DLL in a folder of its own finds "mkApi.ini" beside it, and says what is
// wrong with it: the shared bin folder never gets a description.
TEST(MkApiDllCopy, DescriptionBesideTheModule)
{
    _putenv("MKAPI_NETWORK=");
    ScratchFolder folder("mkapi_dll_copy");
    ASSERT_TRUE(folder.CopyIn(ModuleFolder() + "mkApi.dll", "mkApi.dll"));
    win32::UniqueModule module(::LoadLibraryA(folder.File("mkApi.dll").c_str()));
    ASSERT_TRUE(module);
    const auto initialize = BindExport<decltype(&MkInitialize)>(module.get(), "MkInitialize");
    const auto uninitialize = BindExport<decltype(&MkUnInitialize)>(module.get(), "MkUnInitialize");
    const auto count = BindExport<decltype(&MkCameraCount)>(module.get(), "MkCameraCount");
    const auto control = BindExport<MkSimControlFn>(module.get(), "MkSimControl");
    ASSERT_TRUE(initialize && uninitialize && count && control);

    // A port of 127.0.0.1 that refuses connections: bound, nobody listening.
    WSADATA data;
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
    win32::UniqueSocket refusing(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(refusing.get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    int length = sizeof a;
    ::getsockname(refusing.get(), reinterpret_cast<sockaddr*>(&a), &length);
    const std::string endpoint = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));

    const std::string ini = folder.File("mkApi.ini");
    const std::string camera = "[Camera One]\nUniqueId=77\nAddress=192.168.10.50\nMask=255.255.255.0\n";
    const struct {
        const char* what;
        std::string text; // empty: no file
        uint32_t cameras;
        std::string status;
    } cases[] = {
        {"no description", "", 2, "ok"},
        {"a good one", camera, 1, "ok"},
        {"a bad one", "[Camera One]\nUniqueId=77\nAddress=192.168.10\n", 2,
         ini + ":3: [Camera One] Address: expected an address a.b.c.d, got '192.168.10'\n" +
             "serving the built-in network instead\n"},
        {"an endpoint that refuses", camera + "SerialPorts=1\nSerialPort0=tcp:" + endpoint + "\n", 1,
         ini + ":6: camera One (77) serial port 0: cannot connect to " + endpoint +
             "; the port has no device (try again with 'attach 77 0 tcp:" + endpoint + "')\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(ini.c_str());
        if (!c.text.empty())
            folder.Write("mkApi.ini", c.text);
        ASSERT_EQ(initialize(), 0u);
        EXPECT_EQ(count(), c.cameras);
        char reply[1024];
        control("status", reply, sizeof reply);
        EXPECT_EQ(std::string(reply), c.status);
        uninitialize();
    }
    module.reset();
    ::WSACleanup();
}

// The child of ProcessExitsWithTheLibraryRunning (run only by it): a caller that leaves the
// library initialised, with a camera open and frames flowing, and returns from main. The
// module is never unloaded, as the grabber plug-in never unloads it.
MkHandle g_exitHandle = nullptr;
decltype(&MkCaptureQueueFrame) g_exitQueue = nullptr;
MkFrame g_exitFrames[4];
// The first frame stays done, so the child can wait for it; the others keep flowing.
void MKAPI_CALL RequeueFrame(MkFrame* frame)
{
    if (frame != &g_exitFrames[0]) g_exitQueue(g_exitHandle, frame, RequeueFrame);
}

TEST(MkApiDllExit, DISABLED_ChildLeavesTheLibraryRunning)
{
    _putenv("MKAPI_NETWORK=");
    const HMODULE m = ::LoadLibraryA((ModuleFolder() + "mkApi.dll").c_str());
    ASSERT_TRUE(m);
    const auto initialize = BindExport<decltype(&MkInitialize)>(m, "MkInitialize");
    const auto open = BindExport<decltype(&MkCameraOpen)>(m, "MkCameraOpen");
    const auto start = BindExport<decltype(&MkCaptureStart)>(m, "MkCaptureStart");
    const auto wait = BindExport<decltype(&MkCaptureWaitForFrameDone)>(m, "MkCaptureWaitForFrameDone");
    const auto command = BindExport<decltype(&MkCommandRun)>(m, "MkCommandRun");
    g_exitQueue = BindExport<decltype(&MkCaptureQueueFrame)>(m, "MkCaptureQueueFrame");
    ASSERT_TRUE(initialize && open && start && wait && command && g_exitQueue);
    ASSERT_EQ(initialize(), 0u);
    ASSERT_EQ(open(kMono, MK_ACCESS_MASTER, &g_exitHandle), 0u);
    ASSERT_EQ(start(g_exitHandle), 0u);
    static std::vector<uint8_t> buffers[4];
    for (int i = 0; i < 4; ++i) {
        buffers[i].resize(640 * 480);
        g_exitFrames[i].imageBuffer = buffers[i].data();
        g_exitFrames[i].imageBufferSize = uint32_t(buffers[i].size());
        ASSERT_EQ(g_exitQueue(g_exitHandle, &g_exitFrames[i], RequeueFrame), 0u);
    }
    ASSERT_EQ(command(g_exitHandle, "AcquisitionStart"), 0u);
    EXPECT_EQ(wait(g_exitHandle, &g_exitFrames[0], 5000), 0u);
    EXPECT_EQ(g_exitFrames[0].status, 0u);
}

// A process that ends with the library still initialised (the grabber plug-in never ends
// it) finishes exiting: the library's thread is gone by then and nothing may wait for it.
TEST(MkApiDllExit, ProcessExitsWithTheLibraryRunning)
{
    std::string command = "\"" + win32::ModulePath(nullptr) +
        "\" --gtest_also_run_disabled_tests --gtest_filter=MkApiDllExit.DISABLED_ChildLeavesTheLibraryRunning";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    const win32::UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    const DWORD waited = ::WaitForSingleObject(process.get(), 20000);
    if (waited != WAIT_OBJECT_0)
        ::TerminateProcess(process.get(), 99);
    ASSERT_EQ(waited, DWORD(WAIT_OBJECT_0)) << "the child did not finish exiting within 20 s";
    DWORD code = 1;
    ASSERT_TRUE(::GetExitCodeProcess(process.get(), &code));
    EXPECT_EQ(code, 0u) << "the child's tests failed";
}

} // namespace
