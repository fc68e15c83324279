// A scratch folder of a test: fresh, private to the process, gone afterwards.
// Platform-neutral, so the native build's tests share it with the Windows ones.
#pragma once

#include <filesystem>
#include <string>

// A folder below the system's temporary folder, named after its purpose and
// the process (parallel test programs never share one), emptied when made and
// removed with everything in it at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // The folder in the platform's narrow form with a trailing separator, so
    // that Path() + "name" names a file of it.
    const std::string& Path() const { return text_; }
    std::string File(const std::string& name) const { return text_ + name; }
    // Writes a file of the folder and returns its full path.
    std::string Write(const std::string& name, const std::string& content) const;
    // Copies a file into the folder; false when it could not be copied.
    bool CopyIn(const std::string& source, const std::string& name) const;

private:
    std::filesystem::path path_;
    std::string text_;
};
