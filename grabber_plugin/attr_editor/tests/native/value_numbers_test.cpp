// Slider positions of the numeric views, the edits' parsing and clamping.
#include "attr_editor/ValueNumbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace attr_editor {
namespace {

TEST(SliderScaling, RangesAndEnds)
{
    struct Case {
        int64_t minimum, maximum;
        bool scaled;
        int lower, upper;
    };
    const Case cases[] = {
        {0, 100, false, 0, 100},                   // one step per unit
        {-64, 64, false, -64, 64},                 // a signed range as it is
        {0, 65535, false, 0, 65535},               // the widest unscaled range
        {0, 65536, true, 0, 65535},                // one more: scaled
        {0, 1000000, true, 0, 65535},              //
        {5, 5, false, 5, 5},                       // a single value
        {INT64_MAX - 10, INT64_MAX, false, 0, 10}, // far out: counted from its minimum
        {INT64_MIN, INT64_MAX, true, 0, 65535},    // the whole 64-bit range
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.minimum) + ".." + std::to_string(c.maximum));
        const SintSlider s(c.minimum, c.maximum);
        EXPECT_EQ(c.scaled, s.Scaled());
        EXPECT_EQ(c.lower, s.Lower());
        EXPECT_EQ(c.upper, s.Upper());
        EXPECT_EQ(c.minimum, s.ValueAt(s.Lower()));
        EXPECT_EQ(c.maximum, s.ValueAt(s.Upper()));
        EXPECT_EQ(s.Lower(), s.PositionOf(c.minimum));
        EXPECT_EQ(s.Upper(), s.PositionOf(c.maximum));
    }
}

TEST(SliderScaling, UnsignedMillionSpreadsOverTheSlider)
{
    const UintSlider s(0, 1000000);
    EXPECT_FLOAT_EQ(15.2587890625f, s.Factor());
    EXPECT_EQ(32768, s.PositionOf(500000)); // ceil(500000 / 15.2587890625)
    EXPECT_EQ(1000000u, s.ValueAt(65535));  // the right end is exactly the maximum
    EXPECT_EQ(0u, s.ValueAt(0));
    EXPECT_EQ(static_cast<uint32_t>(std::ceil(100 * 15.2587890625)), s.ValueAt(100));
}

TEST(SliderScaling, UnscaledPositionIsTheValue)
{
    const UintSlider s(0, 100);
    for (uint32_t v : {0u, 1u, 37u, 99u, 100u}) {
        EXPECT_EQ(static_cast<int>(v), s.PositionOf(v));
        EXPECT_EQ(v, s.ValueAt(static_cast<int>(v)));
    }
    // Values outside put the slider at its end.
    EXPECT_EQ(100, s.PositionOf(150));
}

TEST(SliderScaling, WideRangeAroundZeroCoversBothSides)
{
    // Counted from the minimum, the middle of the slider is near 0, not half the maximum.
    const SintSlider s(-1000000, 1000000);
    EXPECT_TRUE(s.Scaled());
    const int middle = s.PositionOf(0);
    EXPECT_NEAR(32768, middle, 1);
    EXPECT_NEAR(0, static_cast<double>(s.ValueAt(middle)), s.Factor() + 1);
    EXPECT_LT(s.ValueAt(1), 0);
    EXPECT_EQ(0, s.PositionOf(-1000000));
}

TEST(SliderScaling, UnsignedBeyondIntPositions)
{
    // A narrow range above the int positions does not wrap around.
    const UintSlider s(4000000000u, 4000000100u);
    EXPECT_EQ(0, s.Lower());
    EXPECT_EQ(100, s.Upper());
    EXPECT_EQ(50, s.PositionOf(4000000050u));
    EXPECT_EQ(4000000050u, s.ValueAt(50));
}

TEST(ValueText, ParseUnsigned)
{
    const std::pair<const char*, uint32_t> cases[] = {
        {"0", 0},
        {"150", 150},
        {"  42", 42},
        {"12abc", 12},
        {"", 0},
        {"abc", 0},
        {"-5", 0},
        {"+5", 0},
        {"4294967295", UINT32_MAX},
        {"4294967296", UINT32_MAX},
        {"99999999999999999999999", UINT32_MAX},
        {"007", 7},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(value, ParseUnsigned(text));
    }
}

