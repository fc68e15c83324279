// Per-module state: which module's resources a thread loads from, and which application object it sees.
#pragma once

#include "app_framework/framework_api.h"

class CWinApp;

// The module whose code is calling: an inline function, so it is compiled into
// (and answers for) each module that includes this header, not the framework.
extern "C" IMAGE_DOS_HEADER __ImageBase;
inline HINSTANCE AfxGetStaticModuleState()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

// Resources (dialog templates, strings, icons, menus) are loaded from the
// current module state's resource handle. A thread starts in the program's
// state; a plug-in switches to its own state whenever the host calls into it.
AFX_API HINSTANCE AfxGetResourceHandle();
AFX_API void AfxSetResourceHandle(HINSTANCE resources);
AFX_API HINSTANCE AfxGetInstanceHandle(); // module of the current state
AFX_API CWinApp* AfxGetApp();             // application of the current state, else the program's

// Switches the calling thread to a module's state for the guard's lifetime and
// back afterwards; guards nest. Entering a module whose application object has
// not been initialised yet runs its InitInstance first (once), so a plug-in's
// application starts on its first call from the host, outside the loader lock.
class AFX_API AfxModuleStateGuard {
public:
    explicit AfxModuleStateGuard(HINSTANCE module);
    ~AfxModuleStateGuard();
    AfxModuleStateGuard(const AfxModuleStateGuard&) = delete;
    AfxModuleStateGuard& operator=(const AfxModuleStateGuard&) = delete;

private:
    void* m_previous;
};

// AFX_MANAGE_STATE(AfxGetStaticModuleState()) at the top of every plug-in
// entry point that creates windows or loads resources.
#define AFX_MANAGE_STATE(module) AfxModuleStateGuard afxModuleStateGuard_(module)

// For a plug-in's DllMain: on detach runs the module application's ExitInstance
// (if InitInstance ran) while the object is still alive.
AFX_API BOOL AfxDllMain(HINSTANCE module, DWORD reason);

// Nothing to enable: the framework hosts no ActiveX controls. Kept so that
// start-up code reads as on the platform's framework.
inline void AfxEnableControlContainer() {}
