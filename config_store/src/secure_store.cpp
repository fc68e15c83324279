// Kind 1: the store that reads and writes its file through profile functions on
// every call and keeps nothing in memory.
#include "config_store/IniStores.h"

#include "caller_buffer.h"
#include "guarded.h"
#include "name_compare.h"
#include "profile_access.h"

#include <algorithm>
#include <cstring>

using namespace config_store;

namespace {

constexpr size_t kNamesBuffer = 16384;
constexpr size_t kEntriesBuffer = 32768;
constexpr size_t kKeyNameEntriesBuffer = 16384;
constexpr size_t kValueBuffer = 32768;

std::string_view EntryName(std::string_view entry) { return entry.substr(0, entry.find('=')); }

} // namespace

std::vector<std::string> config_store::SplitNulList(const char* data, size_t size)
{
    std::vector<std::string> items;
    size_t pos = 0;
    while (pos < size && data[pos] != '\0') {
        size_t end = pos;
        while (end < size && data[end] != '\0') ++end;
        items.emplace_back(data + pos, end - pos);
        pos = end + 1;
    }
    return items;
}

CIniFile_Secure::CIniFile_Secure() : access_(CreatePlatformProfileAccess()) {}
CIniFile_Secure::CIniFile_Secure(std::unique_ptr<ProfileAccess> access) : access_(std::move(access)) {}
CIniFile_Secure::~CIniFile_Secure() = default;

size_t CIniFile_Secure::GetSectionCount()
{
    return Guarded<size_t>(size_t(0), [&]() -> size_t {
        return access_->SectionNames(FileName(), kNamesBuffer).size();
    });
}

size_t CIniFile_Secure::GetSectionName(size_t index, char* buf, size_t bufLen)
{
    return Guarded<size_t>(size_t(0), [&]() -> size_t {
        if (!buf || bufLen == 0) return IniErrorAsSize(INIERR_PARAM);
        auto names = access_->SectionNames(FileName(), kNamesBuffer);
        return index < names.size() ? CopyToCallerBuffer(names[index], buf, bufLen) : 0;
    });
}

int CIniFile_Secure::SectionExists(const char* section)
{
    return Guarded<int>(0, [&]() -> int {
        if (!section) return 0;
        for (const auto& name : access_->SectionNames(FileName(), kNamesBuffer)) {
            if (NamesEqual(name, section)) return 1;
        }
        return 0;
    });
}

size_t CIniFile_Secure::GetKeyCount(const char* section)
{
    return Guarded<size_t>(size_t(0), [&]() -> size_t {
        if (!section) return IniErrorAsSize(INIERR_PARAM);
        return access_->SectionEntries(FileName(), section, kEntriesBuffer).size();
    });
}

size_t CIniFile_Secure::GetKeyName(const char* section, size_t index, char* buf, size_t bufLen)
{
    return Guarded<size_t>(size_t(0), [&]() -> size_t {
        if (!section || !buf || bufLen == 0) return IniErrorAsSize(INIERR_PARAM);
        auto entries = access_->SectionEntries(FileName(), section, kKeyNameEntriesBuffer);
        return index < entries.size() ? CopyToCallerBuffer(EntryName(entries[index]), buf, bufLen) : 0;
    });
}

int CIniFile_Secure::KeyExists(const char* section, const char* key)
{
    return Guarded<int>(0, [&]() -> int {
        if (!section || !key) return 0;
        // The whole name before "=" must match: "Port" is not "PortName", as in
        // every other store of the family.
        for (const auto& entry : access_->SectionEntries(FileName(), section, kEntriesBuffer)) {
            if (NamesEqual(EntryName(entry), key)) return 1;
        }
        return 0;
    });
}

int CIniFile_Secure::DeleteAll()
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        return access_->DeleteProfileFile(FileName()) ? 0 : INIERR_WRITE;
    });
}

// A null section or key would address the whole file or section through the
// profile functions, so it is refused instead.
int CIniFile_Secure::DeleteSection(const char* section)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        if (!section) return INIERR_PARAM;
        return access_->DeleteSection(FileName(), section) ? 0 : INIERR_WRITE;
    });
}

int CIniFile_Secure::DeleteKey(const char* section, const char* key)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        if (!section || !key) return INIERR_PARAM;
        return access_->WriteString(FileName(), section, key, nullptr) ? 0 : INIERR_WRITE;
    });
}

void CIniFile_Secure::ReadRaw(const char* section, const char* key, const std::string& def, std::string& out,
                              int* found)
{
    GuardedRead(found, [&] {
        if (!section || !key) {
            if (found) *found = 0;
            out = def;
            return;
        }
        std::string text = access_->GetString(FileName(), section, key, def.c_str(), kValueBuffer);
        // The profile functions cannot tell a missing key from one holding the
        // default text; both report "not found".
        if (found) *found = text != def ? 1 : 0;
        out = std::move(text);
    });
}

void CIniFile_Secure::WriteRaw(const char* section, const char* key, const char* value)
{
    Guarded([&] {
        if (!section || !key) return;
        access_->WriteString(FileName(), section, key, value ? value : "");
    });
}
