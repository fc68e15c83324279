// Folders the Merrow tests prepare: the shared data folder's configuration
// file, put back as it was afterwards (private program folders are
// app_framework_testing's scratch folders).
#pragma once

#include "app_framework_testing/scratch_folder.h"

#include <string>
#include <vector>

namespace merrow_test {

// Folder of the running test program.
std::string TestProgramFolder();

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
