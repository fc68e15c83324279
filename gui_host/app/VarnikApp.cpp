// Start-up and shut-down of Varnik, in the order the framework's objects need.
#include "VarnikApp.h"

#include "ProgramInfo.h"
#include "VarnikDlg.h"

#include "KIVInst.h"
#include "win32/module.h"

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
    m_store = CreateIniFile(0);
    ReadProgramVersion();
    PrepareStore();
    if (BindFramework()) {
        RunMainDialog();
        ReleaseFramework();
    }
    if (m_store) {
        DeleteIniFile(m_store);
        m_store = nullptr;
    }
    return FALSE;
}

void CVarnikApp::ReadProgramVersion()
{
    std::optional<VersionResource> version = ReadVersionResource(ModulePath(m_hInstance));
    std::optional<VersionWords> words;
    if (version && version->hasFixed) {
        m_programVersion = version->fixed;
        words = FileVersionWords(version->fixed);
    }
    m_versionLabel = VersionText(words);
    if (version)
        m_companyName = version->companyName;
}

void CVarnikApp::PrepareStore()
{
    const std::string programPath = ModulePath(nullptr);
    const std::string withBackslash = FolderWithBackslash(programPath);
    m_programFolder = withBackslash.empty() ? std::string() : withBackslash.substr(0, withBackslash.size() - 1);
    const std::string dataFolder = DataFolder(SharedDataFolder(), m_programFolder, m_companyName, m_versionLabel);
    if (!m_store)
        return;
    m_store->SetFileName((dataFolder + "\\Varnik.ini").c_str());
    m_store->Load();
    m_store->WriteString("CommDev_0", "UGIni", (dataFolder + "\\Framix.ini").c_str());
}

bool CVarnikApp::BindFramework()
{
    m_library.reset(LoadLibraryA("KIVInst.dll"));
    if (!m_library) {
        ShowStartupError("Error loading KIVInst.dll.");
        return false;
    }
    auto create = win32::BindExport<PFN_CreateKIVInstance>(m_library.get(), "CreateKIVInstance");
    m_instance = create ? create() : nullptr;
    if (!m_instance) {
        ShowStartupError("Could not create KIV instance object!");
        m_library.reset();
        return false;
    }
    m_instance->Init(m_programFolder.c_str(), "K*.*", 1);
    m_device = static_cast<CHapDeviceComm_0*>(m_instance->CreateObj(KIV_ID_COMM_DEVICE));
    m_controllers.Refresh(*m_instance);
    if (m_device) {
        m_device->SetConfigStore(m_store);
        m_device->Init();
        m_device->RestoreConfig();
    }
    return true;
}

void CVarnikApp::RunMainDialog()
{
    CVarnikDlg dialog(m_instance, m_controllers, FileVersionWords(m_programVersion));
    dialog.SetDevice(m_device);
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
}

void CVarnikApp::ReleaseFramework()
{
    m_controllers.Release(*m_instance);
    if (m_device) {
        m_device->Detach();
        m_device->Exit();
        m_instance->DeleteObj(m_device);
        m_device = nullptr;
    }
    if (auto destroy = win32::BindExport<PFN_DeleteKIVInstance>(m_library.get(), "DeleteKIVInstance"))
        destroy(m_instance);
    m_instance = nullptr;
    m_library.reset();
}
