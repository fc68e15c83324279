// The framework's private state of a grabber: host notifications, command
// channels, registered dialog windows, bits, the frame bookkeeping.
#pragma once

#include "UnifiedGrabber.h"

#include <atomic>
#include <mutex>
#include <vector>

class CFramixCamDialog;

// A host notification: a message to a window, a message to a thread, a
// callback; each installed on its own, all of them told.
template <class Callback>
struct HostTarget {
    HWND window = nullptr;
    UINT windowMessage = 0;
    DWORD thread = 0;
    UINT threadMessage = 0;
    Callback callback = nullptr;
    void* context = nullptr;
};

struct CUnifiedGrabber::Impl {
    std::mutex lock; // the targets and the frame bookkeeping; never held while a host is called
    HostTarget<UG_POSTPROCESS_CALLBACK> postProcess;
    HostTarget<UG_CAMCFGCHANGE_CALLBACK> camCfgChange;
    HostTarget<UG_CAMCNTRL_CALLBACK> camCntrl;

    int64_t lastFilled = -1; // -1: none since the buffers were prepared, or released
    std::atomic<uint64_t> delivered{0};

    CCmdChannel* firstChannel = nullptr;
    std::vector<uint32_t> channelTypes; // the type index of each channel, in list order
    int64_t actChannel = -1;

    std::vector<HWND> dialogWindows; // registered by the dialogs, in order
    uint64_t bits = 0;
    int32_t restartSnapMode = 0; // what event 4096 stopped, for 4097
    bool timerRunning = false;
    CFramixCamDialog* ownDialog = nullptr; // the framework's camera dialog
};

// Runs fn; what it throws becomes the given result, so nothing crosses into the plug-in or host.
template <class Result, class Fn>
Result Guarded(Result onThrow, Fn&& fn) noexcept
{
    try {
        return fn();
    } catch (...) {
        return onThrow;
    }
}
