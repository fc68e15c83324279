// Merrow's check that its paths fit the narrow file functions.
#include "batch_host/PathLimits.h"

#include "batch_host/Arguments.h"

namespace merrow {

std::string FirstTooLongPath(const host_common::HostPaths& paths)
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
