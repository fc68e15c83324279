// Controller table refresh (type filter, no duplicates, failed objects),
// release order, starting a controller and the Enter key.
#include "FakeDevice.h"
#include "kiv_testing/DeviceClientStub.h"
#include "gui_host/ControllerTable.h"

#include <gtest/gtest.h>

#include <map>

using namespace varnik;
using varnik_test::FakeDevice;
using varnik_test::RecordingMessages;

namespace {

std::vector<std::string> g_log;

class FakeClient : public DeviceClientStub {
public:
    explicit FakeClient(uint32_t id) : id_(id) {}
    EKIV_ERR_ERRCODE_ Connect(CHapDeviceComm_0* device) override
    {
        g_log.push_back("Connect " + std::to_string(id_) + (device ? " device" : " null"));
        return 0;
    }
    EKIV_ERR_ERRCODE_ ShowDialogNonModal(HWND parent) override
    {
        g_log.push_back("Show " + std::to_string(id_) + (parent ? " parent" : " null"));
        return 0;
    }
    uint32_t id_;
};

struct FakeObject {
    int type;
    const char* name;
    bool creatable;
};

class FakeInstance : public CKIVInstance_0 {
public:
    std::vector<uint32_t> ids;
    std::map<uint32_t, FakeObject> objects;
    std::map<uint32_t, std::unique_ptr<FakeClient>> made;

    int Init(const char*, const char*, int) override { return 0; }
    int LoadDeviceClient(const char*) override { return 0; }
    const char* GetVersionText() override { return ""; }
    uintptr_t GetObjInfo(uint32_t id, int kind) override
    {
        const FakeObject& o = objects.at(id);
        return kind == 1 ? static_cast<uintptr_t>(o.type) : reinterpret_cast<uintptr_t>(o.name);
    }
    size_t GetNumObj() override { return ids.size(); }
    uint32_t GetObjID(size_t index) override { return ids.at(index); }
    CKIVObject_0* CreateObj(uint32_t id) override
    {
        g_log.push_back("CreateObj " + std::to_string(id));
        if (!objects.at(id).creatable)
            return nullptr;
        made[id] = std::make_unique<FakeClient>(id);
        return made[id].get();
    }
    void DeleteObj(CKIVObject_0* object) override
    {
        auto* client = static_cast<FakeClient*>(static_cast<CKIVDeviceClient_0*>(object));
        g_log.push_back("DeleteObj " + std::to_string(client->id_));
    }
};

std::vector<uint32_t> Ids(const ControllerTable& table)
{
    std::vector<uint32_t> ids;
    for (const ControllerEntry& e : table.Entries())
        ids.push_back(e.id);
    return ids;
}

} // namespace

TEST(ControllerTable, RefreshKeepsDeviceClientsOnceInFirstSeenOrder)
{
    FakeInstance instance;
    instance.objects = {{0, {0, "device", true}}, {4096, {1, "Terminal", true}}, {65536, {1, nullptr, true}}, {70000, {1, "Broken", false}}, {4098, {0, "Script", true}}, {65537, {1, "Camera B", true}}};
    instance.ids = {0, 4096, 4098, 65536, 70000};
    ControllerTable table;
    g_log.clear();
    EXPECT_EQ(2u, table.Refresh(instance));
    EXPECT_EQ((std::vector<uint32_t>{4096, 65536}), Ids(table));
    EXPECT_EQ("Terminal", table.Entries()[0].name);
    EXPECT_EQ("", table.Entries()[1].name) << "a null name reads as empty";
    EXPECT_EQ((std::vector<std::string>{"CreateObj 4096", "CreateObj 65536", "CreateObj 70000"}), g_log)
        << "objects of other types are never created";

    // A plug-in loaded later: new id appended, existing ids skipped without a second object.
    instance.ids = {65537, 0, 4096, 4098, 65536};
    g_log.clear();
    EXPECT_EQ(1u, table.Refresh(instance));
    EXPECT_EQ((std::vector<uint32_t>{4096, 65536, 65537}), Ids(table));
    EXPECT_EQ((std::vector<std::string>{"CreateObj 65537"}), g_log);

    g_log.clear();
    EXPECT_EQ(0u, table.Refresh(instance));
    EXPECT_TRUE(g_log.empty());

    table.Release(instance);
    EXPECT_TRUE(table.Entries().empty());
    EXPECT_EQ((std::vector<std::string>{"DeleteObj 65537", "DeleteObj 65536", "DeleteObj 4096"}), g_log);
}

TEST(ControllerTable, StartController)
{
    FakeInstance instance;
    instance.objects = {{7, {1, "Camera", true}}};
    instance.ids = {7};
    ControllerTable table;
    table.Refresh(instance);
    RecordingMessages messages;
    int refreshes = 0;
    auto refresh = [&] { g_log.push_back("refresh"); ++refreshes; };

    for (int row : {-1, 1}) {
        SCOPED_TRACE(row);
        g_log.clear();
        EXPECT_EQ(0, StartController(table, row, nullptr, refresh, messages));
        EXPECT_TRUE(g_log.empty());
    }
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_EQ("Please select a device controller first!", messages.shown[0].text);
    EXPECT_EQ("Info", messages.shown[0].caption);
    EXPECT_EQ(MessageIcon::None, messages.shown[0].icon);

    // Without a device the controller is still connected (to null) and shown.
    g_log.clear();
    EXPECT_EQ(1, StartController(table, 0, nullptr, refresh, messages));
    EXPECT_EQ((std::vector<std::string>{"refresh", "Connect 7 null", "Show 7 null"}), g_log);

    // With one the port is opened first, without the lock.
    FakeDevice device;
    g_log.clear();
    EXPECT_EQ(1, StartController(table, 0, &device, refresh, messages));
    EXPECT_EQ((std::vector<std::string>{"Open"}), device.calls);
    EXPECT_EQ((std::vector<std::string>{"refresh", "Connect 7 device", "Show 7 null"}), g_log);
    table.Release(instance);
}

TEST(EnterKey, OnlyCloseEndsAndOnlyOneSelectedRowStarts)
{
    constexpr int kClose = 1, kList = 1011, kOpen = 1004;
    EXPECT_EQ(EnterAction::EndDialog, DecideEnter(kClose, kClose, kList, 0));
    EXPECT_EQ(EnterAction::StartSelected, DecideEnter(kList, kClose, kList, 1));
    EXPECT_EQ(EnterAction::Nothing, DecideEnter(kList, kClose, kList, 0));
    EXPECT_EQ(EnterAction::Nothing, DecideEnter(kOpen, kClose, kList, 1));
    EXPECT_EQ(EnterAction::Nothing, DecideEnter(0, kClose, kList, 1));
}
