// The script processor's Call over a simulated communication device.
#include "kiv_script/ErrorTexts.h"
#include "kiv_script/HapCommPort.h"
#include "kiv_testing/HapDeviceCommStub.h"

#include "KIVInst.h"
#include "TestDoubles.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kivscript {
namespace {

using testing::FakeClock;
using testing::MemoryFiles;

// A communication device whose receive queue the test fills; it hands out at
// most chunk bytes per ReadData, as a serial port with a small buffer would.
class FakeCommDevice final : public HapDeviceCommStub {
public:
    // Operations the script processor never calls.
    int GetState() override { return 1; }
    int ReadChar(char*, unsigned long*) override { return 1; }
    int WriteChar(const char*, unsigned long*) override { return 1; }
    int WriteText(const char*, unsigned long*) override { return 1; }

    const char* GetInfoText(int which, long code) override { return which == 2 ? kivinst::ErrorText(code) : ""; }
    int Lock(const void* owner, unsigned long timeoutMs) override
    {
        lockOwner = owner;
        lockTimeout = timeoutMs;
        if (heldByOther)
            return 1;
        ++lockDepth;
        return 0;
    }
    const void* GetLockOwner() override { return lockOwner; }
    void Unlock(const void* owner) override
    {
        EXPECT_EQ(lockOwner, owner);
        --lockDepth;
    }
    int ReadData(void* buffer, unsigned long size, unsigned long* count) override
    {
        ++readCalls;
        if (readFails)
            return 5;
        *count = static_cast<unsigned long>(std::min<std::size_t>({size, chunk, inbox.size()}));
        std::memcpy(buffer, inbox.data(), *count);
        inbox.erase(0, *count);
        return 0;
    }
    int WriteData(const void* data, unsigned long size, unsigned long* count) override
    {
        sent.append(static_cast<const char*>(data), size);
        *count = shortWrite ? size - 1 : size;
        if (std::string_view(static_cast<const char*>(data), size) == "V\r")
            inbox += "V\r\r\nSorvel SX-20 / KL-7700\r\n>";
        return 0;
    }

    std::string inbox;
    std::string sent;
    std::size_t chunk = 7;
    const void* lockOwner = nullptr;
    unsigned long lockTimeout = 0;
    int lockDepth = 0;
    int readCalls = 0;
    bool heldByOther = false;
    bool readFails = false;
    bool shortWrite = false;
};

std::string g_printed;
int collect(void*, const char* text)
{
    g_printed += text;
    return static_cast<int>(std::strlen(text));
}

class ProcessorCall : public ::testing::Test {
protected:
    ProcessorCall()
    {
        g_printed.clear();
        core.SetClock(clock);
        core.SetFiles(files, PathStyle::Windows);
        core.Connect(&device);
    }
    long call(unsigned long command, const char* text, TKIV_PRINTCALLBACK print = collect)
    {
        return core.Call(command, reinterpret_cast<uintptr_t>(text), reinterpret_cast<uintptr_t>(print), 0, 0);
    }

