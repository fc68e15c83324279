// Reading a file whole and replacing one through a temporary file beside it.
#include "file_io.h"

#include "config_store/IniFile.h"

#include <cstdio>
#include <memory>

namespace config_store {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Creates every missing folder above `path`; failures surface when the file
// itself cannot be created.
void CreateParentFolders(const std::string& path)
{
    for (size_t i = 1; i < path.size(); ++i) {
        if (IsPathSeparator(path[i]) && !IsPathSeparator(path[i - 1]) && path[i - 1] != ':') {
            CreateFolder(path.substr(0, i));
        }
    }
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& content)
{
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    content.clear();
    // One read of the known size; the loop below picks up anything beyond it.
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        long size = std::ftell(file.get());
        std::rewind(file.get());
        if (size > 0) {
            content.resize(static_cast<size_t>(size));
            content.resize(std::fread(content.data(), 1, content.size(), file.get()));
        }
    }
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) content.append(chunk, n);
    return !std::ferror(file.get());
}

std::string TemporarySaveName(const std::string& path) { return path + ".saving"; }

int ReplaceFileContent(const std::string& path, std::string_view content)
{
    CreateParentFolders(path);
    const std::string temporary = TemporarySaveName(path);
    std::FILE* raw = std::fopen(temporary.c_str(), "wb");
    if (!raw) return INIERR_OPEN;
    bool written = std::fwrite(content.data(), 1, content.size(), raw) == content.size();
    written = std::fflush(raw) == 0 && written;
    written = std::fclose(raw) == 0 && written;
    if (!written || !MoveReplacing(temporary, path)) {
        RemoveFile(temporary);
        return INIERR_WRITE;
    }
    return 0;
}

} // namespace config_store
