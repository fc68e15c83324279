// A scratch folder of a test.
#include "app_framework_testing/scratch_folder.h"

#include <fstream>

#ifdef _WIN32
#include <process.h>
#define SCRATCH_PROCESS_ID _getpid
#else
#include <unistd.h>
#define SCRATCH_PROCESS_ID getpid
#endif

ScratchFolder::ScratchFolder(const std::string& name)
    : path_(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(SCRATCH_PROCESS_ID())))
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    std::filesystem::create_directories(path_);
    text_ = path_.string();
    text_ += static_cast<char>(std::filesystem::path::preferred_separator);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::Write(const std::string& name, const std::string& content) const
{
    const std::string file = File(name);
    std::ofstream(file, std::ios::binary) << content;
    return file;
}

bool ScratchFolder::CopyIn(const std::string& source, const std::string& name) const
{
    std::error_code error;
    return std::filesystem::copy_file(source, path_ / name, std::filesystem::copy_options::overwrite_existing, error);
}
