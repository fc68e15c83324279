// The script processor device client (object id 4098): runs script text and files on the device.
#include "script_client/ScriptProcessorClient.h"

#include "KIVInst.h"

#include <new>

namespace kivinst {

unsigned long CKIVScriptProcessorClient::GetObjType()
{
    return KIV_ID_SCRIPT_PROCESSOR;
}

EKIV_ERR_ERRCODE_ CKIVScriptProcessorClient::Connect(CHapDeviceComm_0* device)
{
    core_.Connect(device);
    return CKIVDeviceClient::Connect(device);
}

EKIV_ERR_ERRCODE_ CKIVScriptProcessorClient::Call(unsigned long command, unsigned long long a1,
                                                  unsigned long long a2, unsigned long long a3,
                                                  unsigned long long a4)
{
    return core_.Call(command, a1, a2, a3, a4); // never throws
}

CKIVObject_0* CreateScriptProcessorClient()
{
    return new (std::nothrow) CKIVScriptProcessorClient;
}

void DeleteScriptProcessorClient(CKIVObject_0* object)
{
    delete static_cast<CKIVScriptProcessorClient*>(object);
}

} // namespace kivinst
