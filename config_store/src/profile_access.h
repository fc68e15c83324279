// The profile (ini) functions the profile store works through, as an interface:
// the system's functions on Windows, an equivalent over the file store elsewhere.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace config_store {

class ProfileAccess {
public:
    virtual ~ProfileAccess() = default;

    // Names of the file's sections, read through a buffer of `bufferSize` bytes.
    virtual std::vector<std::string> SectionNames(const std::string& file, size_t bufferSize) = 0;
    // The section's lines as "key=value", read through a buffer of `bufferSize` bytes.
    virtual std::vector<std::string> SectionEntries(const std::string& file, const char* section,
                                                    size_t bufferSize) = 0;
    // The key's text, or `def` when the key is missing.
    virtual std::string GetString(const std::string& file, const char* section, const char* key, const char* def,
                                  size_t bufferSize) = 0;
    // Writes the key's text; a null value deletes the key. False on failure.
    virtual bool WriteString(const std::string& file, const char* section, const char* key, const char* value) = 0;
    virtual bool DeleteSection(const std::string& file, const char* section) = 0;
    virtual bool DeleteProfileFile(const std::string& file) = 0;
};

// The platform's profile functions (profile_access_win.cpp or profile_access_file.cpp).
std::unique_ptr<ProfileAccess> CreatePlatformProfileAccess();

// Splits a list of NUL-terminated strings ended by an empty one, as the profile
// functions return them, reading at most `size` bytes.
std::vector<std::string> SplitNulList(const char* data, size_t size);

} // namespace config_store
