// Running Merrow's tasks through the framework's script processor and clients.
#include "Tasks.h"

#include "DialogWait.h"
#include "batch_host/ExitCodes.h"
#include "batch_host/HostTexts.h"
#include "batch_host/IdList.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace merrow {
namespace {

// Output of scripts and jobs; the context is not used.
int PrintText(void*, const char* text)
{
    return text ? std::printf("%s", text) : 0;
}

unsigned long long AsArgument(const void* pointer)
{
    return reinterpret_cast<uintptr_t>(pointer);
}

const char* ObjectName(CKIVInstance_0* instance, uint32_t id)
{
    return reinterpret_cast<const char*>(instance->GetObjInfo(id, 0));
}

bool IsDeviceClient(CKIVInstance_0* instance, uint32_t id)
{
    // The type is a 32-bit integer in a pointer-sized result.
    return static_cast<int32_t>(static_cast<uint32_t>(instance->GetObjInfo(id, 1))) == KIV_OBJTYPE_DEVICE_CLIENT;
}

CKIVDeviceClient_0* ScriptProcessor(Session& session)
{
    if (!session.scriptProcessor)
        session.scriptProcessor = AsObject<CKIVDeviceClient_0>(session.instance->CreateObj(KIV_ID_SCRIPT_PROCESSOR));
    return session.scriptProcessor;
}

int RunScriptCommand(Session& session, unsigned long command, const char* argument, const char* scriptArgument)
{
    CKIVDeviceClient_0* processor = ScriptProcessor(session);
    if (!processor) {
        std::printf("Could not create scriptprocessor object!");
        return kExitNoObject;
    }
    processor->Connect(session.commDevice);
    TKIV_PRINTCALLBACK print = &PrintText;
    long result = processor->Call(command, AsArgument(scriptArgument), AsArgument(reinterpret_cast<void*>(print)), 0, 0);
    if (result == 0)
        return kExitOk;
    const char* text = session.commDevice->GetInfoText(HAPCOMM_INFO_ERROR_TEXT, result);
    std::string fallback = "Error code " + std::to_string(result);
    std::printf("Error during executing %s:\n%s\n", argument, text ? text : fallback.c_str());
    return kExitScriptError;
}

int RunScript(Session& session, const char* path)
{
    std::printf("Executing script %s\n", path);
    return RunScriptCommand(session, KIV_SCRIPT_RUN_FILE, path, path);
}

int RunJob(Session& session, const char* path)
{
    std::printf("Executing job %s\n", path);
    std::string text = JobScriptText(path);
    return RunScriptCommand(session, KIV_SCRIPT_RUN_TEXT, path, text.c_str());
}

int ShowClientDialogs(Session& session, std::string_view idText)
{
    std::optional<std::vector<uint32_t>> ids = ParseIdList(idText);
    if (!ids || ids->empty())
        return kExitBadArgument;
    OpenDialogList dialogs(session.event);
    for (uint32_t id : *ids) {
        const char* name = ObjectName(session.instance, id);
        std::printf("Instantiating device client %s (ID=%u)", name ? name : kUnknownClientName.data(), id);
        // Id 0 is the communication device, not a device client: driving it
        // through the client's operations would call unrelated ones.
        CKIVObject_0* object = id == KIV_ID_COMM_DEVICE ? nullptr : session.instance->CreateObj(id);
        if (!object) {
            std::printf(" -> FAILED\n");
            continue;
        }
        auto* client = AsObject<CKIVDeviceClient_0>(object);
        dialogs.Add(client);
        client->Connect(session.commDevice);
        client->ShowDialogNonModal(nullptr);
        dialogs.WaitStep();
        std::printf(" -> SUCCESS\n");
    }
    while (dialogs.WaitStep()) {
    }
    dialogs.ReleaseAll(session.instance);
    return kExitOk;
}

int RunTask(Session& session, const char* argument, bool& stop)
{
    TaskKind kind = ClassifyTask(argument);
    if (kind == TaskKind::Unknown) {
        std::printf("Unknown parameter %s\n", argument);
        return kExitBadArgument;
    }
    if (kind == TaskKind::Unprocessable) {
        std::printf("Could not process %s\n", argument);
        return kExitBadArgument;
    }
    if ((kind == TaskKind::Job || kind == TaskKind::Script) && !FitsPath(argument)) {
        std::printf("Could not process %s: path longer than %u characters\n", argument,
                    static_cast<unsigned>(kMaxPathChars));
        return kExitBadArgument;
    }
    int result = kind == TaskKind::Job ? RunJob(session, argument)
        : kind == TaskKind::Script     ? RunScript(session, argument)
                                       : ShowClientDialogs(session, ClientDialogIds(argument));
    stop = result != kExitOk;
    return result;
}

} // namespace

int RunTaskList(Session& session)
{
    int exitCode = kExitOk;
    for (int index : session.line.taskList) {
        bool stop = false;
        exitCode = RunTask(session, session.argv[index], stop);
        if (stop)
            break;
    }
    return exitCode;
}

void PrintClientList(CKIVInstance_0* instance)
{
    std::vector<ClientEntry> objects;
    size_t count = instance->GetNumObj();
    for (size_t index = 0; index < count; ++index) {
        uint32_t id = instance->GetObjID(index);
        bool isClient = IsDeviceClient(instance, id);
        objects.push_back({id, isClient, isClient ? ObjectName(instance, id) : nullptr});
    }
    std::printf("%s", ClientListText(objects).c_str());
}

} // namespace merrow
