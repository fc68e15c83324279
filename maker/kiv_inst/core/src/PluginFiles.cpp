// Which files of a folder scan are tried as device-client plug-ins.
#include "kiv_inst_core/PluginFiles.h"

#include <algorithm>
#include <cctype>

namespace kivinst {

namespace {

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool LessNoCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

bool IsDllName(std::string_view name)
{
    return name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".dll");
}

} // namespace

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
        std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string JoinPath(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    path += name;
    return path;
}

std::vector<std::string> SelectPluginFiles(std::string_view folder, std::vector<std::string> names,
                                           std::string_view ownPath)
{
    std::sort(names.begin(), names.end(), LessNoCase);
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        if (!IsDllName(name))
            continue;
        std::string path = JoinPath(folder, name);
        if (EqualsNoCase(path, ownPath))
            continue;
        paths.push_back(std::move(path));
    }
    return paths;
}

} // namespace kivinst
