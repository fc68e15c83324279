// Byte-exact replies of the emulated camera: queries, sets, dump, identity, defaults, calibration, limits.
#include <gtest/gtest.h>

#include "kl7700emu/Camera.h"

using kl7700emu::Camera;
using kl7700emu::CameraConfig;

namespace {

// Sends one command and returns everything the camera has sent by the same instant.
std::string exchange(Camera& camera, std::string_view command, uint64_t nowMs = 0)
{
    camera.receive(command, nowMs);
    return camera.takeOutput(nowMs);
}

// A camera whose power-up flag has already been acknowledged by the host.
Camera acknowledgedCamera(CameraConfig config = {})
{
    Camera camera(std::move(config));
    exchange(camera, "s=2A\r");
    return camera;
}

TEST(CameraProtocol, QueriesAnswerEchoThenValueInTheSetFormat)
{
    Camera camera = acknowledgedCamera();
    struct Case {
        const char* command;
        const char* reply;
    } cases[] = {
        {"A=?\r", "A=?\r\r\n=000\r\n>"},
        {"B=?\r", "B=?\r\r\n=000\r\n>"},
        {"C=?\r", "C=?\r\r\n=0\r\n>"},
        {"D=?\r", "D=?\r\r\n=0\r\n>"},
        {"E=?\r", "E=?\r\r\n=000006BE\r\n>"},
        {"F=?\r", "F=?\r\r\n=000006BF\r\n>"},
        {"G=?\r", "G=?\r\r\n=0\r\n>"},
        {"I=?\r", "I=?\r\r\n=01\r\n>"},
        {"J=?\r", "J=?\r\r\n=00\r\n>"},
        {"K=?\r", "K=?\r\r\n=00A7\r\n>"},
        {"M=?\r", "M=?\r\r\n=00\r\n>"},
        {"N=?\r", "N=?\r\r\n=06BD\r\n>"},
        {"S=?\r", "S=?\r\r\n=00\r\n>"},
        {"T=?\r", "T=?\r\r\n=03\r\n>"},
        {"U=?\r", "U=?\r\r\n=00\r\n>"},
        {"W=?\r", "W=?\r\r\n=18\r\n>"},
        {"s=?\r", "s=?\r\r\n=2A\r\n>"},
        {"a=?\r", "a=?\r\r\n=00001267\r\n>"},
        {"b=?\r", "b=?\r\r\n=4000\r\n>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(exchange(camera, c.command), c.reply);
    }
}

TEST(CameraProtocol, OldFirmwareHasTheLongerExposureAndFrameDefaults)
{
    Camera camera(CameraConfig{.firmware = "2.0.0.9"});
    EXPECT_FALSE(camera.isNewGeneration());
    EXPECT_EQ(camera.value('E'), 1727);
    EXPECT_EQ(camera.value('F'), 1728);
    EXPECT_TRUE(Camera(CameraConfig{.firmware = "1.0.1.7"}).isNewGeneration());
    EXPECT_FALSE(Camera(CameraConfig{.firmware = "1.0.1.6"}).isNewGeneration());
    EXPECT_FALSE(Camera(CameraConfig{.firmware = "1.0.1"}).isNewGeneration());
}

TEST(CameraProtocol, SetsEchoExactlyAndStoreTheValue)
{
    Camera camera = acknowledgedCamera();
    struct Case {
        const char* command;
        char letter;
        int32_t value;
    } cases[] = {
        {"E=000006BF\r", 'E', 0x6BF},
        {"F=000186A0\r", 'F', 100000},
        {"N=06BD\r", 'N', 1726},
        {"N=0000\r", 'N', 1},
        {"A=002\r", 'A', 2},
        {"D=1\r", 'D', 1},
        {"K=0001\r", 'K', 1},
        {"T=02\r", 'T', 2},
        {"S=07\r", 'S', 7},
        {"W=ff\r", 'W', 255},
        {"I=FF\r", 'I', 255},
        {"C=0\r", 'C', 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(exchange(camera, c.command), std::string(c.command) + "\r\n>");
        EXPECT_EQ(camera.value(c.letter), c.value);
    }
}

TEST(CameraProtocol, RefusesValuesOutsideTheLimitsAndKeepsTheOldValue)
{
    Camera camera = acknowledgedCamera();
    const char* refused[] = {"A=003\r", "E=00000000\r", "E=000186A1\r", "N=06C0\r", "K=0000\r",
                             "K=0401\r", "G=3\r", "T=01\r", "T=04\r", "S=02\r",
                             "S=06\r", "s=0B\r", "D=2\r", "I=00\r"};
    for (const char* command : refused) {
        SCOPED_TRACE(command);
        const std::string before = exchange(camera, "Y=1\r");
        EXPECT_EQ(exchange(camera, command), std::string(command) + "\r\nError: value out of range\r\n>");
        EXPECT_EQ(exchange(camera, "Y=1\r"), before);
    }
    EXPECT_EQ(exchange(camera, "E=12G4\r"), "E=12G4\r\r\nError: invalid value\r\n>");
    EXPECT_EQ(exchange(camera, "E=100000000\r"), "E=100000000\r\r\nError: invalid value\r\n>");
}

TEST(CameraProtocol, DumpListsEveryParameterInTheSetFormats)
{
    Camera camera;
    EXPECT_EQ(exchange(camera, "Y=1\r"),
              "Y=1\r\r\nA=000\r\nB=000\r\nC=0\r\nD=0\r\nE=000006BE\r\nF=000006BF\r\nG=0\r\n"
              "I=01\r\nJ=00\r\nK=00A7\r\nM=00\r\nN=06BD\r\nS=00\r\nT=03\r\nU=00\r\nW=18\r\n"
              "s=AA\r\n>");
}

TEST(CameraProtocol, WithoutSecondOutputSIsUnknownAndLeftOutOfTheDump)
{
    Camera camera(CameraConfig{.dualOutput = false});
    const std::string dump = exchange(camera, "Y=1\r");
    EXPECT_EQ(dump.find("S="), std::string::npos) << dump;
    EXPECT_NE(dump.find("s=AA\r\n>"), std::string::npos) << dump;
    EXPECT_EQ(exchange(camera, "S=?\r"), "S=?\r\r\nError: unknown command\r\n>");
    EXPECT_EQ(exchange(camera, "S=01\r"), "S=01\r\r\nError: unknown command\r\n>");
}

TEST(CameraProtocol, VersionReplyCarriesNameAndFirmware)
{
    Camera camera(CameraConfig{.name = "KL-7700", .firmware = "1.4.2.11"});
    EXPECT_EQ(exchange(camera, "V\r"), "V\r\r\nKL-7700\r\nVersion: 1.4.2.11\r\n>");
}

TEST(CameraProtocol, IdentityFollowsTheConfiguration)
{
    Camera camera(CameraConfig{.variant = 0x4031, .serial = 0x12345});
    EXPECT_EQ(exchange(camera, "a=?\r"), "a=?\r\r\n=00012345\r\n>");
    EXPECT_EQ(exchange(camera, "b=?\r"), "b=?\r\r\n=4031\r\n>");
    EXPECT_EQ(exchange(camera, "S=?\r"), "S=?\r\r\n=00\r\n>"); // 200 fps variants still answer S
}

TEST(CameraProtocol, PowerUpFlagStaysUntilTheHostWritesS)
{
    Camera camera;
    EXPECT_EQ(camera.value('s'), 0xAA);
    EXPECT_EQ(exchange(camera, "s=?\r"), "s=?\r\r\n=AA\r\n>");
    EXPECT_EQ(exchange(camera, "E=00000010\r"), "E=00000010\r\r\n>");
    EXPECT_EQ(exchange(camera, "s=?\r"), "s=?\r\r\n=AA\r\n>");
    EXPECT_EQ(exchange(camera, "s=2A\r"), "s=2A\r\r\n>");
    EXPECT_EQ(exchange(camera, "s=?\r"), "s=?\r\r\n=2A\r\n>");
    camera.powerCycle();
    EXPECT_EQ(exchange(camera, "s=?\r"), "s=?\r\r\n=AA\r\n>");
    EXPECT_EQ(camera.value('E'), 1726) << "power-up loads the stored defaults";
}

TEST(CameraProtocol, SaveAndLoadDefaultsRoundTrip)
{
    Camera camera = acknowledgedCamera();
    EXPECT_EQ(exchange(camera, "E=00000100\r"), "E=00000100\r\r\n>");
    EXPECT_EQ(exchange(camera, "X=1\r"), "X=1\r\r\n>");
    EXPECT_EQ(exchange(camera, "E=00000200\r"), "E=00000200\r\r\n>");
    EXPECT_EQ(exchange(camera, "Z=1\r"), "Z=1\r\r\n>");
    EXPECT_EQ(camera.value('E'), 0x100);
    EXPECT_EQ(camera.value('s'), 0x2A) << "loading defaults is no power-up";
    exchange(camera, "E=00000300\r");
    camera.powerCycle();
    EXPECT_EQ(camera.value('E'), 0x100);
    EXPECT_EQ(camera.value('s'), 0xAA) << "the saved s never carries the power-up flag";
}

TEST(CameraProtocol, CalibrationAnswersAfterItsBusyTimeAndSetsBitZero)
{
    Camera camera = acknowledgedCamera();
    camera.receive("C=1\r", 1000);
    EXPECT_EQ(camera.takeOutput(1000), "C=1\r");
    EXPECT_EQ(camera.nextOutputAtMs(), 1950u);
    EXPECT_EQ(camera.takeOutput(1949), "");
    camera.receive("\r", 1100); // a probe while busy is answered after the calibration
    EXPECT_EQ(camera.takeOutput(1949), "");
    EXPECT_EQ(camera.takeOutput(1950), "\r\n>\r\n>");
    EXPECT_EQ(exchange(camera, "C=?\r", 2000), "C=?\r\r\n=1\r\n>");
}

TEST(CameraProtocol, BareCrUnknownCommandsAndLineFeeds)
{
    Camera camera;
    struct Case {
        const char* input;
        const char* reply;
    } cases[] = {
        {"\r", "\r\n>"},
        {"Q=?\r", "Q=?\r\r\nError: unknown command\r\n>"},
        {"Y=?\r", "Y=?\r\r\nError: unknown command\r\n>"},
        {"a=1\r", "a=1\r\r\nError: unknown command\r\n>"},
        {"E=\r", "E=\r\r\nError: unknown command\r\n>"},
        {"hello\r", "hello\r\r\nError: unknown command\r\n>"},
        {"\nb=?\r\n", "b=?\r\r\n=4000\r\n>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(exchange(camera, c.input), c.reply);
    }
}

TEST(CameraProtocol, CommandsMaySpanSeveralReceives)
{
    Camera camera;
    camera.receive("b=", 0);
    EXPECT_EQ(camera.takeOutput(0), "");
    camera.receive("?\rV", 5);
    EXPECT_EQ(camera.takeOutput(5), "b=?\r\r\n=4000\r\n>");
    EXPECT_EQ(exchange(camera, "\r", 6), "V\r\r\nSorvel SX-20B\r\nVersion: 3.2.1.8\r\n>");
    camera.receive("E=0000", 7);
    camera.discardPartialCommand();
    EXPECT_EQ(exchange(camera, "b=?\r", 8), "b=?\r\r\n=4000\r\n>");
}

TEST(CameraProtocol, OverlongLineIsAnsweredOnceAndMemoryStaysBounded)
{
    Camera camera;
    const std::string chunk(64 * 1024, 'x');
    std::string output;
    for (int i = 0; i < 16; ++i) { // 1 MiB without a CR
        camera.receive(chunk, 0);
        output += camera.takeOutput(0);
    }
    EXPECT_EQ(output, "\r\nError: command too long\r\n>");
    EXPECT_EQ(exchange(camera, "\rb=?\r"), "b=?\r\r\n=4000\r\n>") << "the CR ends the discarded line";
}

TEST(CameraProtocol, UnreadOutputIsCapped)
{
    Camera camera(CameraConfig{.maxUnreadOutputBytes = 100});
    for (int i = 0; i < 50; ++i) camera.receive("V\r", 0);
    EXPECT_EQ(camera.takeOutput(0).size(), 100u);
    camera.receive("C=1\r", 10); // replies queued behind a busy camera are bounded too
    for (int i = 0; i < 1000; ++i) camera.receive("\r", 10);
    EXPECT_LE(camera.takeOutput(5000).size(), 100u);
}

TEST(CameraProtocol, TranscriptRecordsBothDirectionsWithTheirTimes)
{
    Camera camera;
    camera.receive("b=", 10);
    camera.receive("?\r", 20);
    camera.receive("C=1\r", 30);
    camera.takeOutput(2000);
    const auto& t = camera.transcript();
    ASSERT_EQ(t.size(), 6u);
    const kl7700emu::TranscriptEntry expected[] = {
        {true, "b=", 10}, {true, "?\r", 20}, {false, "b=?\r\r\n=4000\r\n>", 20}, {true, "C=1\r", 30}, {false, "C=1\r", 30}, {false, "\r\n>", 980}};
    for (size_t i = 0; i < t.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(t[i].fromHost, expected[i].fromHost);
        EXPECT_EQ(t[i].bytes, expected[i].bytes);
        EXPECT_EQ(t[i].atMs, expected[i].atMs);
    }
    camera.clearTranscript();
    EXPECT_TRUE(camera.transcript().empty());
}

TEST(CameraProtocol, TranscriptKeepsTheNewestEntriesWithinItsLimit)
{
    Camera camera(CameraConfig{.maxTranscriptEntries = 10});
    for (uint64_t t = 0; t < 100; ++t) camera.receive("\r", t);
    ASSERT_LE(camera.transcript().size(), 10u);
    EXPECT_EQ(camera.transcript().back().atMs, 99u);
}

TEST(CameraProtocol, ValueAccessRejectsUnknownLetters)
{
    Camera camera;
    EXPECT_THROW(camera.value('Q'), std::invalid_argument);
    EXPECT_THROW(camera.setValue('Y', 1), std::invalid_argument);
    camera.setValue('E', 200000); // the test hook bypasses the limits
    EXPECT_EQ(exchange(camera, "E=?\r"), "E=?\r\r\n=00030D40\r\n>");
}

} // namespace
