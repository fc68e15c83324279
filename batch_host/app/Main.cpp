// Merrow: runs scripts, jobs, plug-in additions and device-client dialogs
// against the framework from the command line and reports by exit code.
#include "DialogWait.h"
#include "KeyPrompt.h"
#include "Session.h"
#include "Tasks.h"
#include "batch_host/Arguments.h"
#include "batch_host/ExitCodes.h"
#include "batch_host/HostTexts.h"
#include "batch_host/PathLimits.h"
#include "host_common/FrameworkLibrary.h"
#include "host_common/FrameworkObjects.h"
#include "host_common/HostStore.h"
#include "host_common/ProgramInfo.h"
#include "win32/unique_handle.h"

#include <cstdio>
#include <memory>
#include <string>

int main(int argc, char** argv);

namespace merrow {
namespace {

// The device lock's owner token: the address of the program's main function.
const void* LockOwner()
{
    return reinterpret_cast<const void*>(&::main);
}

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

// restoreResult: nonzero when the stored configuration is not usable, so the
// selection dialog is offered, as it is on "-f".
int RunWithDevice(Session& session, int restoreResult)
{
    CHapDeviceComm_0* device = session.commDevice;
    if (restoreResult != 0 || session.line.forceSelection)
        device->ShowConfigDialog(nullptr);
    int exitCode = LockAndOpen(device);
    return exitCode == kExitOk ? RunWithOpenDevice(session) : exitCode;
}

// Framework objects go in the reverse order of creation: the script processor
// (created by the first script or job), then the device.
int RunWithStore(Session& session, CIniFile* store, const host_common::HostPaths& paths)
{
    std::printf("Using config file %s\n\n", paths.configFile.c_str());
    host_common::PrepareHostStore(*store, paths);
    host_common::CommDevice device(*session.instance);
    if (!device) {
        std::printf("Could not create communication device object!\n");
        return kExitNoObject;
    }
    session.commDevice = device.get();
    int exitCode = RunWithDevice(session, device.Configure(store));
    if (session.scriptProcessor)
        session.instance->DeleteObj(session.scriptProcessor);
    session.scriptProcessor = nullptr;
    session.commDevice = nullptr;
    return exitCode; // the device is released on return, before the store
}

int RunWithInstance(Session& session, const std::string& versionLabel)
{
    // Merrow's data folder always lies below the company folder "Quarnel".
    const host_common::HostPaths paths = host_common::ThisProgramsPaths(host_common::kDefaultCompany, versionLabel);
    std::string tooLong = FirstTooLongPath(paths);
    if (!tooLong.empty()) {
        std::printf("Path longer than %u characters: %s\n", static_cast<unsigned>(kMaxPathChars), tooLong.c_str());
        return kExitNoObject;
    }
    host_common::InitInstance(*session.instance, paths.programFolder);
    // Made after the instance, so it goes before the instance is deleted.
    host_common::HostStore store = host_common::CreateHostStore();
    if (!store) {
        std::printf("Could not create ini-object!\n");
        return kExitNoObject;
    }
    return RunWithStore(session, store.get(), paths);
}

int RunWithFramework(Session& session, const std::string& versionLabel)
{
    host_common::FrameworkLibrary framework;
    session.instance = framework.instance();
    if (!session.instance) {
        std::printf("Could not create KIV instance object! Probably KIVInst.dll is missing.\n");
        return kExitNoObject;
    }
    int exitCode = RunWithInstance(session, versionLabel);
    session.instance = nullptr;
    return exitCode; // the instance is deleted and the library freed on return
}

// Merrow reads its version only from a block that names a translation.
std::string ProgramVersionLabel()
{
    const host_common::ProgramVersion version = host_common::ReadProgramVersion(nullptr);
    return host_common::VersionLabel(version.hasTranslation ? version.FileVersion() : std::nullopt);
}

} // namespace

int RunMerrow(int argc, char** argv)
{
    // Unbuffered, so that text printed before a wait or a dialog is seen at once
    // and stays in order with what the framework prints.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string versionLabel = ProgramVersionLabel();
    std::printf("Merrow %s (command line version of Varnik)\n", versionLabel.c_str());

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
    int exitCode = RunWithFramework(session, versionLabel);
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
