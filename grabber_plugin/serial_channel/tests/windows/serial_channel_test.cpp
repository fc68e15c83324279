// CCmdZelmkAPI over the simulated camera library (mkApi.dll, a camera with
// three serial ports: the KL-7700 on port 0, loopbacks on ports 1 and 2),
// checked against a transcript of every register call the channel makes.
#include "CmdZelmkAPI.h"
#include "FramixZelmkAPIClass.h"
#include "Win32BindingPlatform.h"

#include "GrabberLog.h"

#include "app_framework_testing/message_tests.h"
#include "config_store/IniFile.h"
#include "win32/module.h"
#include "win32/unique_handle.h"

#include "RegisterCall.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace zelmk::serial;

const char kNetwork[] = "[Network]\nHostAddress=192.168.10.1\nHostMask=255.255.255.0\n"
                        "[Camera Ports]\nUniqueId=601\nAddress=192.168.10.31\nMask=255.255.255.0\n"
                        "SerialPorts=3\nSerialPort0=kl7700\nSerialPort1=loopback\nSerialPort2=loopback\n";

using zelmk::serial::test_support::Call;
using zelmk::serial::test_support::R;
using zelmk::serial::test_support::W;

// The register functions the binding hands the channel: they record each call
// and pass it to the library's own. A test may change what a read answers.
struct Recorder {
    std::mutex lock;
    std::vector<Call> calls;
    std::function<void(const uint32_t*, uint32_t*, uint32_t)> onRead;
    decltype(&::_Mk_Factory_Test_10) read = nullptr;
    decltype(&::_Mk_Factory_Test_11) write = nullptr;

    std::vector<Call> Take()
    {
        std::lock_guard<std::mutex> guard(lock);
        return std::exchange(calls, {});
    }
    size_t Count(bool isWrite, uint32_t address)
    {
        std::lock_guard<std::mutex> guard(lock);
        return std::count_if(calls.begin(), calls.end(),
                             [&](const Call& c) { return c.write == isWrite && c.addresses.at(0) == address; });
    }
};
Recorder g_rec;

uint32_t MKAPI_CALL RecordedRead(MkHandle h, uint32_t n, const uint32_t* addresses, uint32_t* values, uint32_t* done)
{
    const uint32_t code = g_rec.read(h, n, addresses, values, done);
    std::lock_guard<std::mutex> guard(g_rec.lock);
    g_rec.calls.push_back(R({addresses, addresses + n}));
    if (code == 0 && g_rec.onRead) g_rec.onRead(addresses, values, n);
    return code;
}

uint32_t MKAPI_CALL RecordedWrite(MkHandle h, uint32_t n, const uint32_t* addresses, const uint32_t* values, uint32_t* done)
{
    {
        std::lock_guard<std::mutex> guard(g_rec.lock);
        g_rec.calls.push_back(W({addresses, addresses + n}, {values, values + n}));
    }
    return g_rec.write(h, n, addresses, values, done);
}

class RecordingPlatform : public zelmk::Win32BindingPlatform {
public:
    void* FindExport(void* module, const char* name) override
    {
        void* found = Win32BindingPlatform::FindExport(module, name);
        if (!found) return nullptr;
        if (std::string(name) == "_Mk_Factory_Test_10") {
            g_rec.read = reinterpret_cast<decltype(g_rec.read)>(found);
            return reinterpret_cast<void*>(&RecordedRead);
        }
        if (std::string(name) == "_Mk_Factory_Test_11") {
            g_rec.write = reinterpret_cast<decltype(g_rec.write)>(found);
            return reinterpret_cast<void*>(&RecordedWrite);
        }
        return found;
    }
};

const zelmk::CmkAPIAccess& Api()
{
    static RecordingPlatform platform;
    static const zelmk::CmkAPIAccess* access = [] {
        const fs::path file = fs::temp_directory_path() / ("zelmk_serial_" + std::to_string(::GetCurrentProcessId()) + ".ini");
        std::ofstream(file) << kNetwork;
        _putenv(("MKAPI_NETWORK=" + file.string()).c_str());
        return new zelmk::CmkAPIAccess(platform);
    }();
    return *access;
}

DWORD NoWait(HANDLE, DWORD) { return WAIT_TIMEOUT; }

constexpr uint32_t kPort1 = 0x60000;

class SerialChannelTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Api().IsValid());
        m_store.reset(CreateIniFile(INIKIND_MEM));
        m_grabber = std::make_unique<CFramixZelmkAPIClass>(::GetModuleHandleA(nullptr), &Api());
        m_grabber->InitMembers();
        m_grabber->SetGrabberIni(m_store.get(), 0);
        m_grabber->SetLinkWait(&NoWait);
        ASSERT_EQ(UG_OK, m_grabber->Init());
        ASSERT_EQ(UG_OK, m_grabber->SetActCameraIndex(0));
        ASSERT_EQ(UG_OK, m_grabber->OpenActCamera());
        m_channel = MakeChannel();
        g_rec.Take();
    }
    void TearDown() override
    {
        for (CCmdChannel* c : m_channels) m_grabber->DeleteCmdChannel(c);
        m_grabber.reset();
        std::lock_guard<std::mutex> guard(g_rec.lock);
        g_rec.onRead = nullptr;
        g_rec.calls.clear();
    }
    CCmdZelmkAPI* MakeChannel()
    {
        auto* channel = dynamic_cast<CCmdZelmkAPI*>(m_grabber->CreateCmdChannel(1));
        EXPECT_NE(nullptr, channel);
        if (!channel) return nullptr;
        m_channels.push_back(channel);
        channel->SetIni(m_store.get());
        channel->SetGrabberSectionNum(0);
        channel->SetIniKeyIndex(0);
        return channel;
    }
    void OpenLoopback(int32_t baud = 9)
    {
        m_channel->SetCmdName("MKAPISERIALPORT1");
        m_channel->SetLineSettings({baud, 0, 3, 0});
        ASSERT_EQ(UG_OK, m_channel->Open());
        g_rec.Take();
    }
    // The bytes waiting on a port, read past the recorder.
    uint32_t Waiting(uint32_t base)
    {
        const uint32_t address = base + 0x14C;
        uint32_t value = 0, done = 0;
        g_rec.read(m_grabber->GetCameraHandle(), 1, &address, &value, &done);
        return value;
    }
    std::string ReadUntil(size_t n)
    {
        std::string text;
        PumpUntil([&] {
            char buffer[1024];
            uint64_t count = 0;
            if (m_channel->ReadBuffer(buffer, sizeof buffer, &count) == UG_OK) text.append(buffer, count);
            return text.size() >= n;
        });
        return text;
    }

    struct StoreDeleter {
        void operator()(CIniFile* store) const { DeleteIniFile(store); }
    };
    std::unique_ptr<CIniFile, StoreDeleter> m_store;
    std::unique_ptr<CFramixZelmkAPIClass> m_grabber;
    std::vector<CCmdChannel*> m_channels;
    CCmdZelmkAPI* m_channel = nullptr;
};

TEST_F(SerialChannelTest, ChannelTypeOneIsTheCamerasSerialPort)
{
    EXPECT_EQ(UG_CMDTYPE_PLUGIN, m_channel->GetChannelType());
    EXPECT_STREQ("mkAPI Serial Port", m_channel->GetTypeName());
    EXPECT_STREQ("115200 Baud, Parity = No, Bytesize = 8, Stopbits = 1", m_channel->GetConfigString());
    EXPECT_STREQ("MKAPISERIALPORT", m_channel->GetTypeKey());
    EXPECT_EQ(-1, m_channel->GetPortIndex());
    EXPECT_EQ(2u, m_channel->PortNameToIndex("mkapiserialport2"));
    EXPECT_EQ(0xFFFFFFFFu, m_channel->PortNameToIndex("COM1"));
    EXPECT_STREQ("MKAPISERIALPORT0", m_channel->PortIndexToName(0));
    EXPECT_STREQ("", m_channel->PortIndexToName(3));
    EXPECT_EQ(nullptr, m_grabber->CreateCmdChannel(2));
}

