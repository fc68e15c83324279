// The system's narrow private-profile functions behind the profile store.
#include "profile_access.h"

#include "win32/lean_windows.h"

#include <climits>

namespace config_store {
namespace {

DWORD ClampSize(size_t size) { return size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(size); }

class WindowsProfileAccess : public ProfileAccess {
public:
    std::vector<std::string> SectionNames(const std::string& file, size_t bufferSize) override
    {
        std::string buf(bufferSize, '\0');
        DWORD n = GetPrivateProfileSectionNamesA(buf.data(), ClampSize(bufferSize), file.c_str());
        return SplitNulList(buf.data(), n);
    }

    std::vector<std::string> SectionEntries(const std::string& file, const char* section, size_t bufferSize) override
    {
        std::string buf(bufferSize, '\0');
        DWORD n = GetPrivateProfileSectionA(section, buf.data(), ClampSize(bufferSize), file.c_str());
        return SplitNulList(buf.data(), n);
    }

    std::string GetString(const std::string& file, const char* section, const char* key, const char* def,
                          size_t bufferSize) override
    {
        std::string buf(bufferSize, '\0');
        DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(), ClampSize(bufferSize), file.c_str());
        buf.resize(n);
        return buf;
    }

    bool WriteString(const std::string& file, const char* section, const char* key, const char* value) override
    {
        return WritePrivateProfileStringA(section, key, value, file.c_str()) != 0;
    }

    bool DeleteSection(const std::string& file, const char* section) override
    {
        return WritePrivateProfileSectionA(section, nullptr, file.c_str()) != 0;
    }

    bool DeleteProfileFile(const std::string& file) override { return DeleteFileA(file.c_str()) != 0; }
};

} // namespace

std::unique_ptr<ProfileAccess> CreatePlatformProfileAccess() { return std::make_unique<WindowsProfileAccess>(); }

} // namespace config_store
