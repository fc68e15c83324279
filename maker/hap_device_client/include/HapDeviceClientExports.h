// The five C entry points every device-client plug-in exports, by name, and
// their signatures as the framework instance calls them.
#pragma once

#include "KIVObject.h"

#include <cstdint>

extern "C" {
// Number of object types the plug-in offers.
typedef unsigned long (*PFN_HapDeviceClientGetNumObj)();
// Object type at an index; 0xFFFFFFFF for an index past the end.
typedef unsigned long (*PFN_HapDeviceClientGetObjType)(uintptr_t index);
// Info 0: the type's name (const char*), info 1: 1 for a device client; 0 otherwise.
typedef uintptr_t (*PFN_HapDeviceClientGetObjInfo)(unsigned long type, unsigned long info);
// A new object of the type, or null.
typedef CKIVDeviceClient_0* (*PFN_HapDeviceClientCreateInstance)(unsigned long type);
// Destroys an object the same plug-in created; null is harmless.
typedef void (*PFN_HapDeviceClientDeleteInstance)(CKIVDeviceClient_0* object);
}

#define HAPDEVICECLIENT_EXPORT_GETNUMOBJ "HapDeviceClientGetNumObj"
#define HAPDEVICECLIENT_EXPORT_GETOBJTYPE "HapDeviceClientGetObjType"
#define HAPDEVICECLIENT_EXPORT_GETOBJINFO "HapDeviceClientGetObjInfo"
#define HAPDEVICECLIENT_EXPORT_CREATEINSTANCE "HapDeviceClientCreateInstance"
#define HAPDEVICECLIENT_EXPORT_DELETEINSTANCE "HapDeviceClientDeleteInstance"

// Type value a plug-in returns for an index past the end.
#define HAPDEVICECLIENT_NO_TYPE 0xFFFFFFFFul
