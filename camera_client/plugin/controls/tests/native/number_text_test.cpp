// Grouped display, parsing, caret distances and digit navigation of real-number text.
#include <gtest/gtest.h>

#include "kl7700_controls/NumberText.h"

using namespace kl7700::controls;

namespace {

NumberFormat format(unsigned decimals, unsigned groupSize = 3, char group = ' ', char point = '.')
{
    return NumberFormat{group, point, decimals, groupSize};
}

} // namespace

TEST(NumberTextTest, FormatsWithGroupsAndFixedDecimals)
{
    struct Case {
        double value;
        NumberFormat format;
        const char* shown;
    } cases[] = {
        {12345.5, format(4), "12 345.5000"},
        {123456.0, format(3), "123 456.000"},
        {1234567.25, format(2), "1 234 567.25"},
        {999.0, format(0), "999"},
        {1000.0, format(0), "1 000"},
        {0.0, format(3), "0.000"},
        {0.0005, format(3), "0.001"},
        {12345678.0, format(1, 1000000), "12345678.0"},
        {98765.4321, format(2, 2, '\'', ','), "9'87'65,43"},
        {-1234.5, format(1), "-1 234.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        EXPECT_EQ(FormatNumber(c.value, c.format), c.shown);
    }
}

TEST(NumberTextTest, GroupSizeOfAMillionNeverShowsASeparator)
{
    NumberFormat wide = format(2, 1000000);
    for (double value : {0.0, 1.0, 1e6, 123456789012.0, 1e15}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(FormatNumber(value, wide).find(' '), std::string::npos);
    }
}

TEST(NumberTextTest, ParsesDigitsAndTheFirstSeparatorOnly)
{
    struct Case {
        const char* text;
        unsigned decimals;
        double value;
    } cases[] = {
        {"12 345.5000", 4, 12345.5},
        {"1a2b3", 3, 123.0},
        {"1.2.3", 3, 1.23},
        {"0.12345", 3, 0.123}, // digits beyond the decimals are dropped
        {"7.99", 0, 7.0},      // no decimals: the separator ends the number
        {"", 3, 0.0},
        {".", 3, 0.0},
        {"-5", 3, 5.0}, // the field knows no sign
        {"00042.5", 1, 42.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(ParseNumber(c.text, format(c.decimals)), c.value);
    }
    EXPECT_DOUBLE_EQ(ParseNumber("3,25", format(2, 3, '.', ',')), 3.25);
    EXPECT_GT(ParseNumber(std::string(400, '9'), format(0)), 1e300) << "overlong numbers saturate";
}

TEST(NumberTextTest, LimitsApplyOnlyWhenMaximumIsAboveMinimum)
{
    EXPECT_DOUBLE_EQ(ClampToLimits(5000.0, {0.0, 0.0}), 5000.0);
    EXPECT_DOUBLE_EQ(ClampToLimits(5000.0, {10.0, 5.0}), 5000.0);
    EXPECT_DOUBLE_EQ(ClampToLimits(5000.0, {1.0, 100.0}), 100.0);
    EXPECT_DOUBLE_EQ(ClampToLimits(0.5, {1.0, 100.0}), 1.0);
}

TEST(NumberTextTest, CaretDistanceCountsDigitsFromTheDecimalSeparator)
{
    const std::string text = "12 345.5000";
    const NumberFormat f = format(4);
    struct Case {
        int caret;
        int distance;
    } cases[] = {{0, 5}, {1, 4}, {2, 3}, {3, 3}, {5, 1}, {6, 0}, {7, -1}, {8, -2}, {11, -5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caret);
        EXPECT_EQ(CaretDistance(text, c.caret, f), c.distance);
    }
}

TEST(NumberTextTest, CaretDistanceRoundTripsAcrossRegrouping)
{
    const NumberFormat f = format(3);
    for (const std::string text : {"1 234 567.890", "12.345", "0.000", "999 999.999"}) {
        SCOPED_TRACE(text);
        int integerDigits = CaretDistance(text, 0, f);
        int lowest = CaretDistance(text, static_cast<int>(text.size()), f);
        for (int distance = lowest; distance <= integerDigits; ++distance) {
            SCOPED_TRACE(distance);
            int position = PositionFromDistance(text, distance, f);
            EXPECT_EQ(CaretDistance(text, position, f), distance);
        }
    }
    // A caret after the digit "4" of 1234 stays after it when the text is regrouped.
    int distance = CaretDistance("1234.000", 4, f);
    EXPECT_EQ(PositionFromDistance("1 234.000", distance, f), 5);
    // Out-of-range distances land on the text's ends.
    EXPECT_EQ(PositionFromDistance("12.345", 9, f), 0);
    EXPECT_EQ(PositionFromDistance("12.345", -9, f), 6);
    EXPECT_EQ(PositionFromDistance("123", -1, format(0)), 3);
}

TEST(NumberTextTest, DigitNavigationSkipsSeparators)
{
    const std::string text = "1 234.50";
    std::vector<int> forward{0};
    for (int caret = 0, next; (next = NextDigitPosition(text, caret)) != caret; caret = next)
        forward.push_back(next);
    EXPECT_EQ(forward, (std::vector<int>{0, 1, 3, 4, 5, 7, 8}));

    std::vector<int> backward{8};
    for (int caret = 8, previous; (previous = PreviousDigitPosition(text, caret)) != caret; caret = previous)
        backward.push_back(previous);
    EXPECT_EQ(backward, (std::vector<int>{8, 7, 6, 4, 3, 2, 0}));
}
