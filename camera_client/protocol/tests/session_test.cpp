// The camera session's exchanges, full read and write-back against a scripted
// device and a virtual clock.
#include "kl7700/CameraSession.h"

#include "SessionFakes.h"

#include <gtest/gtest.h>

#include <numeric>

namespace kl7700 {
namespace {

using test::echoOf;
using test::valueReply;
using Strings = std::vector<std::string>;

constexpr const char* kDump =
    "Y=1\r\nA=000\r\nB=000\r\nC=0\r\nD=0\r\nE=000006BE\r\nF=000006BF\r\nG=0\r\nI=01\r\nJ=00\r\n"
    "K=00A7\r\nM=00\r\nN=06BD\r\nS=01\r\nT=03\r\nU=00\r\nW=18\r\ns=2A\r\n>";

class SessionTest : public testing::Test {
protected:
    SessionTest() : session(&device, clock, observer) {}

    void scriptCamera(const std::string& name, const std::string& version, const std::string& variant,
                      const std::string& channel = "2A")
    {
        device.replies["s=?\r"] = valueReply("s=?\r", channel);
        device.replies["V\r"] = "V\r\r\n" + name + "\r\nVersion: " + version + "\r\n>";
        device.replies["Y=1\r"] = kDump;
        device.replies["a=?\r"] = valueReply("a=?\r", "0457");
        device.replies["b=?\r"] = valueReply("b=?\r", variant);
    }
    // Echo every set command; queries get nothing.
    void echoSets()
    {
        device.respond = [](const std::string& command) {
            return command.find('?') == std::string::npos ? echoOf(command) : std::string();
        };
    }
    unsigned long sleptMs() const { return std::accumulate(clock.sleeps.begin(), clock.sleeps.end(), 0ul); }

