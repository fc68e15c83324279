// Dialog keys (Tab, Enter, Escape) for our modeless dialogs under any host's message loop.
#include "terminal/DialogKeyboard.h"

#include <algorithm>
#include <vector>

namespace kivinst {

namespace {

// Per thread: windows live on the thread that created them, and so does the hook.
struct ThreadKeyboard {
    HHOOK hook = nullptr;
    std::vector<HWND> dialogs;
};

thread_local ThreadKeyboard t_keyboard;

HWND DialogOf(HWND window)
{
    for (HWND dialog : t_keyboard.dialogs)
        if (window == dialog || IsChild(dialog, window))
            return dialog;
    return nullptr;
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg && msg->message >= WM_KEYFIRST &&
        msg->message <= WM_KEYLAST) {
        HWND dialog = DialogOf(msg->hwnd);
        if (dialog && IsDialogMessageA(dialog, msg)) {
            msg->message = WM_NULL;
            msg->wParam = 0;
            msg->lParam = 0;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

void RegisterDialogKeyboard(HWND dialog)
{
    auto& k = t_keyboard;
    if (!dialog || std::find(k.dialogs.begin(), k.dialogs.end(), dialog) != k.dialogs.end())
        return;
    if (!k.hook)
        k.hook = SetWindowsHookExA(WH_GETMESSAGE, &GetMessageHook, nullptr, GetCurrentThreadId());
    k.dialogs.push_back(dialog);
}

void UnregisterDialogKeyboard(HWND dialog)
{
    auto& k = t_keyboard;
    k.dialogs.erase(std::remove(k.dialogs.begin(), k.dialogs.end(), dialog), k.dialogs.end());
    if (k.dialogs.empty() && k.hook) {
        UnhookWindowsHookEx(k.hook);
        k.hook = nullptr;
    }
}

} // namespace kivinst
