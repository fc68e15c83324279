// What both programs learn about themselves from the system: their path, their
// version resource and the common application-data folder.
#pragma once

#include "host_common/HostPaths.h"
#include "host_common/VersionWords.h"
#include "win32/lean_windows.h"

#include <optional>
#include <string>

namespace host_common {

// Full path of the running program, never cut; empty when the system cannot tell it.
std::string ProgramPath();

// A module's own version resource (null: the program of the process).
struct ProgramVersion {
    std::optional<VS_FIXEDFILEINFO> fixed; // none without a version block or fixed record
    bool hasTranslation = false;           // the block has a "\VarFileInfo\Translation" entry
    std::string companyName;               // CompanyName of the first translation; may be empty

    std::optional<VersionWords> FileVersion() const;
};
ProgramVersion ReadProgramVersion(HMODULE module);

// The common application-data folder (shell folder 0x23), found through
// SHGetFolderPathA bound by name from Shell32.dll; empty when the library, the
// function or the call fails.
std::string SharedDataFolder();

// The paths of the running program for a company and version label.
HostPaths ThisProgramsPaths(std::string_view company, std::string_view versionLabel);

} // namespace host_common
