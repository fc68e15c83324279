// CWinApp: application start, message loop with pre-translation and idle work, and shut-down.
#include "framework_internal.h"

#include "app_framework/dialog.h"

#include <richedit.h>

namespace {

std::string moduleBaseName(HINSTANCE module)
{
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
    std::string name(path, length);
    auto slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    auto dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

} // namespace

CWinApp::CWinApp(const char* appName, HINSTANCE module) : m_hInstance(module)
{
    m_appName = appName ? appName : moduleBaseName(module);
    AfxModuleStateData* state = AfxStateFor(module);
    if (!state->app)
        state->app = this;
    // A plug-in's object is constructed under the loader lock: its controls
    // are registered when it is entered for the first time instead.
    if (!IsDll())
        AfxInitCommonControls();
}

CWinApp::~CWinApp()
{
    if (AfxModuleStateData* state = AfxFindState(m_hInstance); state && state->app == this)
        state->app = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return m_exitCode;
}

bool CWinApp::IsDll() const
{
    return m_hInstance != ::GetModuleHandleA(nullptr);
}

BOOL CWinApp::EnsureInitialized()
{
    if (m_initState == 0) {
        m_initState = 1;
        AfxModuleStateGuard guard(m_hInstance);
        AfxInitCommonControls();
        try {
            m_initResult = InitInstance();
        } catch (...) {
            m_initResult = FALSE;
        }
    }
    return m_initResult;
}

HICON CWinApp::LoadIcon(UINT id) const
{
    return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
}

std::string AfxLoadString(UINT id)
{
    // Strings live in blocks of 16; LoadString copies with the code page conversion.
    char text[4096] = {};
    int length = ::LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return std::string(text, static_cast<size_t>(length > 0 ? length : 0));
}

BOOL CWinApp::OnIdle(LONG count)
{
    if (count == 0)
        AfxDeleteTempMap();
    return FALSE;
}

BOOL CWinApp::PreTranslateMessage(MSG* msg)
{
    return AfxPreTranslateMessage(msg);
}

int CWinApp::Run()
{
    MSG msg{};
    LONG idleCount = 0;
    for (;;) {
        while (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(idleCount++)) {
        }
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            m_exitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1)
            break;
        idleCount = 0;
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return ExitInstance();
}

int AfxWinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    try {
        if (!app->EnsureInitialized())
            return app->ExitInstance();
        return app->Run();
    } catch (...) {
        return -1;
    }
}

void AfxInitCommonControls()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_INTERNET_CLASSES |
                                      ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                      ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES};
        return ::InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}

bool AfxInitRichEdit()
{
    // Loaded once and kept for the life of the process, as windows of its
    // classes may exist in any module until the end.
    static const HMODULE library = ::LoadLibraryA("Msftedit.dll");
    return library != nullptr;
}
