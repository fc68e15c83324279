// Merrow: runs scripts, jobs, plug-in additions and device-client dialogs
// against the framework from the command line and reports by exit code.
#include "DialogWait.h"
#include "KeyPrompt.h"
#include "ProgramInfo.h"
#include "Session.h"
#include "Tasks.h"
#include "batch_host/Arguments.h"
#include "batch_host/HostPaths.h"
#include "batch_host/HostTexts.h"
#include "config_store/IniFile.h"
#include "win32/module.h"
#include "win32/unique_handle.h"

#include <cstdio>
#include <memory>
#include <string>

int main(int argc, char** argv);

namespace merrow {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitPluginFailed = 2;
constexpr int kExitNoObject = 4;
constexpr int kExitLocked = 6;
constexpr int kExitNotOpened = 7;

// The device lock's owner token: the address of the program's main function.
const void* LockOwner()
{
    return reinterpret_cast<const void*>(&::main);
}

struct StoreDeleter {
    void operator()(CIniFile* store) const { DeleteIniFile(store); }
};
using UniqueStore = std::unique_ptr<CIniFile, StoreDeleter>;

// Adds the plug-ins in command-line order and stops at the first failure.
int AddPlugins(Session& session)
{
    for (int index : session.line.dllList) {
        const char* path = session.argv[index];
        std::printf("Adding %s", path);
        bool added = FitsPath(path) && session.instance->LoadDeviceClient(path) == 0;
        if (!added) {
            std::printf(FitsPath(path) ? " -> FAILED\n" : " -> FAILED (path too long)\n");
            return kExitPluginFailed;
        }
        std::printf(" -> SUCCESS\n");
    }
    return kExitOk;
}

// Takes the device's lock and opens it, offering the configuration dialog
// once more when the first attempt fails. The lock is always given back.
int LockAndOpen(CHapDeviceComm_0* device)
{
    if (device->Lock(LockOwner(), 0) != 0) {
        std::printf("Communication device is locked\n");
        return kExitLocked;
    }
    bool opened = device->Open() == 0;
    if (!opened) {
        device->ShowConfigDialog(nullptr);
        opened = device->Open() == 0;
    }
    device->Unlock(LockOwner());
    if (!opened) {
        std::printf("Could not open communication device!\n");
        return kExitNotOpened;
    }
    return kExitOk;
}

int RunWithOpenDevice(Session& session)
{
    CHapDeviceComm_0* device = session.commDevice;
    if (const char* description = device->GetInfoText(HAPCOMM_INFO_PORT_DESCRIPTION, 0))
        std::printf("Port description..: %s\n", description);
    if (const char* configuration = device->GetInfoText(HAPCOMM_INFO_PORT_CONFIGURATION, 0))
        std::printf("Port configuration: %s\n\n", configuration);
    int exitCode = AddPlugins(session);
    if (session.line.listClients)
        PrintClientList(session.instance);
    if (exitCode == kExitOk)
        exitCode = RunTaskList(session);
    device->Close();
    return exitCode;
}

int RunWithDevice(Session& session, bool forceSelection)
{
    CHapDeviceComm_0* device = session.commDevice;
    device->Init();
    if (device->RestoreConfig() != 0 || forceSelection)
        device->ShowConfigDialog(nullptr);
    int exitCode = LockAndOpen(device);
    return exitCode == kExitOk ? RunWithOpenDevice(session) : exitCode;
}

// Framework objects go in the reverse order of creation.
void ReleaseObjects(Session& session)
{
    if (session.scriptProcessor)
        session.instance->DeleteObj(session.scriptProcessor);
    if (session.commDevice) {
        session.commDevice->Detach();
        session.commDevice->Exit();
        session.instance->DeleteObj(session.commDevice);
    }
}

int RunWithStore(Session& session, CIniFile* store, const HostPaths& paths)
{
    std::printf("Using config file %s\n\n", paths.configFile.c_str());
    store->SetFileName(paths.configFile.c_str());
    store->Load(); // a missing file leaves the store empty
    store->WriteString("CommDev_0", "UGIni", paths.grabberConfigFile.c_str());
    session.commDevice = AsObject<CHapDeviceComm_0>(session.instance->CreateObj(KIV_ID_COMM_DEVICE));
    if (!session.commDevice) {
        std::printf("Could not create communication device object!\n");
        return kExitNoObject;
    }
    session.commDevice->SetConfigStore(store);
    int exitCode = RunWithDevice(session, session.line.forceSelection);
    ReleaseObjects(session);
    return exitCode;
}

int RunWithInstance(Session& session, const std::string& programPath, const std::string& versionText)
{
    HostPaths paths = BuildHostPaths(programPath, SharedDataFolder(), versionText);
    // A cut path would silently name another file or folder.
    std::string tooLong = FirstTooLongPath(paths);
    if (!tooLong.empty()) {
        std::printf("Path longer than %u characters: %s\n", static_cast<unsigned>(kMaxPathChars), tooLong.c_str());
        return kExitNoObject;
    }
    session.instance->Init(paths.programFolder.c_str(), "K*.*", 1);
    // Declared before anything that borrows it, so it goes after the device.
    UniqueStore store(CreateIniFile(INIKIND_FAST));
    if (!store) {
        std::printf("Could not create ini-object!\n");
        return kExitNoObject;
    }
    return RunWithStore(session, store.get(), paths);
}

int RunWithFramework(Session& session, const std::string& programPath, const std::string& versionText)
{
    win32::UniqueModule library(LoadLibraryA("KIVInst.dll"));
    auto create = win32::BindExport<PFN_CreateKIVInstance>(library.get(), "CreateKIVInstance");
    auto destroy = win32::BindExport<PFN_DeleteKIVInstance>(library.get(), "DeleteKIVInstance");
    session.instance = create ? create() : nullptr;
    if (!session.instance) {
        std::printf("Could not create KIV instance object! Probably KIVInst.dll is missing.\n");
        return kExitNoObject;
    }
    int exitCode = RunWithInstance(session, programPath, versionText);
    if (destroy)
        destroy(session.instance);
    session.instance = nullptr;
    return exitCode; // the library is freed on return
}

} // namespace

int RunMerrow(int argc, char** argv)
{
    // Unbuffered, so that text printed before a wait or a dialog is seen at once
    // and stays in order with what the framework prints.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::string programPath = ProgramPath();
    std::string versionText = VersionText(ReadFileVersion(programPath));
    std::printf("Merrow %s (command line version of Varnik)\n", versionText.c_str());

    win32::UniqueKernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event) {
        std::printf("Could not create event!\n");
        return kExitNoObject;
    }
    if (argc < 2) {
        std::printf("%s", UsageText().data());
        return kExitUsage;
    }
    CommandLine line = ClassifyArguments(argc, argv);
    Session session{line, argv, event.get()};
    int exitCode = RunWithFramework(session, programPath, versionText);
    if (line.promptAtEnd) {
        std::printf("\nPress any key to continue...\n");
        WaitForKey();
    }
    return exitCode;
}

} // namespace merrow

int main(int argc, char** argv)
{
    return merrow::RunMerrow(argc, argv);
}
