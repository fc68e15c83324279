// Script statements against a simulated camera on a fake clock.
#include "kiv_script/Interpreter.h"

#include "TestDoubles.h"

#include <gtest/gtest.h>

namespace kivscript {
namespace {

using testing::FakeCamera;
using testing::FakeClock;
using testing::MemoryFiles;

class ScriptRun : public ::testing::Test {
protected:
    ScriptRun() : camera(clock)
    {
        env.port = &camera;
        env.clock = &clock;
        env.files = &files;
        env.pathStyle = PathStyle::Windows;
        env.print = [this](std::string_view text) { printed += text; };
    }

    Outcome run(const std::string& text) { return Execute(ScriptSource{text}, env); }

    FakeClock clock;
    FakeCamera camera;
    MemoryFiles files;
    Environment env;
    std::string printed;
};

TEST_F(ScriptRun, SendWritesTheDecodedBytesAndSendlnAddsCarriageReturn)
{
    Outcome o = run("send \"E=\\x30\\t\"\nsendln \"V\"\nsend \"\"\n");
    ASSERT_TRUE(o.ok) << o.text;
    EXPECT_EQ("E=0\tV\r", camera.written);
}

TEST_F(ScriptRun, ExpectWaitsOnTheClockUntilTheReplyArrives)
{
    camera.answer("E=?", "\n=000006BF\r\n>", 300);
    Outcome o = run("sendln \"E=?\"\nexpect \"=000006BF\"\nexpect \">\" 0\n");
    ASSERT_TRUE(o.ok) << o.text;
    EXPECT_GE(clock.slept, 300u);
    EXPECT_LT(clock.slept, 300u + 20u) << "expect polls in short steps, not the whole time limit";
}

TEST_F(ScriptRun, ExpectTimesOutAfterItsLimitWithoutRealWaiting)
{
    struct Case {
        const char* script;
        uint64_t elapsed; // the time limit, plus what an earlier expect waited
        const char* text;
    };
    const Case cases[] = {
        {"sendln \"V\"\nexpect \"OK>\"", 1000,
         "<script text>(2): expect \"OK>\" timed out after 1000 ms; received \"V\\r\\n>\""},
        {"# probe\n\nsendln \"X\"\nexpect \">\" 250", 250, "<script text>(4): expect \">\" timed out after 250 ms; nothing received"},
        {"sendln \"V\"\nexpect \"\\r\\n>\"\nexpect \">\" 0", 10, "<script text>(3): expect \">\" timed out after 0 ms; nothing received"},
    };
    camera.answer("V", "\n>", 5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        uint64_t start = clock.now;
        Outcome o = run(c.script);
        ASSERT_FALSE(o.ok);
        EXPECT_EQ(ErrorKind::ExpectTimedOut, o.kind);
        EXPECT_EQ(c.text, o.text);
        EXPECT_EQ(c.elapsed, clock.now - start);
    }
}

TEST_F(ScriptRun, ExpectConsumesUpToTheMatchSoTheSameReplyIsNotMatchedTwice)
{
    camera.answer("K=?", "\n=00A7\r\n>", 10);
    Outcome o = run("sendln \"K=?\"\nexpect \">\"\nexpect \">\" 100\n");
    ASSERT_FALSE(o.ok);
    EXPECT_EQ("<script text>(3): expect \">\" timed out after 100 ms; nothing received", o.text);
}

TEST_F(ScriptRun, BytesReceivedBeforeASendAreNotTakenAsItsReply)
{
    camera.arriveAt(clock.now, "old reply OK>");
    Outcome o = run("wait 10\nsendln \"V\"\nexpect \"OK>\" 50\n");
    ASSERT_FALSE(o.ok);
    EXPECT_EQ(ErrorKind::ExpectTimedOut, o.kind);
}

TEST_F(ScriptRun, WaitSleepsOnTheInjectedClockAndNeedsNoDevice)
{
    env.port = nullptr;
    Outcome o = run("wait 1500\nwait 0\nwait 25");
    ASSERT_TRUE(o.ok) << o.text;
    EXPECT_EQ(1525u, clock.slept);
}

TEST_F(ScriptRun, PrintAndPrintlnGoToTheCallbackWithoutTouchingTheDevice)
{
    Outcome o = run("print \"Camera:\\t\"\nprintln \"KL-7700\"\nprintln \"\"\n");
    ASSERT_TRUE(o.ok) << o.text;
    EXPECT_EQ("Camera:\tKL-7700\n\n", printed);
    EXPECT_EQ(0, camera.locks);
    env.print = nullptr;
    EXPECT_TRUE(run("print \"nobody listens\"").ok);
}

TEST_F(ScriptRun, QueryPrintsTheReplyWithoutEchoAndPrompt)
{
    camera.answer("E=?", "\r\n=000006BF\r\n>", 30);
    camera.answer("V", "\r\r\nSorvel SX-20 / KL-7700\r\nVersion: 1.2.3.7\r\n>", 30);
    camera.answer("E=000006C0", "\r\n>", 30);
    Outcome o = run("query \"E=?\"\nquery \"V\" 200\nquery \"E=000006C0\"\n");
    ASSERT_TRUE(o.ok) << o.text;
    EXPECT_EQ("E=000006BF\nSorvel SX-20 / KL-7700\nVersion: 1.2.3.7\n", printed);
    EXPECT_EQ("E=?\rV\rE=000006C0\r", camera.written);
}

TEST_F(ScriptRun, TheDeviceIsLockedOnceAtFirstUseAndAlwaysUnlocked)
{
    camera.answer("V", "\r\n>");
    ASSERT_TRUE(run("print \"x\"\nsendln \"V\"\nexpect \">\"\nsendln \"V\"\nexpect \">\"").ok);
    EXPECT_EQ(1, camera.locks);
    EXPECT_EQ(1, camera.unlocks);

    Outcome o = run("sendln \"V\"\nexpect \"never\" 10");
    ASSERT_FALSE(o.ok);
    EXPECT_EQ(2, camera.locks);
    EXPECT_EQ(2, camera.unlocks);
    EXPECT_FALSE(camera.held);
}

struct DeviceFault {
    const char* name;
    void (*arrange)(FakeCamera&, Environment&);
    ErrorKind kind;
    const char* text;
};

TEST_F(ScriptRun, DeviceFaultsAreErrorsNamingLineAndStatement)
{
    const DeviceFault cases[] = {
        {"no device", [](FakeCamera&, Environment& e) { e.port = nullptr; }, ErrorKind::NoDevice,
         "<script text>(2): sendln: no communication device connected"},
        {"locked", [](FakeCamera& c, Environment&) { c.refuseLock = true; }, ErrorKind::DeviceLocked,
         "<script text>(2): sendln: communication device is locked by another owner"},
        {"write", [](FakeCamera& c, Environment&) { c.failWrites = true; }, ErrorKind::WriteFailed,
         "<script text>(2): sendln: writing to the communication device failed"},
        {"read", [](FakeCamera& c, Environment&) { c.failReads = true; }, ErrorKind::ReadFailed,
         "<script text>(2): sendln: reading from the communication device failed"},
    };
    for (const DeviceFault& c : cases) {
        SCOPED_TRACE(c.name);
        FakeCamera camera(clock);
        Environment e = env;
        e.port = &camera;
        c.arrange(camera, e);
        Outcome o = Execute(ScriptSource{"println \"start\"\nsendln \"V\"\nprintln \"never\""}, e);
        ASSERT_FALSE(o.ok);
        EXPECT_EQ(c.kind, o.kind);
        EXPECT_EQ(c.text, o.text);
        EXPECT_EQ(camera.refuseLock ? 0 : camera.locks, camera.unlocks) << "only a granted lock is given back";
        EXPECT_FALSE(camera.held);
    }
    EXPECT_EQ("start\nstart\nstart\nstart\n", printed) << "a failing statement stops the script";
}

TEST_F(ScriptRun, SyntaxErrorsCarryTheLineNumberCountingBlankLinesAndCrLf)
{
    Outcome o = run("# identify\r\n\r\nprintln \"ok\"\r\nsend \"\\q\"\r\n");
    ASSERT_FALSE(o.ok);
    EXPECT_EQ(ErrorKind::BadStringLiteral, o.kind);
    EXPECT_EQ("<script text>(4): bad string literal: unknown escape \\q", o.text);
    EXPECT_EQ("ok\n", printed) << "statements before the error have run";

    ScriptSource named{"wait 1\nfrobnicate\n", "C:\\jobs\\a.vks"};
    o = Execute(named, env);
    EXPECT_EQ("C:\\jobs\\a.vks(2): unknown statement \"frobnicate\"", o.text);
}

} // namespace
} // namespace kivscript
