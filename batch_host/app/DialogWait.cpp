// Message pump and wake-up event that keep Merrow's dialogs responsive.
#include "DialogWait.h"

namespace merrow {
namespace {

// The callback carries no context, so the one wake-up event of the process
// is kept here.
HANDLE g_wakeEvent = nullptr;

constexpr DWORD kAnyInput = 0x4FF; // every kind of queue input, raw input included

void DispatchQueuedMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

int DialogClosedCallback(_TKIV_DLGEVENTDATA*, unsigned long)
{
    if (g_wakeEvent)
        SetEvent(g_wakeEvent);
    return 1;
}

OpenDialogList::OpenDialogList(HANDLE event) : event_(event)
{
    g_wakeEvent = event;
}

void OpenDialogList::Add(CKIVDeviceClient_0* client)
{
    Entry& entry = entries_.emplace_back(Entry{client, {}});
    entry.eventData.callback = &DialogClosedCallback;
    client->SetDlgEventData(&entry.eventData);
}

bool OpenDialogList::AnyOpen() const
{
    for (const Entry& entry : entries_) {
        if (entry.client->IsNonModalDialogOpen())
            return true;
    }
    return false;
}

int OpenDialogList::WaitStep()
{
    if (entries_.empty())
        return 0;
    DispatchQueuedMessages();
    // A dialog that never opened, or closed without signalling, would leave
    // nothing to wake the wait below; with no dialog open there is nothing to
    // wait for.
    if (!AnyOpen())
        return 0;
    // No time limit: the wait lasts until the user closes the dialogs. It wakes
    // on the event and on every new message, so the dialogs stay responsive.
    DWORD woken = MsgWaitForMultipleObjects(1, &event_, FALSE, INFINITE, kAnyInput);
    if (woken != WAIT_OBJECT_0)
        return 1;
    ResetEvent(event_);
    return AnyOpen() ? 1 : 0;
}

void OpenDialogList::ReleaseAll(CKIVInstance_0* instance)
{
    while (!entries_.empty()) {
        instance->DeleteObj(entries_.back().client);
        entries_.pop_back();
    }
}

} // namespace merrow
