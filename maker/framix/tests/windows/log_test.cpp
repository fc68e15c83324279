// The log's three sinks: callback, file and console, each line whole.
#include "framix_fixture.h"

#include "GrabberLog.h"

#include "win32/unique_handle.h"

#include <string>

namespace {

using namespace framix_test;

TEST(GrabberLog, EveryLineReachesEverySinkWhole)
{
    TempFolder temp;
    const std::string file = temp.File("Framix.log");
    const std::string console = temp.File("console.txt");
    LogRecorder recorder;
    const std::string longValue(5000, 'v');
    {
        CGrabberLog log;
        log.SetCallback(&LogRecorder::Callback, &recorder);
        ASSERT_TRUE(log.SetLogFile(file.c_str()));
        win32::UniqueFileHandle out(CreateFileA(console.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(out);
        HANDLE previous = GetStdHandle(STD_OUTPUT_HANDLE);
        SetStdHandle(STD_OUTPUT_HANDLE, out.get());
        log.SetConsole(true);
        log.Print(1, "Allocated buffer %I64u adr = 0x%p, size = %I64u", uint64_t(2), nullptr, uint64_t(3072));
        log.PrintError("ERROR: %s", "failed");
        log.Print(1, "<%s>", longValue.c_str());
        SetStdHandle(STD_OUTPUT_HANDLE, previous);
        log.SetConsole(false);
        log.Print(0, "after the console");
        EXPECT_EQ(4u, log.GetLineCount());
    }
    const auto lines = recorder.Lines();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(1, lines[0].level);
    EXPECT_EQ(0u, lines[0].text.find("Allocated buffer 2 adr = 0x")) << lines[0].text;
    EXPECT_NE(std::string::npos, lines[0].text.find(", size = 3072")) << lines[0].text;
    EXPECT_EQ(0, lines[1].level);
    EXPECT_EQ("ERROR: failed", lines[1].text);
    EXPECT_EQ("<" + longValue + ">", lines[2].text);

    const std::string consoleText = ReadFile(console);
    EXPECT_NE(std::string::npos, consoleText.find("[0] ERROR: failed\n")) << consoleText;
    EXPECT_NE(std::string::npos, consoleText.find("[1] <" + longValue + ">\n"));
    EXPECT_EQ(std::string::npos, consoleText.find("after the console"));

    const std::string fileText = ReadFile(file);
    EXPECT_NE(std::string::npos, fileText.find(" [0] ERROR: failed\r\n")) << fileText;
    EXPECT_NE(std::string::npos, fileText.find(" [1] <" + longValue + ">\r\n"));
    EXPECT_NE(std::string::npos, fileText.find(" [0] after the console\r\n"));
}

TEST(GrabberLog, AFileThatCannotBeOpenedIsReported)
{
    CGrabberLog log;
    EXPECT_FALSE(log.SetLogFile("Z:\\no\\such\\folder\\Framix.log"));
    EXPECT_TRUE(log.SetLogFile(nullptr));
    log.Print(1, "%s", "no sink at all");
    EXPECT_EQ(1u, log.GetLineCount());
}

TEST(GrabberLog, TheFrameworkLogsBesideItsIni)
{
    TempFolder temp;
    const std::string ini = temp.File("Framix.ini");
    WriteFile(ini, "[Framix]\r\n");
    FramixFramework* framework = FramixOpenEx(ini.c_str(), temp.path().c_str(), nullptr, nullptr);
    ASSERT_NE(nullptr, framework);
    FramixGetLog(framework)->Print(1, "%s", "into the data folder");
    FramixClose(framework);
    EXPECT_NE(std::string::npos, ReadFile(temp.File("Framix.log")).find("[1] into the data folder\r\n"));
}

} // namespace
