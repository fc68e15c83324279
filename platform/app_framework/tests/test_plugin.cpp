// A plug-in built on the framework: its own application object and a dialog from its own template.
#include "app_framework/afx.h"

#include "test_ids.h"

namespace {

class CTestPluginApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        ++initCount;
        resourcesDuringInit = AfxGetResourceHandle();
        return TRUE;
    }
    int initCount = 0;
    HINSTANCE resourcesDuringInit = nullptr;
};

CTestPluginApp theApp;

// Deletes itself when its window is gone, as the plug-ins' dialogs do.
class CPluginDialog : public CDialog {
public:
    CPluginDialog() : CDialog(IDD_SHARED_ID) {}
    void PostNcDestroy() override { delete this; }

protected:
    // Answers which module the dialog's handlers load resources from.
    LRESULT OnWhichResources(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(AfxGetResourceHandle()); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPluginDialog, CDialog)
    ON_MESSAGE(WM_APP + 1, OnWhichResources)
END_MESSAGE_MAP()

} // namespace

extern "C" __declspec(dllexport) int TestPluginInitCount()
{
    return theApp.initCount;
}

extern "C" __declspec(dllexport) HINSTANCE TestPluginResourcesDuringInit()
{
    return theApp.resourcesDuringInit;
}

extern "C" __declspec(dllexport) CWinApp* TestPluginAppSeenInside()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AfxGetApp();
}

// Creates the plug-in's dialog inside the plug-in's resource state; the host gets the window.
extern "C" __declspec(dllexport) HWND TestPluginCreateDialog(HWND parent)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    auto* dialog = new CPluginDialog();
    if (!dialog->Create(IDD_SHARED_ID, parent)) {
        delete dialog;
        return nullptr;
    }
    return dialog->m_hWnd;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    return AfxDllMain(module, reason);
}
