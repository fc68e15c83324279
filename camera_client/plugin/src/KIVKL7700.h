// The camera's device client: the plug-in's one object type.
#pragma once

#include "KIVDeviceClient.h"

inline constexpr unsigned long kKL7700ObjectType = 0x10000;
inline constexpr const char* kKL7700TypeName = "Sorvel SX-20 / KL-7700 Control";

class CKIVKL7700 : public CKIVDeviceClient {
public:
    unsigned long GetObjType() override;
    // The control dialog, constructed inside the plug-in's resource state.
    CKIVDialog* CreateDialogObject(HWND parent) override;
};
