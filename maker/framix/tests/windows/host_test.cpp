// FramixHost as a user runs it: usage, options, commands, log lines and exit codes.
#include "framix_fixture.h"

#include "win32/unique_handle.h"

#include <cstdlib>
#include <string>

namespace {

using namespace framix_test;

struct HostRun {
    DWORD exitCode = 999;
    std::string out;
    bool Has(const std::string& part) const { return out.find(part) != std::string::npos; }
};

std::string HostPath()
{
    return TestFolder() + "\\..\\bin\\FramixHost.exe";
}

// Runs the host with its output in a pipe; bounded to 60 s.
HostRun RunHost(const std::string& arguments)
{
    HostRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readRaw = nullptr, writeRaw = nullptr;
    if (!CreatePipe(&readRaw, &writeRaw, &inherit, 0))
        return run;
    win32::UniqueKernelHandle reader(readRaw), writer(writeRaw);
    SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writer.get();
    si.hStdError = writer.get();
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string command = "\"" + HostPath() + "\" " + arguments;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return run;
    win32::UniqueProcess process(pi);
    writer.reset();
    // Reads while the host runs; a host that outlives the bound is ended, so no run hangs the test.
    const ULONGLONG deadline = GetTickCount64() + 60000;
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &available, nullptr))
            break; // the host has gone and the pipe is drained
        if (available > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!ReadFile(reader.get(), buffer, available < sizeof buffer ? available : sizeof buffer, &got, nullptr))
                break;
            run.out.append(buffer, got);
            continue;
        }
        if (GetTickCount64() > deadline) {
            TerminateProcess(process.process.get(), 99);
            run.out += "\n<host ended after 60 s>\n";
            WaitForSingleObject(process.process.get(), 5000);
            return run;
        }
        WaitForSingleObject(process.process.get(), 20);
    }
    WaitForSingleObject(process.process.get(), 5000);
    GetExitCodeProcess(process.process.get(), &run.exitCode);
    // The console's text mode ends lines with CR LF.
    std::string lines;
    for (char c : run.out)
        if (c != '\r')
            lines.push_back(c);
    run.out = lines;
    return run;
}

class Host : public ::testing::Test {
protected:
    void SetUp() override
    {
        ini_ = temp_.File("Framix.ini");
        WriteFile(ini_, ListingTheTestGrabber());
    }
    HostRun With(const std::string& commands) { return RunHost("--ini \"" + ini_ + "\" " + commands); }

    TempFolder temp_;
    std::string ini_;
};

TEST_F(Host, UsageErrorsExitWithOne)
{
    const struct {
        const char* args;
        const char* line;
    } cases[] = {
        {"", "usage: FramixHost [--ini PATH]"},
        {"init frobnicate", "FramixHost: unknown command \"frobnicate\""},
        {"--grabber", "FramixHost: option --grabber needs a value"},
        {"write \\q", "FramixHost: write: bad escape at offset 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const HostRun run = RunHost(c.args);
        EXPECT_EQ(1u, run.exitCode) << run.out;
        EXPECT_TRUE(run.Has(c.line)) << run.out;
        EXPECT_TRUE(run.Has("exit codes: 0 all commands succeeded")) << run.out;
    }
}

TEST_F(Host, CommandsRunInOrderWithTheLogInBrackets)
{
    const std::string png = temp_.File("frame.png");
    const HostRun run = With("init cameras select 202 open snap 1 25 snap 3 save \"" + png +
                             "\" param 261 -3 limits 261 timer 1000 5000 channel 1 port LOOPX cmdopen write \"s=?\\r\\x01\" read 50 "
                             "purge 1 cmdclose close");
    EXPECT_EQ(0u, run.exitCode) << run.out;
    for (const char* line : {"[1] CTestGrabber::Init\n", "cameras: 3\n", "1: 202 \"Test Camera B\" serial - reachable - address -\n",
                             "[1] CTestGrabber::OpenActCamera: Test Camera B\n", "snap: frames received 1,", "save: buffer 0, 32 x 16, to ", "param 261 set: code 0\n",
                             "param 261: code 0, values 18446744073709551613 0 (signed -3 0)\n",
                             "limits 261: code 0, value1 -6..0, value2 0..0\n", "timer: first 1000 us, second 5000 us\n",
                             "channel 0: Loopback\n", "port: LOOPX\n", "write: 5 bytes\n", "read: 5 bytes \"s=?\\r\\x01\"\n"}) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(run.Has(line)) << run.out;
    }
    EXPECT_EQ(std::string("\x89PNG", 4), ReadFile(png).substr(0, 4));

    // The continuous snap counts every frame up to the stop, so a frame arriving
    // between the 25th and the stop is received too; none may go uncounted, since
    // the test grabber delivers each frame before its counter can be read after the stop.
    const std::string snap = "snap: frames received ";
    const size_t at = run.out.find(snap);
    ASSERT_NE(std::string::npos, at) << run.out;
    const std::string line = run.out.substr(at, run.out.find('\n', at) - at);
    EXPECT_GE(std::strtoull(line.c_str() + snap.size(), nullptr, 10), 25u) << line;
    EXPECT_NE(std::string::npos, line.find(", frames per second ")) << line;
    EXPECT_EQ(", frames lost 0", line.substr(line.rfind(','))) << line;
}

