// Program path, version resource and shell folder lookup for Merrow.
#include "ProgramInfo.h"

#include "Handles.h"

#include <vector>

namespace merrow {

std::string ProgramPath()
{
    // Long enough for any path the system can hand out, so nothing is cut here;
    // whether a path fits the narrow file functions is decided by the caller.
    std::vector<char> path(32768);
    DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return {};
    return std::string(path.data(), length);
}

std::optional<FileVersion> ReadFileVersion(const std::string& path)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
        return std::nullopt;
    void* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &length))
        return std::nullopt;
    void* fixed = nullptr;
    if (!VerQueryValueA(block.data(), "\\", &fixed, &length) || !fixed || length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    return FileVersion{info->dwFileVersionMS, info->dwFileVersionLS};
}

std::string SharedDataFolder()
{
    // Bound by name, as the shell library is not linked to the program.
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    constexpr int kCommonAppData = 0x23;
    UniqueModule shell(LoadLibraryA("Shell32.dll"));
    auto getFolderPath = BindExport<GetFolderPath>(shell.get(), "SHGetFolderPathA");
    char folder[MAX_PATH] = {};
    if (!getFolderPath || getFolderPath(nullptr, kCommonAppData, nullptr, 0, folder) != S_OK)
        return {};
    return folder;
}

} // namespace merrow
