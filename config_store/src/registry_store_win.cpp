// Kind 2: the store on a registry key. Every operation goes to the registry at
// once; numbers and binary data use the registry's own value types.
#include "config_store/IniRegistry.h"

#include "guarded.h"
#include "name_compare.h"
#include "registry_values_win.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

using namespace config_store;

namespace {

struct RootName {
    const char* name;
    HKEY key;
};

const RootName kRoots[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
};

template <class T>
T NumberOrDefault(HKEY base, const Place& place, unsigned bits, T def, int* found)
{
    uint64_t value = 0;
    bool ok = ReadNumber(base, place, bits, value);
    if (found) *found = ok ? 1 : 0;
    return ok ? static_cast<T>(value) : def;
}

int WriteResult(bool ok) { return ok ? 0 : INIERR_WRITE; }

} // namespace

CIniFile_Reg::~CIniFile_Reg() = default;

int CIniFile_Reg::SetFileName(const char* path)
{
    return Guarded<int>(INIERR_OPEN, [&]() -> int {
        if (!path) return INIERR_OPEN;
        const size_t length = std::strlen(path);
        for (const RootName& root : kRoots) {
            const size_t rootLength = std::strlen(root.name);
            if (length < rootLength + 2 || !NamesEqual(std::string_view(path, rootLength), root.name)) continue;
            if (path[rootLength] != '\\') return INIERR_OPEN;
            win32::UniqueRegKey key = CreateKey(root.key, path + rootLength + 1);
            if (!key) return INIERR_OPEN;
            baseKey_ = std::move(key);
            rootKey_ = root.key;
            path_ = path;
            return 0;
        }
        return INIERR_OPEN;
    });
}

// ---------------------------------------------------------------- enumeration

