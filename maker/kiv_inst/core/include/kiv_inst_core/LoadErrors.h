// Results of adding a device-client plug-in (CKIVInstance_0::LoadDeviceClient).
#pragma once

namespace kivinst {

enum LoadError : int {
    kLoadOk = 0,         // loaded, or the same file was already loaded
    kLoadBadPath = 1,    // null or empty path
    kLoadCannotOpen = 2, // missing file, or not a module the system can load
    kLoadNotAPlugin = 3, // a module without the five device-client exports
    kLoadNoNewTypes = 4, // a plug-in whose object types are all known already (or none)
    kLoadFailed = 5,     // the plug-in failed while being asked for its types
};

} // namespace kivinst
