// Texts built from version records: the version label, the window title, the
// about box's version lines, and the data folder that carries the label.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "batch_host/HostTexts.h"

namespace varnik {

// The two words of a fixed version record (file or product version); the
// version label "V1.2.3" is the one Merrow builds (merrow::VersionText).
using VersionWords = merrow::FileVersion;
using merrow::VersionText;

// "Varnik V1.2.3 build 4 (x64)".
std::string MainWindowTitle(VersionWords fileVersion);

// "1.2.3.4".
std::string FourPartVersion(VersionWords version);

// "V 1.2.3 build 4 for x64" from "1.2.3.4": split at the last dot; empty when
// there is no dot.
std::string AboutVersionLine(std::string_view fourPartVersion);

// appData (or programFolder when appData is empty) + "\\" + company (or
// "Quarnel" when empty) + "\\Varnik " + versionLabel.
std::string DataFolder(std::string_view appData, std::string_view programFolder, std::string_view company,
                       std::string_view versionLabel);

// The folder part of a path with its trailing backslash ("C:\\P\\" from
// "C:\\P\\Varnik.exe"); empty without a backslash.
std::string FolderWithBackslash(std::string_view path);

} // namespace varnik
