// The framework objects one Merrow run works with, and its command line.
#pragma once

#include "batch_host/Arguments.h"

#include "win32/lean_windows.h"

#include "HapDeviceComm.h"
#include "KIVInst.h"
#include "KIVObject.h"

namespace merrow {

struct Session {
    const CommandLine& line;
    char** argv;
    HANDLE event; // manual-reset wake-up event
    CKIVInstance_0* instance = nullptr;
    CHapDeviceComm_0* commDevice = nullptr;
    CKIVDeviceClient_0* scriptProcessor = nullptr; // created on first use
};

// Framework objects by id are handed out as their common base.
template <typename Object>
Object* AsObject(CKIVObject_0* object)
{
    return static_cast<Object*>(object);
}

} // namespace merrow
