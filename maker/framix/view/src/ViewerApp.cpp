// FramixView: shows the picture of one grabber's camera.
//
//   FramixView [--ini PATH] [--grabber N]
//
// The ini defaults to the data folder's Framix.ini, as the programs compute it.
// The last camera (the grabber's "UniqueId") and the window's placement are kept there.
#include "ViewerDlg.h"

#include "FramixExports.h"
#include "UnifiedGrabber.h"

#include "app_framework/message_box.h"
#include "app_framework/win_app.h"
#include "host_common/ProgramInfo.h"

#include <cstdlib>
#include <string>

namespace {

class CFramixViewApp : public CWinApp {
public:
    BOOL InitInstance() override;
};

CFramixViewApp theApp;

void ShowError(const std::string& text)
{
    AfxShowMessageBox(nullptr, text.c_str(), "Error", MB_OK | MB_ICONWARNING);
}

BOOL CFramixViewApp::InitInstance()
{
    std::string ini;
    uint32_t grabberIndex = 0;
    for (int i = 1; i < __argc; ++i) {
        const std::string a = __argv[i];
        if (a == "--ini" && i + 1 < __argc)
            ini = __argv[++i];
        else if (a == "--grabber" && i + 1 < __argc)
            grabberIndex = static_cast<uint32_t>(std::strtoul(__argv[++i], nullptr, 10));
        else {
            ShowError("Usage: FramixView [--ini PATH] [--grabber N]\n\nUnknown argument: " + a);
            m_exitCode = 1;
            return FALSE;
        }
    }
    if (ini.empty()) {
        const auto version = host_common::ReadProgramVersion(nullptr).FileVersion();
        ini = host_common::ThisProgramsPaths(host_common::kDefaultCompany, host_common::VersionLabel(version))
                  .grabberConfigFile;
    }
    FramixFramework* framework = FramixOpen(ini.c_str(), nullptr, nullptr);
    if (!framework) {
        ShowError("The grabber framework could not be opened.");
        m_exitCode = 2;
        return FALSE;
    }
    CUnifiedGrabber* grabber = FramixGetGrabber(framework, grabberIndex);
    UG_ERRCODE initialised = grabber ? grabber->Init() : UG_ERR_NOT_FOUND;
    if (!grabber || initialised != UG_OK) {
        ShowError(grabber ? "The grabber could not be initialised (code " + std::to_string(initialised) + ")."
                          : "No grabber " + std::to_string(grabberIndex) + " is configured in " + ini + ".");
        FramixClose(framework);
        m_exitCode = 2;
        return FALSE;
    }
    {
        framixview::CViewerDlg dialog(*grabber, grabber->GetGrabberIni());
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    // The active camera becomes the grabber's "UniqueId"; the placement went into the store.
    const UG_ERRCODE saved = FramixSaveConfig(framework);
    if (saved != UG_OK)
        ShowError("The settings could not be saved to " + ini + " (code " + std::to_string(saved) + ").");
    grabber->DeInit();
    FramixClose(framework);
    m_exitCode = 0;
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    return AfxWinMain(instance, previous, commandLine, show);
}
