// Text of a real number in an entry field: grouped display, parsing, caret distances and digit navigation.
#pragma once

#include <string>
#include <string_view>

namespace kl7700::controls {

// How a real number is written in the field.
struct NumberFormat {
    char groupSeparator = ' ';
    char decimalSeparator = '.';
    unsigned decimals = 3;
    unsigned groupSize = 3; // digits per group; 0 or more digits than the number has: no grouping
};

// Limits take effect only while the maximum is above the minimum.
struct NumberLimits {
    double minimum = 0.0;
    double maximum = 0.0;
    bool active() const { return maximum > minimum; }
};

bool IsDigit(char c);

double ClampToLimits(double value, const NumberLimits& limits);

// Fixed notation with the format's decimals, integer digits grouped from the right.
std::string FormatNumber(double value, const NumberFormat& format);

// Keeps the digits and the first decimal separator, at most `decimals` digits
// behind it, and reads the rest as a number; no digits read as 0.
double ParseNumber(std::string_view text, const NumberFormat& format);

// The text without its group separators (what the clipboard receives).
std::string RemoveGroupSeparators(std::string_view text, const NumberFormat& format);

// Position of the decimal separator, or the text's end when it has none.
int DecimalPosition(std::string_view text, const NumberFormat& format);

// Caret position as a distance in digits from the decimal separator: in the
// integer part the number of digits between caret and separator (0 just before
// it); in the fraction -1 just behind the separator, -2 after the first
// decimal, and so on. Group separators do not count, so the distance survives
// regrouping.
int CaretDistance(std::string_view text, int caret, const NumberFormat& format);
// The position at that distance in the text: in the integer part just before
// the digit, clamped to the text.
int PositionFromDistance(std::string_view text, int distance, const NumberFormat& format);

// Caret moves over one digit, skipping separators; unchanged at the ends.
int PreviousDigitPosition(std::string_view text, int caret);
int NextDigitPosition(std::string_view text, int caret);

} // namespace kl7700::controls
