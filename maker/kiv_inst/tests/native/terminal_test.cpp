// The terminal's screen text and its exchanges with a simulated device.
#include "kiv_inst_core/TerminalScreen.h"
#include "kiv_inst_core/TerminalSession.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

using namespace kivinst;

namespace {

TEST(TerminalScreen, LineEndsAndControlBytes)
{
    struct Case {
        std::vector<std::string> chunks;
        std::string expected;
    } cases[] = {
        {{"V\r"}, "V\r\n"},
        {{"a\r\nb"}, "a\r\nb"},
        {{"a\nb\n"}, "a\r\nb\r\n"},
        {{"a\r", "\nb"}, "a\r\nb"},                   // CR LF split across two reads
        {{"E=1\r", "\r\n>"}, "E=1\r\n\r\n>"},        // echo CR, then the reply's own CR LF
        {{"a\r\r"}, "a\r\n\r\n"},
        {{"a\n\r"}, "a\r\n\r\n"},
        {{std::string("x\0y\x1b", 4)}, "x<00>y<1B>"},
        {{"tab\there\x80"}, "tab\there\x80"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.expected);
        TerminalScreen screen;
        for (const std::string& chunk : k.chunks)
            screen.AppendReceived(chunk);
        EXPECT_EQ(k.expected, screen.Text());
    }
}

TEST(TerminalScreen, StaysBoundedAndStartsAtALine)
{
    TerminalScreen screen(100);
    for (int i = 0; i < 50; ++i)
        screen.AppendReceived("line " + std::to_string(i) + "\r\n");
    EXPECT_LE(screen.Text().size(), 100u);
    EXPECT_EQ(0u, screen.Text().find("line ")) << screen.Text();
    EXPECT_NE(std::string::npos, screen.Text().find("line 49\r\n"));

    std::string longLine(500, 'x');
    screen.AppendReceived(longLine);
    EXPECT_EQ(100u, screen.Text().size());
}

TEST(TerminalScreen, ChangeFlagAndClear)
{
    TerminalScreen screen;
    EXPECT_FALSE(screen.TakeChanged());
    screen.AppendReceived("");
    EXPECT_FALSE(screen.TakeChanged());
    screen.AppendReceived("a\r");
    EXPECT_TRUE(screen.TakeChanged());
    EXPECT_FALSE(screen.TakeChanged());
    screen.Clear();
    EXPECT_TRUE(screen.TakeChanged());
    screen.AppendReceived("\nb"); // the LF after a cleared CR is a new line end
    EXPECT_EQ("\r\nb", screen.Text());
}

TEST(TerminalScreen, TypedLineEncoding)
{
    EXPECT_EQ("V\r", EncodeTypedLine("V"));
    EXPECT_EQ("\r", EncodeTypedLine(""));
    EXPECT_EQ("a\rb\r", EncodeTypedLine("a\r\nb"));
    EXPECT_EQ("a\rb\r", EncodeTypedLine("a\nb"));
}

// A serial device as the terminal sees it: a lock with an owner, a port
// state, what was written, and replies handed out in reads of bounded size.
class SimDevice : public CHapDeviceComm_0 {
public:
    const void* lockOwner = nullptr;
    int locks = 0, unlocks = 0;
    bool open = true;
    int readError = 0;
    unsigned long lastLockWait = 12345;
    std::string written;
    std::string pending;
    int reads = 0;

