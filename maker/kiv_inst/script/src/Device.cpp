// The process's steady clock and the disk file source.
#include "kiv_script/Device.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace kivscript {
namespace {

class SteadyClock final : public Clock {
public:
    uint64_t NowMs() override
    {
        using namespace std::chrono;
        return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void SleepMs(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

// C stdio takes the narrow path in the system's code page on Windows, as the
// rest of the framework does, and reports a missing file through errno.
class DiskFileSource final : public FileSource {
public:
    ReadStatus ReadFile(const std::string& path, std::string& content) override
    {
        errno = 0;
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
        if (!file)
            return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable;
        content.clear();
        char chunk[4096];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
            content.append(chunk, got);
            if (content.size() > kMaxFileSize)
                return ReadStatus::TooLarge;
        }
        // A folder opens on some systems and fails on the first read.
        return std::ferror(file.get()) ? ReadStatus::Unreadable : ReadStatus::Ok;
    }
};

} // namespace

Clock& SystemClock()
{
    static SteadyClock clock;
    return clock;
}

FileSource& DiskFiles()
{
    static DiskFileSource files;
    return files;
}

} // namespace kivscript