size_t CIniFile_Reg::GetSectionCount()
{
    DWORD count = 0;
    if (!baseKey_ || RegQueryInfoKeyA(baseKey_.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return 0;
    }
    return count;
}

size_t CIniFile_Reg::GetSectionName(size_t index, char* buf, size_t bufLen)
{
    if (!buf || bufLen == 0) return 0;
    buf[0] = '\0';
    if (!baseKey_ || index > kMax32) return 0;
    DWORD len = Clamp32(bufLen);
    if (RegEnumKeyExA(baseKey_.get(), static_cast<DWORD>(index), buf, &len, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
        buf[0] = '\0';
    }
    buf[Clamp32(bufLen) - 1] = '\0';
    return std::strlen(buf);
}

int CIniFile_Reg::SectionExists(const char* section)
{
    if (!section) return 0;
    char name[kNameBuffer];
    const size_t count = GetSectionCount();
    for (size_t i = 0; i < count; ++i) {
        GetSectionName(i, name, sizeof name);
        if (NamesEqual(name, section)) return 1;
    }
    return 0;
}

size_t CIniFile_Reg::GetKeyCount(const char* section) { return CountValues(baseKey_.get(), section, nullptr); }

size_t CIniFile_Reg::GetKeyName(const char* section, size_t index, char* buf, size_t bufLen)
{
    return ValueName(baseKey_.get(), section, nullptr, index, buf, bufLen);
}

int CIniFile_Reg::KeyExists(const char* section, const char* key)
{
    return HasValue(baseKey_.get(), section, nullptr, key) ? 1 : 0;
}

size_t CIniFile_Reg::GetFieldCount(const char* section, const char* key)
{
    return IsSubkeyName(key) ? CountValues(baseKey_.get(), section, key) : 0;
}

size_t CIniFile_Reg::GetFieldName(const char* section, const char* key, size_t index, char* buf, size_t bufLen)
{
    return IsSubkeyName(key) ? ValueName(baseKey_.get(), section, key, index, buf, bufLen) : 0;
}

int CIniFile_Reg::FieldExists(const char* section, const char* key, const char* field)
{
    return IsSubkeyName(key) && HasValue(baseKey_.get(), section, key, field) ? 1 : 0;
}

// ---------------------------------------------------------------- deletion

void CIniFile_Reg::DeleteTree(HKEY key)
{
    Guarded([&] {
        // Index 0 again after each deletion; an entry that cannot be deleted is
        // stepped over, so every turn either removes an entry or moves on and the
        // walk ends when the enumeration does, whatever fails on the way.
        std::string name(kLongestName, '\0');
        for (DWORD index = 0;;) {
            DWORD len = kLongestName;
            if (RegEnumKeyExA(key, index, name.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            const std::string child(name.data(), len);
            if (win32::UniqueRegKey sub = OpenKey(key, child.c_str())) DeleteTree(sub.get());
            if (RegDeleteKeyA(key, child.c_str()) != ERROR_SUCCESS) ++index;
        }
        for (DWORD index = 0;;) {
            DWORD len = kLongestName;
            if (RegEnumValueA(key, index, name.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            if (RegDeleteValueA(key, std::string(name.data(), len).c_str()) != ERROR_SUCCESS) ++index;
        }
    });
}

int CIniFile_Reg::DeleteAll()
{
    if (!baseKey_) return INIERR_DELETE;
    DeleteTree(baseKey_.get());
    return 0;
}

int CIniFile_Reg::DeleteSection(const char* section)
{
    if (!baseKey_) return INIERR_DELETE;
    if (!IsSubkeyName(section)) return INIERR_DELETE;
    if (win32::UniqueRegKey key = OpenKey(baseKey_.get(), section)) DeleteTree(key.get());
    return RegDeleteKeyA(baseKey_.get(), section) == ERROR_SUCCESS ? 0 : INIERR_DELETE;
}

int CIniFile_Reg::DeleteKey(const char* section, const char* key)
{
    if (!baseKey_) return INIERR_DELETE;
    win32::UniqueRegKey sectionKey = OpenKey(baseKey_.get(), section);
    if (!sectionKey) return 0;
    if (!IsSubkeyName(key)) return INIERR_DELETE;
    if (win32::UniqueRegKey fields = OpenKey(sectionKey.get(), key)) DeleteTree(fields.get());
    return RegDeleteKeyA(sectionKey.get(), key) == ERROR_SUCCESS ? 0 : INIERR_DELETE;
}

int CIniFile_Reg::DeleteField(const char* section, const char* key, const char* field)
{
    if (!baseKey_) return INIERR_DELETE;
    win32::UniqueRegKey fields = OpenSection(baseKey_.get(), section, IsSubkeyName(key) ? key : nullptr);
    if (!fields || !IsSubkeyName(key)) return 0;
    if (!field) return INIERR_DELETE;
    return RegDeleteValueA(fields.get(), field) == ERROR_SUCCESS ? 0 : INIERR_DELETE;
}

// ---------------------------------------------------------------- raw text

void CIniFile_Reg::ReadRaw(const char* section, const char* key, const std::string& def, std::string& out,
                           int* found)
{
    GuardedRead(found, [&] {
        std::string text;
        bool ok = ReadString(baseKey_.get(), {section, nullptr, key}, text);
        if (found) *found = ok ? 1 : 0;
        out = ok ? std::move(text) : def;
    });
}

void CIniFile_Reg::WriteRaw(const char* section, const char* key, const char* value)
{
    Guarded([&] {
        SetText(baseKey_.get(), {section, nullptr, key}, value);
    });
}

void CIniFile_Reg::ReadFieldRaw(const char* section, const char* key, const char* field, const std::string& def,
                                std::string& out, int* found)
{
    GuardedRead(found, [&] {
        std::string text;
        bool ok = IsSubkeyName(key) && ReadString(baseKey_.get(), {section, key, field}, text);
        if (found) *found = ok ? 1 : 0;
        out = ok ? std::move(text) : def;
    });
}

int CIniFile_Reg::WriteFieldRaw(const char* section, const char* key, const char* field, const char* value)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        return WriteResult(SetText(baseKey_.get(), {section, key, field}, value));
    });
}

// ---------------------------------------------------------------- typed values

uint32_t CIniFile_Reg::GetUInt(const char* section, const char* key, uint32_t def, int* found)
{
    return NumberOrDefault<uint32_t>(baseKey_.get(), {section, nullptr, key}, 32, def, found);
}

int32_t CIniFile_Reg::GetInt(const char* section, const char* key, int32_t def, int* found)
{
    return NumberOrDefault<int32_t>(baseKey_.get(), {section, nullptr, key}, 32, def, found);
}

uint64_t CIniFile_Reg::GetUInt64(const char* section, const char* key, uint64_t def, int* found)
{
    return NumberOrDefault<uint64_t>(baseKey_.get(), {section, nullptr, key}, 64, def, found);
}

int64_t CIniFile_Reg::GetInt64(const char* section, const char* key, int64_t def, int* found)
{
    return NumberOrDefault<int64_t>(baseKey_.get(), {section, nullptr, key}, 64, def, found);
}

size_t CIniFile_Reg::GetBinary(const char* section, const char* key, const void* def, size_t defLen, void* buf,
                               size_t bufLen, int* found)
{
    // Reads back what WriteBinary stores, as the field-level read does.
    return ReadBinary(baseKey_.get(), {section, nullptr, key}, def, defLen, buf, bufLen, found);
}

int CIniFile_Reg::WriteUInt(const char* section, const char* key, uint32_t value)
{
    return WriteResult(SetDword(baseKey_.get(), {section, nullptr, key}, value));
}

int CIniFile_Reg::WriteInt(const char* section, const char* key, int32_t value)
{
    return WriteUInt(section, key, static_cast<uint32_t>(value));
}

int CIniFile_Reg::WriteHex(const char* section, const char* key, uint32_t value)
{
    return WriteUInt(section, key, value);
}

int CIniFile_Reg::WriteUInt64(const char* section, const char* key, uint64_t value)
{
    return WriteResult(SetQword(baseKey_.get(), {section, nullptr, key}, value));
}

int CIniFile_Reg::WriteInt64(const char* section, const char* key, int64_t value)
{
    return WriteUInt64(section, key, static_cast<uint64_t>(value));
}

int CIniFile_Reg::WriteHex64(const char* section, const char* key, uint64_t value)
{
    return WriteUInt64(section, key, value);
}

int CIniFile_Reg::WriteBinary(const char* section, const char* key, const void* data, size_t len)
{
    return WriteResult(SetBinary(baseKey_.get(), {section, nullptr, key}, data, len));
}

uint32_t CIniFile_Reg::GetFieldUInt(const char* section, const char* key, const char* field, uint32_t def,
                                    int* found)
{
    return NumberOrDefault<uint32_t>(IsSubkeyName(key) ? baseKey_.get() : nullptr, {section, key, field}, 32, def, found);
}

int32_t CIniFile_Reg::GetFieldInt(const char* section, const char* key, const char* field, int32_t def, int* found)
{
    return NumberOrDefault<int32_t>(IsSubkeyName(key) ? baseKey_.get() : nullptr, {section, key, field}, 32, def, found);
}

uint64_t CIniFile_Reg::GetFieldUInt64(const char* section, const char* key, const char* field, uint64_t def,
                                      int* found)
{
    return NumberOrDefault<uint64_t>(IsSubkeyName(key) ? baseKey_.get() : nullptr, {section, key, field}, 64, def, found);
}

int64_t CIniFile_Reg::GetFieldInt64(const char* section, const char* key, const char* field, int64_t def,
                                    int* found)
{
    return NumberOrDefault<int64_t>(IsSubkeyName(key) ? baseKey_.get() : nullptr, {section, key, field}, 64, def, found);
}

size_t CIniFile_Reg::GetFieldBinary(const char* section, const char* key, const char* field, const void* def,
                                    size_t defLen, void* buf, size_t bufLen, int* found)
{
    return ReadBinary(IsSubkeyName(key) ? baseKey_.get() : nullptr, {section, key, field}, def, defLen, buf, bufLen,
                      found);
}

int CIniFile_Reg::WriteFieldUInt(const char* section, const char* key, const char* field, uint32_t value)
{
    return WriteResult(SetDword(baseKey_.get(), {section, key, field}, value));
}

int CIniFile_Reg::WriteFieldInt(const char* section, const char* key, const char* field, int32_t value)
{
    return WriteFieldUInt(section, key, field, static_cast<uint32_t>(value));
}

int CIniFile_Reg::WriteFieldHex(const char* section, const char* key, const char* field, uint32_t value)
{
    return WriteFieldUInt(section, key, field, value);
}

int CIniFile_Reg::WriteFieldUInt64(const char* section, const char* key, const char* field, uint64_t value)
{
    return WriteResult(SetQword(baseKey_.get(), {section, key, field}, value));
}

int CIniFile_Reg::WriteFieldInt64(const char* section, const char* key, const char* field, int64_t value)
{
    return WriteFieldUInt64(section, key, field, static_cast<uint64_t>(value));
}

int CIniFile_Reg::WriteFieldHex64(const char* section, const char* key, const char* field, uint64_t value)
{
    return WriteFieldUInt64(section, key, field, value);
}

int CIniFile_Reg::WriteFieldBinary(const char* section, const char* key, const char* field, const void* data,
                                   size_t len)
{
    return WriteResult(SetBinary(baseKey_.get(), {section, key, field}, data, len));
}
