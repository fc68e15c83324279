// Merrow's exit codes, one list for the program and its tasks.
#pragma once

namespace merrow {

// Plain enumerators: they are the int the program returns.
enum ExitCode : int {
    kExitOk = 0,           // everything done, or nothing to do
    kExitUsage = 1,        // no argument given; usage printed
    kExitPluginFailed = 2, // a device-client plug-in could not be added
    kExitBadArgument = 3,  // unknown or unprocessable task, malformed or empty id list
    kExitNoObject = 4,     // event, instance, store, device or script processor missing
    kExitLocked = 6,       // the communication device is locked by someone else
    kExitNotOpened = 7,    // the communication device could not be opened
    kExitScriptError = 8,  // a script or job reported an error
};

} // namespace merrow
