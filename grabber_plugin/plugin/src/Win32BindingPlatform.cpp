// Win32 calls behind the camera library binding.
#include "Win32BindingPlatform.h"

#include "win32/module.h"
#include "win32/version_resource.h"

#include <vector>

namespace zelmk {

std::optional<std::string> Win32BindingPlatform::Environment(const char* name)
{
    ::SetLastError(ERROR_SUCCESS);
    const DWORD size = ::GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0) {
        if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::string();
    }
    std::vector<char> value(size);
    const DWORD length = ::GetEnvironmentVariableA(name, value.data(), size);
    if (length >= size) return std::nullopt; // changed under us: treat as missing rather than cut
    return std::string(value.data(), length);
}

bool Win32BindingPlatform::FolderExists(const std::string& folder)
{
    if (folder.empty()) return false;
    const DWORD attributes = ::GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<FileVersionWords> Win32BindingPlatform::ReadFileVersion(const std::string& path)
{
    const std::optional<win32::VersionResource> resource = win32::VersionResource::Read(path);
    if (!resource) return std::nullopt;
    const std::optional<win32::VersionNumber> version = resource->FileVersion();
    if (!version) return std::nullopt;
    return FileVersionWords{version->mostSignificant, version->leastSignificant};
}

std::optional<FileVersionWords> Win32BindingPlatform::ReadModuleFileVersion(void* module)
{
    const std::string path = win32::ModulePath(static_cast<HMODULE>(module));
    return path.empty() ? std::nullopt : ReadFileVersion(path);
}

void* Win32BindingPlatform::LoadModule(const std::string& path)
{
    // Deliberately never freed: the library stays loaded and initialised until
    // the process ends, as its own threads may still call back into it.
    return ::LoadLibraryA(path.c_str());
}

void* Win32BindingPlatform::FindExport(void* module, const char* name)
{
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

} // namespace zelmk
