// The application object and the binding it creates before anything else runs.
#include "FramixZelmkAPIApp.h"

#include <new>

CFramixZelmkAPIApp::CFramixZelmkAPIApp() : CWinApp("FramixZelmkAPI") {}

BOOL CFramixZelmkAPIApp::InitInstance()
{
    // Runs on the host's first call into the module, outside the loader lock,
    // so loading the camera library here is safe.
    try {
        m_pMkApi = new zelmk::CmkAPIAccess(m_platform);
    } catch (...) {
        m_pMkApi = nullptr;
    }
    return CWinApp::InitInstance();
}

int CFramixZelmkAPIApp::ExitInstance()
{
    // The library itself stays loaded: its threads may outlive this module's grabbers.
    delete m_pMkApi;
    m_pMkApi = nullptr;
    return CWinApp::ExitInstance();
}
