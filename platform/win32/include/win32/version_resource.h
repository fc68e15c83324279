// A module's or file's version resource: the fixed version record and the string values of its first translation.
#pragma once

#include "win32/lean_windows.h"
#include "win32/module.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win32 {

// The four parts of a version (file or product), from the two words of the
// fixed record: 2.1.5.12 is 0x00020001, 0x0005000C.
struct VersionNumber {
    uint32_t mostSignificant = 0;
    uint32_t leastSignificant = 0;

    unsigned Major() const { return mostSignificant >> 16; }
    unsigned Minor() const { return mostSignificant & 0xFFFFu; }
    unsigned Patch() const { return leastSignificant >> 16; }
    unsigned Build() const { return leastSignificant & 0xFFFFu; }

    // "2.1.5.12".
    std::string Dotted() const
    {
        char text[48];
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", Major(), Minor(), Patch(), Build());
        return text;
    }
};

class VersionResource {
public:
    // The version block of a file; a relative name is found the way the
    // system finds a module. Nullopt when the file has no version block.
    static std::optional<VersionResource> Read(const std::string& path)
    {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
        if (size == 0)
            return std::nullopt;
        VersionResource resource;
        resource.m_block.resize(size);
        if (!::GetFileVersionInfoA(path.c_str(), 0, size, resource.m_block.data()))
            return std::nullopt;
        return resource;
    }

    // The version block of a loaded module (null: the program of the process).
    static std::optional<VersionResource> ReadModule(HMODULE module)
    {
        const std::string path = ModulePath(module);
        return path.empty() ? std::nullopt : Read(path);
    }

    // The fixed record, nullopt when the block has none.
    std::optional<VS_FIXEDFILEINFO> Fixed() const
    {
        UINT length = 0;
        const void* value = Query("\\", length);
        if (!value || length < sizeof(VS_FIXEDFILEINFO))
            return std::nullopt;
        return *static_cast<const VS_FIXEDFILEINFO*>(value);
    }

    std::optional<VersionNumber> FileVersion() const
    {
        const std::optional<VS_FIXEDFILEINFO> fixed = Fixed();
        if (!fixed)
            return std::nullopt;
        return VersionNumber{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
    }

    std::optional<VersionNumber> ProductVersion() const
    {
        const std::optional<VS_FIXEDFILEINFO> fixed = Fixed();
        if (!fixed)
            return std::nullopt;
        return VersionNumber{fixed->dwProductVersionMS, fixed->dwProductVersionLS};
    }

    // True when the block has a translation entry (language and code page pairs).
    bool HasTranslation() const
    {
        UINT length = 0;
        return Query("\\VarFileInfo\\Translation", length) != nullptr;
    }

    // A string value ("CompanyName", "FileDescription", ...) from the string
    // table of the first translation; nullopt when there is no such value.
    std::optional<std::string> StringValue(std::string_view name) const
    {
        const std::optional<Translation> translation = FirstTranslation();
        if (!translation)
            return std::nullopt;
        char query[128];
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%.*s", translation->language,
                      translation->codePage, static_cast<int>(name.size()), name.data());
        UINT length = 0;
        const void* value = Query(query, length);
        if (!value || length == 0)
            return std::nullopt;
        // The length counts characters and may or may not include the terminator.
        const auto* text = static_cast<const char*>(value);
        return std::string(text, ::strnlen(text, length));
    }

private:
    struct Translation {
        WORD language;
        WORD codePage;
    };

    VersionResource() = default;

    const void* Query(const char* subBlock, UINT& length) const
    {
        void* value = nullptr;
        length = 0;
        // VerQueryValueA takes a non-const block but does not change it.
        if (!::VerQueryValueA(const_cast<char*>(m_block.data()), subBlock, &value, &length))
            return nullptr;
        return value;
    }

    std::optional<Translation> FirstTranslation() const
    {
        UINT length = 0;
        const void* value = Query("\\VarFileInfo\\Translation", length);
        if (!value || length < sizeof(Translation))
            return std::nullopt;
        return *static_cast<const Translation*>(value);
    }

    std::vector<char> m_block;
};

} // namespace win32
