// The framework instance: plug-in discovery and the objects it hands out by id.
#pragma once

#include "KIVInst.h"
#include "kiv_inst_core/LiveObjects.h"
#include "kiv_inst_core/ObjectCatalog.h"
#include "plugins/PluginModule.h"
#include "BuiltinObjects.h"

#include <memory>
#include <string>
#include <vector>

namespace kivinst {

class CKIVInstance final : public CKIVInstance_0 {
public:
    CKIVInstance();
    ~CKIVInstance();
    CKIVInstance(const CKIVInstance&) = delete;
    CKIVInstance& operator=(const CKIVInstance&) = delete;

    // Loads the plug-ins of `folder` that match `pattern` when `flag` is
    // nonzero (with 0 only the built-in objects are offered). Returns the
    // number of plug-in files newly loaded.
    int Init(const char* folder, const char* pattern, int flag) override;
    int LoadDeviceClient(const char* path) override;
    const char* GetVersionText() override;
    uintptr_t GetObjInfo(uint32_t id, int kind) override;
    size_t GetNumObj() override;
    uint32_t GetObjID(size_t index) override;
    CKIVObject_0* CreateObj(uint32_t id) override;
    void DeleteObj(CKIVObject_0* object) override;

private:
    int LoadPlugin(const std::string& path);
    CKIVObject_0* CreatePluginObject(const CatalogEntry& entry);
    CKIVObject_0* CreateBuiltinObject(const CatalogEntry& entry);

    ObjectCatalog catalog_;
    std::vector<BuiltinObject> builtins_;
    std::vector<std::unique_ptr<PluginModule>> modules_;
    LiveObjects live_; // declared after modules_: objects go before their modules
    std::string versionText_;
};

} // namespace kivinst