    test::ScriptedDevice device;
    test::FakeClock clock;
    test::RecordingObserver observer;
    CameraSession session;
};

TEST_F(SessionTest, QueryExchangeLocksPurgesWritesWaitsReadsAndUnlocks)
{
    device.replies["E=?\r"] = valueReply("E=?\r", "000006BF");
    ASSERT_TRUE(session.QueryParameter(Item::E));
    EXPECT_EQ((Strings{"Lock 500", "Purge 3", "Write E=?\r", "Read", "Read", "Unlock"}), device.ops);
    EXPECT_EQ((std::vector<unsigned long>{100}), clock.sleeps);
    EXPECT_EQ(0x6BF, session.CameraRecord().E.value);
    EXPECT_EQ(0x6BF, session.WorkingRecord().E.value);
    EXPECT_FALSE(session.CommunicationError());
    EXPECT_EQ("Last command: E=?", observer.status);
    ASSERT_EQ(2u, observer.log.size());
    EXPECT_EQ(LogKind::Sent, observer.log[0].first);
    EXPECT_EQ(LogKind::Received, observer.log[1].first);
    EXPECT_EQ(valueReply("E=?\r", "000006BF"), observer.log[1].second);
}

TEST_F(SessionTest, RefusedLockFailsWithoutAnyIo)
{
    device.lockResult = 1;
    EXPECT_FALSE(session.QueryParameter(Item::E));
    EXPECT_EQ((Strings{"Lock 500"}), device.ops);
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_TRUE(session.CommunicationError());
    EXPECT_EQ("Serial communication error!", session.Header().cameraName);
}

TEST_F(SessionTest, NoDeviceFailsAtOnce)
{
    session.SetDevice(nullptr);
    EXPECT_FALSE(session.SendParameter(Item::E, true));
    EXPECT_FALSE(session.ProbePrompt());
    EXPECT_FALSE(session.WakeCamera());
    EXPECT_TRUE(session.CommunicationError());
    EXPECT_EQ("Last command: E=000006BF", observer.status);
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_TRUE(device.ops.empty());
}

TEST_F(SessionTest, WrongEchoMakesSixAttemptsWithProbesBetween)
{
    device.respond = [](const std::string&) { return std::string("\r\n>"); }; // prompt, no echo
    EXPECT_FALSE(session.SendParameter(Item::E, true));
    EXPECT_EQ(6u, device.written.size());
    Strings attempt = {"Purge 3", "Write E=000006BF\r", "Read", "Read", "Char", "Purge 1", "Char", "Read"};
    Strings expected = {"Lock 500"};
    for (int i = 0; i < 6; ++i) expected.insert(expected.end(), attempt.begin(), attempt.end());
    expected.push_back("Unlock");
    EXPECT_EQ(expected, device.ops);
    EXPECT_EQ(6u * (100 + 50 + 100), sleptMs());
    EXPECT_TRUE(session.CommunicationError());
}

TEST_F(SessionTest, EchoAcceptedOnTheThirdAttempt)
{
    int calls = 0;
    device.respond = [&calls](const std::string& command) { return ++calls < 3 ? "junk>" : echoOf(command); };
    EXPECT_TRUE(session.SendParameter(Item::N, true));
    EXPECT_EQ((Strings(3, "N=06BD\r")), device.written);
    EXPECT_FALSE(session.CommunicationError());
}

TEST_F(SessionTest, WithoutEchoCheckTheFirstAttemptSucceeds)
{
    EXPECT_TRUE(session.SendParameter(Item::s, false));
    EXPECT_EQ(1u, device.written.size());
}

TEST_F(SessionTest, CalibrationWaitsOneSecond)
{
    echoSets();
    session.WorkingRecord().M.value = 1;
    EXPECT_TRUE(session.CalibrationNeedsConfirmation());
    ASSERT_TRUE(session.Calibrate());
    EXPECT_EQ((Strings{"C=1\r"}), device.written);
    EXPECT_EQ((std::vector<unsigned long>{1000}), clock.sleeps);
    EXPECT_EQ(1, session.CameraRecord().C.value & 1);
    EXPECT_EQ(1, session.WorkingRecord().C.value & 1);
    EXPECT_EQ((std::vector<bool>{false, true}), observer.timer);
}

TEST_F(SessionTest, ReplyIsCutAtTheBufferSize)
{
    // 1500 bytes in reads of 100: exactly 1024 are taken, and the value after
    // the cut is never seen.
    device.chunk = 100;
    device.replies["E=?\r"] = std::string(1100, 'x') + "\n=00000010\r\n>";
    EXPECT_FALSE(session.QueryParameter(Item::E));
    ASSERT_GE(observer.log.size(), 2u);
    EXPECT_EQ(1024u, observer.log[1].second.size());
}

TEST_F(SessionTest, ProbePromptNeedsThePromptLast)
{
    EXPECT_TRUE(session.ProbePrompt());
    EXPECT_EQ((Strings{"Char", "Purge 1", "Char", "Read"}), device.ops);
    EXPECT_EQ((std::vector<unsigned long>{50, 100}), clock.sleeps);
    device.promptReply = "\r\n> x";
    EXPECT_FALSE(session.ProbePrompt());
    device.promptReply = "";
    EXPECT_FALSE(session.ProbePrompt());
}

TEST_F(SessionTest, FullReadOfAnOldCamera)
{
    scriptCamera("Sorvel SX-20B", "1.0.0.9", "4001");
    std::string dump = kDump;
    dump.replace(dump.find("S=01"), 4, "S=00");
    device.replies["Y=1\r"] = dump;
    session.ReadFromCamera();
    EXPECT_EQ((Strings{"s=?\r", "V\r", "Y=1\r", "a=?\r", "b=?\r"}), device.written);
    const ParameterRecord& cam = session.CameraRecord();
    EXPECT_FALSE(isNewFirmware(cam));
    EXPECT_EQ(0x457, cam.serialNumber);
    EXPECT_EQ(0x4001, cam.variantCode);
    EXPECT_EQ(1, cam.dualOutput);
    EXPECT_EQ(1726, cam.N.value);
    EXPECT_EQ("= 4064001: Sorvel SX-20B F-Mount.", observer.variant);
    EXPECT_EQ(false, observer.timer.front());
    EXPECT_EQ(true, observer.timer.back());
    EXPECT_EQ("01111", session.Header().serialNumber);
    EXPECT_EQ("0x4001", session.Header().variantCode);
    EXPECT_EQ(2, session.WorkingRecord().K.min); // the rules ran: one-output mode
}

TEST_F(SessionTest, FullReadOfANewFastCameraClearsDualOutput)
{
    scriptCamera("KL-7700", "2.0.3.7", "4030");
    session.ReadFromCamera();
    EXPECT_TRUE(isNewFirmware(session.CameraRecord()));
    EXPECT_EQ(1, session.CameraRecord().S.value); // "S=" was in the dump
    EXPECT_EQ(0, session.CameraRecord().dualOutput);
}

TEST_F(SessionTest, CameraSetChannelBitIsClearedAndSentWithoutEcho)
{
    scriptCamera("Sorvel SX-20C", "1.0.0.1", "4010", "AA");
    session.FetchCameraState();
    EXPECT_EQ((Strings{"s=?\r", "s=2A\r", "V\r", "Y=1\r", "a=?\r", "b=?\r"}), device.written);
}

TEST_F(SessionTest, UnknownCameraReadsOnlyChannelAndVersion)
{
    scriptCamera("Acme LineCam", "1.0.0.1", "4010");
    session.ReadFromCamera();
    EXPECT_EQ((Strings{"s=?\r", "V\r"}), device.written);
    EXPECT_FALSE(session.CameraRecognised());
    EXPECT_EQ("Cannot connect to Sorvel SX-20 / KL-7700!", session.Header().cameraName);
    EXPECT_FALSE(session.Header().defaultsEnabled);
    EXPECT_EQ(true, observer.timer.back());
}

TEST_F(SessionTest, FailedChannelQueryEndsTheReadWithoutTimer)
{
    session.FetchCameraState();
    EXPECT_EQ((Strings(6, "s=?\r")), device.written);
    EXPECT_TRUE(session.CommunicationError());
    EXPECT_EQ((std::vector<bool>{false}), observer.timer);
}

TEST_F(SessionTest, WriteBackSendsExactlyTheChangedValuesInOrder)
{
    echoSets();
    ParameterRecord& w = session.WorkingRecord();
    w.J.value = 8;
    w.E.value = 0x100;
    w.N.value = 0x200;
    w.A.value = 1;
    w.s.value = 0x29;
    session.WriteChangedParameters();
    EXPECT_EQ((Strings{"A=001\r", "N=01FF\r", "E=00000100\r", "s=29\r", "J=08\r"}), device.written);
    EXPECT_EQ(0x200, session.CameraRecord().N.value);
    EXPECT_EQ(8, session.CameraRecord().J.value);
    EXPECT_EQ((std::vector<bool>{false, true}), observer.timer);

    device.written.clear();
    session.WriteChangedParameters();
    EXPECT_TRUE(device.written.empty());
}

TEST_F(SessionTest, UnconfirmedValueStaysDifferentAndIsRetried)
{
    device.respond = [](const std::string& command) {
        return command.starts_with("N=") ? std::string("\r\n>") : echoOf(command);
    };
    ParameterRecord& w = session.WorkingRecord();
    w.N.value = 100;
    w.W.value = 30;
    session.WriteChangedParameters();
    EXPECT_EQ(1726, session.CameraRecord().N.value);
    EXPECT_EQ(30, session.CameraRecord().W.value);
    EXPECT_FALSE(session.CommunicationError()); // the last exchange (W) succeeded
    EXPECT_EQ(0, observer.pageRefreshes);
    device.written.clear();
    device.respond = [](const std::string& command) { return echoOf(command); };
    session.WriteChangedParameters();
    EXPECT_EQ((Strings{"N=0063\r"}), device.written);
    EXPECT_EQ(100, session.CameraRecord().N.value);
}

TEST_F(SessionTest, LoadDefaultsReadsTheCameraAgain)
{
    scriptCamera("Sorvel SX-20B", "1.0.0.9", "4000");
    device.replies["Z=1\r"] = echoOf("Z=1\r");
    EXPECT_TRUE(session.LoadDefaults());
    EXPECT_EQ((Strings{"Z=1\r", "s=?\r", "V\r", "Y=1\r", "a=?\r", "b=?\r"}), device.written);
    EXPECT_GT(observer.pageRefreshes, 0);
}

TEST_F(SessionTest, ResetToFactoryChangesOnlyTheWorkingRecord)
{
    scriptCamera("Sorvel SX-20B", "1.0.0.9", "4000");
    session.ReadFromCamera();
    echoSets();
    device.written.clear();
    ASSERT_TRUE(session.ResetToFactory());
    EXPECT_EQ(1727, session.WorkingRecord().E.value); // old camera default
    EXPECT_EQ(0x6BE, session.CameraRecord().E.value);
    EXPECT_TRUE(device.written.empty());
    session.WriteChangedParameters();
    EXPECT_EQ((Strings{"E=000006BF\r", "F=000006C0\r", "S=00\r"}), device.written);
}

TEST_F(SessionTest, ResetToFactoryIsRefusedAfterAnError)
{
    device.lockResult = 1;
    session.QueryParameter(Item::E);
    EXPECT_FALSE(session.ResetToFactory());
}

} // namespace
} // namespace kl7700
