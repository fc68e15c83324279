// Helper program of the lock tests: holds or probes a port mutex from a
// second process, as another program using the same port would.
//   comm_lock_holder hold NAME READY_EVENT RELEASE_EVENT   hold until told to release (exit 0)
//   comm_lock_holder abandon NAME READY_EVENT              hold, then end without releasing
//   comm_lock_holder try NAME                              exit 0 if it could take the mutex, 1 if not
#include "win32/lean_windows.h"

#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const char* mode = argv[1];
    HANDLE mutex = CreateMutexA(nullptr, FALSE, argv[2]);
    if (!mutex)
        return 2;
    const DWORD got = WaitForSingleObject(mutex, 0);
    if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED)
        return 1;
    if (std::strcmp(mode, "try") == 0) {
        ReleaseMutex(mutex);
        return 0;
    }
    if (argc < 4)
        return 2;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
    if (!ready)
        return 2;
    SetEvent(ready);
    if (std::strcmp(mode, "abandon") == 0)
        return 0; // the process ends holding the mutex
    if (argc < 5)
        return 2;
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[4]);
    if (!release)
        return 2;
    // Bounded: a test that dies must not leave this process behind for ever.
    WaitForSingleObject(release, 30000);
    ReleaseMutex(mutex);
    return 0;
}
