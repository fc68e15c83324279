// The entries of a folder that match a pattern, through FindFirstFile and a find handle closed by its owner.
#pragma once

#include "win32/lean_windows.h"
#include "win32/unique_handle.h"

#include <string>
#include <vector>

namespace win32 {

struct FoundFile {
    std::string name; // without the folder
    DWORD attributes = 0;

    bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// Every entry that matches "folder\pattern" (the "." and ".." of a folder
// included, as the system lists them), in the system's order; empty when
// nothing matches or the folder does not exist.
inline std::vector<FoundFile> FindFiles(const std::string& pathPattern)
{
    std::vector<FoundFile> found;
    WIN32_FIND_DATAA data;
    UniqueFindHandle find(::FindFirstFileA(pathPattern.c_str(), &data));
    if (!find)
        return found;
    do {
        found.push_back({data.cFileName, data.dwFileAttributes});
    } while (::FindNextFileA(find.get(), &data));
    return found;
}

} // namespace win32