// With the camera library loaded (the test grabber loads the one its section
// names), the camera lines carry what the library knows and "sim" reaches it.
TEST_F(Host, TheLoadedCameraLibraryAddsToTheCameraLinesAndTakesSimCommands)
{
    WriteFile(ini_, ListingTheTestGrabber("CameraLibrary=" + TestFolder() + "\\..\\bin\\mkApi.dll\r\n"));
    const HostRun run = With("init cameras sim status");
    EXPECT_EQ(0u, run.exitCode) << run.out;
    EXPECT_TRUE(run.Has("0: 100001 \"Mono\" serial ")) << run.out;
    EXPECT_TRUE(run.Has(" reachable yes address ")) << run.out;
    EXPECT_TRUE(run.Has("/255.")) << run.out;
    EXPECT_TRUE(run.Has("sim: code 0: ok")) << run.out;
}

TEST_F(Host, QuietDropsTheLogLinesOnly)
{
    const HostRun run = With("--quiet init cameras");
    EXPECT_EQ(0u, run.exitCode) << run.out;
    EXPECT_FALSE(run.Has("[1] ")) << run.out;
    EXPECT_TRUE(run.Has("cameras: 3\n")) << run.out;
}

TEST_F(Host, FailuresNameTheCommandAndItsCode)
{
    const struct {
        const char* commands;
        DWORD exitCode;
        const char* line;
        const char* notRun;
    } cases[] = {
        {"open cameras", 3, "FAILED: open: code 2\n", "cameras: "},
        {"init select 999", 3, "FAILED: select: code 6\n", nullptr},
        {"init open", 3, "open: no camera is active: choose one with select UID (cameras lists the ids), or name it in the grabber's configuration\nFAILED: open: code 8\n", nullptr},
        {"init init", 2, "FAILED: init: code 1\n", nullptr},
        {"init sim status", 3, "sim: no camera library with a control entry point is loaded\nFAILED: sim: code 34\n", nullptr},
        {"init cmdopen", 3, "FAILED: cmdopen: code 9\n", nullptr},
        {"init channel 5", 3, "FAILED: channel: code 14\n", nullptr},
        {"init param 4096 1", 3, "FAILED: param: code 34\n", nullptr},
        {"init snap 1", 3, "FAILED: snap: code 10\n", nullptr},
        {"init dialog nonsense", 3, "dialog: unknown dialog \"nonsense\" (finder, serial or features)\nFAILED: dialog: code 5\n", nullptr},
        {"init dialog serial", 3, "FAILED: dialog: code 9\n", nullptr},
        {"init save x.png", 3, "FAILED: save: code 13\n", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commands);
        const HostRun run = With(c.commands);
        EXPECT_EQ(c.exitCode, run.exitCode) << run.out;
        EXPECT_TRUE(run.Has(c.line)) << run.out;
        if (c.notRun) {
            EXPECT_FALSE(run.Has(c.notRun)) << run.out;
        }
    }
}

TEST_F(Host, AGrabberThatIsNotLoadedExitsWithTwo)
{
    HostRun run = With("--grabber 1 init");
    EXPECT_EQ(2u, run.exitCode) << run.out;
    EXPECT_TRUE(run.Has("FramixHost: grabber 1 is not loaded (1 loaded)")) << run.out;
    WriteFile(ini_, "[Grabber_0]\r\nFile=FramixMissing.dll\r\n");
    run = With("init");
    EXPECT_EQ(2u, run.exitCode) << run.out;
    EXPECT_TRUE(run.Has("FramixMissing.dll\" not found, skipped")) << run.out;
}

} // namespace
