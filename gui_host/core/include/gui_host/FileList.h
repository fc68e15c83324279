// The about box's file list: recursive search with names relative to the
// searched folder, and its ordering.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varnik {

struct DirectoryEntry {
    std::string name;
    bool isDirectory = false;
};

// Lists the entries matching a full path + pattern ("C:\\P\\*.dll"), in the
// order the platform gives them; empty when nothing matches.
using ListDirectory = std::function<std::vector<DirectoryEntry>(const std::string& pathPattern)>;

// Every occurrence of root removed from text.
std::string RemoveEvery(std::string text, std::string_view root);

// Searches folder (a full path ending in a backslash) for files matching
// pattern, appending full path + name with the root's text removed; with
// recursive, descends into every subfolder but "." and "..". Descends at most
// kMaxSearchDepth folders deep, so a folder link that points back up cannot
// make the search endless.
inline constexpr int kMaxSearchDepth = 32;
void SearchFiles(std::string_view root, const std::string& folder, const std::string& pattern, bool recursive,
                 const ListDirectory& list, std::vector<std::string>& found);

// With at least three names: the first stays first, the rest follow in
// ascending byte order, case-sensitive. Shorter lists are left as they are.
void SortFileList(std::vector<std::string>& names);

} // namespace varnik
