// The instance's start on the program folder and the communication device's life, on recording doubles.
#include "host_common/FrameworkObjects.h"

#include "kiv_testing/HapDeviceCommStub.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace host_common {
namespace {

using Calls = std::vector<std::string>;

class RecordingDevice : public HapDeviceCommStub {
public:
    explicit RecordingDevice(Calls& calls) : calls_(calls) {}
    int restoreResult = 0;

    void SetConfigStore(CIniFile_0* store) override { calls_.push_back(store ? "SetConfigStore(store)" : "SetConfigStore(null)"); }
    int Init() override { return Record("Init"); }
    int RestoreConfig() override
    {
        Record("RestoreConfig");
        return restoreResult;
    }
    int Detach() override { return Record("Detach"); }
    int Exit() override { return Record("Exit"); }

private:
    int Record(const char* call)
    {
        calls_.push_back(call);
        return 0;
    }
    Calls& calls_;
};

class RecordingInstance : public CKIVInstance_0 {
public:
    Calls calls;
    std::unique_ptr<RecordingDevice> device;

    int Init(const char* folder, const char* pattern, int flag) override
    {
        calls.push_back(std::string("Init(") + folder + ", " + pattern + ", " + std::to_string(flag) + ")");
        return 0;
    }
    int LoadDeviceClient(const char*) override { return 0; }
    const char* GetVersionText() override { return ""; }
    uintptr_t GetObjInfo(uint32_t, int) override { return 0; }
    size_t GetNumObj() override { return 0; }
    uint32_t GetObjID(size_t) override { return 0; }
    CKIVObject_0* CreateObj(uint32_t id) override
    {
        calls.push_back("CreateObj(" + std::to_string(id) + ")");
        return device.get();
    }
    void DeleteObj(CKIVObject_0* object) override
    {
        calls.push_back(object == device.get() ? "DeleteObj(device)" : "DeleteObj(other)");
    }
};

TEST(FrameworkObjects, InstanceStartsOnTheProgramFolderWithThePluginPattern)
{
    RecordingInstance instance;
    InitInstance(instance, "C:\\Apps\\Varnik");
    EXPECT_EQ(instance.calls, (Calls{"Init(C:\\Apps\\Varnik, K*.*, 1)"}));
}

TEST(FrameworkObjects, CommDeviceIsConfiguredThenDetachedExitedAndDeletedOnce)
{
    RecordingInstance instance;
    instance.device = std::make_unique<RecordingDevice>(instance.calls);
    instance.device->restoreResult = 7;
    {
        CommDevice device(instance);
        ASSERT_TRUE(device);
        EXPECT_EQ(device.get(), instance.device.get());
        int store = 0; // any non-null store: the device only borrows it
        EXPECT_EQ(device.Configure(reinterpret_cast<CIniFile_0*>(&store)), 7) << "RestoreConfig's result";
        device.reset();
        EXPECT_FALSE(device);
    } // the destructor finds nothing left to release
    EXPECT_EQ(instance.calls, (Calls{"CreateObj(0)", "SetConfigStore(store)", "Init", "RestoreConfig", "Detach", "Exit", "DeleteObj(device)"}));
}

TEST(FrameworkObjects, AMissingCommDeviceIsNeverReleased)
{
    RecordingInstance instance;
    {
        CommDevice device(instance);
        EXPECT_FALSE(device);
    }
    CommDevice none;
    EXPECT_FALSE(none);
    EXPECT_EQ(instance.calls, (Calls{"CreateObj(0)"}));
}

} // namespace
} // namespace host_common
