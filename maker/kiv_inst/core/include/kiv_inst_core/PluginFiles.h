// Which files of a folder scan are tried as device-client plug-ins.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kivinst {

// Folder and file name joined with one backslash.
std::string JoinPath(std::string_view folder, std::string_view name);

// From the names a folder search matched: the full paths of the ".dll" files
// (any letter case) except `ownPath` (KIVInst.dll itself), sorted by name
// without regard to case so object ids come in the same order on every run.
// Other files matching the pattern (programs, texts) are not plug-ins and
// are never loaded.
std::vector<std::string> SelectPluginFiles(std::string_view folder, std::vector<std::string> names,
                                           std::string_view ownPath);

bool EqualsNoCase(std::string_view a, std::string_view b);

} // namespace kivinst
