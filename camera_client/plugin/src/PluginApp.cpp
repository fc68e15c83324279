// The plug-in's application object and its get-message hook.
#include "PluginApp.h"

#include "PluginShared.h"

namespace {

constexpr UINT kKeyFirst = 256, kKeyLast = 265;
constexpr UINT kMouseFirst = 512, kMouseLast = 526;

bool IsPluginDialogWindow(HWND window)
{
    const kl7700plugin::DialogWindowList& windows = kl7700plugin::PluginDialogWindows();
    return window != nullptr && (windows.Contains(window) || windows.Contains(::GetAncestor(window, GA_ROOT)));
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE && lParam != 0) {
        try {
            PreTranslateHookedMessage(*reinterpret_cast<MSG*>(lParam));
        } catch (...) {
            // A hook must pass every message on, whatever happened.
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

void PreTranslateHookedMessage(MSG& msg)
{
    const bool keyboard = msg.message >= kKeyFirst && msg.message <= kKeyLast;
    const bool mouse = msg.message >= kMouseFirst && msg.message <= kMouseLast;
    if ((!keyboard && !mouse) || !IsPluginDialogWindow(msg.hwnd)) return;
    if (AfxPreTranslateMessage(&msg) && keyboard) {
        msg.message = WM_NULL;
        msg.wParam = 0;
        msg.lParam = 0;
    }
}

CKIV_KL7700App::CKIV_KL7700App() : CWinApp("KIV_KL7700") {}

BOOL CKIV_KL7700App::InitInstance()
{
    m_module = m_hInstance;
    m_hook = ::SetWindowsHookExA(WH_GETMESSAGE, &GetMessageHook, nullptr, ::GetCurrentThreadId());
    m_versionText = kl7700plugin::PluginVersionText();
    AfxInitRichEdit();
    return CWinApp::InitInstance();
}

int CKIV_KL7700App::ExitInstance()
{
    if (m_hook != nullptr) {
        ::UnhookWindowsHookEx(m_hook);
        m_hook = nullptr;
    }
    return CWinApp::ExitInstance();
}
