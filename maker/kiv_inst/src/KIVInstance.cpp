// The framework instance: plug-in discovery and the objects it hands out by id.
#include "KIVInstance.h"

#include "kiv_inst_core/LoadErrors.h"
#include "kiv_inst_core/PluginFiles.h"
#include "ModuleVersion.h"

#include "win32/find_files.h"

#include <utility>

namespace kivinst {

CKIVInstance::CKIVInstance() : builtins_(BuiltinObjects())
{
    for (const BuiltinObject& b : builtins_)
        catalog_.AddBuiltin(b.id, b.name, b.type, b.source);
    versionText_ = ModuleVersionText(OwnModule());
}

CKIVInstance::~CKIVInstance()
{
    live_.ReleaseAll();
    modules_.clear();
}

int CKIVInstance::Init(const char* folder, const char* pattern, int flag)
{
    if (!folder || !flag)
        return 0;
    const std::string search = JoinPath(folder, pattern && *pattern ? pattern : "K*.*");
    std::vector<std::string> names;
    for (win32::FoundFile& found : win32::FindFiles(search)) {
        if (!found.IsDirectory())
            names.push_back(std::move(found.name));
    }

    const size_t before = modules_.size();
    for (const std::string& path : SelectPluginFiles(folder, std::move(names), OwnModulePath()))
        LoadPlugin(path);
    return static_cast<int>(modules_.size() - before);
}

int CKIVInstance::LoadDeviceClient(const char* path)
{
    if (!path || !*path)
        return kLoadBadPath;
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path, MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH)
        return kLoadBadPath;
    return LoadPlugin(full);
}

int CKIVInstance::LoadPlugin(const std::string& path)
{
    try {
        int error = kLoadOk;
        std::unique_ptr<PluginModule> plugin = PluginModule::Load(path, error);
        if (!plugin)
            return error;
        // The system hands out one module per file, so a second load of the
        // same plug-in (under any spelling of its path) finds it here; the
        // extra reference goes with `plugin`.
        for (const auto& m : modules_)
            if (m->Handle() == plugin->Handle())
                return kLoadOk;
        const std::vector<PluginType> types = plugin->Types();
        if (catalog_.AddPluginTypes(modules_.size(), types.data(), types.size()) == 0)
            return kLoadNoNewTypes;
        modules_.push_back(std::move(plugin));
        return kLoadOk;
    } catch (...) {
        return kLoadFailed;
    }
}

const char* CKIVInstance::GetVersionText()
{
    return versionText_.c_str();
}

uintptr_t CKIVInstance::GetObjInfo(uint32_t id, int kind)
{
    return catalog_.Info(id, kind);
}

size_t CKIVInstance::GetNumObj()
{
    return catalog_.Size();
}

uint32_t CKIVInstance::GetObjID(size_t index)
{
    return catalog_.IdAt(index);
}

CKIVObject_0* CKIVInstance::CreateObj(uint32_t id)
{
    try {
        const CatalogEntry* entry = catalog_.Find(id);
        if (!entry)
            return nullptr;
        return entry->source == ObjectSource::Plugin ? CreatePluginObject(*entry) : CreateBuiltinObject(*entry);
    } catch (...) {
        return nullptr;
    }
}

CKIVObject_0* CKIVInstance::CreatePluginObject(const CatalogEntry& entry)
{
    const PluginModule* module = modules_.at(entry.module).get();
    CKIVDeviceClient_0* object = module->Create(entry.id);
    if (object)
        live_.Add(object, [module](CKIVObject_0* o) { module->Destroy(static_cast<CKIVDeviceClient_0*>(o)); });
    return object;
}

CKIVObject_0* CKIVInstance::CreateBuiltinObject(const CatalogEntry& entry)
{
    for (const BuiltinObject& b : builtins_) {
        if (b.id != entry.id)
            continue;
        CKIVObject_0* object = b.create();
        if (object)
            live_.Add(object, b.destroy);
        return object;
    }
    return nullptr;
}

void CKIVInstance::DeleteObj(CKIVObject_0* object)
{
    try {
        live_.Release(object);
    } catch (...) {
        // A destructor of a foreign object must not take the host down.
    }
}

} // namespace kivinst
