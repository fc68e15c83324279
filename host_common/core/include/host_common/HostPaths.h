// The folders and files of both programs: program folder, the per-version data
// folder and the two configuration files in it.
#pragma once

#include <string>
#include <string_view>

namespace host_common {

// Merrow's company folder always, Varnik's when its version resource names none.
inline constexpr std::string_view kDefaultCompany = "Quarnel";
// The programs' store, and the unified-grabber framework's configuration file.
inline constexpr std::string_view kConfigFileName = "Varnik.ini";
inline constexpr std::string_view kGrabberConfigFileName = "Framix.ini";

// Everything before the last backslash of the program's path; empty without one.
std::string ProgramFolder(std::string_view programPath);

// sharedDataFolder (the common application-data folder; the program folder
// stands in when it is empty) + "\" + company ("Quarnel" when empty) +
// "\Varnik " + versionLabel, e.g. C:\ProgramData\Quarnel\Varnik V1.0.0.
std::string DataFolder(std::string_view sharedDataFolder, std::string_view programFolder, std::string_view company,
                       std::string_view versionLabel);

// data folder + "\Framix.ini": the value of "UGIni", for the programs and for
// everything that looks for the grabber framework's configuration.
std::string GrabberConfigFile(std::string_view dataFolder);

struct HostPaths {
    std::string programFolder;     // no trailing backslash
    std::string dataFolder;        // ...\Quarnel\Varnik V1.0.0
    std::string configFile;        // data folder + "\Varnik.ini"
    std::string grabberConfigFile; // data folder + "\Framix.ini"
};

HostPaths BuildHostPaths(std::string_view programPath, std::string_view sharedDataFolder, std::string_view company,
                         std::string_view versionLabel);

} // namespace host_common
