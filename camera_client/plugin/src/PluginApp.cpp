// The plug-in's application object and its get-message hook.
#include "PluginApp.h"

#include "PluginShared.h"

namespace {

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE && lParam != 0) {
        try {
            kl7700plugin::PreTranslateHookedMessage(*reinterpret_cast<MSG*>(lParam));
        } catch (...) {
            // A hook must pass every message on, whatever happened.
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

CKIV_KL7700App::CKIV_KL7700App() : CWinApp("KIV_KL7700") {}

BOOL CKIV_KL7700App::InitInstance()
{
    m_module = m_hInstance;
    m_hook.reset(::SetWindowsHookExA(WH_GETMESSAGE, &GetMessageHook, nullptr, ::GetCurrentThreadId()));
    m_versionText = kl7700plugin::PluginVersionText();
    AfxInitRichEdit();
    return CWinApp::InitInstance();
}

int CKIV_KL7700App::ExitInstance()
{
    m_hook.reset();
    return CWinApp::ExitInstance();
}
