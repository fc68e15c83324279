// The folders and files Merrow works with, built from the program's path.
#pragma once

#include <string>
#include <string_view>

namespace merrow {

struct HostPaths {
    std::string programFolder;     // no trailing backslash
    std::string dataFolder;        // ...\Quarnel\Varnik V1.0.0
    std::string configFile;        // data folder + "\Varnik.ini"
    std::string grabberConfigFile; // data folder + "\Framix.ini"
};

// Everything before the last backslash; empty without a backslash.
std::string ProgramFolder(std::string_view programPath);

// sharedDataFolder is the common application-data folder, empty when the
// shell could not tell it; the program folder stands in then.
HostPaths BuildHostPaths(std::string_view programPath, std::string_view sharedDataFolder,
                         std::string_view versionText);

// The first of the paths that does not fit the narrow file functions, or
// empty when all fit.
std::string FirstTooLongPath(const HostPaths& paths);

} // namespace merrow
