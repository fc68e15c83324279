// Program path, version resource and shell folder lookup for Merrow.
#include "ProgramInfo.h"

#include "win32/module.h"
#include "win32/unique_handle.h"
#include "win32/version_resource.h"

namespace merrow {

std::string ProgramPath()
{
    return win32::ModulePath(nullptr);
}

std::optional<FileVersion> ReadFileVersion(const std::string& path)
{
    // Merrow reads its version only from a block that names a translation.
    const std::optional<win32::VersionResource> resource = win32::VersionResource::Read(path);
    if (!resource || !resource->HasTranslation())
        return std::nullopt;
    const std::optional<win32::VersionNumber> version = resource->FileVersion();
    if (!version)
        return std::nullopt;
    return FileVersion{version->mostSignificant, version->leastSignificant};
}

std::string SharedDataFolder()
{
    // Bound by name, as the shell library is not linked to the program.
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    constexpr int kCommonAppData = 0x23;
    win32::UniqueModule shell(LoadLibraryA("Shell32.dll"));
    auto getFolderPath = win32::BindExport<GetFolderPath>(shell.get(), "SHGetFolderPathA");
    char folder[MAX_PATH] = {};
    if (!getFolderPath || getFolderPath(nullptr, kCommonAppData, nullptr, 0, folder) != S_OK)
        return {};
    return folder;
}

} // namespace merrow
