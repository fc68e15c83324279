// The program's path, version resource and the shell's common application-data folder.
#include "host_common/ProgramInfo.h"

#include "win32/module.h"
#include "win32/unique_handle.h"
#include "win32/version_resource.h"

namespace host_common {

std::string ProgramPath()
{
    return win32::ModulePath(nullptr);
}

std::optional<VersionWords> ProgramVersion::FileVersion() const
{
    if (!fixed)
        return std::nullopt;
    return VersionWords{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

ProgramVersion ReadProgramVersion(HMODULE module)
{
    ProgramVersion version;
    const std::optional<win32::VersionResource> resource = win32::VersionResource::ReadModule(module);
    if (!resource)
        return version;
    version.fixed = resource->Fixed();
    version.hasTranslation = resource->HasTranslation();
    version.companyName = resource->StringValue("CompanyName").value_or("");
    return version;
}

std::string SharedDataFolder()
{
    // Bound by name: the programs do not link the shell library.
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    constexpr int kCommonAppData = 0x23;
    win32::UniqueModule shell(LoadLibraryA("Shell32.dll"));
    auto getFolderPath = win32::BindExport<GetFolderPath>(shell.get(), "SHGetFolderPathA");
    char folder[MAX_PATH] = {};
    if (!getFolderPath || getFolderPath(nullptr, kCommonAppData, nullptr, 0, folder) != S_OK)
        return {};
    return folder;
}

HostPaths ThisProgramsPaths(std::string_view company, std::string_view versionLabel)
{
    return BuildHostPaths(ProgramPath(), SharedDataFolder(), company, versionLabel);
}

} // namespace host_common
