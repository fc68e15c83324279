// The plug-in's application object: it owns the one camera library binding.
#pragma once

#include "Win32BindingPlatform.h"
#include "app_framework/win_app.h"

class CFramixZelmkAPIApp : public CWinApp {
public:
    CFramixZelmkAPIApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Null until InitInstance ran.
    const zelmk::CmkAPIAccess* GetMkApi() const { return m_pMkApi; }

private:
    zelmk::Win32BindingPlatform m_platform;
    zelmk::CmkAPIAccess* m_pMkApi = nullptr;
};

CFramixZelmkAPIApp& TheFramixZelmkAPIApp();
