// Finding, loading and binding the camera library, and its version text.
#include "zelmk/MkApiAccess.h"

#include <cinttypes>
#include <cstdio>
#include <type_traits>

namespace zelmk {

namespace {

constexpr const char* kSubFolder = "Quarnel\\Korvath\\bin-pc\\x64";
constexpr const char* kPrefix = "CmkAPIAccess::CmkAPIAccess: ";

std::string FolderFrom(const std::string& value)
{
    std::string folder = value;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    folder += kSubFolder;
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

} // namespace

InstallFolder FindInstallFolder(BindingPlatform& platform)
{
    InstallFolder result;
    for (const char* variable : {"ProgramW6432", "ProgramFiles"}) {
        const std::optional<std::string> value = platform.Environment(variable);
        if (!value) continue;
        result.folder = FolderFrom(*value);
        if (platform.FolderExists(result.folder)) {
            result.found = true;
            return result;
        }
    }
    return result;
}

std::string LibraryPathIn(const std::string& folder, const char* file)
{
    std::string path = folder;
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path + file;
}

std::string MkApiVersionText(uint32_t major, uint32_t minor, const std::optional<FileVersionWords>& fileVersion)
{
    unsigned parts[4] = {65535, 65535, 65535, 65535};
    if (fileVersion) {
        parts[0] = fileVersion->mostSignificant >> 16;
        parts[1] = fileVersion->mostSignificant & 0xFFFFu;
        parts[2] = fileVersion->leastSignificant >> 16;
        parts[3] = fileVersion->leastSignificant & 0xFFFFu;
    }
    char text[96];
    std::snprintf(text, sizeof text, "mkAPI V%u.%u (%u.%u.%u.%u)", major, minor, parts[0], parts[1], parts[2],
                  parts[3]);
    return text;
}

std::string PointerText(const void* address)
{
    char text[24];
    std::snprintf(text, sizeof text, "%016" PRIX64, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(address)));
    return text;
}

CmkAPIAccess::CmkAPIAccess(BindingPlatform& platform)
{
    const InstallFolder install = FindInstallFolder(platform);
    Log(kPrefix + std::string("Trying to load ") + install.folder + "\\" + m_fileName, 1);
    if (!TryLoad(platform, install.folder)) {
        Log(kPrefix + std::string("Loading ") + install.folder + "\\" + m_fileName + " failed.", 1);
        Log(kPrefix + std::string("Trying to load ") + m_fileName + " (default path)", 1);
        if (!TryLoad(platform, std::string()))
            Log(kPrefix + std::string("Loading ") + m_fileName + " (default path) failed. Giving up.", 0);
    }

    m_valid = 1;
    auto bind = [&](auto& field, const char* name) {
        void* address = m_module ? platform.FindExport(m_module, name) : nullptr;
        if (address) {
            field = reinterpret_cast<std::remove_reference_t<decltype(field)>>(address);
            Log("Found " + std::string(name) + " @0x" + PointerText(address), 1);
        } else {
            field = nullptr;
            Log("mkAPI: Could not find " + std::string(name), 0);
            m_valid = 0;
        }
    };
#define ZELMK_MKAPI_BIND(name) bind(m_functions.name, #name);
    ZELMK_MKAPI_FUNCTIONS(ZELMK_MKAPI_BIND)
#undef ZELMK_MKAPI_BIND

    if (m_valid) {
        Log(kPrefix + std::string("calling MkInitialize..."), 1);
        m_functions.MkInitialize();
    } else {
        Log(kPrefix + std::string("mkAPI is invalid!"), m_module ? 1 : 0);
    }
}

bool CmkAPIAccess::TryLoad(BindingPlatform& platform, const std::string& folder)
{
    const std::string path = LibraryPathIn(folder, m_fileName.c_str());
    // The version is read first, from the file the load is about to use.
    m_fileVersion = platform.ReadFileVersion(path);
    m_module = platform.LoadModule(path);
    // A bare name may be found by the loader in a folder the version functions
    // do not search (a DLL directory, say): then the loaded file answers.
    if (m_module && !m_fileVersion) m_fileVersion = platform.ReadModuleFileVersion(m_module);
    return m_module != nullptr;
}

std::string CmkAPIAccess::VersionText() const
{
    uint32_t major = 0, minor = 0;
    if (m_valid) m_functions.MkVersion(&major, &minor);
    return MkApiVersionText(major, minor, m_fileVersion);
}

} // namespace zelmk
