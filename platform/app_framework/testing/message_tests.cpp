// Helpers of the message tests of windows built on the framework.
#include "app_framework_testing/message_tests.h"

namespace {

// Longest one PumpPending may take.
constexpr DWORD kPendingLimitMs = 1000;

} // namespace

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs, Pump how)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        PumpPending(how);
        if (condition())
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return condition();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpPending(Pump how)
{
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetTickCount() - start < kPendingLimitMs && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (how == Pump::Plain || !AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

void PumpFor(DWORD milliseconds, Pump how)
{
    PumpUntil([] { return false; }, milliseconds, how);
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
