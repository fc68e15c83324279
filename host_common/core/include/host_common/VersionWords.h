// The two words of a fixed version record and the version label both programs show and name their data folder by.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace host_common {

// File or product version: 2.1.5.12 is {0x00020001, 0x0005000C}.
struct VersionWords {
    uint32_t mostSignificant = 0;
    uint32_t leastSignificant = 0;
};

// "V" and the first three parts of the version ("V1.4.0" for 1.4.0.47), or
// "V" alone when the program carries no version.
std::string VersionLabel(const std::optional<VersionWords>& version);

} // namespace host_common
