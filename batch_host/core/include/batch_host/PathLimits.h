// Merrow's paths must fit the narrow file functions uncut.
#pragma once

#include "host_common/HostPaths.h"

#include <string>

namespace merrow {

// The first of the program's paths that does not fit the narrow file
// functions (a cut path would silently name another file), or empty when all fit.
std::string FirstTooLongPath(const host_common::HostPaths& paths);

} // namespace merrow
