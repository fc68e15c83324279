// The framework's own objects (communication device, terminal, script processor).
#include "BuiltinObjects.h"

#include "KIVInst.h"

#if KIVINST_WITH_COMM_DEVICE
#include "kiv_comm_device/CommDevice.h"
#endif
#if KIVINST_WITH_TERMINAL
#include "terminal/TerminalClient.h"
#endif
#if KIVINST_WITH_SCRIPT
#include "script_client/ScriptProcessorClient.h"
#endif

namespace kivinst {

namespace {

#if KIVINST_WITH_COMM_DEVICE
CKIVObject_0* CreateCommDeviceObject()
{
    return CreateCommDevice();
}

void DeleteCommDeviceObject(CKIVObject_0* object)
{
    delete static_cast<CHapDeviceComm_0*>(object);
}
#endif

} // namespace

std::vector<BuiltinObject> BuiltinObjects()
{
    std::vector<BuiltinObject> objects;
#if KIVINST_WITH_COMM_DEVICE
    // The device and the script processor have no dialog to start, so they
    // are not device clients (type 0): the programs list every type-1 id as
    // a device controller and fetch these two by their fixed ids.
    objects.push_back({KIV_ID_COMM_DEVICE, "Communication Device", KIV_OBJTYPE_OTHER, ObjectSource::CommDevice,
                       &CreateCommDeviceObject, &DeleteCommDeviceObject});
#endif
#if KIVINST_WITH_TERMINAL
    objects.push_back({KIV_ID_TERMINAL, "Terminal", KIV_OBJTYPE_DEVICE_CLIENT, ObjectSource::Terminal,
                       &CreateTerminalClient, &DeleteTerminalClient});
#endif
#if KIVINST_WITH_SCRIPT
    objects.push_back({KIV_ID_SCRIPT_PROCESSOR, "Script Processor", KIV_OBJTYPE_OTHER, ObjectSource::ScriptProcessor,
                       &CreateScriptProcessorClient, &DeleteScriptProcessorClient});
#endif
    return objects;
}

} // namespace kivinst
