// CVarnikApp: start-up (store, version, data folder, framework library,
// communication device, controllers), the main dialog, and shut-down.
#pragma once

#include "app_framework/afx.h"
#include "gui_host/ControllerTable.h"

#include "config_store/IniFile.h"

class CVarnikApp : public CWinApp {
public:
    BOOL InitInstance() override;

private:
    void ReadProgramVersion();
    void PrepareStore();
    bool BindFramework();
    void RunMainDialog();
    void ReleaseFramework();

    win32::UniqueModule m_library;
    CKIVInstance_0* m_instance = nullptr;
    CHapDeviceComm_0* m_device = nullptr;
    CIniFile* m_store = nullptr;
    VS_FIXEDFILEINFO m_programVersion{};
    std::string m_versionLabel;
    std::string m_companyName;
    std::string m_programFolder; // without a trailing backslash
    varnik::ControllerTable m_controllers;
};
