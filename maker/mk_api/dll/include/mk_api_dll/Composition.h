// What the DLL runs: the network description (named by MKAPI_NETWORK, else "mkApi.ini"
// beside the module, else the built-in network) and the backends it chooses.
#pragma once

#include "mk_api_core/Library.h"

#include <memory>
#include <string>

namespace mkapi {

struct Composition {
    std::string file;        // the description read, empty for the built-in network
    std::string diagnostics; // errors by file and line; empty when all was well
};

// Builds the library for a module in `moduleFolder` on the given clock. A bad description
// gives the built-in network and says why in `composition.diagnostics`.
std::unique_ptr<Library> composeLibrary(const std::string& moduleFolder, const TimeSource& time, bool ownThread,
                                        Composition& composition);

// The same from a description text (tests; `file` names it in errors).
std::unique_ptr<Library> composeLibraryFromText(const std::string& text, const std::string& file,
                                                const TimeSource& time, bool ownThread, Composition& composition);

} // namespace mkapi
