// The framework a host opens: Framix.ini in a store, the log, and the grabber
// plug-ins loaded from the list or by discovery.
#include "FramixExports.h"

#include "UnifiedGrabber.h"

#include "config_store/IniFile.h"
#include "framix_core/IniLayout.h"
#include "win32/find_files.h"
#include "win32/module.h"
#include "win32/unique_handle.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// Keeps a bad file from raising the system's "cannot load" message box while
// it is probed.
class QuietErrorMode {
public:
    QuietErrorMode() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_); }
    ~QuietErrorMode() { SetThreadErrorMode(old_, nullptr); }
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    DWORD old_ = 0;
};

struct StoreDeleter {
    void operator()(CIniFile* store) const { DeleteIniFile(store); }
};

struct LoadedGrabber {
    std::string path;
    int32_t section = 0;
    win32::UniqueModule module;
    PFN_DeleteGrabberInstance destroy = nullptr;
    CUnifiedGrabber* grabber = nullptr;
};

HMODULE ThisModule()
{
    return win32::ModuleOfAddress(reinterpret_cast<const void*>(&ThisModule));
}

} // namespace

struct FramixFramework {
    CGrabberLog log;
    std::unique_ptr<CIniFile, StoreDeleter> store;
    std::string iniPath;
    std::vector<std::unique_ptr<LoadedGrabber>> grabbers;

    ~FramixFramework()
    {
        for (auto it = grabbers.rbegin(); it != grabbers.rend(); ++it) {
            LoadedGrabber& g = **it;
            try {
                g.destroy(g.grabber);
            } catch (...) {
                log.Print(0, "Framix: grabber %d: DeleteGrabberInstance threw", g.section);
            }
            g.grabber = nullptr;
            g.module.reset();
        }
    }

    void Load(const framix::GrabberEntry& entry, const std::string& folder);
};

void FramixFramework::Load(const framix::GrabberEntry& entry, const std::string& folder)
{
    const std::string path = framix::ResolvePluginPath(folder, entry.file);
    const int n = entry.section;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        log.Print(0, "Framix: grabber %d: \"%s\" not found, skipped", n, path.c_str());
        return;
    }
    auto loaded = std::make_unique<LoadedGrabber>();
    loaded->path = path;
    loaded->section = n;
    {
        QuietErrorMode quiet;
        // The plug-in's folder resolves its own dependencies first.
        loaded->module.reset(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    }
    if (!loaded->module) {
        log.Print(0, "Framix: grabber %d: \"%s\" is not a loadable module (system error %lu), skipped", n, path.c_str(),
                  GetLastError());
        return;
    }
    const auto create = win32::BindExport<PFN_CreateGrabberInstance>(loaded->module.get(), FRAMIX_EXPORT_CREATEGRABBER);
    loaded->destroy = win32::BindExport<PFN_DeleteGrabberInstance>(loaded->module.get(), FRAMIX_EXPORT_DELETEGRABBER);
    if (loaded->module.get() == ThisModule() || !create || !loaded->destroy) {
        log.Print(0, "Framix: grabber %d: \"%s\" does not export CreateGrabberInstance and DeleteGrabberInstance, skipped",
                  n, path.c_str());
        return;
    }
    try {
        loaded->grabber = create(reinterpret_cast<HINSTANCE>(loaded->module.get()));
    } catch (...) {
        loaded->grabber = nullptr;
    }
    if (!loaded->grabber) {
        log.Print(0, "Framix: grabber %d: CreateGrabberInstance of \"%s\" failed, skipped", n, path.c_str());
        return;
    }
    CUnifiedGrabber* g = loaded->grabber;
    g->SetLog(&log);
    g->SetGrabberIni(store.get(), n);
    g->SetCameraIni(store.get());
    grabbers.push_back(std::move(loaded));
    UG_ERRCODE config = UG_ERR_EXCEPTION;
    try {
        config = g->LoadGrabberConfig();
    } catch (...) {
    }
    if (config != UG_OK)
        log.Print(0, "Framix: grabber %d: configuration not loaded (code %u)", n, config);
    log.Print(1, "Framix: grabber %d: loaded \"%s\" (%s)", n, path.c_str(), g->GetDriverDesc());
}

extern "C" FRAMIX_API void InitGrabberSectStr(char* buffer, int32_t sectionNum)
{
    if (!buffer)
        return;
    try {
        std::snprintf(buffer, UG_SECTSTR_SIZE, "%s", framix::GrabberSection(sectionNum).c_str());
    } catch (...) {
        buffer[0] = 0;
    }
}

