// Varnik's window title, about-box version line and module folder.
#include "gui_host/VersionTexts.h"

#include <cstdio>

namespace varnik {

std::string MainWindowTitle(host_common::VersionWords v)
{
    char text[96];
    std::snprintf(text, sizeof text, "Varnik V%u.%u.%u build %u %s", v.mostSignificant >> 16,
                  v.mostSignificant & 0xFFFFu, v.leastSignificant >> 16, v.leastSignificant & 0xFFFFu, "(x64)");
    return text;
}

std::string AboutVersionLine(std::string_view fourPartVersion)
{
    const size_t dot = fourPartVersion.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    std::string line = "V ";
    line += fourPartVersion.substr(0, dot);
    line += " build ";
    line += fourPartVersion.substr(dot + 1);
    line += " for x64";
    return line;
}

std::string FolderWithBackslash(std::string_view path)
{
    const size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

} // namespace varnik
