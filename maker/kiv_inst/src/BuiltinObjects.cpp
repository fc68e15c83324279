// The framework's own objects (communication device, terminal, script processor).
#include "BuiltinObjects.h"

#include "KIVInst.h"

#include "kiv_comm_device/CommDevice.h"
#include "terminal/TerminalClient.h"
#include "script_client/ScriptProcessorClient.h"

namespace kivinst {

namespace {

CKIVObject_0* CreateCommDeviceObject()
{
    return CreateCommDevice();
}

void DeleteCommDeviceObject(CKIVObject_0* object)
{
    delete static_cast<CHapDeviceComm_0*>(object);
}

} // namespace

std::vector<BuiltinObject> BuiltinObjects()
{
    std::vector<BuiltinObject> objects;
    // The device and the script processor have no dialog to start, so they
    // are not device clients (type 0): the programs list every type-1 id as
    // a device controller and fetch these two by their fixed ids.
    objects.push_back({KIV_ID_COMM_DEVICE, "Communication Device", KIV_OBJTYPE_OTHER, ObjectSource::CommDevice,
                       &CreateCommDeviceObject, &DeleteCommDeviceObject});
    objects.push_back({KIV_ID_TERMINAL, "Terminal", KIV_OBJTYPE_DEVICE_CLIENT, ObjectSource::Terminal,
                       &CreateTerminalClient, &DeleteTerminalClient});
    objects.push_back({KIV_ID_SCRIPT_PROCESSOR, "Script Processor", KIV_OBJTYPE_OTHER, ObjectSource::ScriptProcessor,
                       &CreateScriptProcessorClient, &DeleteScriptProcessorClient});
    return objects;
}

} // namespace kivinst
