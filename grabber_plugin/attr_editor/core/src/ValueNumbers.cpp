// Slider positions, edit texts and clamping of the numeric value views.
#include "attr_editor/ValueNumbers.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace attr_editor {

namespace {

constexpr uint64_t kUnscaledSpan = 65535;
constexpr int kScaledUpper = 65535;
constexpr double kScaledSteps = 65536;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t SkipBlanks(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    return i;
}

// Leading digits from `i` as a magnitude, saturating at `limit`.
uint64_t Digits(std::string_view text, size_t i, uint64_t limit, bool* saturated = nullptr)
{
    uint64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const uint64_t digit = static_cast<uint64_t>(text[i] - '0');
        if (value > (limit - digit) / 10) {
            if (saturated) *saturated = true;
            return limit;
        }
        value = value * 10 + digit;
    }
    return value;
}

uint32_t ParseUnsigned(std::string_view text, bool* saturated)
{
    return static_cast<uint32_t>(Digits(text, SkipBlanks(text), UINT32_MAX, saturated));
}

int64_t ParseSigned(std::string_view text, bool* saturated)
{
    size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    // The negative side reaches one further than the positive one.
    const uint64_t limit = negative ? static_cast<uint64_t>(INT64_MAX) + 1 : static_cast<uint64_t>(INT64_MAX);
    const uint64_t magnitude = Digits(text, i, limit, saturated);
    if (!negative) return static_cast<int64_t>(magnitude);
    return magnitude == limit ? INT64_MIN : -static_cast<int64_t>(magnitude);
}

} // namespace

template <class Value, class Scale>
SliderScaling<Value, Scale>::SliderScaling(Value minimum, Value maximum) : m_min(minimum), m_max(maximum)
{
    // Unsigned arithmetic gives the true span of any ordered 64-bit range;
    // max - min in the value's own type would overflow for the widest ones.
    const uint64_t span = maximum >= minimum ? static_cast<uint64_t>(maximum) - static_cast<uint64_t>(minimum) : 0;
    if (span <= kUnscaledSpan) {
        // The slider's positions are the values themselves while they fit
        // its int positions; a narrow range far out counts from its minimum.
        const bool fits = static_cast<int64_t>(minimum) >= INT_MIN && static_cast<int64_t>(maximum) <= INT_MAX;
        m_origin = fits ? Value{} : minimum;
        m_lower = static_cast<int>(static_cast<int64_t>(minimum) - static_cast<int64_t>(m_origin));
        m_upper = static_cast<int>(static_cast<int64_t>(m_lower) + static_cast<int64_t>(span));
        return;
    }
    // A wide range spreads over the slider from its minimum, so that the
    // slider covers it whatever side of 0 it lies on.
    m_scaled = true;
    m_scale = static_cast<Scale>(static_cast<Scale>(span) / static_cast<Scale>(kScaledSteps));
    m_origin = minimum;
    m_lower = 0;
    m_upper = kScaledUpper;
}

template <class Value, class Scale>
int SliderScaling<Value, Scale>::PositionOf(Value value) const
{
    // The slider stops at its ends; clamping first keeps the arithmetic
    // inside the range.
    const Value v = Clamp(value);
    const uint64_t offset = static_cast<uint64_t>(v) - static_cast<uint64_t>(m_origin);
    if (!m_scaled) return static_cast<int>(static_cast<int64_t>(offset));
    const Scale steps = std::ceil(static_cast<Scale>(offset) / m_scale);
    if (!(steps > 0)) return 0;
    if (steps >= static_cast<Scale>(kScaledUpper)) return kScaledUpper;
    return static_cast<int>(steps);
}

template <class Value, class Scale>
Value SliderScaling<Value, Scale>::ValueAt(int position) const
{
    if (position >= m_upper) return m_max;
    if (position <= m_lower) return m_min;
    uint64_t offset;
    if (!m_scaled) {
        offset = static_cast<uint64_t>(static_cast<int64_t>(position));
    } else {
        const Scale steps = std::ceil(static_cast<Scale>(position) * m_scale);
        offset = steps > 0 ? static_cast<uint64_t>(steps) : 0;
    }
    return Clamp(static_cast<Value>(static_cast<uint64_t>(m_origin) + offset));
}

template class SliderScaling<uint32_t, float>;
template class SliderScaling<int64_t, double>;

uint32_t ParseUnsigned(std::string_view text) { return ParseUnsigned(text, nullptr); }
int64_t ParseSigned(std::string_view text) { return ParseSigned(text, nullptr); }

std::string FormatUnsigned(uint32_t value) { return std::to_string(value); }
std::string FormatSigned(int64_t value) { return std::to_string(static_cast<long long>(value)); }

std::string FormatFloat(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(value));
    return text;
}

EditReading<uint32_t> ReadUnsignedEdit(std::string_view text, uint32_t minimum, uint32_t maximum)
{
    EditReading<uint32_t> reading;
    // A number too long for the type is clamped too, so it is shown clamped.
    bool saturated = false;
    const uint32_t typed = ParseUnsigned(text, &saturated);
    reading.value = typed < minimum ? minimum : typed > maximum ? maximum
                                                                : typed;
    if (reading.value != typed || saturated) reading.newText = FormatUnsigned(reading.value);
    return reading;
}

EditReading<int64_t> ReadSignedEdit(std::string_view text, int64_t minimum, int64_t maximum)
{
    EditReading<int64_t> reading;
    bool saturated = false;
    const int64_t typed = ParseSigned(text, &saturated);
    reading.value = typed < minimum ? minimum : typed > maximum ? maximum
                                                                : typed;
    if (reading.value != typed || saturated) reading.newText = FormatSigned(reading.value);
    return reading;
}

std::string_view FloatPrefix(std::string_view text)
{
    size_t n = 0;
    while (n < text.size() && (IsDigit(text[n]) || text[n] == '.' || text[n] == '-')) ++n;
    return text.substr(0, n);
}

double ParseFloatPrefix(std::string_view run)
{
    // The run holds no exponent, letters or blanks, so the C runtime reads
    // exactly a leading decimal number of it, or nothing (0).
    const std::string copy(run);
    return std::strtod(copy.c_str(), nullptr);
}

EditReading<float> ReadFloatEdit(std::string_view text, float minimum, float maximum)
{
    EditReading<float> reading;
    const std::string_view run = FloatPrefix(text);
    const double number = ParseFloatPrefix(run);
    // A number beyond the float's range is an infinity, so it clamps like
    // any other number outside the range.
    float v = number > FLT_MAX ? HUGE_VALF : number < -FLT_MAX ? -HUGE_VALF
                                                               : static_cast<float>(number);
    if (v < minimum) {
        v = minimum;
        reading.newText = FormatFloat(v);
    } else if (v > maximum) {
        v = maximum;
        reading.newText = FormatFloat(v);
    } else if (run.size() != text.size()) {
        reading.newText = std::string(run);
    }
    reading.value = v;
    return reading;
}

} // namespace attr_editor
