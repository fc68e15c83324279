// A device-client plug-in for the discovery tests: one object type with a small dialog.
#include "HapDeviceClientExports.h"
#include "KIVDeviceClient.h"
#include "KIVDialog.h"
#include "TestPluginIds.h"

#include "app_framework/module_state.h"

namespace {

long g_liveObjects = 0;

class CTestPluginDialog : public CKIVDialog {
public:
    CTestPluginDialog() : CKIVDialog(IDD_TEST_PLUGIN_DIALOG) {}
    BOOL Create(HWND parent) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return CKIVDialog::Create(parent);
    }
};

class CTestPluginClient : public CKIVDeviceClient {
public:
    CTestPluginClient() { ++g_liveObjects; }
    ~CTestPluginClient() override { --g_liveObjects; }
    unsigned long GetObjType() override { return TEST_PLUGIN_TYPE; }
    CKIVDialog* CreateDialogObject(HWND) override { return new CTestPluginDialog; }
};

} // namespace

extern "C" {

__declspec(dllexport) unsigned long HapDeviceClientGetNumObj()
{
    return 1;
}

__declspec(dllexport) unsigned long HapDeviceClientGetObjType(uintptr_t index)
{
    return index == 0 ? TEST_PLUGIN_TYPE : HAPDEVICECLIENT_NO_TYPE;
}

__declspec(dllexport) uintptr_t HapDeviceClientGetObjInfo(unsigned long type, unsigned long info)
{
    if (type != TEST_PLUGIN_TYPE)
        return 0;
    if (info == 0)
        return reinterpret_cast<uintptr_t>(TEST_PLUGIN_NAME);
    return info == 1 ? 1 : 0;
}

__declspec(dllexport) CKIVDeviceClient_0* HapDeviceClientCreateInstance(unsigned long type)
{
    return type == TEST_PLUGIN_TYPE ? new CTestPluginClient : nullptr;
}

__declspec(dllexport) void HapDeviceClientDeleteInstance(CKIVDeviceClient_0* object)
{
    if (object && object->GetObjType() == TEST_PLUGIN_TYPE)
        delete object;
}

// Test hook: objects of this plug-in still alive.
__declspec(dllexport) long TestPluginLiveObjects()
{
    return g_liveObjects;
}
}
