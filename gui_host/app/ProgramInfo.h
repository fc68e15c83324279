// What Varnik learns from the system: module paths, version resources and the
// shared application-data folder.
#pragma once

#include "win32/lean_windows.h"

#include <optional>
#include <string>

#include "gui_host/VersionTexts.h"

namespace varnik {

// Full file name of a module (null: the process's program file); empty on failure.
std::string ModulePath(HMODULE module);

struct VersionResource {
    VS_FIXEDFILEINFO fixed{}; // zero when the file has no fixed record
    bool hasFixed = false;
    std::string companyName; // from the first translation's string table
};

// The version resource of a file, found by the platform's module search for a
// relative name; nullopt when the file has none.
std::optional<VersionResource> ReadVersionResource(const std::string& path);

// File or product version words of the fixed record.
inline VersionWords FileVersionWords(const VS_FIXEDFILEINFO& f) { return {f.dwFileVersionMS, f.dwFileVersionLS}; }
inline VersionWords ProductVersionWords(const VS_FIXEDFILEINFO& f)
{
    return {f.dwProductVersionMS, f.dwProductVersionLS};
}

// The common application-data folder (shell folder 0x23), or empty when the
// shell library, its function or the call fails.
std::string SharedDataFolder();

} // namespace varnik
