// The communication device's rules against a scripted platform: the lock,
// the configuration in a real file store, and the port operations on the
// in-process emulator with virtual time.
#include "kiv_comm_device/CKIVCommDevice.h"
#include "kiv_comm_device/EmulatorTransport.h"

#include "config_store/IniFile.h"
#include "kl7700emu/Camera.h"
#include "kl7700emu_testing/VirtualClock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kivinst {
namespace {

using VirtualClock = kl7700emu::testing::VirtualClock<Clock>;

// Mutexes of "other programs": a name listed in `heldElsewhere` cannot be acquired.
struct MutexWorld {
    std::map<std::string, int> holders; // name -> holders in this process
    std::map<std::string, bool> heldElsewhere;
    std::string lastName;
    uint32_t lastTimeout = 0;
};

class FakeMutex final : public PortMutex {
public:
    FakeMutex(MutexWorld& world, std::string name) : world_(world), name_(std::move(name)) {}
    bool acquire(uint32_t timeoutMs) override
    {
        world_.lastName = name_;
        world_.lastTimeout = timeoutMs;
        if (world_.heldElsewhere[name_])
            return false;
        ++world_.holders[name_];
        return true;
    }
    void release() override { --world_.holders[name_]; }

private:
    MutexWorld& world_;
    std::string name_;
};

struct PlatformScript {
    MutexWorld mutexes;
    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>(1000);
    std::shared_ptr<kl7700emu::Camera> camera = std::make_shared<kl7700emu::Camera>();
    bool dialogConfirms = true;
    PortConfig dialogResult;
    int dialogCalls = 0;
    PortConfig dialogSawConfig;
    std::vector<PortConfig> transportConfigs;
};

class FakePlatform final : public CommPlatform {
public:
    explicit FakePlatform(PlatformScript& script) : script_(script) {}
    std::unique_ptr<Transport> makeTransport(const PortConfig& config) override
    {
        script_.transportConfigs.push_back(config);
        // A grabber's channel stands in for the line to the same emulated camera.
        if (config.kind != PortKind::Emulator && config.kind != PortKind::Grabber)
            return nullptr;
        return std::make_unique<EmulatorTransport>(script_.clock, script_.camera);
    }
    std::unique_ptr<PortMutex> makePortMutex(const std::string& name) override
    {
        return std::make_unique<FakeMutex>(script_.mutexes, name);
    }
    bool editPortConfig(HWND, PortConfig& config) override
    {
        ++script_.dialogCalls;
        script_.dialogSawConfig = config;
        if (script_.dialogConfirms)
            config = script_.dialogResult;
        return script_.dialogConfirms;
    }

private:
    PlatformScript& script_;
};

struct StoreDeleter {
    void operator()(CIniFile* store) const { DeleteIniFile(store); }
};
using StorePtr = std::unique_ptr<CIniFile, StoreDeleter>;

class CommDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = (std::filesystem::temp_directory_path() / (std::string("commdev_") + info->name() + ".ini")).string();
        std::remove(path_.c_str());
    }
    void TearDown() override { std::remove(path_.c_str()); }

    StorePtr loadStore()
    {
        StorePtr store(CreateIniFile(INIKIND_FAST));
        store->SetFileName(path_.c_str());
        store->Load();
        return store;
    }
    void storePort(const char* port)
    {
        StorePtr store = loadStore();
        store->WriteString("CommDev_0", "Port", port);
        ASSERT_EQ(0, store->Save());
    }
    // A device with the stored port restored.
    std::unique_ptr<CKIVCommDevice> deviceFor(const char* port)
    {
        storePort(port);
        auto device = std::make_unique<CKIVCommDevice>(std::make_unique<FakePlatform>(script_));
        store_ = loadStore();
        device->SetConfigStore(store_.get());
        EXPECT_EQ(0, device->RestoreConfig());
        return device;
    }
    std::string readAll(CKIVCommDevice& device)
    {
        std::string text;
        char buffer[64];
        unsigned long count = 0;
        while (device.ReadData(buffer, sizeof buffer, &count) == 0 && count > 0)
            text.append(buffer, count);
        return text;
    }

    std::string path_;
    PlatformScript script_;
    StorePtr store_;
};

char ownerA, ownerB; // owner tokens: only their addresses count

