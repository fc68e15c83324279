// The version label of both programs.
#include "host_common/VersionWords.h"

#include <cstdio>

namespace host_common {

std::string VersionLabel(const std::optional<VersionWords>& version)
{
    if (!version)
        return "V";
    char text[48];
    std::snprintf(text, sizeof text, "V%u.%u.%u", version->mostSignificant >> 16, version->mostSignificant & 0xFFFFu,
                  version->leastSignificant >> 16);
    return text;
}

} // namespace host_common
