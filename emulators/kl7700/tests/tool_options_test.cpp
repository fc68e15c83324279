// The tool's command line: every option, and clear refusals of bad arguments.
#include <gtest/gtest.h>

#include "Options.h"

using kl7700emu::parseToolOptions;
using kl7700emu::ServeMode;

TEST(ToolOptions, ReadsEveryOption)
{
    const auto parsed = parseToolOptions({"--tcp", "5000", "--firmware", "1.0.0.3", "--variant", "0x4021",
                                          "--serial", "123", "--name", "KL-7700", "--no-dual-output", "--log"},
                                         true);
    ASSERT_TRUE(parsed.options) << parsed.error;
    const auto& o = *parsed.options;
    EXPECT_EQ(o.mode, ServeMode::Tcp);
    EXPECT_EQ(o.tcpPort, 5000);
    EXPECT_EQ(o.camera.firmware, "1.0.0.3");
    EXPECT_EQ(o.camera.variant, 0x4021);
    EXPECT_EQ(o.camera.serial, 123u);
    EXPECT_EQ(o.camera.name, "KL-7700");
    EXPECT_FALSE(o.camera.dualOutput);
    EXPECT_TRUE(o.log);
    EXPECT_EQ(parseToolOptions({"--pty", "--variant", "16416"}, true).options->camera.variant, 0x4020);
    EXPECT_TRUE(parseToolOptions({"--help"}, false).options->help);
}

TEST(ToolOptions, RefusesBadArgumentsWithAReason)
{
    struct Case {
        std::vector<std::string> args;
        const char* reasonPart;
    } cases[] = {
        {{}, "give --tcp PORT or --pty"},
        {{"--tcp"}, "--tcp needs a value"},
        {{"--tcp", "65536"}, "port number"},
        {{"--tcp", "-1"}, "port number"},
        {{"--tcp", "50x"}, "port number"},
        {{"--tcp", "1", "--pty"}, "only one"},
        {{"--tcp", "1", "--variant", "0x10000"}, "--variant"},
        {{"--tcp", "1", "--variant", "0x"}, "--variant"},
        {{"--tcp", "1", "--serial", "4294967296"}, "--serial"},
        {{"--tcp", "1", "--name", "a\rb"}, "line breaks"},
        {{"--tcp", "1", "--bogus"}, "unknown argument '--bogus'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reasonPart);
        const auto parsed = parseToolOptions(c.args, true);
        EXPECT_FALSE(parsed.options);
        EXPECT_NE(parsed.error.find(c.reasonPart), std::string::npos) << parsed.error;
    }
    EXPECT_NE(parseToolOptions({"--pty"}, false).error.find("not available"), std::string::npos);
    EXPECT_EQ(kl7700emu::toolUsage(false).find("--pty"), std::string::npos);
}
