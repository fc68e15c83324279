// Start-up and shut-down of Varnik, in the order the framework's objects need.
#include "VarnikApp.h"

#include "VarnikDlg.h"
#include "host_common/ProgramInfo.h"

using namespace varnik;

CVarnikApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    return AfxWinMain(instance, previous, commandLine, show);
}

namespace {

void ShowStartupError(const char* text)
{
    AfxShowMessageBox(nullptr, text, "Error", MB_OK | MB_ICONWARNING);
}

} // namespace

BOOL CVarnikApp::InitInstance()
{
    // The dialogs hold no ActiveX controls, so there is no control container to
    // enable; the common controls were registered with the application object.
    m_store = host_common::CreateHostStore();
    ReadProgramVersion();
    PrepareStore();
    if (BindFramework()) {
        RunMainDialog();
        ReleaseFramework();
    }
    m_store.reset();
    return FALSE;
}

void CVarnikApp::ReadProgramVersion()
{
    const host_common::ProgramVersion version = host_common::ReadProgramVersion(m_hInstance);
    if (version.fixed)
        m_programVersion = *version.fixed;
    m_versionLabel = host_common::VersionLabel(version.FileVersion());
    m_companyName = version.companyName;
}

void CVarnikApp::PrepareStore()
{
    // Varnik's data folder lies below the company its version resource names
    // ("Quarnel" when it names none).
    m_paths = host_common::ThisProgramsPaths(m_companyName, m_versionLabel);
    if (m_store)
        host_common::PrepareHostStore(*m_store, m_paths);
}

bool CVarnikApp::BindFramework()
{
    m_framework = std::make_unique<host_common::FrameworkLibrary>();
    if (m_framework->status() != host_common::FrameworkLibrary::Status::Ready) {
        ShowStartupError(m_framework->status() == host_common::FrameworkLibrary::Status::NoLibrary
                             ? "Error loading KIVInst.dll."
                             : "Could not create KIV instance object!");
        m_framework.reset();
        return false;
    }
    CKIVInstance_0& instance = *m_framework->instance();
    host_common::InitInstance(instance, m_paths.programFolder);
    m_device.emplace(instance);
    m_controllers.Refresh(instance);
    if (*m_device)
        m_device->Configure(m_store.get()); // RestoreConfig's result does not matter here
    return true;
}

void CVarnikApp::RunMainDialog()
{
    CVarnikDlg dialog(m_framework->instance(), m_controllers,
                      {m_programVersion.dwFileVersionMS, m_programVersion.dwFileVersionLS});
    dialog.SetDevice(m_device->get());
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
}

void CVarnikApp::ReleaseFramework()
{
    // The controllers last first, then the device, then the instance and its library.
    m_controllers.Release(*m_framework->instance());
    m_device.reset();
    m_framework.reset();
}
