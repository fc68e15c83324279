// Device-client dialogs shown by Merrow and the wait until they are closed.
#pragma once

#include "win32/lean_windows.h"

#include "KIVInst.h"
#include "KIVObject.h"

#include <list>

namespace merrow {

// Sets the wake-up event; the framework calls it when a dialog signals an event.
int DialogClosedCallback(_TKIV_DLGEVENTDATA* data, unsigned long event);

// The clients whose non-modal dialog the current task started, in order.
class OpenDialogList {
public:
    explicit OpenDialogList(HANDLE event);
    OpenDialogList(const OpenDialogList&) = delete;
    OpenDialogList& operator=(const OpenDialogList&) = delete;

    // Keeps the client and registers a fresh event record with it.
    void Add(CKIVDeviceClient_0* client);
    bool Empty() const { return entries_.empty(); }

    // Services the thread's messages, then waits for the wake-up event or new
    // input. 1 while any dialog of the list is open, else 0.
    int WaitStep();

    // Releases every client through the instance, last one first.
    void ReleaseAll(CKIVInstance_0* instance);

private:
    struct Entry {
        CKIVDeviceClient_0* client;
        _TKIV_DLGEVENTDATA eventData; // kept alive for as long as the client lives
    };

    bool AnyOpen() const;

    HANDLE event_;
    std::list<Entry> entries_;
};

} // namespace merrow
