// The program folder, data folder and configuration files of Merrow.
#include "batch_host/HostPaths.h"

#include "batch_host/Arguments.h"

namespace merrow {

std::string ProgramFolder(std::string_view programPath)
{
    std::size_t slash = programPath.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(programPath.substr(0, slash));
}

HostPaths BuildHostPaths(std::string_view programPath, std::string_view sharedDataFolder,
                         std::string_view versionText)
{
    HostPaths paths;
    paths.programFolder = ProgramFolder(programPath);
    paths.dataFolder = sharedDataFolder.empty() ? paths.programFolder : std::string(sharedDataFolder);
    paths.dataFolder += "\\Quarnel\\Varnik ";
    paths.dataFolder += versionText;
    paths.configFile = paths.dataFolder + "\\Varnik.ini";
    paths.grabberConfigFile = paths.dataFolder + "\\Framix.ini";
    return paths;
}

std::string FirstTooLongPath(const HostPaths& paths)
{
    // The grabber file name is as long as the configuration file name, so
    // checking the configuration file covers the data folder as well.
    for (const std::string* path : {&paths.programFolder, &paths.configFile, &paths.grabberConfigFile}) {
        if (!FitsPath(*path))
            return *path;
    }
    return {};
}

} // namespace merrow
