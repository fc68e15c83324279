// The terminal's screen text and its exchanges with a simulated device.
#include "kiv_inst_core/TerminalScreen.h"
#include "kiv_inst_core/TerminalSession.h"
#include "SimDevice.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

using namespace kivinst;
using kivtest::SimDevice;

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
        {{"a\r", "\nb"}, "a\r\nb"},           // CR LF split across two reads
        {{"E=1\r", "\r\n>"}, "E=1\r\n\r\n>"}, // echo CR, then the reply's own CR LF
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
