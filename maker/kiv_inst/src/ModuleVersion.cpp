// The version text of a module from its version resource.
#include "ModuleVersion.h"

#include "win32/version_resource.h"

#include <cstdio>

namespace kivinst {

std::string ModuleVersionText(HMODULE module)
{
    const std::optional<win32::VersionResource> resource = win32::VersionResource::ReadModule(module);
    const std::optional<win32::VersionNumber> version = resource ? resource->FileVersion() : std::nullopt;
    if (!version)
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "V%u.%u.%u build %u", version->Major(), version->Minor(), version->Patch(),
                  version->Build());
    return text;
}

} // namespace kivinst
