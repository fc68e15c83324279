// Registry access of the registry store: where a section's or a key's values
// live, and typed reads and writes of one value.
#pragma once

#include "win32/unique_handle.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace config_store {

constexpr DWORD kNameBuffer = 1024;   // names read while looking for one
constexpr DWORD kLongestName = 16384; // longest value name the registry allows, plus 1
constexpr size_t kMax32 = 0xFFFFFFFFu;

inline DWORD Clamp32(size_t size) { return static_cast<DWORD>(std::min(size, kMax32)); }

// An empty or null name would address the parent key itself, so it never names
// a section or a key's subkey.
inline bool IsSubkeyName(const char* name) { return name && *name; }

// Where one value lives: subkey `section` of the base key (and below it
// `subkey`, for fields), value `value`.
struct Place {
    const char* section;
    const char* subkey; // null for two-level operations
    const char* value;
};

win32::UniqueRegKey OpenKey(HKEY parent, const char* name);
win32::UniqueRegKey CreateKey(HKEY parent, const char* name);
// S, or S\K when `subkey` is given; empty when it cannot be opened or created.
win32::UniqueRegKey OpenSection(HKEY base, const char* section, const char* subkey);

// REG_SZ of at most 1024 bytes.
bool ReadString(HKEY base, const Place& place, std::string& out);
// REG_DWORD (zero-extended) or REG_QWORD; a 32-bit read refuses larger values.
bool ReadNumber(HKEY base, const Place& place, unsigned bits, uint64_t& value);
// REG_BINARY into buf, or the default's first bytes; returns the byte count.
size_t ReadBinary(HKEY base, const Place& place, const void* def, size_t defLen, void* buf, size_t bufLen,
                  int* found);

// Writes create the section's key (and the key's field key) as needed.
bool SetDword(HKEY base, const Place& place, uint32_t value);
bool SetQword(HKEY base, const Place& place, uint64_t value);
bool SetText(HKEY base, const Place& place, const char* text);
bool SetBinary(HKEY base, const Place& place, const void* data, size_t len);

size_t CountValues(HKEY base, const char* section, const char* subkey);
// Name of value `index`: empty on failure, untouched when the key cannot be opened.
size_t ValueName(HKEY base, const char* section, const char* subkey, size_t index, char* buf, size_t bufLen);
bool HasValue(HKEY base, const char* section, const char* subkey, const char* name);

} // namespace config_store
