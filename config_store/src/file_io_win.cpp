// Windows parts of the file store's file handling.
#include "file_io.h"

#include "win32/lean_windows.h"

namespace config_store {

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

bool CreateFolder(const std::string& path)
{
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool MoveReplacing(const std::string& from, const std::string& to)
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

} // namespace config_store
