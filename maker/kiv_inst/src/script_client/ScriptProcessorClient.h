// The script processor device client (object id 4098): runs script text and files on the device.
#pragma once

#include "KIVDeviceClient.h"
#include "kiv_script/HapCommPort.h"

namespace kivinst {

// Call(KIV_SCRIPT_RUN_FILE, path, printCallback, 0, 0) runs a script file,
// Call(KIV_SCRIPT_RUN_TEXT, text, printCallback, 0, 0) runs script text;
// 0 = success, otherwise a code whose text the communication device's
// GetInfoText(2, code) returns. It has no dialog.
class CKIVScriptProcessorClient : public CKIVDeviceClient {
public:
    unsigned long GetObjType() override;
    EKIV_ERR_ERRCODE_ Connect(CHapDeviceComm_0* device) override;
    EKIV_ERR_ERRCODE_ Call(unsigned long command, unsigned long long a1, unsigned long long a2,
                           unsigned long long a3, unsigned long long a4) override;

private:
    kivscript::ScriptProcessorCore core_;
};

CKIVObject_0* CreateScriptProcessorClient();
void DeleteScriptProcessorClient(CKIVObject_0* object);

} // namespace kivinst
