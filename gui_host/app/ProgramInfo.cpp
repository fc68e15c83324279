// Module paths, version resources and the shell folder lookup for Varnik.
#include "ProgramInfo.h"

#include "app_framework/unique_handle.h"

#include <cstdio>
#include <vector>

namespace varnik {

std::string ModulePath(HMODULE module)
{
    std::vector<char> path(32768);
    const DWORD length = GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return {};
    return std::string(path.data(), length);
}

std::optional<VersionResource> ReadVersionResource(const std::string& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
        return std::nullopt;

    VersionResource info;
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), "\\", &value, &length) && value && length >= sizeof(VS_FIXEDFILEINFO)) {
        info.fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
        info.hasFixed = true;
    }
    // Language in the low word, code page in the high word of the first entry.
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) && value &&
        length >= sizeof(DWORD)) {
        const auto* words = static_cast<const WORD*>(value);
        char query[64];
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\CompanyName", words[0], words[1]);
        if (VerQueryValueA(block.data(), query, &value, &length) && value && length > 0)
            info.companyName = static_cast<const char*>(value);
    }
    return info;
}

std::string SharedDataFolder()
{
    // Bound by name: the program does not link the shell library.
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    constexpr int kCommonAppData = 0x23;
    UniqueModule shell(LoadLibraryA("Shell32.dll"));
    if (!shell)
        return {};
    auto getFolderPath = reinterpret_cast<GetFolderPath>(
        reinterpret_cast<void*>(GetProcAddress(shell.get(), "SHGetFolderPathA")));
    char folder[MAX_PATH] = {};
    if (!getFolderPath || getFolderPath(nullptr, kCommonAppData, nullptr, 0, folder) != S_OK)
        return {};
    return folder;
}

} // namespace varnik
