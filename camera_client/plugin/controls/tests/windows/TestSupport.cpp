// Helpers of the controls' message tests.
#include "TestSupport.h"

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
