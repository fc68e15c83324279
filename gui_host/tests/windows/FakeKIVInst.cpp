// A framework instance library for Varnik's process tests: a communication
// device and two device controllers that append every call to a log file.
// VARNIK_FAKE_LOG names the log; VARNIK_FAKE_MODE holds words that shape it:
// "noinstance", "nodevice", "locked" (another owner holds the device),
// "open" (the port starts open), "openfails", "closefails".
#include "win32/lean_windows.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kiv_testing/DeviceClientStub.h"
#include "kiv_testing/HapDeviceCommStub.h"
#include "KIVInst.h"
#include "KIVObject.h"

namespace {

std::string Environment(const char* name)
{
    char value[1024];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

bool HasMode(const char* word)
{
    return ("," + Environment("VARNIK_FAKE_MODE") + ",").find(std::string(",") + word + ",") != std::string::npos;
}

void Log(const std::string& line)
{
    const std::string path = Environment("VARNIK_FAKE_LOG");
    if (path.empty())
        return;
    if (FILE* file = std::fopen(path.c_str(), "ab")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

class FakeDevice : public HapDeviceCommStub {
public:
    int state = HAPCOMM_STATE_CLOSED;
    int locks = 0;

    void SetConfigStore(CIniFile_0* store) override { Log(store ? "SetConfigStore store" : "SetConfigStore null"); }
    int Init() override
    {
        Log("Init");
        return 0;
    }
    int Exit() override
    {
        Log("Exit");
        return 0;
    }
    int RestoreConfig() override
    {
        Log("RestoreConfig");
        return 1;
    }
    int Detach() override
    {
        Log("Detach");
        return 0;
    }
    int ShowConfigDialog(HWND parent) override
    {
        Log(std::string("ShowConfigDialog ") + (parent ? "parent" : "null") + (locks ? " locked" : " unlocked") +
            (state == HAPCOMM_STATE_OPEN ? " open" : " closed"));
        return 0;
    }
    const char* GetInfoText(int which, long) override { return which == 0 ? "Fake port" : "9600,N,8,1"; }
    int Lock(const void* owner, unsigned long timeout) override
    {
        if (HasMode("locked"))
            return 1;
        ++locks;
        return owner ? 0 : 1;
    }
    void Unlock(const void*) override
    {
        if (locks == 0)
            Log("Unlock without lock");
        else
            --locks;
    }
    int Open() override
    {
        Log(locks ? "Open locked" : "Open unlocked");
        if (HasMode("openfails"))
            return 7;
        state = HAPCOMM_STATE_OPEN;
        return 0;
    }
    int GetState() override { return state; }
    int Close() override
    {
        Log("Close");
        if (HasMode("closefails"))
            return 7;
        state = HAPCOMM_STATE_CLOSED;
        return 0;
    }
};

class FakeController : public DeviceClientStub {
public:
    explicit FakeController(uint32_t id) : id_(id) {}
    EKIV_ERR_ERRCODE_ Connect(CHapDeviceComm_0* device) override
    {
        Log("Connect " + std::to_string(id_) + (device ? " device" : " null"));
        return 0;
    }
    EKIV_ERR_ERRCODE_ ShowDialogNonModal(HWND parent) override
    {
        Log("ShowDialogNonModal " + std::to_string(id_) + (parent ? " parent" : " null"));
        return 0;
    }
    uint32_t id_;
};

struct Known {
    int type;
    const char* name;
};

class FakeInstance final : public CKIVInstance_0 {
public:
    std::vector<uint32_t> ids{0, 4098, 65536};
    std::map<uint32_t, Known> known{{0, {0, "Communication device"}},
                                    {4098, {0, "Script processor"}},
                                    {65536, {1, "Fake Camera A"}},
                                    {65537, {1, "Fake Camera B"}}};
    std::unique_ptr<FakeDevice> device;
    std::map<uint32_t, std::unique_ptr<FakeController>> controllers;

    int Init(const char* folder, const char* pattern, int flag) override
    {
        Log(std::string("Init ") + folder + " " + pattern + " " + std::to_string(flag));
        return 0;
    }
    int LoadDeviceClient(const char* path) override
    {
        const std::string name = path;
        Log("LoadDeviceClient " + name);
        const size_t slash = name.rfind('\\');
        if (name.compare(slash + 1, 5, "KFake") != 0)
            return 1;
        // Loading the same plug-in again adds nothing new.
        if (std::find(ids.begin(), ids.end(), 65537u) == ids.end())
            ids.push_back(65537);
        return 0;
    }
    const char* GetVersionText() override { return "fake"; }
    uintptr_t GetObjInfo(uint32_t id, int kind) override
    {
        auto it = known.find(id);
        if (it == known.end())
            return 0;
        return kind == 1 ? static_cast<uintptr_t>(it->second.type) : reinterpret_cast<uintptr_t>(it->second.name);
    }
    size_t GetNumObj() override { return ids.size(); }
    uint32_t GetObjID(size_t index) override { return index < ids.size() ? ids[index] : 0xFFFFFFFFu; }
    CKIVObject_0* CreateObj(uint32_t id) override
    {
        Log("CreateObj " + std::to_string(id));
        if (id == 0) {
            if (HasMode("nodevice"))
                return nullptr;
            device = std::make_unique<FakeDevice>();
            if (HasMode("open"))
                device->state = HAPCOMM_STATE_OPEN;
            return device.get();
        }
        auto& made = controllers[id];
        made = std::make_unique<FakeController>(id);
        return made.get();
    }
    void DeleteObj(CKIVObject_0* object) override
    {
        if (device && object == device.get()) {
            Log("DeleteObj 0");
            device.reset();
            return;
        }
        for (auto& [id, controller] : controllers) {
            if (controller && static_cast<CKIVObject_0*>(controller.get()) == object) {
                Log("DeleteObj " + std::to_string(id));
                controller.reset();
                return;
            }
        }
        Log("DeleteObj unknown");
    }
};

} // namespace

extern "C" __declspec(dllexport) CKIVInstance_0* CreateKIVInstance()
{
    Log("CreateKIVInstance");
    if (HasMode("noinstance"))
        return nullptr;
    return new (std::nothrow) FakeInstance;
}

extern "C" __declspec(dllexport) void DeleteKIVInstance(CKIVInstance_0* instance)
{
    Log("DeleteKIVInstance");
    delete static_cast<FakeInstance*>(instance);
}
