// File search and ordering for the about box.
#include "gui_host/FileList.h"

#include <algorithm>

namespace varnik {

std::string RemoveEvery(std::string text, std::string_view root)
{
    if (root.empty())
        return text;
    for (size_t at = text.find(root); at != std::string::npos; at = text.find(root, at))
        text.erase(at, root.size());
    return text;
}

namespace {

void SearchFolder(std::string_view root, const std::string& folder, const std::string& pattern, bool recursive,
                  const ListDirectory& list, std::vector<std::string>& found, int depth)
{
    for (const DirectoryEntry& entry : list(folder + pattern)) {
        if (!entry.isDirectory)
            found.push_back(RemoveEvery(folder + entry.name, root));
    }
    if (!recursive || depth >= kMaxSearchDepth)
        return;
    for (const DirectoryEntry& entry : list(folder + "*.*")) {
        if (entry.isDirectory && entry.name != "." && entry.name != "..")
            SearchFolder(root, folder + entry.name + "\\", pattern, recursive, list, found, depth + 1);
    }
}

} // namespace

void SearchFiles(std::string_view root, const std::string& folder, const std::string& pattern, bool recursive,
                 const ListDirectory& list, std::vector<std::string>& found)
{
    SearchFolder(root, folder, pattern, recursive, list, found, 0);
}

void SortFileList(std::vector<std::string>& names)
{
    if (names.size() < 3)
        return;
    // std::string compares as unsigned bytes, so upper case comes before lower case.
    std::sort(names.begin() + 1, names.end());
}

} // namespace varnik
