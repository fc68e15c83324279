// Result codes of the communication device's operations (0 = success) and
// their texts, which GetInfoText(2, code) returns.
#pragma once

namespace kivinst {

enum CommError : int {
    kCommOk = 0,
    kCommLocked = 0x1001, // another owner holds the device
    kCommLockFailed,      // the port's lock between programs could not be created
    kCommNoConfig,        // no usable port configuration
    kCommNoStore,         // no configuration store was handed over
    kCommNotOpen,         // the port is closed
    kCommOpenFailed,      // the port could not be opened
    kCommBroken,          // the port failed while in use and was closed
    kCommTimeout,         // a write did not finish in time
    kCommParam,           // a null pointer or an unknown flag
    kCommStoreFailed,     // the configuration store could not be saved
    kCommCancelled,       // the configuration dialog was cancelled
    kCommInternal,        // out of memory or another unexpected failure
};

// The fixed text of a device code, or null for a code that is not the device's.
const char* commErrorText(long code);

} // namespace kivinst