TEST_F(CommDeviceTest, SecondOwnerIsRefusedWithAndWithoutWaiting)
{
    auto device = deviceFor("EMULATOR");
    ASSERT_EQ(0, device->Lock(&ownerA, 0));
    EXPECT_EQ(&ownerA, device->GetLockOwner());
    EXPECT_EQ(kCommLocked, device->Lock(&ownerB, 0));
    EXPECT_EQ(kCommLocked, device->Lock(&ownerB, 500));
    device->Unlock(&ownerB); // not the holder: ignored
    EXPECT_EQ(&ownerA, device->GetLockOwner());
    device->Unlock(&ownerA);
    EXPECT_EQ(nullptr, device->GetLockOwner());
    EXPECT_EQ(0, device->Lock(&ownerB, 0));
    EXPECT_EQ(kCommParam, device->Lock(nullptr, 0));
}

TEST_F(CommDeviceTest, LockCountsNestedLocksOfTheSameOwner)
{
    auto device = deviceFor("EMULATOR");
    ASSERT_EQ(0, device->Lock(&ownerA, 0));
    ASSERT_EQ(0, device->Lock(&ownerA, 500));
    const std::string name = "Local\\Quarnel.CommDev.EMULATOR";
    EXPECT_EQ(1, script_.mutexes.holders[name]) << "the port mutex is taken once";
    device->Unlock(&ownerA);
    EXPECT_EQ(&ownerA, device->GetLockOwner());
    EXPECT_EQ(kCommLocked, device->Lock(&ownerB, 0));
    device->Unlock(&ownerA);
    EXPECT_EQ(nullptr, device->GetLockOwner());
    EXPECT_EQ(0, script_.mutexes.holders[name]);
    device->Unlock(&ownerA); // one too many: harmless
    EXPECT_EQ(0, script_.mutexes.holders[name]);
}

TEST_F(CommDeviceTest, PortHeldByAnotherProgramIsRefusedAfterTheWait)
{
    auto device = deviceFor("COM4");
    script_.mutexes.heldElsewhere["Local\\Quarnel.CommDev.COM4"] = true;
    EXPECT_EQ(kCommLocked, device->Lock(&ownerA, 500));
    EXPECT_EQ(500u, script_.mutexes.lastTimeout);
    EXPECT_EQ(kCommLocked, device->Lock(&ownerA, 0xFFFFFFFFul));
    EXPECT_EQ(60000u, script_.mutexes.lastTimeout) << "an endless wait is bounded";
    EXPECT_EQ(nullptr, device->GetLockOwner());
    script_.mutexes.heldElsewhere["Local\\Quarnel.CommDev.COM4"] = false;
    EXPECT_EQ(0, device->Lock(&ownerA, 0));
    device->Exit(); // releases the lock and the mutex
    EXPECT_EQ(0, script_.mutexes.holders["Local\\Quarnel.CommDev.COM4"]);
    EXPECT_EQ(nullptr, device->GetLockOwner());
}

TEST_F(CommDeviceTest, RestoreConfigAnswersForMissingGarbageAndValidPorts)
{
    struct Case {
        const char* port; // null: key absent
        int expected;
    };
    const Case cases[] = {
        {nullptr, kCommNoConfig},
        {"", kCommNoConfig},
        {"COM", kCommNoConfig},
        {"TCP:host", kCommNoConfig},
        {"SERIAL1", kCommNoConfig},
        {"COM2", 0},
        {"TCP:localhost:5000", 0},
        {"EMULATOR", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port ? c.port : "(absent)");
        std::remove(path_.c_str());
        if (c.port)
            storePort(c.port);
        StorePtr store = loadStore();
        CKIVCommDevice device(std::make_unique<FakePlatform>(script_));
        device.SetConfigStore(store.get());
        EXPECT_EQ(c.expected, device.RestoreConfig());
        EXPECT_EQ(c.expected == 0, device.config().has_value());
    }
    CKIVCommDevice noStore(std::make_unique<FakePlatform>(script_));
    EXPECT_EQ(kCommNoStore, noStore.RestoreConfig());
}

