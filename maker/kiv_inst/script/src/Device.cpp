// The process's steady clock and the disk file source.
#include "kiv_script/Device.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
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

class DiskFileSource final : public FileSource {
public:
    ReadStatus ReadFile(const std::string& path, std::string& content) override
    {
        std::error_code ec;
        std::filesystem::path p(path);
        if (!std::filesystem::exists(p, ec))
            return ReadStatus::Missing;
        if (std::filesystem::is_directory(p, ec))
            return ReadStatus::Unreadable;
        std::ifstream in(p, std::ios::binary);
        if (!in)
            return ReadStatus::Unreadable;
        content.clear();
        char chunk[4096];
        while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
            content.append(chunk, static_cast<std::size_t>(in.gcount()));
            if (content.size() > kMaxFileSize)
                return ReadStatus::TooLarge;
        }
        if (in.bad())
            return ReadStatus::Unreadable;
        return ReadStatus::Ok;
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
