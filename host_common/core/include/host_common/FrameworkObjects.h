// What both programs do with the framework instance: initialise it on the
// program folder, and own its communication device until the end.
#pragma once

#include "HapDeviceComm.h"
#include "KIVInst.h"

#include <string>
#include <string_view>

namespace host_common {

// The framework instance library, loaded by name from the program's search path.
inline constexpr const char* kFrameworkLibrary = "KIVInst.dll";
// The plug-ins the instance looks for in the program folder.
inline constexpr const char* kPluginPattern = "K*.*";

// Init(program folder, "K*.*", 1): the instance loads the plug-ins it finds there.
void InitInstance(CKIVInstance_0& instance, const std::string& programFolder);

// The communication device (object id 0) from CreateObj to its release:
// Detach(), Exit(), then the instance's DeleteObj. May hold none.
class CommDevice {
public:
    CommDevice() = default;
    explicit CommDevice(CKIVInstance_0& instance);
    ~CommDevice() { reset(); }
    CommDevice(const CommDevice&) = delete;
    CommDevice& operator=(const CommDevice&) = delete;

    CHapDeviceComm_0* get() const { return device_; }
    CHapDeviceComm_0* operator->() const { return device_; }
    explicit operator bool() const { return device_ != nullptr; }

    // SetConfigStore(store), Init(), RestoreConfig(); returns RestoreConfig's
    // result (nonzero: the stored configuration is not usable).
    int Configure(CIniFile_0* store);

    // Releases the device now (nothing when there is none).
    void reset();

private:
    CKIVInstance_0* instance_ = nullptr;
    CHapDeviceComm_0* device_ = nullptr;
};

} // namespace host_common