TEST_F(SerialChannelTest, OpenTwiceThenCloseAndOpenAgain)
{
    m_store->WriteString("Grabber_0_CmdChannel_0", "PORTNAME", "mkapiserialport1");
    m_store->WriteString("Grabber_0_CmdChannel_0", "BAUD", "115200");
    m_store->WriteString("Grabber_0_CmdChannel_0", "PARITY", "even");
    m_store->WriteString("Grabber_0_CmdChannel_0", "BYTESIZE", "8");
    m_store->WriteString("Grabber_0_CmdChannel_0", "STOPBITS", "1.5");
    ASSERT_EQ(UG_OK, m_channel->GetConfig());
    ASSERT_EQ(UG_OK, m_channel->Open());
    EXPECT_EQ(1, m_channel->GetPortIndex());
    EXPECT_EQ(1, m_channel->IsOpen());
    EXPECT_EQ((std::vector<Call>{W({0x60104, 0x60128, 0x60148, 0x60144}, {0x1E09, 3, 3, 0xFFFFFFFF})}), g_rec.Take());

    EXPECT_EQ(UG_ERR_CMD_ALREADY_OPEN, m_channel->Open());
    EXPECT_TRUE(g_rec.Take().empty());

    EXPECT_EQ(UG_OK, m_channel->Close());
    EXPECT_EQ((std::vector<Call>{W({0x60128, 0x60148, 0x60144}, {1, 1, 0xFFFFFFFF})}), g_rec.Take());
    EXPECT_EQ(-1, m_channel->GetPortIndex());
    EXPECT_EQ(0, m_channel->IsOpen());
    EXPECT_EQ(UG_OK, m_channel->Open());
}