TEST(ValueText, ParseSignedGivesWhatWasTyped)
{
    const std::pair<const char*, int64_t> cases[] = {
        {"0", 0},
        {"-64", -64},
        {"+12", 12},
        {" -7x", -7},
        {"-", 0},
        {"", 0},
        {"5000000000", 5000000000}, // wider than 32 bits
        {"-5000000000", -5000000000},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", INT64_MAX}, // beyond: the end of the range
        {"-9223372036854775808", INT64_MIN},
        {"-99999999999999999999", INT64_MIN},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(value, ParseSigned(text));
    }
}

TEST(ValueText, Formats)
{
    EXPECT_EQ("4294967295", FormatUnsigned(UINT32_MAX));
    EXPECT_EQ("-9223372036854775808", FormatSigned(INT64_MIN));
    EXPECT_EQ("1.500000", FormatFloat(1.5f));
    EXPECT_EQ("-0.250000", FormatFloat(-0.25f));
}

TEST(EditReading, IntegersClampAndWriteBack)
{
    struct Case {
        const char* text;
        int64_t minimum, maximum, value;
        const char* newText; // null: the edit keeps its text
    };
    const Case unsignedCases[] = {
        {"150", 0, 100, 100, "100"}, {"50", 0, 100, 50, nullptr}, {"", 10, 100, 10, "10"}, {"3", 10, 100, 10, "10"}, {"99999999999", 0, UINT32_MAX, UINT32_MAX, "4294967295"}, // too long for 32 bits: shown clamped
    };
    for (const Case& c : unsignedCases) {
        SCOPED_TRACE(std::string("unsigned ") + c.text);
        const auto r = ReadUnsignedEdit(c.text, static_cast<uint32_t>(c.minimum), static_cast<uint32_t>(c.maximum));
        EXPECT_EQ(static_cast<uint32_t>(c.value), r.value);
        EXPECT_EQ(c.newText != nullptr, r.newText.has_value());
        if (c.newText && r.newText) { EXPECT_EQ(c.newText, *r.newText); }
    }
    const Case signedCases[] = {
        {"-100", -64, 64, -64, "-64"},
        {"-12", -64, 64, -12, nullptr},
        {"70", -64, 64, 64, "64"},
        {"5000000000", 0, INT64_MAX, 5000000000, nullptr},
        {"99999999999999999999", INT64_MIN, INT64_MAX, INT64_MAX, "9223372036854775807"},
    };
    for (const Case& c : signedCases) {
        SCOPED_TRACE(std::string("signed ") + c.text);
        const auto r = ReadSignedEdit(c.text, c.minimum, c.maximum);
        EXPECT_EQ(c.value, r.value);
        EXPECT_EQ(c.newText != nullptr, r.newText.has_value());
        if (c.newText && r.newText) { EXPECT_EQ(c.newText, *r.newText); }
    }
}

TEST(EditReading, FloatPrefix)
{
    struct Case {
        const char* text;
        const char* run;
        double number;
    };
    const Case cases[] = {
        {"12.5abc", "12.5", 12.5}, {"-3.25", "-3.25", -3.25}, {"abc", "", 0}, {"-", "-", 0}, {".5", ".5", 0.5}, {"1.2.3", "1.2.3", 1.2}, {"5-3", "5-3", 5}, {"1e5", "1", 1}, {" 7", "", 0}, // a blank is not part of the run
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string_view run = FloatPrefix(c.text);
        EXPECT_EQ(c.run, run);
        EXPECT_DOUBLE_EQ(c.number, ParseFloatPrefix(run));
    }
}

TEST(EditReading, FloatClampsAndCuts)
{
    struct Case {
        const char* text;
        float value;
        const char* newText;
    };
    const Case cases[] = {
        {"12.5abc", 12.5f, "12.5"},                                             // cut to its numeric prefix
        {"12.5", 12.5f, nullptr},                                               // nothing to change
        {"150", 100.0f, "100.000000"},                                          // above the maximum: the maximum with six decimals
        {"-1", 0.0f, "0.000000"},                                               // below the minimum
        {"xyz", 0.0f, ""},                                                      // no number: 0, inside the range, the edit gets the empty run
        {"99999999999999999999999999999999999999999999", 100.0f, "100.000000"}, // beyond float: clamped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto r = ReadFloatEdit(c.text, 0.0f, 100.0f);
        EXPECT_FLOAT_EQ(c.value, r.value);
        EXPECT_EQ(c.newText != nullptr, r.newText.has_value());
        if (c.newText && r.newText) { EXPECT_EQ(c.newText, *r.newText); }
    }
}

} // namespace
} // namespace attr_editor
