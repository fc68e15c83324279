// Folders the Merrow tests prepare: a private program folder and the shared
// data folder's configuration file, put back as it was afterwards.
#pragma once

#include <string>
#include <vector>

namespace merrow_test {

// Folder of the running test program.
std::string TestProgramFolder();

// A fresh folder under the temporary folder; removed with its files.
class TempFolder {
public:
    explicit TempFolder(const std::string& name);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    // Writes a file of the folder and returns its full path.
    std::string Write(const std::string& name, const std::string& content) const;
    // Copies a file into the folder; false when it could not be copied.
    bool CopyIn(const std::string& source, const std::string& name) const;

private:
    std::string path_;
};

// Makes "Varnik.ini" of the data folder hold the given text while the object
// lives, and puts back what was there before (or nothing).
class DataFolderConfig {
public:
    DataFolderConfig(const std::string& dataFolder, const std::string& content);
    ~DataFolderConfig();
    DataFolderConfig(const DataFolderConfig&) = delete;
    DataFolderConfig& operator=(const DataFolderConfig&) = delete;

    const std::string& File() const { return file_; }

private:
    std::string file_;
    bool existed_ = false;
    std::string previous_;
};

// The common application-data folder as the shell tells it.
std::string SharedDataFolder();

// A TCP port on 127.0.0.1 that nothing listens on (bound once, then freed).
unsigned short UnusedTcpPort();

// Names of the top-level windows with this caption, in z-order.
std::vector<void*> WindowsWithCaption(const std::string& caption);

} // namespace merrow_test
