// Injected faults: each kind spoils exactly the replies it was injected for.
#include <gtest/gtest.h>

#include "kl7700emu/Camera.h"

using kl7700emu::Camera;
using kl7700emu::Fault;

namespace {

constexpr char kQuery[] = "E=?\r";
constexpr char kReply[] = "E=?\r\r\n=000006BE\r\n>";

TEST(CameraFaults, EachKindSpoilsTheReplyBytes)
{
    struct Case {
        Fault fault;
        const char* name;
        std::string reply;
    } cases[] = {
        {Fault::None, "none", kReply},
        {Fault::Drop, "drop", ""},
        {Fault::CutShort, "cut short", std::string(kReply, (sizeof kReply - 1) / 2)},
        {Fault::OmitPrompt, "omit prompt", "E=?\r\r\n=000006BE\r\n"},
        {Fault::CorruptByte, "corrupt byte", "E=?\r\r\n=001006BE\r\n>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Camera camera;
        camera.injectFault(c.fault);
        camera.receive(kQuery, 0);
        EXPECT_EQ(camera.takeOutput(10000), c.reply);
        camera.receive(kQuery, 10000);
        EXPECT_EQ(camera.takeOutput(10000), kReply) << "only one reply is spoilt";
    }
}

TEST(CameraFaults, GarbageHasTheLengthButNeitherPromptNorValueMarker)
{
    Camera camera;
    camera.injectFault(Fault::Garbage, 2);
    camera.receive(kQuery, 0);
    const std::string first = camera.takeOutput(0);
    camera.receive(kQuery, 0);
    const std::string second = camera.takeOutput(0);
    for (const std::string& garbage : {first, second}) {
        EXPECT_EQ(garbage.size(), sizeof kReply - 1);
        EXPECT_EQ(garbage.find_first_of(">=\r\n"), std::string::npos) << garbage;
    }
    EXPECT_NE(first, second);
}

TEST(CameraFaults, DelayedReplyAppearsLaterAndKeepsTheOrder)
{
    Camera camera;
    camera.injectFault(Fault::Delay);
    camera.receive(kQuery, 100);
    EXPECT_EQ(camera.takeOutput(399), "");
    camera.receive("\r", 200); // the host's probe, answered after the late reply
    EXPECT_EQ(camera.takeOutput(399), "");
    EXPECT_EQ(camera.nextOutputAtMs(), 400u);
    EXPECT_EQ(camera.takeOutput(400), std::string(kReply) + "\r\n>");
    EXPECT_FALSE(camera.nextOutputAtMs().has_value());
}

TEST(CameraFaults, DroppedSetIsStillCarriedOut)
{
    Camera camera;
    camera.injectFault(Fault::Drop);
    camera.receive("E=00000010\r", 0);
    EXPECT_EQ(camera.takeOutput(5000), "");
    EXPECT_EQ(camera.value('E'), 0x10);
    EXPECT_TRUE(camera.transcript().back().fromHost) << "nothing went out on the line";
}

TEST(CameraFaults, FaultsQueueUpAcrossReplies)
{
    Camera camera;
    camera.injectFault(Fault::Drop, 2);
    camera.injectFault(Fault::OmitPrompt);
    std::string replies[4];
    for (std::string& reply : replies) {
        camera.receive("\r", 0);
        reply = camera.takeOutput(0);
    }
    EXPECT_EQ(replies[0], "");
    EXPECT_EQ(replies[1], "");
    EXPECT_EQ(replies[2], "\r\n");
    EXPECT_EQ(replies[3], "\r\n>");
    camera.injectFault(Fault::Drop, 5);
    camera.clearFaults();
    camera.receive("\r", 0);
    EXPECT_EQ(camera.takeOutput(0), "\r\n>");
}

TEST(CameraFaults, PowerCycleLosesPendingOutput)
{
    Camera camera;
    camera.receive("C=1\r", 0);
    camera.powerCycle();
    EXPECT_FALSE(camera.nextOutputAtMs().has_value());
    EXPECT_EQ(camera.takeOutput(5000), "");
    camera.receive("b=?\r", 5000);
    EXPECT_EQ(camera.takeOutput(5000), "b=?\r\r\n=4000\r\n>");
}

} // namespace
