// Helpers of the message tests of windows built on the framework.
#include "app_framework_testing/message_tests.h"

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

MessageBoxRecorder::MessageBoxRecorder() : m_previous(AfxSetMessageBoxHook(&record, this)) {}

MessageBoxRecorder::~MessageBoxRecorder()
{
    AfxSetMessageBoxHook(m_previous, nullptr);
}

int MessageBoxRecorder::record(void* context, HWND, const char* text, const char*, UINT)
{
    static_cast<MessageBoxRecorder*>(context)->texts.push_back(text);
    return IDOK;
}

std::string ItemText(HWND dialog, int id)
{
    char text[512] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string TextOf(HWND window)
{
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}
