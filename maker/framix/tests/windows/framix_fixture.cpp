// The Framix tests' temporary folders, files and recorded frameworks.
#include "framix_fixture.h"

#include "win32/unique_handle.h"

#include <atomic>

namespace framix_test {

namespace {

std::string NextScratchName()
{
    static std::atomic<unsigned> counter{0};
    return "framix_test_" + std::to_string(counter++);
}

} // namespace

TempFolder::TempFolder() : scratch_(NextScratchName()), path_(scratch_.Path())
{
    while (!path_.empty() && (path_.back() == '\\' || path_.back() == '/'))
        path_.pop_back();
}

void WriteFile(const std::string& path, const std::string& text)
{
    win32::UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file) << path;
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
}

std::string ReadFile(const std::string& path)
{
    win32::UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    if (!file)
        return {};
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    return text;
}

void LogRecorder::Callback(void* context, int level, const char* text)
{
    auto* self = static_cast<LogRecorder*>(context);
    std::lock_guard<std::mutex> guard(self->lock_);
    self->lines_.push_back({level, text});
}

std::vector<LogLine> LogRecorder::Lines()
{
    std::lock_guard<std::mutex> guard(lock_);
    return lines_;
}

size_t LogRecorder::Count(const std::string& part)
{
    size_t n = 0;
    for (const auto& line : Lines()) n += line.text.find(part) != std::string::npos;
    return n;
}

std::string LogRecorder::All()
{
    std::string all;
    for (const auto& line : Lines()) all += "[" + std::to_string(line.level) + "] " + line.text + "\n";
    return all;
}

void FrameworkTest::Open(const std::string& iniText, const char* pluginFolder)
{
    ini_ = temp_.File("Framix.ini");
    if (!iniText.empty())
        WriteFile(ini_, iniText);
    framework_ = FramixOpenEx(ini_.c_str(), pluginFolder ? pluginFolder : PluginFolder().c_str(), &LogRecorder::Callback, &log_);
    ASSERT_NE(nullptr, framework_);
}

void FrameworkTest::Reopen()
{
    FramixClose(framework_);
    framework_ = FramixOpenEx(ini_.c_str(), PluginFolder().c_str(), &LogRecorder::Callback, &log_);
    ASSERT_NE(nullptr, framework_);
}

void FrameworkTest::TearDown()
{
    FramixClose(framework_);
    framework_ = nullptr;
}

std::string ListingTheTestGrabber(const std::string& more)
{
    return "[Framix]\r\nLogFile=\r\n[Grabber_0]\r\nFile=" + TestGrabberPath() + "\r\n" + more;
}

} // namespace framix_test
