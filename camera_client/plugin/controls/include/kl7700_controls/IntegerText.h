// Text of a non-negative integer entry field: digit filtering and reading with limits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kl7700::controls {

// Unsigned limits; comparisons are unsigned.
struct IntegerLimits {
    uint32_t minimum = 0;
    uint32_t maximum = 0xFFFFFFFFu;
};

uint32_t ClampToLimits(uint32_t value, const IntegerLimits& limits);

// Reads the leading digits as a decimal number (no digits: 0); a number beyond
// 32 bits reads as the largest 32-bit value rather than wrapping around.
uint32_t ReadLeadingUnsigned(std::string_view text);

// Decimal text of the value, always unsigned.
std::string FormatUnsigned(uint32_t value);

// The text with every non-digit removed, and a position in the old text moved
// to the same place in the cleaned one.
struct CleanedDigits {
    std::string text;
    int start = 0;
    int end = 0;
};
CleanedDigits KeepOnlyDigits(std::string_view text, int start, int end);

} // namespace kl7700::controls
