// Message boxes through one replaceable route.
#include "app_framework/message_box.h"

#include "app_framework/win_app.h"

namespace {

struct Hook {
    AfxMessageBoxHook function = nullptr;
    void* context = nullptr;
};

Hook& hook()
{
    static Hook current;
    return current;
}

} // namespace

AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook function, void* context)
{
    AfxMessageBoxHook previous = hook().function;
    hook().function = function;
    hook().context = context;
    return previous;
}

int AfxShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type)
{
    if (hook().function)
        return hook().function(hook().context, owner, text.c_str(), caption.c_str(), type);
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

int AfxMessageBox(const std::string& text, UINT type)
{
    CWinApp* app = AfxGetApp();
    return AfxShowMessageBox(::GetActiveWindow(), text, app ? app->m_appName : std::string(), type);
}
