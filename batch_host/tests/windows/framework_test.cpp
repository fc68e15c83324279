// Merrow as a child process against the real KIVInst.dll and the built-in
// camera emulator: every exit code by a real scenario, with the exact console
// text where it is fixed.
#include "MerrowFixture.h"

#include <fstream>
#include <iterator>

namespace merrow_test {
namespace {

const std::string kTerminalCaption = "Terminal";

TEST_F(MerrowProgram, PromptAloneOpensTheDeviceRunsNothingAndTakesOneKey)
{
    for (const char* input : {"k", ""}) { // a key, and input that ends at once
        SCOPED_TRACE(std::string("standard input \"") + input + "\"");
        ChildResult result = Run({"-p"}, input);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_TRUE(StartsWith(result.output, OpenedPrologue())) << result.output;
        EXPECT_TRUE(Contains(result.output, Crlf("\nPort configuration: "))) << result.output;
        EXPECT_TRUE(EndsWith(result.output, Crlf("\n\nPress any key to continue...\n"))) << result.output;
        EXPECT_TRUE(configDialogs_.empty());
    }
}

TEST_F(MerrowProgram, ForcedSelectionShowsTheDialogEvenForAUsableConfiguration)
{
    ChildResult result = Run({"-f"});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(configDialogs_.size(), 1u);
    EXPECT_TRUE(StartsWith(result.output, OpenedPrologue())) << result.output;
}

TEST_F(MerrowProgram, WithoutAStoredPortTheDialogIsOfferedTwiceThenEndsWith7)
{
    UseConfig("");
    ChildResult result = Run({"-l"});
    EXPECT_EQ(result.exitCode, 7u);
    EXPECT_EQ(configDialogs_.size(), 2u);
    EXPECT_EQ(result.output, Crlf(kBanner + "Using config file " + config_->File() + "\n\nCould not open communication device!\n"));
}

TEST_F(MerrowProgram, TheStoreHandedToTheDeviceNamesTheGrabberConfiguration)
{
    // The configuration dialog saves the store on OK, and with it what Merrow
    // wrote before handing the store over.
    configDialogCommand_ = IDOK;
    ChildResult result = Run({"-f"});
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(configDialogs_.size(), 1u);
    std::ifstream file(config_->File(), std::ios::binary);
    std::string saved((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(Contains(saved, "UGIni=" + DataFolder() + "\\Framix.ini")) << saved;
}

TEST_F(MerrowProgram, ListsTheFrameworksDeviceClients)
{
    ChildResult result = Run({"-l"});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(EndsWith(result.output, Crlf(kListHeader + "ID = 4096:\tTerminal\n\n"))) << result.output;
}

TEST_F(MerrowProgram, APluginThatCannotBeAddedStopsTheRestButTheListIsPrinted)
{
    std::string script = Script("never.vks", "println \"must not run\"\n");
    ChildResult result = Run({"missing.dll", "-l", script, "other.dll"});
    EXPECT_EQ(result.exitCode, 2u);
    EXPECT_TRUE(EndsWith(result.output, Crlf("\nAdding missing.dll -> FAILED\n" + kListHeader + "ID = 4096:\tTerminal\n\n")))
        << result.output;
    EXPECT_FALSE(Contains(result.output, "other.dll"));
    EXPECT_FALSE(Contains(result.output, "must not run"));
}

TEST_F(MerrowProgram, UnknownParameterIsReportedAndTheScriptStillRuns)
{
    std::string script = Script("hello.vks", "println \"hello from the script\"\nsendln \"V\"\nexpect \">\"\n");
    ChildResult result = Run({"abc", script});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(EndsWith(result.output, Crlf("Unknown parameter abc\nExecuting script " + script + "\nhello from the script\n")))
        << result.output;
}

TEST_F(MerrowProgram, JobRunsItsScriptsThroughTheScriptProcessor)
{
    Script("first.vks", "println \"first\"\n");
    Script("second.vks", "println \"second\"\n");
    std::string job = Script("both.vkj", "first.vks\nsecond.vks\n");
    ChildResult result = Run({job});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(EndsWith(result.output, Crlf("Executing job " + job + "\nfirst\nsecond\n"))) << result.output;
}

TEST_F(MerrowProgram, UnprocessableArgumentsEndWith3)
{
    std::string script = Script("ran.vks", "println \"ran\"\n");
    struct Case {
        std::vector<std::string> arguments;
        std::string ending;
    };
    const Case cases[] = {
        {{"abc"}, "Unknown parameter abc\n"},
        {{script, "bad.txt"}, "\nran\nCould not process bad.txt\n"},
        {{"StartClientDialog=12,"}, "\n\n"},
        {{"StartClientDialog="}, "\n\n"},
        {{"StartClientDialog=4294967296"}, "\n\n"},
        {{"StartClientDialog=1, 2"}, "\n\n"},
        {{"C:\\" + std::string(300, 'a') + ".vks"},
         "Could not process C:\\" + std::string(300, 'a') + ".vks: path longer than 259 characters\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("first argument " + c.arguments.front().substr(0, 40));
        ChildResult result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, 3u);
        EXPECT_TRUE(EndsWith(result.output, Crlf(c.ending))) << result.output;
        EXPECT_FALSE(Contains(result.output, "Instantiating"));
    }
}

TEST_F(MerrowProgram, AnOverlongPluginPathFailsWithoutBeingCut)
{
    std::string path = "C:\\" + std::string(300, 'b') + ".dll";
    ChildResult result = Run({path});
    EXPECT_EQ(result.exitCode, 2u);
    EXPECT_TRUE(EndsWith(result.output, Crlf("Adding " + path + " -> FAILED (path too long)\n"))) << result.output;
}

TEST_F(MerrowProgram, APortHeldByAnotherProgramEndsWith6)
{
    win32::UniqueKernelHandle lock(CreateMutexA(nullptr, TRUE, "Local\\Quarnel.CommDev.EMULATOR"));
    ASSERT_TRUE(lock);
    ChildResult result = Run({"-l"});
    ReleaseMutex(lock.get());
    lock.reset();
    EXPECT_EQ(result.exitCode, 6u);
    EXPECT_TRUE(EndsWith(result.output, Crlf("\n\nCommunication device is locked\n"))) << result.output;
    EXPECT_FALSE(Contains(result.output, "Port description"));
}

TEST_F(MerrowProgram, APortThatCannotBeOpenedOffersTheDialogOnceMoreThenEndsWith7)
{
    UsePort("TCP:127.0.0.1:" + std::to_string(UnusedTcpPort()));
    ChildResult result = Run({"-l"});
    EXPECT_EQ(result.exitCode, 7u);
    EXPECT_EQ(configDialogs_.size(), 1u);
    EXPECT_TRUE(EndsWith(result.output, Crlf("\n\nCould not open communication device!\n"))) << result.output;
}

TEST_F(MerrowProgram, AScriptErrorEndsWith8AndShowsTheErrorText)
{
    std::string script = Script("broken.vks", "println \"before\"\nfrobnicate\n");
    std::string after = Script("after.vks", "println \"must not run\"\n");
    ChildResult result = Run({script, after});
    EXPECT_EQ(result.exitCode, 8u);
    std::string expected = Crlf("Executing script " + script + "\nbefore\nError during executing " + script + ":\n");
    ASSERT_TRUE(Contains(result.output, expected)) << result.output;
    std::string errorText = result.output.substr(result.output.find(expected) + expected.size());
    EXPECT_TRUE(Contains(errorText, "broken.vks(2)")) << errorText;
    EXPECT_TRUE(EndsWith(errorText, "\r\n"));
    EXPECT_FALSE(Contains(result.output, "must not run"));
}

TEST_F(MerrowProgram, ClientDialogsAreWaitedForUntilAllAreClosed)
{
    bool sawBothOpen = false;
    bool stillRunningWithOneOpen = false;
    ChildResult result = Run({"StartClientDialog=4096,0x1000"}, {}, [&](HANDLE process) {
        std::vector<void*> open = WindowsWithCaption(kTerminalCaption);
        if (open.size() == 2 && !sawBothOpen) {
            sawBothOpen = true;
            SendMessageA(static_cast<HWND>(open.front()), WM_CLOSE, 0, 0);
            stillRunningWithOneOpen = WaitForSingleObject(process, 0) == WAIT_TIMEOUT &&
                WindowsWithCaption(kTerminalCaption).size() == 1;
        } else if (sawBothOpen) {
            CloseWindows(kTerminalCaption, WM_CLOSE, 0);
        }
    });
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(sawBothOpen);
    EXPECT_TRUE(stillRunningWithOneOpen);
    const std::string line = "Instantiating device client Terminal (ID=4096) -> SUCCESS\n";
    EXPECT_TRUE(EndsWith(result.output, Crlf(line + line))) << result.output;
}

TEST_F(MerrowProgram, ClientsThatCannotBeShownDoNotHoldTheProgram)
{
    ChildResult result = Run({"StartClientDialog=0,12345,4098"});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(Contains(result.output, Crlf("Instantiating device client - UNKNOWN - (ID=12345) -> FAILED\n")))
        << result.output;
    EXPECT_TRUE(Contains(result.output, "(ID=0) -> FAILED")) << result.output;
    EXPECT_TRUE(Contains(result.output, "(ID=4098) -> ")) << result.output;
}

} // namespace
} // namespace merrow_test
