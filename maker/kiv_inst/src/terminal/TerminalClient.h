// The terminal device client (object id 4096).
#pragma once

#include "KIVDeviceClient.h"

namespace kivinst {

class CKIVTerminalClient : public CKIVDeviceClient {
public:
    unsigned long GetObjType() override;
    CKIVDialog* CreateDialogObject(HWND parent) override;
};

CKIVObject_0* CreateTerminalClient();
void DeleteTerminalClient(CKIVObject_0* object);

} // namespace kivinst
