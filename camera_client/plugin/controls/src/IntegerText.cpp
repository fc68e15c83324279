// Non-negative integer field text: reading leading digits with saturation, and digit-only cleaning.
#include "kl7700_controls/IntegerText.h"

#include <algorithm>

namespace kl7700::controls {

uint32_t ClampToLimits(uint32_t value, const IntegerLimits& limits)
{
    if (value < limits.minimum)
        return limits.minimum;
    if (value > limits.maximum)
        return limits.maximum;
    return value;
}

uint32_t ReadLeadingUnsigned(std::string_view text)
{
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > 0xFFFFFFFFu)
            return 0xFFFFFFFFu;
    }
    return static_cast<uint32_t>(value);
}

std::string FormatUnsigned(uint32_t value)
{
    return std::to_string(value);
}

CleanedDigits KeepOnlyDigits(std::string_view text, int start, int end)
{
    const int length = static_cast<int>(text.size());
    start = std::clamp(start, 0, length);
    end = std::clamp(end, 0, length);
    CleanedDigits cleaned;
    for (int i = 0; i < length; ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            cleaned.text.push_back(text[i]);
        } else {
            cleaned.start -= i < start;
            cleaned.end -= i < end;
        }
    }
    cleaned.start += start;
    cleaned.end += end;
    return cleaned;
}

} // namespace kl7700::controls
