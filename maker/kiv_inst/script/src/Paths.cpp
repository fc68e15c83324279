// Folder and join operations on narrow paths in Windows or POSIX style.
#include "kiv_script/Paths.h"

namespace kivscript {
namespace {

bool isSeparator(char c, PathStyle style)
{
    return c == '/' || (style == PathStyle::Windows && c == '\\');
}

bool hasDrive(std::string_view path)
{
    return path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

} // namespace

bool IsAbsolutePath(std::string_view path, PathStyle style)
{
    if (path.empty())
        return false;
    if (isSeparator(path[0], style))
        return true;
    // "C:foo" is relative to the drive's current folder, which the caller cannot
    // know; it is still not relative to the job file, so it is left alone.
    return style == PathStyle::Windows && hasDrive(path);
}

std::string FolderOf(std::string_view path, PathStyle style)
{
    std::size_t cut = std::string_view::npos;
    for (std::size_t i = path.size(); i-- > 0;) {
        if (isSeparator(path[i], style)) {
            cut = i;
            break;
        }
    }
    if (cut == std::string_view::npos)
        return style == PathStyle::Windows && hasDrive(path) ? std::string(path.substr(0, 2)) : std::string();
    std::size_t rootEnd = style == PathStyle::Windows && hasDrive(path) ? 2 : 0;
    if (cut == rootEnd) // keep the separator of a root: "/" or "C:\"
        return std::string(path.substr(0, cut + 1));
    return std::string(path.substr(0, cut));
}

std::string ResolvePath(std::string_view folder, std::string_view path, PathStyle style)
{
    if (folder.empty() || IsAbsolutePath(path, style))
        return std::string(path);
    std::string joined(folder);
    bool endsWithSeparator = isSeparator(joined.back(), style) ||
        (style == PathStyle::Windows && joined.size() == 2 && joined[1] == ':');
    if (!endsWithSeparator)
        joined += style == PathStyle::Windows ? '\\' : '/';
    joined += path;
    return joined;
}

} // namespace kivscript
