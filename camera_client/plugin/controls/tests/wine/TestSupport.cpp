// Helpers of the controls' message tests.
#include "TestSupport.h"

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        PumpPending();
        if (condition())
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return condition();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpPending()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

std::string TextOf(HWND window)
{
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::pair<int, int> SelectionOf(HWND edit)
{
    DWORD start = 0, end = 0;
    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

void TypeText(HWND edit, const std::string& keys)
{
    for (char key : keys)
        ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(key), 1);
}

void PressExtendedKey(HWND edit, UINT key, bool shift)
{
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(state);
    ::SendMessageA(edit, WM_KEYDOWN, key, 1 | (1 << 24));
    state[VK_SHIFT] = 0;
    ::SetKeyboardState(state);
}

std::string ClipboardText()
{
    return AfxGetClipboardText(nullptr).value_or(std::string());
}
