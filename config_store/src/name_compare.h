// Case-insensitive comparison and hashing of section, key and field names
// (ASCII letters only: names are 8-bit text in the system code page).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace config_store {

inline char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

inline bool NamesEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

inline uint64_t HashName(std::string_view name)
{
    uint64_t hash = 14695981039346656037ull; // FNV-1a over the folded bytes
    for (char c : name) {
        hash ^= static_cast<unsigned char>(FoldCase(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace config_store
