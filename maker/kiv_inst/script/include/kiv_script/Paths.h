// Path arithmetic for script and job files, with the separator style as a parameter.
#pragma once

#include <string>
#include <string_view>

namespace kivscript {

enum class PathStyle {
    Windows, // "\" or "/" separate, "C:" and "\\server" start absolute paths
    Posix,   // "/" separates, a leading "/" starts an absolute path
};

// The style of the platform the code was built for.
constexpr PathStyle NativePathStyle()
{
#ifdef _WIN32
    return PathStyle::Windows;
#else
    return PathStyle::Posix;
#endif
}

bool IsAbsolutePath(std::string_view path, PathStyle style);

// Everything before the last separator ("" when there is none; "/" or "C:\" for a root).
std::string FolderOf(std::string_view path, PathStyle style);

// The path as given when absolute or when the folder is empty, else folder + separator + path.
std::string ResolvePath(std::string_view folder, std::string_view path, PathStyle style);

} // namespace kivscript