    unsigned long GetObjType() override { return 0; }
    long GetParamLimits(unsigned long, unsigned long long*, unsigned long long*, unsigned long long*,
                        unsigned long long*, unsigned long long*, unsigned long long*, unsigned long long*,
                        unsigned long long*) override { return 2; }
    long SetParam(unsigned long, unsigned long long, unsigned long long, unsigned long long,
                  unsigned long long) override { return 2; }
    long GetParam(unsigned long, unsigned long long*, unsigned long long*, unsigned long long*,
                  unsigned long long*) override { return 2; }
    void SetConfigStore(CIniFile_0*) override {}
    int Init() override { return 0; }
    int Exit() override { return 0; }
    int RestoreConfig() override { return 0; }
    int Detach() override { return 0; }
    int ShowConfigDialog(HWND) override { return 0; }
    const char* GetInfoText(int, long) override { return nullptr; }
    int Lock(const void* owner, unsigned long waitMs) override
    {
        lastLockWait = waitMs;
        if (lockOwner && lockOwner != owner)
            return 1;
        lockOwner = owner;
        ++locks;
        return 0;
    }
    const void* GetLockOwner() override { return lockOwner; }
    void Unlock(const void* owner) override
    {
        if (owner == lockOwner) {
            lockOwner = nullptr;
            ++unlocks;
        }
    }
    int Open() override { open = true; return 0; }
    int GetState() override { return open ? 1 : 0; }
    int Close() override { open = false; return 0; }
    int ReadChar(char*, unsigned long*) override { return 1; }
    int WriteChar(const char* c, unsigned long* n) override { written += *c; *n = 1; return 0; }
    int ReadData(void* buffer, unsigned long size, unsigned long* count) override
    {
        ++reads;
        if (readError)
            return readError;
        const size_t n = pending.size() < size ? pending.size() : size;
        pending.copy(static_cast<char*>(buffer), n);
        pending.erase(0, n);
        *count = static_cast<unsigned long>(n);
        return 0;
    }
    int WriteData(const void* data, unsigned long size, unsigned long* count) override
    {
        written.append(static_cast<const char*>(data), size);
        *count = size;
        return 0;
    }
    int WriteText(const char* text, unsigned long* count) override
    {
        return WriteData(text, static_cast<unsigned long>(std::char_traits<char>::length(text)), count);
    }
    int Purge(unsigned long) override { return 0; }
};

TEST(TerminalSession, SendWritesLineWithCRUnderTheLock)
{
    SimDevice device;
    int owner = 0;
    TerminalSession session(&owner);
    EXPECT_EQ(TerminalStatus::NoDevice, session.SendLine("V"));

    session.SetDevice(&device);
    EXPECT_EQ(TerminalStatus::Ok, session.SendLine("E=?"));
    EXPECT_EQ("E=?\r", device.written);
    EXPECT_EQ(TerminalSession::kSendLockWaitMs, device.lastLockWait);
    EXPECT_EQ(1, device.locks);
    EXPECT_EQ(1, device.unlocks);
    EXPECT_EQ(nullptr, device.lockOwner);
}

TEST(TerminalSession, RefusalsLeaveTheDeviceAsItWas)
{
    SimDevice device;
    int owner = 0, host = 0;
    TerminalSession session(&owner);
    session.SetDevice(&device);

    TerminalScreen screen;
    device.lockOwner = &host;
    device.pending = "late";
    EXPECT_EQ(TerminalStatus::Locked, session.SendLine("V"));
    EXPECT_EQ(TerminalStatus::Locked, session.Poll(screen));
    EXPECT_EQ("", screen.Text());
    EXPECT_EQ(&host, device.lockOwner) << "the host's lock must survive a refused exchange";
    EXPECT_EQ("", device.written);

    device.lockOwner = nullptr;
    device.open = false;
    EXPECT_EQ(TerminalStatus::NotOpen, session.SendLine("V"));
    EXPECT_EQ("", device.written);
    EXPECT_EQ(nullptr, device.lockOwner) << "lock released after a closed-port refusal";
    EXPECT_STREQ("Port is not open", TerminalStatusText(TerminalStatus::NotOpen));
}

TEST(TerminalSession, PollShowsRepliesAndIsBounded)
{
    SimDevice device;
    int owner = 0;
    TerminalSession session(&owner);
    session.SetDevice(&device);
    TerminalScreen screen(1 << 20);

    device.pending = "V\r\r\nKL-7700 V1.0\r\n>";
    EXPECT_EQ(TerminalStatus::Ok, session.Poll(screen));
    EXPECT_EQ("V\r\n\r\nKL-7700 V1.0\r\n>", screen.Text());
    EXPECT_EQ(0u, device.lastLockWait) << "a poll must not wait for the lock";
    EXPECT_EQ(nullptr, device.lockOwner);

    // A device that never runs dry: one poll takes a bounded amount.
    device.pending.assign(100000, 'x');
    device.reads = 0;
    EXPECT_EQ(TerminalStatus::Ok, session.Poll(screen));
    EXPECT_EQ(TerminalSession::kMaxReadsPerPoll, device.reads);
    EXPECT_EQ(100000u - TerminalSession::kMaxReadsPerPoll * TerminalSession::kReadChunk, device.pending.size());

    device.readError = 5;
    EXPECT_EQ(TerminalStatus::IoError, session.Poll(screen));
    EXPECT_EQ(nullptr, device.lockOwner) << "lock released after a read error";
}

} // namespace
