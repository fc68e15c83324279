// The program folder, the data folder and the configuration files of both programs.
#include "host_common/HostPaths.h"

namespace host_common {

std::string ProgramFolder(std::string_view programPath)
{
    const size_t slash = programPath.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(programPath.substr(0, slash));
}

std::string DataFolder(std::string_view sharedDataFolder, std::string_view programFolder, std::string_view company,
                       std::string_view versionLabel)
{
    std::string folder(sharedDataFolder.empty() ? programFolder : sharedDataFolder);
    folder += '\\';
    folder += company.empty() ? kDefaultCompany : company;
    folder += "\\Varnik ";
    folder += versionLabel;
    return folder;
}

std::string GrabberConfigFile(std::string_view dataFolder)
{
    std::string file(dataFolder);
    file += '\\';
    file += kGrabberConfigFileName;
    return file;
}

HostPaths BuildHostPaths(std::string_view programPath, std::string_view sharedDataFolder, std::string_view company,
                         std::string_view versionLabel)
{
    HostPaths paths;
    paths.programFolder = ProgramFolder(programPath);
    paths.dataFolder = DataFolder(sharedDataFolder, paths.programFolder, company, versionLabel);
    paths.configFile = paths.dataFolder + '\\' + std::string(kConfigFileName);
    paths.grabberConfigFile = GrabberConfigFile(paths.dataFolder);
    return paths;
}

} // namespace host_common
