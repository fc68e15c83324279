// POSIX parts of the file store's file handling.
#include "file_io.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace config_store {

bool IsPathSeparator(char c) { return c == '/'; }

bool CreateFolder(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST; }

bool MoveReplacing(const std::string& from, const std::string& to)
{
    // Put the new content on the disk before the rename makes it the file.
    int fd = ::open(from.c_str(), O_RDONLY);
    if (fd < 0) return false;
    bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced && std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

} // namespace config_store
