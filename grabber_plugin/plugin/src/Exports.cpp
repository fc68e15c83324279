// The plug-in's two entry points and its application object.
#include "FramixExports.h"
#include "FramixZelmkAPIApp.h"
#include "FramixZelmkAPIClass.h"

#include <new>

namespace {
CFramixZelmkAPIApp theApp;
} // namespace

CFramixZelmkAPIApp& TheFramixZelmkAPIApp() { return theApp; }

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    return AfxDllMain(module, reason);
}

extern "C" {

__declspec(dllexport) CUnifiedGrabber* CreateGrabberInstance(HINSTANCE module)
{
    try {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        theApp.EnsureInitialized();
        auto* grabber = new (std::nothrow) CFramixZelmkAPIClass(module, theApp.GetMkApi());
        if (grabber) grabber->InitMembers();
        return grabber;
    } catch (...) {
        return nullptr;
    }
}

__declspec(dllexport) void DeleteGrabberInstance(CUnifiedGrabber* grabber)
{
    try {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        delete grabber;
    } catch (...) {
    }
}
}
