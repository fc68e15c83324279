// Every attribute of an open camera, one log line each, read through the
// bound library table.
#pragma once

#include "zelmk/MkApiTable.h"

#include <functional>
#include <string>

namespace zelmk {

// A finished log line at a level (0 error, 1 information).
using LogSink = std::function<void(int level, const std::string& text)>;

void PrintCameraParameters(const MkApiFunctions& api, MkHandle handle, const LogSink& log);

} // namespace zelmk
