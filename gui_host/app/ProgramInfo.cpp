// Module paths, version resources and the shell folder lookup for Varnik.
#include "ProgramInfo.h"

#include "win32/module.h"
#include "win32/unique_handle.h"
#include "win32/version_resource.h"

namespace varnik {

std::string ModulePath(HMODULE module)
{
    return win32::ModulePath(module);
}

std::optional<VersionResource> ReadVersionResource(const std::string& path)
{
    const std::optional<win32::VersionResource> resource = win32::VersionResource::Read(path);
    if (!resource)
        return std::nullopt;
    VersionResource info;
    if (const std::optional<VS_FIXEDFILEINFO> fixed = resource->Fixed()) {
        info.fixed = *fixed;
        info.hasFixed = true;
    }
    info.companyName = resource->StringValue("CompanyName").value_or("");
    return info;
}

std::string SharedDataFolder()
{
    // Bound by name: the program does not link the shell library.
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    constexpr int kCommonAppData = 0x23;
    win32::UniqueModule shell(LoadLibraryA("Shell32.dll"));
    auto getFolderPath = win32::BindExport<GetFolderPath>(shell.get(), "SHGetFolderPathA");
    char folder[MAX_PATH] = {};
    if (!getFolderPath || getFolderPath(nullptr, kCommonAppData, nullptr, 0, folder) != S_OK)
        return {};
    return folder;
}

} // namespace varnik
