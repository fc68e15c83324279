// CVarnikApp: start-up (store, version, data folder, framework library,
// communication device, controllers), the main dialog, and shut-down.
#pragma once

#include "app_framework/afx.h"
#include "gui_host/ControllerTable.h"
#include "host_common/FrameworkLibrary.h"
#include "host_common/FrameworkObjects.h"
#include "host_common/HostStore.h"

#include <memory>
#include <optional>
#include <string>

class CVarnikApp : public CWinApp {
public:
    BOOL InitInstance() override;

private:
    void ReadProgramVersion();
    void PrepareStore();
    bool BindFramework();
    void RunMainDialog();
    void ReleaseFramework();

    host_common::HostStore m_store; // made first, destroyed last
    std::unique_ptr<host_common::FrameworkLibrary> m_framework;
    std::optional<host_common::CommDevice> m_device; // may hold none
    VS_FIXEDFILEINFO m_programVersion{};
    std::string m_versionLabel;
    std::string m_companyName;
    host_common::HostPaths m_paths;
    varnik::ControllerTable m_controllers;
};