TEST_F(CommDeviceTest, DialogOkSavesTheStoreAndCancelChangesNothing)
{
    auto device = deviceFor("COM1");
    script_.dialogResult.kind = PortKind::Serial;
    script_.dialogResult.serial = SerialSettings{5, 9600, 'O', 7, StopBits::Two};
    ASSERT_EQ(0, device->ShowConfigDialog(nullptr));
    EXPECT_EQ(1u, script_.dialogSawConfig.serial.comNumber) << "the dialog starts from the current settings";
    EXPECT_STREQ("COM5, 9600 Baud, 7O2", device->GetInfoText(HAPCOMM_INFO_PORT_CONFIGURATION, 0));

    // A second device reading the saved file sees the same configuration.
    StorePtr reread = loadStore();
    CKIVCommDevice other(std::make_unique<FakePlatform>(script_));
    other.SetConfigStore(reread.get());
    ASSERT_EQ(0, other.RestoreConfig());
    EXPECT_EQ(*device->config(), *other.config());

    script_.dialogConfirms = false;
    script_.dialogResult.serial.comNumber = 9;
    EXPECT_EQ(kCommCancelled, device->ShowConfigDialog(nullptr));
    EXPECT_STREQ("COM5", device->GetInfoText(HAPCOMM_INFO_PORT_DESCRIPTION, 0));
    StorePtr afterCancel = loadStore();
    char port[32] = {};
    afterCancel->GetString("CommDev_0", "Port", "", port, sizeof port, nullptr);
    EXPECT_STREQ("COM5", port);
}

TEST_F(CommDeviceTest, EmulatorAnswersTheVersionQuery)
{
    auto device = deviceFor("EMULATOR");
    EXPECT_EQ(HAPCOMM_STATE_CLOSED, device->GetState());
    ASSERT_EQ(0, device->Open());
    EXPECT_EQ(HAPCOMM_STATE_OPEN, device->GetState());
    ASSERT_EQ(0, device->Purge(HAPCOMM_PURGE_RX | HAPCOMM_PURGE_TX));
    unsigned long count = 0;
    ASSERT_EQ(0, device->WriteText("V\r", &count));
    EXPECT_EQ(2u, count);
    const std::string reply = readAll(*device);
    EXPECT_EQ(0u, reply.rfind("V\r", 0)) << reply;
    EXPECT_NE(std::string::npos, reply.find("Sorvel")) << reply;
    EXPECT_EQ('>', reply.back()) << reply;
}

TEST_F(CommDeviceTest, EmulatedCameraKeepsItsSettingsWhileThePortIsClosed)
{
    auto device = deviceFor("EMULATOR");
    ASSERT_EQ(0, device->Open());
    unsigned long count = 0;
    ASSERT_EQ(0, device->WriteText("E=00000800\r", &count));
    EXPECT_EQ("E=00000800\r\r\n>", readAll(*device));
    ASSERT_EQ(0, device->WriteText("W=?\r", &count)); // reply left unread
    ASSERT_EQ(0, device->Close());
    ASSERT_EQ(0, device->Open());
    ASSERT_EQ(0, device->WriteText("E=?\r", &count));
    const std::string reply = readAll(*device);
    EXPECT_EQ(0u, reply.rfind("E=?\r", 0)) << "nothing from before the reopening: " << reply;
    EXPECT_NE(std::string::npos, reply.find("\n=00000800")) << reply;
}

TEST_F(CommDeviceTest, PurgeDropsUnreadRepliesAndReadCharTakesOneByte)
{
    auto device = deviceFor("EMULATOR");
    ASSERT_EQ(0, device->Open());
    const char cr = '\r';
    unsigned long count = 0;
    ASSERT_EQ(0, device->WriteChar(&cr, &count));
    EXPECT_EQ(1u, count);
    ASSERT_EQ(0, device->Purge(HAPCOMM_PURGE_RX));
    EXPECT_EQ("", readAll(*device));

    ASSERT_EQ(0, device->WriteData("s=?\r", 4, &count));
    char c = 0;
    ASSERT_EQ(0, device->ReadChar(&c, &count));
    EXPECT_EQ(1u, count);
    EXPECT_EQ('s', c);
    EXPECT_EQ(kCommParam, device->Purge(4));
    EXPECT_EQ(kCommParam, device->Purge(0));
}

TEST_F(CommDeviceTest, DelayedReplyArrivesWithinTheReadLimitOnly)
{
    auto device = deviceFor("EMULATOR");
    ASSERT_EQ(0, device->Open());
    script_.camera->injectFault(kl7700emu::Fault::Delay);
    unsigned long count = 0;
    ASSERT_EQ(0, device->WriteText("a=?\r", &count));
    char buffer[256];
    device->setReadLimitMs(20);
    ASSERT_EQ(0, device->ReadData(buffer, sizeof buffer, &count));
    EXPECT_EQ(0u, count) << "a 300 ms late reply is not there after 20 ms";
    device->setReadLimitMs(1000);
    ASSERT_EQ(0, device->ReadData(buffer, sizeof buffer, &count));
    EXPECT_GT(count, 0u);
}

