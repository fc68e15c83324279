// One loaded device-client plug-in module and its five entry points.
#pragma once

#include "HapDeviceClientExports.h"
#include "kiv_inst_core/ObjectCatalog.h"

#include "win32/unique_handle.h"

#include <memory>
#include <string>
#include <vector>

namespace kivinst {

class PluginModule {
public:
    // Loads the file and binds the entry points; on failure returns null and
    // sets `error` (LoadErrors.h). Loads without the system's error boxes.
    static std::unique_ptr<PluginModule> Load(const std::string& path, int& error);

    HMODULE Handle() const { return module_.get(); }
    const std::string& Path() const { return path_; }

    // The object types as the plug-in reports them (bounded: a plug-in
    // claiming absurd numbers is read only up to kMaxTypes).
    std::vector<PluginType> Types() const;

    CKIVDeviceClient_0* Create(uint32_t type) const;
    void Destroy(CKIVDeviceClient_0* object) const;

    static constexpr unsigned long kMaxTypes = 256;

private:
    PluginModule() = default;

    win32::UniqueModule module_;
    std::string path_;
    PFN_HapDeviceClientGetNumObj getNumObj_ = nullptr;
    PFN_HapDeviceClientGetObjType getObjType_ = nullptr;
    PFN_HapDeviceClientGetObjInfo getObjInfo_ = nullptr;
    PFN_HapDeviceClientCreateInstance createInstance_ = nullptr;
    PFN_HapDeviceClientDeleteInstance deleteInstance_ = nullptr;
};

// The full path of this module (KIVInst.dll), for skipping it in a folder scan.
std::string OwnModulePath();
HMODULE OwnModule();

} // namespace kivinst
