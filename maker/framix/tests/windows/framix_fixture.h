// Shared pieces of the Framix tests under Wine: a temporary folder, the test
// plug-in folder, and a framework opened on an ini text with its log recorded.
#pragma once

#include "FramixExports.h"
#include "UnifiedGrabber.h"

#include <gtest/gtest.h>

#include "app_framework_testing/scratch_folder.h"

#include "win32/lean_windows.h"
#include "win32/module.h"

#include <mutex>
#include <string>
#include <vector>

namespace framix_test {

inline std::string TestFolder()
{
    const std::string path = win32::ModulePath(nullptr);
    return path.substr(0, path.find_last_of('\\'));
}

inline std::string PluginFolder()
{
    return TestFolder() + "\\framix_plugins";
}

inline std::string TestGrabberPath()
{
    return PluginFolder() + "\\FramixTestGrabber.dll";
}

// A fresh scratch folder per object (the shared ScratchFolder), named without
// its trailing separator as the framework takes folders.
class TempFolder {
public:
    TempFolder();
    const std::string& path() const { return path_; }
    std::string File(const char* name) const { return scratch_.File(name); }

private:
    ScratchFolder scratch_;
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& text);
std::string ReadFile(const std::string& path);

struct LogLine {
    int level;
    std::string text;
};

// Records every log line of a framework (lines may come from other threads).
class LogRecorder {
public:
    static void Callback(void* context, int level, const char* text);
    std::vector<LogLine> Lines();
    // Lines that contain the text.
    size_t Count(const std::string& part);
    std::string All();

private:
    std::mutex lock_;
    std::vector<LogLine> lines_;
};

// A framework on an ini written from text (empty text: no ini file at all).
class FrameworkTest : public ::testing::Test {
protected:
    void Open(const std::string& iniText, const char* pluginFolder = nullptr);
    void TearDown() override;
    CUnifiedGrabber* Grabber(uint32_t index = 0) { return FramixGetGrabber(framework_, index); }
    // Opens the framework again on the same ini (after a save).
    void Reopen();

    TempFolder temp_;
    std::string ini_;
    LogRecorder log_;
    FramixFramework* framework_ = nullptr;
};

// "[Grabber_0]\r\nFile=<the test grabber>\r\n" and more lines.
std::string ListingTheTestGrabber(const std::string& more = "");

} // namespace framix_test