TEST_F(CommDeviceTest, AGrabberPortOpensFramixThroughTheStoredIni)
{
    auto device = deviceFor("GRABBER:2");
    ASSERT_TRUE(device->config());
    EXPECT_EQ(PortKind::Grabber, device->config()->kind);
    EXPECT_EQ(kCommOpenFailed, device->Open()) << "no UGIni in the store";
    EXPECT_TRUE(script_.transportConfigs.empty());
    EXPECT_NE(std::string::npos, std::string(device->GetInfoText(2, kCommOpenFailed)).find("UGIni"));

    store_->WriteString("CommDev_0", "UGIni", "C:\\Data\\Framix.ini");
    ASSERT_EQ(0, device->Lock(&ownerA, 0));
    EXPECT_EQ("Local\\Quarnel.CommDev.GRABBER:2", script_.mutexes.lastName);
    ASSERT_EQ(0, device->Open());
    ASSERT_EQ(1u, script_.transportConfigs.size());
    EXPECT_EQ("C:\\Data\\Framix.ini", script_.transportConfigs[0].framixIni);
    EXPECT_EQ(2u, script_.transportConfigs[0].grabber);
    EXPECT_TRUE(device->config()->framixIni.empty()) << "the path is not part of the stored port";
    unsigned long count = 0;
    EXPECT_EQ(0, device->WriteText("V\r", &count));
    EXPECT_NE(std::string::npos, readAll(*device).find("Sorvel"));
    EXPECT_STREQ("Command channel of grabber 2", device->GetInfoText(0, 0));
    device->Close();
    device->Unlock(&ownerA);
}

TEST_F(CommDeviceTest, OperationsOnAClosedOrUnconfiguredPortFail)
{
    auto device = deviceFor("EMULATOR");
    char buffer[8];
    unsigned long count = 99;
    EXPECT_EQ(kCommNotOpen, device->ReadData(buffer, sizeof buffer, &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(kCommNotOpen, device->WriteText("V\r", &count));
    EXPECT_EQ(kCommNotOpen, device->Purge(HAPCOMM_PURGE_RX));
    ASSERT_EQ(0, device->Open());
    EXPECT_EQ(0, device->Open()) << "opening an open port is no error";
    EXPECT_EQ(kCommParam, device->WriteText(nullptr, &count));
    EXPECT_EQ(kCommParam, device->ReadData(nullptr, 8, &count));
    EXPECT_EQ(0, device->ReadData(buffer, 0, &count));
    EXPECT_EQ(0, device->Close());
    EXPECT_EQ(HAPCOMM_STATE_CLOSED, device->GetState());

    CKIVCommDevice unconfigured(std::make_unique<FakePlatform>(script_));
    EXPECT_EQ(kCommNoConfig, unconfigured.Open());
    EXPECT_STREQ("No port configured", unconfigured.GetInfoText(HAPCOMM_INFO_PORT_DESCRIPTION, 0));

    auto tcp = deviceFor("TCP:localhost:1");
    EXPECT_EQ(kCommOpenFailed, tcp->Open()) << "the fake platform serves the emulator only";
    EXPECT_NE(nullptr, std::strstr(tcp->GetInfoText(HAPCOMM_INFO_ERROR_TEXT, kCommOpenFailed), "TCP localhost:1"));
}

TEST_F(CommDeviceTest, DetachClosesThePortAndForgetsTheStore)
{
    auto device = deviceFor("EMULATOR");
    ASSERT_EQ(0, device->Open());
    device->Detach();
    EXPECT_EQ(HAPCOMM_STATE_CLOSED, device->GetState());
    EXPECT_EQ(kCommNoStore, device->RestoreConfig());
}

TEST_F(CommDeviceTest, ErrorTextsOfOwnAndForeignCodes)
{
    CKIVCommDevice device(std::make_unique<FakePlatform>(script_));
    EXPECT_STREQ("The communication device is locked by another user",
                 device.GetInfoText(HAPCOMM_INFO_ERROR_TEXT, kCommLocked));
    const char* foreign = device.GetInfoText(HAPCOMM_INFO_ERROR_TEXT, 0x7777);
    ASSERT_NE(nullptr, foreign); // the script's text, or a generic one naming the code
    EXPECT_STRNE("", foreign);
    EXPECT_EQ(nullptr, device.GetInfoText(3, 0));
}

} // namespace
} // namespace kivinst
