// Integer field reading and cleaning, and the serial debug log's display text.
#include <gtest/gtest.h>

#include "kl7700_controls/DebugLogText.h"
#include "kl7700_controls/IntegerText.h"

using namespace kl7700::controls;

TEST(IntegerTextTest, ReadsLeadingDigitsAndClamps)
{
    const IntegerLimits limits{1, 1728};
    struct Case {
        const char* text;
        uint32_t value;
    } cases[] = {{"0", 1}, {"99999", 1728}, {"", 1}, {"640", 640}, {"12ab34", 12}, {"99999999999999", 1728}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ClampToLimits(ReadLeadingUnsigned(c.text), limits), c.value);
    }
    EXPECT_EQ(ReadLeadingUnsigned("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadLeadingUnsigned("4294967296"), 0xFFFFFFFFu) << "saturates instead of wrapping to 0";
    EXPECT_EQ(FormatUnsigned(0xFFFFFFFFu), "4294967295") << "large values never show negative";
}

TEST(IntegerTextTest, CleaningKeepsTheSelectionOnTheSameDigits)
{
    CleanedDigits cleaned = KeepOnlyDigits("1a2 3b", 3, 5);
    EXPECT_EQ(cleaned.text, "123");
    EXPECT_EQ(cleaned.start, 2);
    EXPECT_EQ(cleaned.end, 3);
    cleaned = KeepOnlyDigits("x", 1, 1);
    EXPECT_EQ(cleaned.text, "");
    EXPECT_EQ(cleaned.start, 0);
}

TEST(DebugLogTextTest, ControlBytesBecomeTokensAndLineBreaks)
{
    struct Case {
        const char* name;
        std::string bytes;
        const char* shown;
    } cases[] = {
        {"reply with CR CR LF prompt", "\r\r\n>", "{CR}\r\n{CR}{LF}\r\n>"},
        {"command ending in CR", "ser?\r", "ser?{CR}\r\n"},
        {"lone LF", "a\nb", "a{LF}b"},
        {"acknowledge byte", "\x06", "{0x06}"},
        {"zero byte", std::string("\0", 1), "{0x00}"},
        {"high byte", "\xB5", "{0xB5}"},
        {"printable range kept", " ~\x7F", " ~\x7F"},
        {"escape", "\x1B", "{0x1B}"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DebugDisplayText(c.bytes), c.shown);
    }
}
