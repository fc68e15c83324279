// What Merrow learns about itself from the system: its path, its version
// and the shared application-data folder.
#pragma once

#include "batch_host/HostTexts.h"

#include <optional>
#include <string>

namespace merrow {

// Full path of the running program, never cut.
std::string ProgramPath();

// The fixed file version of a module's version resource; nullopt when the
// module has no version block or no translation entry.
std::optional<FileVersion> ReadFileVersion(const std::string& path);

// The common application-data folder (shell folder 0x23), or empty when the
// shell cannot tell it.
std::string SharedDataFolder();

} // namespace merrow
