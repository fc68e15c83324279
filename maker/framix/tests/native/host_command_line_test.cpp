// FramixHost's command line and the C escapes of its serial text.
#include "framix_core/CEscape.h"
#include "framix_core/HostCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace framix;

std::string Describe(const HostCommandLine& line)
{
    std::string s;
    for (const auto& c : line.commands) {
        s += c.name;
        for (const auto& a : c.args) s += " <" + a + ">";
        s += ";";
    }
    return s;
}

TEST(HostCommandLine, CommandsWithTheirArguments)
{
    const struct {
        std::vector<std::string> args;
        const char* commands;
    } cases[] = {
        {{"init", "cameras"}, "init;cameras;"},
        {{"select", "17", "open", "snap", "1", "50", "stop"}, "select <17>;open;snap <1> <50>;stop;"},
        {{"snap", "3", "save", "a.png"}, "snap <3>;save <a.png>;"},
        {{"param", "261", "-3", "0", "limits", "261"}, "param <261> <-3> <0>;limits <261>;"},
        {{"param", "4096", "timer"}, "param <4096>;timer;"},
        {{"timer", "100", "200", "read"}, "timer <100> <200>;read;"},
        {{"read", "250", "purge", "3"}, "read <250>;purge <3>;"},
        {{"channel", "1", "port", "MKAPISERIALPORT0", "cmdopen", "write", "s=?\\r", "cmdclose"},
         "channel <1>;port <MKAPISERIALPORT0>;cmdopen;write <s=?\\r>;cmdclose;"},
        {{"dialog", "features", "sim", "unplug", "17", "now"}, "dialog <features>;sim <unplug> <17> <now>;"},
        {{"rescan", "close"}, "rescan;close;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commands);
        const auto r = ParseHostCommandLine(c.args);
        ASSERT_TRUE(r.line) << r.error;
        EXPECT_EQ(Describe(*r.line), c.commands);
    }
}

TEST(HostCommandLine, Options)
{
    auto r = ParseHostCommandLine({"--ini", "C:\\x\\Framix.ini", "--grabber", "2", "--quiet", "init"});
    ASSERT_TRUE(r.line) << r.error;
    EXPECT_EQ(r.line->ini.value_or(""), "C:\\x\\Framix.ini");
    EXPECT_EQ(r.line->grabber, 2u);
    EXPECT_TRUE(r.line->quiet);
    r = ParseHostCommandLine({"init"});
    ASSERT_TRUE(r.line);
    EXPECT_FALSE(r.line->ini);
    EXPECT_EQ(r.line->grabber, 0u);
    EXPECT_FALSE(r.line->quiet);
}

TEST(HostCommandLine, UsageErrors)
{
    const struct {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{}, "no command given"},
        {{"--quiet"}, "no command given"},
        {{"--ini"}, "option --ini needs a value"},
        {{"--grabber", "x", "init"}, "option --grabber needs an index, got \"x\""},
        {{"--grabber", "-1", "init"}, "option --grabber needs an index, got \"-1\""},
        {{"--verbose", "init"}, "unknown option --verbose"},
        {{"init", "frobnicate"}, "unknown command \"frobnicate\""},
        {{"select"}, "missing argument: select UID"},
        {{"timer", "5"}, "missing argument: timer [FIRST SECOND]"},
        {{"init", "--quiet"}, "unknown command \"--quiet\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        const auto r = ParseHostCommandLine(c.args);
        EXPECT_FALSE(r.line);
        EXPECT_EQ(r.error, c.error);
    }
    EXPECT_NE(HostUsage().find("usage: FramixHost [--ini PATH] [--grabber N] [--quiet] COMMAND"), std::string::npos);
}

TEST(HostCommandLine, Numbers)
{
    const struct {
        const char* text;
        bool ok;
        uint64_t value;
    } cases[] = {
        {"0", true, 0},
        {"4096", true, 4096},
        {"0x1E09", true, 0x1E09},
        {"-3", true, static_cast<uint64_t>(-3)},
        {"18446744073709551615", true, UINT64_MAX},
        {"18446744073709551616", false, 0},
        {"-9223372036854775808", true, uint64_t(1) << 63},
        {"-9223372036854775809", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"0x", false, 0},
        {"12a", false, 0},
        {"-0x5", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto n = ParseNumber(c.text);
        EXPECT_EQ(n.has_value(), c.ok);
        if (n && c.ok) {
            EXPECT_EQ(*n, c.value);
        }
    }
}

TEST(CEscape, UnescapeAndBack)
{
    const struct {
        const char* text;
        std::string bytes;
    } cases[] = {
        {"s=?\\r", "s=?\r"},
        {"a\\nb\\tc", "a\nb\tc"},
        {"\\x41\\x7f\\xFF", std::string("A\x7f\xff", 3)},
        {"back\\\\slash", "back\\slash"},
        {"nul\\0", std::string("nul\0", 4)},
        {"q\\\"", "q\""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto bytes = Unescape(c.text);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(*bytes, c.bytes);
        EXPECT_EQ(Unescape(Escape(c.bytes)).value_or("<fail>"), c.bytes);
    }
    EXPECT_EQ(Escape(std::string("E=0000\r\n>\x01\x80", 11)), "E=0000\\r\\n>\\x01\\x80");
}

TEST(CEscape, BadEscapesAreRejectedWithTheirPlace)
{
    const struct {
        const char* text;
        size_t at;
    } cases[] = {{"abc\\", 3}, {"\\q", 0}, {"x\\x4", 1}, {"x\\x4g", 1}, {"\\x", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        size_t at = 99;
        EXPECT_FALSE(Unescape(c.text, &at));
        EXPECT_EQ(at, c.at);
    }
}

} // namespace