extern "C" FRAMIX_API FramixFramework* FramixOpenEx(const char* iniPath, const char* pluginFolder, UG_LOG_CALLBACK logCallback,
                                                    void* context)
{
    try {
        auto framework = std::make_unique<FramixFramework>();
        framework->log.SetCallback(logCallback, context);
        framework->iniPath = iniPath ? iniPath : "";
        const bool inMemory = framework->iniPath.empty();
        framework->store.reset(CreateIniFile(inMemory ? INIKIND_MEM : INIKIND_FAST));
        if (!framework->store)
            return nullptr;
        if (!inMemory) {
            framework->store->SetFileName(framework->iniPath.c_str());
            if (GetFileAttributesA(framework->iniPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
                const int loaded = framework->store->Load();
                if (loaded != 0)
                    framework->log.Print(0, "Framix: \"%s\" could not be read completely (code 0x%08X)",
                                         framework->iniPath.c_str(), static_cast<unsigned>(loaded));
            } else {
                framework->log.Print(1, "Framix: \"%s\" does not exist yet, starting without configuration",
                                     framework->iniPath.c_str());
            }
            // The log file lives beside the ini (in the data folder) unless the ini says otherwise.
            std::string logFile;
            int found = 0;
            framework->store->ReadRaw(framix::kFrameworkSection, framix::kKeyLogFile, "Framix.log", logFile, &found);
            if (!logFile.empty()) {
                const std::string logPath = framix::ResolvePluginPath(framix::FolderOf(framework->iniPath), logFile);
                if (!framework->log.SetLogFile(logPath.c_str()))
                    framework->log.Print(0, "Framix: log file \"%s\" cannot be opened", logPath.c_str());
            }
        }
        std::string folder = pluginFolder ? pluginFolder : "";
        if (folder.empty())
            folder = framix::FolderOf(win32::ModulePath(ThisModule()));
        std::vector<framix::GrabberEntry> list = framix::ReadLoadList(*framework->store);
        if (list.empty()) {
            std::vector<std::string> names;
            for (const auto& f : win32::FindFiles(folder + "\\Framix*.dll"))
                if (!f.IsDirectory())
                    names.push_back(f.name);
            list = framix::DiscoveryList(names);
            framework->log.Print(1, "Framix: no grabbers listed, %u found in \"%s\"", static_cast<unsigned>(list.size()),
                                 folder.c_str());
        }
        for (const auto& entry : list)
            framework->Load(entry, folder);
        return framework.release();
    } catch (...) {
        return nullptr;
    }
}

extern "C" FRAMIX_API FramixFramework* FramixOpen(const char* iniPath, UG_LOG_CALLBACK log, void* context)
{
    return FramixOpenEx(iniPath, nullptr, log, context);
}

extern "C" FRAMIX_API uint32_t FramixGetNumGrabbers(FramixFramework* framework)
{
    return framework ? static_cast<uint32_t>(framework->grabbers.size()) : 0;
}

extern "C" FRAMIX_API CUnifiedGrabber* FramixGetGrabber(FramixFramework* framework, uint32_t index)
{
    if (!framework || index >= framework->grabbers.size())
        return nullptr;
    return framework->grabbers[index]->grabber;
}

extern "C" FRAMIX_API const char* FramixGetGrabberFile(FramixFramework* framework, uint32_t index)
{
    if (!framework || index >= framework->grabbers.size())
        return "";
    return framework->grabbers[index]->path.c_str();
}

extern "C" FRAMIX_API CGrabberLog* FramixGetLog(FramixFramework* framework)
{
    return framework ? &framework->log : nullptr;
}

extern "C" FRAMIX_API UG_ERRCODE FramixSaveConfig(FramixFramework* framework)
{
    if (!framework)
        return UG_ERR_PARAMETER;
    UG_ERRCODE result = UG_OK;
    for (auto& g : framework->grabbers) {
        UG_ERRCODE saved = UG_ERR_EXCEPTION;
        try {
            saved = g->grabber->SaveGrabberConfig();
        } catch (...) {
        }
        if (saved != UG_OK && result == UG_OK)
            result = saved;
    }
    if (framework->iniPath.empty())
        return result;
    const int written = framework->store->Save();
    if (written != 0) {
        framework->log.Print(0, "Framix: \"%s\" could not be written (code 0x%08X)", framework->iniPath.c_str(),
                             static_cast<unsigned>(written));
        return UG_ERR_FAILED;
    }
    return result;
}

extern "C" FRAMIX_API void FramixClose(FramixFramework* framework)
{
    try {
        delete framework;
    } catch (...) {
    }
}
