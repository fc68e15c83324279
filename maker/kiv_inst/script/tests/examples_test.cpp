// The repository's example scripts and job, run against the camera emulator.
#include "kiv_script/Interpreter.h"

#include "TestDoubles.h"

#include "kiv_script/HapCommPort.h"
#include "kiv_testing/HapDeviceCommStub.h"
#include "kl7700emu_testing/EmulatedDevice.h"

#include <gtest/gtest.h>

namespace kivscript {
namespace {

// The emulated camera behind the communication device, in the fake clock's
// time, reached through the port the script processor uses in the product.
using EmulatedComm = kl7700emu::testing::EmulatedDevice<HapDeviceCommStub>;

class Examples : public ::testing::Test {
protected:
    Examples() : device(clock), camera(device.camera), port(device, this)
    {
        env.port = &port;
        env.clock = &clock;
        env.pathStyle = NativePathStyle();
        env.print = [this](std::string_view text) { printed += text; };
    }

    std::string example(const char* name) { return std::string(KIV_SCRIPT_EXAMPLES_DIR) + "/" + name; }

    testing::FakeClock clock;
    EmulatedComm device;
    kl7700emu::Camera& camera;
    HapCommPort port;
    Environment env;
    std::string printed;
};

TEST_F(Examples, IdentifyPrintsNameVersionSerialAndVariant)
{
    Outcome o = ExecuteFile(example("identify.vks"), env);
    ASSERT_TRUE(o.ok) << o.text;
    EXPECT_EQ("Identifying the camera...\n"
              "Sorvel SX-20B\nVersion: 3.2.1.8\n"
              "Serial number: a=00001267\n"
              "Variant code:  b=4000\n",
              printed);
}

TEST_F(Examples, ParametersChangesTheExposureTime)
{
    Outcome o = ExecuteFile(example("parameters.vks"), env);
    ASSERT_TRUE(o.ok) << o.text;
    EXPECT_EQ(0x5DC, camera.value('E'));
    EXPECT_NE(std::string::npos, printed.find("Read back: E=000005DC\n")) << printed;
}

TEST_F(Examples, TheDemoJobRunsBothScriptsFromItsOwnFolder)
{
    std::vector<std::string> opened;
    env.onFile = [&](const std::string& path) { opened.push_back(path); };
    // The job text exactly as the console program builds it (no backslashes here).
    Outcome o = Execute(ScriptSource{"ExecuteJobFile(\"" + example("demo.vkj") + "\");"}, env);
    ASSERT_TRUE(o.ok) << o.text;
    // Scripts of the job are joined to its folder with the platform's separator.
    std::string folder = std::string(KIV_SCRIPT_EXAMPLES_DIR) + (NativePathStyle() == PathStyle::Windows ? "\\" : "/");
    const std::vector<std::string> expected = {example("demo.vkj"), folder + "identify.vks", folder + "parameters.vks"};
    EXPECT_EQ(expected, opened);
    EXPECT_EQ(0x5DC, camera.value('E'));
    EXPECT_EQ(0u, printed.find("Identifying the camera...\n"));
}

TEST_F(Examples, AnUnansweredSetFailsWithTheScriptLine)
{
    camera.injectFault(kl7700emu::Fault::Drop, 100);
    Outcome o = ExecuteFile(example("parameters.vks"), env);
    ASSERT_FALSE(o.ok);
    EXPECT_EQ(ErrorKind::ExpectTimedOut, o.kind);
    EXPECT_EQ(example("parameters.vks") + "(6): query got no prompt \">\" within 1000 ms; nothing received", o.text);
}

} // namespace
} // namespace kivscript

namespace kivscript {
namespace {

TEST(DiskFiles, TellsMissingFromUnreadable)
{
    std::string content = "kept";
    std::string dir = KIV_SCRIPT_EXAMPLES_DIR;
    EXPECT_EQ(ReadStatus::Missing, DiskFiles().ReadFile(dir + "/no such file.vks", content));
    EXPECT_EQ(ReadStatus::Unreadable, DiskFiles().ReadFile(dir, content)) << "a folder is not a script";
    ASSERT_EQ(ReadStatus::Ok, DiskFiles().ReadFile(dir + "/demo.vkj", content));
    EXPECT_NE(std::string::npos, content.find("identify.vks"));
}

} // namespace
} // namespace kivscript
