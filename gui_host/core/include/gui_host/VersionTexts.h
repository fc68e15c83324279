// Texts built from version records that only Varnik shows: the window title
// and the about box's version line; and the folder of a module path.
#pragma once

#include "host_common/VersionWords.h"

#include <string>
#include <string_view>

namespace varnik {

// "Varnik V1.2.3 build 4 (x64)".
std::string MainWindowTitle(host_common::VersionWords fileVersion);

// "V 1.2.3 build 4 for x64" from "1.2.3.4": split at the last dot; empty when
// there is no dot.
std::string AboutVersionLine(std::string_view fourPartVersion);

// The folder part of a path with its trailing backslash ("C:\\P\\" from
// "C:\\P\\Varnik.exe"); empty without a backslash.
std::string FolderWithBackslash(std::string_view path);

} // namespace varnik
