// The description file's reading: sections and keys with their lines, and errors that name
// the file and the line.
#include "mk_api/MkApi.h"
#include "mk_api_core/Description.h"

#include <gtest/gtest.h>

extern "C" size_t mkRecordOffsetFromC(int which);

namespace mkapi {
namespace {

TEST(Records, CAndCppAgreeOnTheLayout)
{
    EXPECT_EQ(mkRecordOffsetFromC(0), offsetof(struct MkCameraInfo, serialNumber));
    EXPECT_EQ(mkRecordOffsetFromC(1), offsetof(MkIpSettings, persistentGateway));
    EXPECT_EQ(mkRecordOffsetFromC(2), offsetof(MkFrame, frameCount));
    EXPECT_EQ(mkRecordOffsetFromC(3), offsetof(struct MkAttrInfo, impacts));
}

TEST(Description, SectionsKeysAndLines)
{
    DescriptionError error;
    const auto description = Description::parse("; a network\n\n[Network]\nHostAddress = 192.168.10.1 \r\n"
                                                "# comment\n[Camera mono]\nWidth=640\nName=Left side\n",
                                                "net.ini", error);
    ASSERT_TRUE(description) << error.text();
    ASSERT_EQ(description->sections().size(), 2u);
    const DescriptionSection* camera = description->section("camera MONO");
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->line, 6);
    const DescriptionEntry* name = camera->find("name");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->value, "Left side");
    EXPECT_EQ(name->line, 8);
    EXPECT_EQ(description->section("Network")->find("HostAddress")->value, "192.168.10.1");
    EXPECT_EQ(description->section("Nothing"), nullptr);
}

TEST(Description, CommentsAfterBlanksEndTheLine)
{
    DescriptionError error;
    const auto description = Description::parse("[Camera Mono]   ; the camera's name\n"
                                                "Sensor=mono\t; mono or colour\n"
                                                "SerialPort0=tcp:127.0.0.1:4001;raw\n"
                                                "Note=   ; nothing but a comment\n",
                                                "net.ini", error);
    ASSERT_TRUE(description) << error.text();
    const DescriptionSection* camera = description->section("Camera Mono");
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->find("Sensor")->value, "mono");
    EXPECT_EQ(camera->find("SerialPort0")->value, "tcp:127.0.0.1:4001;raw");
    EXPECT_EQ(camera->find("Note")->value, "");
}

TEST(Description, ErrorsNameFileAndLine)
{
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"[Network\n", "a.ini:1: a section line must end with ']'"},
        {"[ ]\n", "a.ini:1: empty section name"},
        {"[A]\nno equals here\n", "a.ini:2: expected 'Key=Value', got 'no equals here'"},
        {"Key=1\n", "a.ini:1: key 'Key' before the first section"},
        {"[A]\n=1\n", "a.ini:2: a key is missing before '='"},
        {"[A]\nWidth=1\n\nwidth=2\n", "a.ini:4: key 'width' given twice in [A]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        DescriptionError error;
        EXPECT_FALSE(Description::parse(c.text, "a.ini", error));
        EXPECT_EQ(error.text(), c.expected);
    }
}

} // namespace
} // namespace mkapi
