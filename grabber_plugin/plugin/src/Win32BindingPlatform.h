// The binding's operating system on Windows: environment, folders, version
// resources, module loading and export lookup.
#pragma once

#include "zelmk/MkApiAccess.h"

namespace zelmk {

class Win32BindingPlatform : public BindingPlatform {
public:
    std::optional<std::string> Environment(const char* name) override;
    bool FolderExists(const std::string& folder) override;
    std::optional<FileVersionWords> ReadFileVersion(const std::string& path) override;
    std::optional<FileVersionWords> ReadModuleFileVersion(void* module) override;
    void* LoadModule(const std::string& path) override;
    void* FindExport(void* module, const char* name) override;
};

} // namespace zelmk
