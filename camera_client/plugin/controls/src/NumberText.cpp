// Grouped fixed-point display of a real number, its parsing, and caret positions counted in digits.
#include "kl7700_controls/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace kl7700::controls {

namespace {

int clampPosition(std::string_view text, int position)
{
    return std::clamp(position, 0, static_cast<int>(text.size()));
}

int digitsIn(std::string_view text, int from, int to)
{
    return static_cast<int>(std::count_if(text.begin() + from, text.begin() + to, IsDigit));
}

// Joins the digits in groups of the group size, counted from the right.
std::string groupDigits(std::string_view digits, const NumberFormat& format)
{
    if (format.groupSize == 0 || digits.size() <= format.groupSize)
        return std::string(digits);
    std::string grouped;
    size_t head = digits.size() % format.groupSize;
    if (head == 0)
        head = format.groupSize;
    grouped.append(digits.substr(0, head));
    for (size_t at = head; at < digits.size(); at += format.groupSize) {
        grouped.push_back(format.groupSeparator);
        grouped.append(digits.substr(at, format.groupSize));
    }
    return grouped;
}

} // namespace

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

double ClampToLimits(double value, const NumberLimits& limits)
{
    if (!limits.active())
        return value;
    return std::clamp(value, limits.minimum, limits.maximum);
}

std::string FormatNumber(double value, const NumberFormat& format)
{
    if (!std::isfinite(value))
        value = 0.0;
    // Written without the C locale so the decimal point is always "." here.
    char buffer[1024];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                      static_cast<int>(std::min(format.decimals, 300u)));
    if (error != std::errc())
        return {};
    std::string_view written(buffer, static_cast<size_t>(end - buffer));

    std::string text;
    if (!written.empty() && written.front() == '-') {
        text.push_back('-');
        written.remove_prefix(1);
    }
    size_t point = written.find('.');
    text += groupDigits(written.substr(0, point), format);
    if (format.decimals == 0)
        return text;
    std::string fraction(point == std::string_view::npos ? std::string_view() : written.substr(point + 1));
    fraction.resize(format.decimals, '0');
    text.push_back(format.decimalSeparator);
    return text + fraction;
}

double ParseNumber(std::string_view text, const NumberFormat& format)
{
    std::string plain;
    bool inFraction = false;
    unsigned fractionDigits = 0;
    for (char c : text) {
        if (IsDigit(c)) {
            if (inFraction && fractionDigits++ == format.decimals)
                break;
            plain.push_back(c);
        } else if (c == format.decimalSeparator && !inFraction) {
            if (format.decimals == 0)
                break;
            inFraction = true;
            plain.push_back('.');
        }
    }
    if (plain.empty() || plain == ".")
        return 0.0;
    double value = 0.0;
    auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error == std::errc::result_out_of_range)
        return std::numeric_limits<double>::max();
    return error == std::errc() ? value : 0.0;
}

std::string RemoveGroupSeparators(std::string_view text, const NumberFormat& format)
{
    std::string plain;
    for (char c : text)
        if (c != format.groupSeparator)
            plain.push_back(c);
    return plain;
}

int DecimalPosition(std::string_view text, const NumberFormat& format)
{
    size_t at = text.find(format.decimalSeparator);
    return static_cast<int>(at == std::string_view::npos ? text.size() : at);
}

int CaretDistance(std::string_view text, int caret, const NumberFormat& format)
{
    caret = clampPosition(text, caret);
    int separator = DecimalPosition(text, format);
    if (caret <= separator)
        return digitsIn(text, caret, separator);
    return -(1 + digitsIn(text, separator + 1, caret));
}

int PositionFromDistance(std::string_view text, int distance, const NumberFormat& format)
{
    int separator = DecimalPosition(text, format);
    if (distance >= 0) {
        int position = separator;
        for (int i = separator - 1, counted = 0; i >= 0 && counted < distance; --i) {
            if (IsDigit(text[i])) {
                position = i;
                ++counted;
            }
        }
        return position;
    }
    const int length = static_cast<int>(text.size());
    if (separator >= length)
        return length;
    int wanted = -distance - 1;
    int position = separator + 1;
    for (int i = separator + 1, counted = 0; i < length && counted < wanted; ++i) {
        if (IsDigit(text[i])) {
            position = i + 1;
            ++counted;
        }
    }
    return position;
}

int PreviousDigitPosition(std::string_view text, int caret)
{
    caret = clampPosition(text, caret);
    for (int i = caret - 1; i >= 0; --i)
        if (IsDigit(text[i]))
            return i;
    return caret;
}

int NextDigitPosition(std::string_view text, int caret)
{
    caret = clampPosition(text, caret);
    for (int i = caret; i < static_cast<int>(text.size()); ++i)
        if (IsDigit(text[i]))
            return i + 1;
    return caret;
}

} // namespace kl7700::controls
