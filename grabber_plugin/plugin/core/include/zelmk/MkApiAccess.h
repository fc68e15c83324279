// CmkAPIAccess: finds the camera library, loads it, binds its 55 functions by
// name and keeps a log of every step for the grabber to print later (no log
// exists while this runs). The operating system comes in as BindingPlatform.
#pragma once

#include "zelmk/MkApiTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelmk {

// The two words of a file version (2.1.5.12 is 0x00020001, 0x0005000C).
struct FileVersionWords {
    uint32_t mostSignificant = 0;
    uint32_t leastSignificant = 0;
};

class BindingPlatform {
public:
    virtual ~BindingPlatform() = default;
    // Nullopt when the variable does not exist (an empty value exists).
    virtual std::optional<std::string> Environment(const char* name) = 0;
    virtual bool FolderExists(const std::string& folder) = 0;
    // The file version of the file's version block; nullopt when the file has
    // none or its root query fails. A bare name is found as the loader would.
    virtual std::optional<FileVersionWords> ReadFileVersion(const std::string& path) = 0;
    // The same for the file a loaded module came from.
    virtual std::optional<FileVersionWords> ReadModuleFileVersion(void* module) = 0;
    // Null when loading fails; a bare name uses the system's search order.
    virtual void* LoadModule(const std::string& path) = 0;
    virtual void* FindExport(void* module, const char* name) = 0;
};

// The folder the installation keeps the library in, and whether it exists.
struct InstallFolder {
    std::string folder;
    bool found = false;
};
// "ProgramW6432", then "ProgramFiles", each with "Quarnel\Korvath\bin-pc\x64";
// when neither folder exists, the text built from the last variable that
// exists (empty when none does).
InstallFolder FindInstallFolder(BindingPlatform& platform);
// folder + "\" + file, without a doubled separator; the bare file for an empty folder.
std::string LibraryPathIn(const std::string& folder, const char* file);

// "mkAPI V3.1 (1.0.0.1)"; every file-version part 65535 without a version.
std::string MkApiVersionText(uint32_t major, uint32_t minor, const std::optional<FileVersionWords>& fileVersion);

class CmkAPIAccess {
public:
    struct LogRecord {
        std::string text;
        int32_t ok; // 1 information, 0 error: the level it is printed at
    };

    // Runs the whole binding; the library stays loaded (and initialised) for
    // the life of the process, so nothing here ever unloads it.
    explicit CmkAPIAccess(BindingPlatform& platform);
    CmkAPIAccess(const CmkAPIAccess&) = delete;
    CmkAPIAccess& operator=(const CmkAPIAccess&) = delete;

    const std::vector<LogRecord>& LoadLog() const { return m_log; }
    const std::string& FileName() const { return m_fileName; }
    void* Module() const { return m_module; }
    const std::optional<FileVersionWords>& FileVersion() const { return m_fileVersion; }
    bool IsValid() const { return m_valid != 0; }
    const MkApiFunctions& Functions() const { return m_functions; }
    const MkApiFunctions* operator->() const { return &m_functions; }

    // The version text from MkVersion and the file's version; the parts of
    // MkVersion are 0 when the binding is invalid.
    std::string VersionText() const;

private:
    bool TryLoad(BindingPlatform& platform, const std::string& folder);
    void Log(std::string text, int32_t ok) { m_log.push_back({std::move(text), ok}); }

    std::vector<LogRecord> m_log;
    std::string m_fileName = "mkApi.dll";
    void* m_module = nullptr;
    std::optional<FileVersionWords> m_fileVersion;
    int32_t m_valid = 0;
    MkApiFunctions m_functions;
};

// The pointer text of the "Found" lines: 16 upper-case hex digits, the way the
// Windows runtime prints %p, so the log reads the same in both builds.
std::string PointerText(const void* address);

} // namespace zelmk
