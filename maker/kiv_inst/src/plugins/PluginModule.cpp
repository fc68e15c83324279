// One loaded device-client plug-in module and its five entry points.
#include "plugins/PluginModule.h"

#include "kiv_inst_core/LoadErrors.h"
#include "win32/module.h"

#include <cstdio>

namespace kivinst {

namespace {

// Keeps a bad file from raising the system's "cannot load" message box
// while we probe it; restores the thread's previous mode.
class QuietErrorMode {
public:
    QuietErrorMode() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_); }
    ~QuietErrorMode() { SetThreadErrorMode(old_, nullptr); }
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    DWORD old_ = 0;
};

template <typename Fn>
bool Bind(HMODULE module, const char* name, Fn& fn)
{
    fn = win32::BindExport<Fn>(module, name);
    return fn != nullptr;
}

} // namespace

std::unique_ptr<PluginModule> PluginModule::Load(const std::string& path, int& error)
{
    if (path.empty()) {
        error = kLoadBadPath;
        return nullptr;
    }
    std::unique_ptr<PluginModule> plugin(new PluginModule);
    {
        QuietErrorMode quiet;
        // Altered search path: the plug-in's own folder resolves its
        // dependencies (HapDeviceClient.dll and the like) first.
        plugin->module_.reset(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    }
    if (!plugin->module_) {
        error = kLoadCannotOpen;
        return nullptr;
    }
    HMODULE m = plugin->module_.get();
    const bool bound = m != OwnModule() && Bind(m, HAPDEVICECLIENT_EXPORT_GETNUMOBJ, plugin->getNumObj_) &&
        Bind(m, HAPDEVICECLIENT_EXPORT_GETOBJTYPE, plugin->getObjType_) &&
        Bind(m, HAPDEVICECLIENT_EXPORT_GETOBJINFO, plugin->getObjInfo_) &&
        Bind(m, HAPDEVICECLIENT_EXPORT_CREATEINSTANCE, plugin->createInstance_) &&
        Bind(m, HAPDEVICECLIENT_EXPORT_DELETEINSTANCE, plugin->deleteInstance_);
    if (!bound) {
        error = kLoadNotAPlugin;
        return nullptr;
    }
    plugin->path_ = path;
    error = kLoadOk;
    return plugin;
}

std::vector<PluginType> PluginModule::Types() const
{
    std::vector<PluginType> types;
    unsigned long count = getNumObj_();
    if (count > kMaxTypes)
        count = kMaxTypes;
    for (unsigned long i = 0; i < count; ++i) {
        const unsigned long type = getObjType_(i);
        if (type == HAPDEVICECLIENT_NO_TYPE)
            continue;
        PluginType t;
        t.id = static_cast<uint32_t>(type);
        const char* name = reinterpret_cast<const char*>(getObjInfo_(type, 0));
        if (name) {
            t.name = name;
        } else {
            char fallback[40];
            std::snprintf(fallback, sizeof fallback, "Device client 0x%lX", type);
            t.name = fallback;
        }
        t.type = static_cast<int>(static_cast<uint32_t>(getObjInfo_(type, 1)));
        types.push_back(std::move(t));
    }
    return types;
}

CKIVDeviceClient_0* PluginModule::Create(uint32_t type) const
{
    return createInstance_(type);
}

void PluginModule::Destroy(CKIVDeviceClient_0* object) const
{
    deleteInstance_(object);
}

HMODULE OwnModule()
{
    return win32::ModuleOfAddress(reinterpret_cast<const void*>(&OwnModule));
}

std::string OwnModulePath()
{
    return win32::ModulePath(OwnModule());
}

} // namespace kivinst