TEST_F(SerialChannelTest, FailuresOfOpenAndOfAChannelWithoutCamera)
{
    m_channel->SetCmdName("COM1");
    EXPECT_EQ(UG_ERR_CMD_OPEN_FAILED, m_channel->Open());
    EXPECT_EQ(-1, m_channel->GetPortIndex());

    // A rate the camera refuses fails the open and leaves the port closed for another try.
    m_store->WriteString("Grabber_0_CmdChannel_0", "PORTNAME", "MKAPISERIALPORT1");
    m_store->WriteString("Grabber_0_CmdChannel_0", "BAUD", "115200 ");
    ASSERT_EQ(UG_OK, m_channel->GetConfig());
    EXPECT_EQ(-1, m_channel->GetLineSettings().baud);
    EXPECT_STREQ("0 Baud, Parity = No, Bytesize = 8, Stopbits = 1", m_channel->GetConfigString());
    EXPECT_EQ(UG_ERR_CMD_OPEN_FAILED, m_channel->Open());
    EXPECT_EQ(-1, m_channel->GetPortIndex());
    m_channel->SetLineSettings({});
    EXPECT_EQ(UG_OK, m_channel->Open());
    EXPECT_EQ(UG_OK, m_channel->Close());

    ASSERT_EQ(UG_OK, m_grabber->CloseActCamera());
    g_rec.Take();
    uint8_t byte = 0;
    uint32_t one = 7;
    uint64_t count = 7;
    EXPECT_EQ(UG_ERR_CMD_OPEN_FAILED, m_channel->Open());
    EXPECT_EQ(UG_ERR_CMD_READ_FAILED, m_channel->ReadByte(&byte, &one));
    EXPECT_EQ(0u, one);
    EXPECT_EQ(UG_ERR_CMD_WRITE_FAILED, m_channel->WriteBuffer("x", 1, &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(UG_ERR_CMD_READ_FAILED, m_channel->ReadBuffer(&byte, 1, &count));
    EXPECT_EQ(UG_ERR_CMD_WRITE_FAILED, m_channel->Purge(3));
    EXPECT_EQ(UG_OK, m_channel->Close());
    EXPECT_TRUE(g_rec.Take().empty()) << "no camera, no register call";

    CCmdZelmkAPI alone(nullptr, nullptr);
    EXPECT_EQ(UG_ERR_CMD_OPEN_FAILED, alone.Open());
    EXPECT_EQ(UG_ERR_CMD_WRITE_FAILED, alone.WriteByte(1, &one));
    EXPECT_EQ(UG_ERR_CMD_WRITE_FAILED, alone.Purge(1));
    EXPECT_EQ(UG_OK, alone.Close());
}

TEST_F(SerialChannelTest, SettingsRoundTripThroughTheStore)
{
    m_channel->SetCmdName("MKAPISERIALPORT2");
    m_channel->SetLineSettings({10, 1, 2, 2});
    m_channel->SetInterCharDelay(3);
    ASSERT_EQ(UG_OK, m_channel->SetConfig());
    const char* section = "Grabber_0_CmdChannel_0";
    char text[64];
    const std::pair<const char*, const char*> stored[] = {
        {"PORTNAME", "MKAPISERIALPORT2"}, {"BAUD", "230400"}, {"PARITY", "Odd"}, {"BYTESIZE", "7"}, {"STOPBITS", "2"}};
    for (const auto& [key, value] : stored) {
        SCOPED_TRACE(key);
        m_store->GetString(section, key, "", text, sizeof text, nullptr);
        EXPECT_STREQ(value, text);
    }
    CCmdZelmkAPI* other = MakeChannel();
    ASSERT_EQ(UG_OK, other->GetConfig());
    EXPECT_STREQ("MKAPISERIALPORT2", other->GetCmdName());
    EXPECT_STREQ("230400 Baud, Parity = Odd, Bytesize = 7, Stopbits = 2", other->GetConfigString());
    EXPECT_EQ(3u, other->GetInterCharDelay());
    // Without a store neither direction works, and nothing is half-written.
    CCmdZelmkAPI alone(nullptr, nullptr);
    EXPECT_EQ(UG_ERR_NO_CONFIG_STORE, alone.SetConfig());
    EXPECT_EQ(UG_ERR_NO_CONFIG_STORE, alone.GetConfig());
}

TEST_F(SerialChannelTest, FiveBytesThroughTheLoopback)
{
    OpenLoopback();
    uint64_t count = 0;
    ASSERT_EQ(UG_OK, m_channel->WriteBuffer("ABCDE", 5, &count));
    EXPECT_EQ(5u, count);
    const std::vector<Call> calls = g_rec.Take();
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ(R({0x60124}), calls[0]);
    EXPECT_EQ((std::vector<uint32_t>{0x60400, 0x60404}), calls[1].addresses);
    EXPECT_EQ(0x41424344u, calls[1].values[0]);
    EXPECT_EQ(0x45u, calls[1].values[1] >> 24);
    EXPECT_EQ(W({0x6012C}, {5}), calls[2]);
    EXPECT_EQ("ABCDE", ReadUntil(5));

    // Nothing waiting: ReadBuffer succeeds with nothing, ReadByte fails.
    char buffer[8];
    count = 9;
    EXPECT_EQ(UG_OK, m_channel->ReadBuffer(buffer, sizeof buffer, &count));
    EXPECT_EQ(0u, count);
    uint8_t byte = 0;
    uint32_t one = 9;
    EXPECT_EQ(UG_ERR_CMD_READ_FAILED, m_channel->ReadByte(&byte, &one));
    EXPECT_EQ(0u, one);

    ASSERT_EQ(UG_OK, m_channel->WriteByte('Z', &one));
    EXPECT_EQ(1u, one);
    PumpUntil([&] { return Waiting(kPort1) == 1; });
    EXPECT_EQ(UG_OK, m_channel->ReadByte(&byte, &one));
    EXPECT_EQ('Z', byte);
    EXPECT_EQ(1u, one);

    g_rec.Take();
    EXPECT_EQ(UG_OK, m_channel->Purge(3));
    EXPECT_EQ((std::vector<Call>{W({0x60148}, {3}), W({0x60128}, {3})}), g_rec.Take());
}

TEST_F(SerialChannelTest, AReceiveLargerThanOneRegisterBlock)
{
    OpenLoopback(10);
    std::string sent(600, '\0');
    for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>('!' + i % 90);
    uint64_t count = 0;
    ASSERT_EQ(UG_OK, m_channel->WriteBuffer(sent.data(), sent.size(), &count));
    ASSERT_TRUE(PumpUntil([&] { return Waiting(kPort1) == 600; }));
    g_rec.Take();
    std::string got(1024, '\0');
    ASSERT_EQ(UG_OK, m_channel->ReadBuffer(got.data(), got.size(), &count));
    ASSERT_EQ(600u, count);
    EXPECT_EQ(sent, got.substr(0, 600));
    const std::vector<Call> calls = g_rec.Take();
    ASSERT_EQ(4u, calls.size());
    EXPECT_EQ(R({0x6014C}), calls[0]);
    EXPECT_EQ(R({0x6014C}), calls[1]);
    EXPECT_EQ(150u, calls[2].addresses.size()) << "one read of every register";
    EXPECT_EQ(W({0x6014C}, {600}), calls[3]);
}

TEST_F(SerialChannelTest, ADelayWritesByteByByte)
{
    OpenLoopback();
    std::vector<uint32_t> delays;
    m_channel->SetDelayFunction([](void* c, uint32_t ms) { static_cast<std::vector<uint32_t>*>(c)->push_back(ms); }, &delays);
    m_channel->SetInterCharDelay(5);
    uint64_t count = 0;
    ASSERT_EQ(UG_OK, m_channel->WriteBuffer("abc", 3, &count));
    EXPECT_EQ(3u, count);
    EXPECT_EQ((std::vector<uint32_t>{5, 5}), delays);
    EXPECT_EQ(3u, g_rec.Count(true, 0x6012C));
    EXPECT_EQ("abc", ReadUntil(3));
}

TEST_F(SerialChannelTest, ATransmitWaitsForTheOneBefore)
{
    OpenLoopback(5); // 9600 baud: 20 characters take about 21 ms
    uint64_t count = 0;
    ASSERT_EQ(UG_OK, m_channel->WriteBuffer(std::string(20, 'w').c_str(), 20, &count));
    g_rec.Take();
    uint32_t one = 0;
    ASSERT_EQ(UG_OK, m_channel->WriteByte('!', &one));
    EXPECT_GT(g_rec.Count(false, 0x60124), 1u) << "the port was busy with the first transmit";
    EXPECT_EQ(std::string(20, 'w') + "!", ReadUntil(21));
}

TEST_F(SerialChannelTest, APortThatNeverBecomesReadyFailsTheWrite)
{
    OpenLoopback();
    {
        std::lock_guard<std::mutex> guard(g_rec.lock);
        g_rec.onRead = [](const uint32_t* a, uint32_t* v, uint32_t n) {
            for (uint32_t i = 0; i < n; ++i)
                if (a[i] == 0x60124) v[i] = 0;
        };
    }
    uint64_t now = 0;
    m_channel->SetReadyClock({[&] { return now; }, [&] { now += 10; }});
    uint32_t one = 9;
    EXPECT_EQ(UG_ERR_CMD_WRITE_FAILED, m_channel->WriteByte('x', &one));
    EXPECT_EQ(0u, one);
    EXPECT_EQ(1000u, now) << "the limit with nothing sent before";
    EXPECT_EQ(101u, g_rec.Count(false, 0x60124));
    EXPECT_EQ(0u, g_rec.Count(true, 0x60400) + g_rec.Count(true, 0x6012C));
}

TEST_F(SerialChannelTest, AnExchangeWaitsForTheGrabbersMutex)
{
    OpenLoopback();
    std::atomic<bool> held{false}, release{false}, started{false}, finished{false};
    std::thread holder([&] {
        ::WaitForSingleObject(m_grabber->GetMutex(), 5000);
        held = true;
        PumpUntil([&] { return release.load(); }, 10000, Pump::Plain);
        ::ReleaseMutex(m_grabber->GetMutex());
    });
    ASSERT_TRUE(PumpUntil([&] { return held.load(); }));
    UG_ERRCODE result = 99;
    std::thread writer([&] {
        started = true;
        uint64_t count = 0;
        result = m_channel->WriteBuffer("xyz", 3, &count);
        finished = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return started.load(); }));
    PumpFor(100);
    EXPECT_FALSE(finished.load());
    EXPECT_TRUE(g_rec.Take().empty()) << "no register call while another holds the mutex";
    release = true;
    holder.join();
    writer.join();
    EXPECT_EQ(UG_OK, result);
    EXPECT_EQ(1u, g_rec.Count(true, 0x6012C));
}

TEST_F(SerialChannelTest, PrepareFrameBuffersWaitsForAnExchangeToEnd)
{
    OpenLoopback();
    struct Lines {
        std::mutex lock;
        std::vector<std::string> all;
        bool Has(const std::string& part)
        {
            std::lock_guard<std::mutex> guard(lock);
            return std::any_of(all.begin(), all.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
        }
    } lines;
    CGrabberLog log;
    log.SetCallback(
        [](void* c, int, const char* text) {
            auto* l = static_cast<Lines*>(c);
            std::lock_guard<std::mutex> guard(l->lock);
            l->all.push_back(text);
        },
        &lines);
    m_grabber->SetLog(&log);
    {
        std::lock_guard<std::mutex> guard(g_rec.lock);
        g_rec.onRead = [busy = 3](const uint32_t* a, uint32_t* v, uint32_t n) mutable {
            for (uint32_t i = 0; i < n; ++i)
                if (a[i] == 0x60124 && busy-- > 0) v[i] = 0;
        };
    }
    // The transmit waits for ready under the mutex; meanwhile another thread prepares frame buffers.
    std::thread preparer;
    std::atomic<bool> calling{false};
    bool gotMutexDuringExchange = false;
    uint64_t now = 0;
    m_channel->SetReadyClock({[&] { return now; },
                              [&] {
                                  ++now;
                                  if (!preparer.joinable()) {
                                      preparer = std::thread([&] {
                                          calling = true;
                                          m_grabber->PrepareFrameBuffers();
                                      });
                                      PumpUntil([&] { return calling.load(); }, 3000, Pump::Plain);
                                      PumpUntil([&] { return lines.Has("PrepareFrameBuffers"); }, 3000, Pump::Plain);
                                      PumpFor(50, Pump::Plain);
                                  }
                                  gotMutexDuringExchange |= lines.Has("got mutex");
                              }});
    uint32_t one = 0;
    EXPECT_EQ(UG_OK, m_channel->WriteByte('x', &one));
    ASSERT_TRUE(preparer.joinable());
    preparer.join();
    EXPECT_TRUE(lines.Has("PrepareFrameBuffers")) << "the preparation ran";
    EXPECT_FALSE(gotMutexDuringExchange) << "the preparation took the mutex in the middle of a transmit";
    EXPECT_TRUE(lines.Has("got mutex")) << "and took it once the transmit was done";
    m_grabber->SetLog(nullptr);
}

struct DialogRecord {
    std::vector<SerialPortEntry> ports;
    zelmk::SerialDialogSettings seen;
    zelmk::SerialDialogSettings answer;
    bool ok = false;
    HANDLE mutex = nullptr;
    DWORD mutexFromOtherThread = WAIT_FAILED;
    int shown = 0;
};
DialogRecord g_dialog;

bool TestDialog(HWND, const std::vector<SerialPortEntry>& ports, zelmk::SerialDialogSettings& settings)
{
    ++g_dialog.shown;
    g_dialog.ports = ports;
    g_dialog.seen = settings;
    std::thread([] {
        g_dialog.mutexFromOtherThread = ::WaitForSingleObject(g_dialog.mutex, 0);
        if (g_dialog.mutexFromOtherThread == WAIT_OBJECT_0) ::ReleaseMutex(g_dialog.mutex);
    }).join();
    if (g_dialog.ok) settings = g_dialog.answer;
    return g_dialog.ok;
}

TEST_F(SerialChannelTest, ConfigDialogLeavesOutAPortTheCameraLacksWhichStillOpens)
{
    m_channel->SetDialogFunction(&TestDialog);
    g_dialog = {};
    g_dialog.mutex = m_grabber->GetMutex();
    {
        std::lock_guard<std::mutex> guard(g_rec.lock);
        g_rec.onRead = [](const uint32_t* a, uint32_t* v, uint32_t) {
            if (a[0] == 0x61000) v[0] = 1; // port 2 without bit 1
        };
    }
    m_channel->SetCmdName("MKAPISERIALPORT2");
    m_channel->SetLineSettings({5, 2, 1, 2});
    m_channel->SetInterCharDelay(12);
    int32_t exitCode = 5;
    EXPECT_EQ(UG_OK, m_channel->ConfigDialog(nullptr, &exitCode));
    EXPECT_EQ(0, exitCode);
    ASSERT_EQ(1, g_dialog.shown);
    ASSERT_EQ(2u, g_dialog.ports.size());
    EXPECT_EQ("MKAPISERIALPORT0", g_dialog.ports[0].name);
    EXPECT_EQ("Serial port 1", g_dialog.ports[1].description);
    EXPECT_EQ(0x07F707FFu, g_dialog.ports[1].supportedSettings);
    EXPECT_EQ(-1, g_dialog.seen.position);
    EXPECT_EQ(5, g_dialog.seen.baud);
    EXPECT_EQ(2, g_dialog.seen.parity);
    EXPECT_EQ(1, g_dialog.seen.byteSize);
    EXPECT_EQ(2, g_dialog.seen.stopBits);
    EXPECT_EQ(12u, g_dialog.seen.delayMs);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), g_dialog.mutexFromOtherThread) << "the dialog runs without the mutex";
    EXPECT_STREQ("MKAPISERIALPORT2", m_channel->GetCmdName());
    EXPECT_STREQ("9600 Baud, Parity = Even, Bytesize = 6, Stopbits = 2", m_channel->GetConfigString());

    g_rec.Take();
    ASSERT_EQ(UG_OK, m_channel->Open());
    const std::vector<Call> calls = g_rec.Take();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(0x61104u, calls[0].addresses[0]);
    EXPECT_EQ(UG_OK, m_channel->Close());

    g_dialog.ok = true;
    g_dialog.answer = {0, 10, 1, 2, 0, 7};
    EXPECT_EQ(UG_OK, m_channel->ConfigDialog(nullptr, &exitCode));
    EXPECT_EQ(1, exitCode);
    EXPECT_STREQ("MKAPISERIALPORT0", m_channel->GetCmdName());
    EXPECT_STREQ("230400 Baud, Parity = Odd, Bytesize = 7, Stopbits = 1", m_channel->GetConfigString());
    EXPECT_EQ(7u, m_channel->GetInterCharDelay());

    // OK without a port chosen keeps the name.
    g_dialog.answer.position = -1;
    EXPECT_EQ(UG_OK, m_channel->ConfigDialog(nullptr, &exitCode));
    EXPECT_EQ(1, exitCode);
    EXPECT_STREQ("MKAPISERIALPORT0", m_channel->GetCmdName());
}

