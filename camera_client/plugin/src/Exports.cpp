// The plug-in's five entry points and its application object.
#include "HapDeviceClientExports.h"
#include "KIVKL7700.h"
#include "PluginApp.h"

#include <new>

namespace {
CKIV_KL7700App theApp;
} // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    return AfxDllMain(module, reason);
}

extern "C" {

__declspec(dllexport) unsigned long HapDeviceClientGetNumObj() { return 1; }

__declspec(dllexport) unsigned long HapDeviceClientGetObjType(uintptr_t index)
{
    return index == 0 ? kKL7700ObjectType : HAPDEVICECLIENT_NO_TYPE;
}

__declspec(dllexport) uintptr_t HapDeviceClientGetObjInfo(unsigned long type, unsigned long info)
{
    const bool ours = type == kKL7700ObjectType;
    if (info == 0) return ours ? reinterpret_cast<uintptr_t>(kKL7700TypeName) : 0;
    if (info == 1) return ours ? 1 : 0;
    return 0;
}

__declspec(dllexport) CKIVDeviceClient_0* HapDeviceClientCreateInstance(unsigned long type)
{
    if (type != kKL7700ObjectType) return nullptr;
    return new (std::nothrow) CKIVKL7700;
}

__declspec(dllexport) void HapDeviceClientDeleteInstance(CKIVDeviceClient_0* object)
{
    try {
        if (object != nullptr && object->GetObjType() == kKL7700ObjectType) delete object;
    } catch (...) {
    }
}
}
