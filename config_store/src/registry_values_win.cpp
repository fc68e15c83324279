// Registry access of the registry store: opening and creating the keys of a
// section or a key's fields, and reading and writing typed values.
#include "registry_values_win.h"

#include "config_store/IniFile.h"
#include "name_compare.h"
#include "typed_text.h"

#include <algorithm>
#include <cstring>

namespace config_store {

constexpr DWORD kStringBuffer = 1024; // REG_SZ values, terminator included

win32::UniqueRegKey OpenKey(HKEY parent, const char* name)
{
    win32::UniqueRegKey key;
    if (!parent || !IsSubkeyName(name)) return key;
    if (RegOpenKeyA(parent, name, key.receive()) != ERROR_SUCCESS) key.release(); // nothing to close
    return key;
}

win32::UniqueRegKey CreateKey(HKEY parent, const char* name)
{
    win32::UniqueRegKey key;
    if (!parent || !IsSubkeyName(name)) return key;
    if (RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.receive(),
                        nullptr) != ERROR_SUCCESS) {
        key.release(); // nothing to close
    }
    return key;
}

win32::UniqueRegKey OpenSection(HKEY base, const char* section, const char* subkey)
{
    win32::UniqueRegKey key = OpenKey(base, section);
    if (!key || !subkey) return key;
    return OpenKey(key.get(), subkey);
}

static win32::UniqueRegKey CreateSection(HKEY base, const char* section, const char* subkey)
{
    win32::UniqueRegKey key = CreateKey(base, section);
    if (!key || !subkey) return key;
    return CreateKey(key.get(), subkey);
}

bool ReadString(HKEY base, const Place& place, std::string& out)
{
    if (!place.value) return false;
    win32::UniqueRegKey key = OpenSection(base, place.section, place.subkey);
    if (!key) return false;
    char buf[kStringBuffer];
    DWORD size = sizeof buf;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), place.value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    out.assign(buf, strnlen(buf, size));
    return true;
}

// REG_DWORD (zero-extended) or REG_QWORD; a 32-bit read refuses larger values.
bool ReadNumber(HKEY base, const Place& place, unsigned bits, uint64_t& value)
{
    if (!place.value) return false;
    win32::UniqueRegKey key = OpenSection(base, place.section, place.subkey);
    if (!key) return false;
    BYTE data[8] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), place.value, nullptr, &type, data, &size) != ERROR_SUCCESS) return false;
    if (type == REG_DWORD && size == 4) {
        uint32_t dword;
        std::memcpy(&dword, data, 4);
        value = dword;
        return true;
    }
    if (type == REG_QWORD && size == 8) {
        std::memcpy(&value, data, 8);
        return bits == 64 || value <= kMax32;
    }
    return false;
}


size_t ReadBinary(HKEY base, const Place& place, const void* def, size_t defLen, void* buf, size_t bufLen,
                  int* found)
{
    if (!buf || bufLen == 0) return 0;
    win32::UniqueRegKey key = place.value ? OpenSection(base, place.section, place.subkey) : win32::UniqueRegKey();
    DWORD type = 0;
    DWORD size = Clamp32(bufLen);
    if (key && RegQueryValueExA(key.get(), place.value, nullptr, &type, static_cast<BYTE*>(buf), &size) == ERROR_SUCCESS &&
        type == REG_BINARY) {
        if (found) *found = 1;
        return size;
    }
    if (found) *found = 0;
    return CopyDefault(def, defLen, buf, bufLen);
}

static bool SetValue(HKEY base, const Place& place, DWORD type, const void* data, size_t size)
{
    if (!base || !place.value || size > kMax32) return false;
    win32::UniqueRegKey key = CreateSection(base, place.section, place.subkey);
    return key && RegSetValueExA(key.get(), place.value, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)) == ERROR_SUCCESS;
}


bool SetDword(HKEY base, const Place& place, uint32_t value) { return SetValue(base, place, REG_DWORD, &value, 4); }
bool SetQword(HKEY base, const Place& place, uint64_t value) { return SetValue(base, place, REG_QWORD, &value, 8); }

bool SetText(HKEY base, const Place& place, const char* text)
{
    const char* value = text ? text : "";
    return SetValue(base, place, REG_SZ, value, std::strlen(value) + 1);
}

bool SetBinary(HKEY base, const Place& place, const void* data, size_t len)
{
    return SetValue(base, place, REG_BINARY, len ? data : nullptr, data ? len : 0);
}

size_t CountValues(HKEY base, const char* section, const char* subkey)
{
    win32::UniqueRegKey key = OpenSection(base, section, subkey);
    DWORD count = 0;
    if (!key || RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return 0;
    }
    return count;
}

size_t ValueName(HKEY base, const char* section, const char* subkey, size_t index, char* buf, size_t bufLen)
{
    if (!buf || bufLen == 0 || index > kMax32 || bufLen > kMax32) return 0;
    win32::UniqueRegKey key = OpenSection(base, section, subkey);
    if (!key) return 0;
    DWORD len = static_cast<DWORD>(bufLen);
    if (RegEnumValueA(key.get(), static_cast<DWORD>(index), buf, &len, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
        buf[0] = '\0';
    }
    buf[bufLen - 1] = '\0';
    return std::strlen(buf);
}

bool HasValue(HKEY base, const char* section, const char* subkey, const char* name)
{
    if (!name) return false;
    char buf[kNameBuffer];
    size_t count = CountValues(base, section, subkey);
    for (size_t i = 0; i < count; ++i) {
        buf[0] = '\0';
        ValueName(base, section, subkey, i, buf, sizeof buf);
        if (NamesEqual(buf, name)) return true;
    }
    return false;
}

} // namespace config_store
