// The plug-in's application object: the message hook that keeps dialog keys
// working inside a foreign host, and the version text.
#pragma once

#include "app_framework/afx.h"

#include <string>

class CKIV_KL7700App : public CWinApp {
public:
    CKIV_KL7700App();

    BOOL InitInstance() override;
    int ExitInstance() override;

    win32::UniqueHook m_hook;
    HINSTANCE m_module = nullptr;
    std::string m_versionText;
};
