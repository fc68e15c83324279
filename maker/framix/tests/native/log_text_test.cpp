// Log text: the 64-bit modifier of the plug-ins, long lines kept whole, the sink line forms.
#include "framix_core/LogText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace framix;

TEST(LogText, PortableFormatRewritesOnlyLengthModifiers)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"Requested %I64u buffers", "Requested %llu buffers"},
        {"%I64d and %08I64X", "%lld and %08llX"},
        {"%I32u", "%u"},
        {"100%% I64", "100%% I64"},
        {"%%I64u", "%%I64u"},
        {"%-12s|%p|%lf", "%-12s|%p|%lf"},
        {"I64 without percent", "I64 without percent"},
        {"%", "%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(PortableFormat(c.in), c.out);
    }
}

TEST(LogText, FormatsWhatThePlugInsWrite)
{
    EXPECT_EQ(FormatLogTextF("  ERROR: Requested %I64u buffers, but device supports only %I64u", uint64_t(101), uint64_t(100)),
              "  ERROR: Requested 101 buffers, but device supports only 100");
    EXPECT_EQ(FormatLogTextF("%s (int64) = %I64d", "Offset", int64_t(-5000000000)), "Offset (int64) = -5000000000");
    EXPECT_EQ(FormatLogTextF("%s (float32) = %lf", "Gain", 1.5), "Gain (float32) = 1.500000");
    EXPECT_EQ(FormatLogTextF("%u Framebuffers are currently allocated.", 3u), "3 Framebuffers are currently allocated.");
}

TEST(LogText, LongLinesAreNeverCut)
{
    for (size_t length : {size_t(255), size_t(256), size_t(257), size_t(5000), size_t(100000)}) {
        SCOPED_TRACE(length);
        const std::string value(length, 'x');
        const std::string text = FormatLogTextF("<%s>", value.c_str());
        ASSERT_EQ(text.size(), length + 2);
        EXPECT_EQ(text.front(), '<');
        EXPECT_EQ(text.back(), '>');
    }
}

TEST(LogText, MissingFormatLeavesATrace)
{
    va_list none{};
    EXPECT_EQ(FormatLogText(nullptr, none), "(null format)");
}

TEST(LogText, SinkLineForms)
{
    EXPECT_EQ(ConsoleLine(0, "CFramixZelmkAPIClass::Init"), "[0] CFramixZelmkAPIClass::Init");
    EXPECT_EQ(ConsoleLine(1, ""), "[1] ");
    LogTime t{2026, 12, 7, 9, 5, 3, 7};
    EXPECT_EQ(FileLine(t, 1, "Using mkAPI V1.2"), "2026-12-07 09:05:03.007 [1] Using mkAPI V1.2");
}

} // namespace
