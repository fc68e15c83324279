// The communication device's view of the configuration store it borrows:
// texts of section "CommDev_0".
#pragma once

#include <memory>
#include <optional>
#include <string>

class CIniFile_0;

namespace kivinst {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> read(const char* key) = 0;
    virtual void write(const char* key, const std::string& value) = 0;
    virtual bool save() = 0;
};

// Adapter over the host's store; null for a null store. The store stays the host's.
std::unique_ptr<SettingsStore> makeIniSettings(CIniFile_0* store);

} // namespace kivinst