// The dialogs library's own dialog, cancelled from a timer once it lists the ports.
int g_listed = -1;
void CALLBACK CancelSerialDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = ::FindWindowA(nullptr, "Configure Communication Port");
    if (!dialog) return;
    ::KillTimer(nullptr, timer);
    g_listed = static_cast<int>(::SendDlgItemMessageA(dialog, 7024, LB_GETCOUNT, 0, 0));
    ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(SerialChannelTest, ConfigDialogShowsTheDialogsLibrarysDialog)
{
    m_channel->SetCmdName("MKAPISERIALPORT1");
    g_listed = -1;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &CancelSerialDialog);
    int32_t exitCode = 5;
    EXPECT_EQ(UG_OK, m_channel->ConfigDialog(nullptr, &exitCode));
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(0, exitCode);
    EXPECT_EQ(3, g_listed) << "the camera's three ports";
    EXPECT_STREQ("MKAPISERIALPORT1", m_channel->GetCmdName());
}

// FramixHost with the plug-in on the library's built-in network: the KL-7700
// behind the first camera's port 0 answers a query through the channel.
TEST(SerialChannelHostTest, FramixHostTalksToTheKl7700)
{
    const fs::path bin = fs::path(win32::ModulePath(nullptr)).parent_path().parent_path() / "bin";
    const fs::path folder = fs::temp_directory_path() / ("zelmk_serial_host_" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(folder);
    const std::string ini = (folder / "Framix.ini").string();
    std::ofstream(ini, std::ios::binary) << "[Framix]\r\nLogFile=\r\n[Grabber_0]\r\nFile=FramixZelmkAPI.dll\n";
    const std::string output = (folder / "out.txt").string();
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    win32::UniqueHandle<win32::handle_traits::File> out(::CreateFileA(
        output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(out);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = out.get();
    std::string command = "\"" + (bin / "FramixHost.exe").string() + "\" --quiet --ini \"" + ini +
        "\" init select 100001 open channel 1 port MKAPISERIALPORT0 cmdopen purge 3 write \"s=?\\r\" read 300 "
        "cmdclose close";
    ::SetEnvironmentVariableA("MKAPI_NETWORK", nullptr);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, bin.string().c_str(),
                                 &startup, &process));
    win32::UniqueHandle<win32::handle_traits::Kernel> child(process.hProcess), thread(process.hThread);
    if (::WaitForSingleObject(child.get(), 60000) != WAIT_OBJECT_0) {
        ::TerminateProcess(child.get(), 99);
        ::WaitForSingleObject(child.get(), 5000);
        ADD_FAILURE() << "FramixHost did not finish within 60 s";
    }
    DWORD exitCode = 0;
    ::GetExitCodeProcess(child.get(), &exitCode);
    out.reset();
    std::ifstream in(output);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    EXPECT_EQ(0u, exitCode) << text;
    EXPECT_NE(std::string::npos, text.find("channel 0: mkAPI Serial Port")) << text;
    EXPECT_NE(std::string::npos, text.find("write: 4 bytes")) << text;
    EXPECT_NE(std::string::npos, text.find("read: ")) << text;
    EXPECT_NE(std::string::npos, text.find("\"s=?\\r\\r\\n=")) << text;
    EXPECT_NE(std::string::npos, text.find("\\r\\n>\"")) << text;
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

} // namespace
