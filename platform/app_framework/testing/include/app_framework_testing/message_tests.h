// Helpers of the message tests of windows built on the framework: bounded
// message pumping, recorded message boxes and reading window texts.
#pragma once

#include "app_framework/afx.h"

#include <functional>
#include <string>
#include <vector>

// Dispatches messages (through the framework's pre-translation) until the
// condition holds or the deadline passes; returns the condition's last value.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 3000);
// Dispatches what is queued now.
void PumpPending();

// Answers every framework message box with IDOK and records its text while alive.
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    std::vector<std::string> texts;

private:
    static int record(void* context, HWND, const char* text, const char*, UINT);
    AfxMessageBoxHook m_previous;
};

// Text of a dialog control.
std::string ItemText(HWND dialog, int id);
// Text of a window.
std::string TextOf(HWND window);
