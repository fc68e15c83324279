// Helpers of the message tests of windows built on the framework: bounded
// message pumping, recorded message boxes and reading window texts.
#pragma once

#include "app_framework/afx.h"

#include <functional>
#include <string>
#include <vector>

// How messages are handed out: through the framework's pre-translation, as
// the framework's own loop does, or plainly (translate, dispatch), as a host
// that knows nothing of the framework runs its loop.
enum class Pump { Framework,
                  Plain };

// Dispatches messages until the condition holds or the deadline passes;
// returns the condition's last value.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 3000, Pump how = Pump::Framework);
// Dispatches what is queued now (bounded: a window that keeps posting, or
// paints without validating, cannot hold the test).
void PumpPending(Pump how = Pump::Framework);
// Dispatches messages for the whole time, for work that gives no signal to
// wait for.
void PumpFor(DWORD milliseconds, Pump how = Pump::Framework);

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