    FakeClock clock;
    MemoryFiles files;
    FakeCommDevice device;
    ScriptProcessorCore core;
};

TEST_F(ProcessorCall, RunsScriptTextUnderTheDeviceLock)
{
    EXPECT_EQ(0, call(KIV_SCRIPT_RUN_TEXT, "println \"id:\"\nquery \"V\"\n"));
    EXPECT_EQ("id:\nSorvel SX-20 / KL-7700\n", g_printed);
    EXPECT_EQ("V\r", device.sent);
    EXPECT_EQ(&core, device.lockOwner);
    EXPECT_EQ(kDeviceLockTimeoutMs, device.lockTimeout);
    EXPECT_EQ(0, device.lockDepth) << "the lock is given back after the run";
}

TEST_F(ProcessorCall, TheJobTextOfTheConsoleProgramReportsThePathItRan)
{
    files.add("C:\\jobs\\a.vkj", "x.vks");
    files.add("C:\\jobs\\x.vks", "print \"ran\"");
    EXPECT_EQ(0, call(KIV_SCRIPT_RUN_TEXT, "ExecuteJobFile(\"C:\\\\jobs\\\\a.vkj\");"));
    EXPECT_EQ("ran", g_printed);
    const std::vector<std::string> expected = {"C:\\jobs\\a.vkj", "C:\\jobs\\x.vks"};
    EXPECT_EQ(expected, core.FilesRead());

    EXPECT_EQ(0, call(KIV_SCRIPT_RUN_FILE, "C:\\jobs\\x.vks", nullptr));
    EXPECT_EQ(std::vector<std::string>{"C:\\jobs\\x.vks"}, core.FilesRead());
}

TEST_F(ProcessorCall, EveryFailureIsACodeWithATextForGetInfoText)
{
    struct Case {
        const char* name;
        unsigned long command;
        const char* argument;
        void (*arrange)(FakeCommDevice&);
        const char* text;
    };
    const Case cases[] = {
        {"locked", KIV_SCRIPT_RUN_TEXT, "sendln \"V\"", [](FakeCommDevice& d) { d.heldByOther = true; },
         "<script text>(1): sendln: communication device is locked by another owner"},
        {"short write", KIV_SCRIPT_RUN_TEXT, "sendln \"V\"", [](FakeCommDevice& d) { d.shortWrite = true; },
         "<script text>(1): sendln: writing to the communication device failed"},
        {"read error", KIV_SCRIPT_RUN_TEXT, "\nexpect \">\"", [](FakeCommDevice& d) { d.readFails = true; },
         "<script text>(2): expect: reading from the communication device failed"},
        {"no text", KIV_SCRIPT_RUN_TEXT, nullptr, [](FakeCommDevice&) {}, "script processor: no script text given"},
        {"unknown command", 4099, "print \"x\"", [](FakeCommDevice&) {}, "script processor: unknown command 4099"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeCommDevice device;
        c.arrange(device);
        core.Connect(&device);
        long code = call(c.command, c.argument);
        ASSERT_NE(0, code);
        EXPECT_STREQ(c.text, device.GetInfoText(HAPCOMM_INFO_ERROR_TEXT, code));
        EXPECT_EQ(0, device.lockDepth);
    }
}

TEST_F(ProcessorCall, WithoutADeviceOnlyDeviceStatementsFail)
{
    core.Connect(nullptr);
    EXPECT_EQ(0, call(KIV_SCRIPT_RUN_TEXT, "println \"offline\"\nwait 5"));
    long code = call(KIV_SCRIPT_RUN_TEXT, "send \"V\"");
    EXPECT_STREQ("<script text>(1): send: no communication device connected", kivinst::ErrorText(code));
}

TEST(HapCommPort, ReadCollectsWhatArrivedInBoundedStepsWithoutLosingBytes)
{
    FakeCommDevice device;
    std::string stream;
    for (int i = 0; i < 1000; ++i)
        stream += static_cast<char>('0' + i % 10);
    device.inbox = stream + ">";
    HapCommPort port(device, &device);
    std::string received = "old";
    ASSERT_TRUE(port.Read(received));
    EXPECT_LT(received.size(), 3 + stream.size()) << "one Read is bounded even while data keeps coming";
    EXPECT_GT(received.size(), 3 + device.chunk) << "one Read takes more than one chunk";
    while (!device.inbox.empty())
        ASSERT_TRUE(port.Read(received));
    EXPECT_EQ("old" + stream + ">", received);
    int calls = device.readCalls;
    ASSERT_TRUE(port.Read(received));
    EXPECT_EQ(calls + 1, device.readCalls) << "an empty device answers one ReadData";
    ASSERT_TRUE(port.Write(std::string("\0\r", 2)));
    EXPECT_EQ(std::string("\0\r", 2), device.sent) << "bytes after a NUL are written too";
}

} // namespace
} // namespace kivscript
