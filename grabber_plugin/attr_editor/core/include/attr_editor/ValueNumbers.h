// The numbers of the value views: slider positions of unsigned and signed
// values, the edit texts they read and write, and the clamping to the
// attribute's range.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace attr_editor {

// A numeric view's slider. A range of up to 65535 steps is the slider's own
// range; a wider one is spread over positions 0..65535, `scale` values a
// step. The ends of the slider always give the range's ends exactly.
//
// Value is uint32_t (scaled in 32-bit float) or int64_t (scaled in double).
template <class Value, class Scale>
class SliderScaling {
public:
    SliderScaling() = default;
    SliderScaling(Value minimum, Value maximum);

    Value Minimum() const { return m_min; }
    Value Maximum() const { return m_max; }
    bool Scaled() const { return m_scaled; }
    Scale Factor() const { return m_scale; }
    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }

    // Where the slider stands for a value (inside Lower..Upper).
    int PositionOf(Value value) const;
    // The value a slider position stands for.
    Value ValueAt(int position) const;
    Value Clamp(Value value) const { return value < m_min ? m_min : value > m_max ? m_max
                                                                                  : value; }

private:
    Value m_min{};
    Value m_max{};
    bool m_scaled = false;
    Scale m_scale = 1;
    // The value at position 0: 0 while the range's own numbers fit the
    // slider's int positions, otherwise the minimum.
    Value m_origin{};
    int m_lower = 0;
    int m_upper = 0;
};

using UintSlider = SliderScaling<uint32_t, float>;
using SintSlider = SliderScaling<int64_t, double>;

// Leading blanks, then decimal digits; stops at the first other character;
// no digits read as 0; beyond 32 bits it gives the largest value. A sign is
// not a digit: "-5" is 0 (the edit takes digits only).
uint32_t ParseUnsigned(std::string_view text);
// Leading blanks, an optional sign, then decimal digits; no digits read as 0;
// beyond 64 bits it gives the end of the range on the sign's side.
int64_t ParseSigned(std::string_view text);

std::string FormatUnsigned(uint32_t value); // "%u"
std::string FormatSigned(int64_t value);    // "%I64d"
std::string FormatFloat(float value);       // "%.6f"

// What reading a view's edit gives: the value, and the text the edit gets
// instead of the one it holds, when it must change.
template <class Value>
struct EditReading {
    Value value{};
    std::optional<std::string> newText;
};

// The edit's number clamped to the range; the clamped number is written back.
EditReading<uint32_t> ReadUnsignedEdit(std::string_view text, uint32_t minimum, uint32_t maximum);
EditReading<int64_t> ReadSignedEdit(std::string_view text, int64_t minimum, int64_t maximum);

// The leading run of characters from "0123456789.-".
std::string_view FloatPrefix(std::string_view text);
// The run as a number; a run that is not one is 0.
double ParseFloatPrefix(std::string_view run);
// The prefix's number as a float clamped to the range: a clamped value is
// written back with six decimals, otherwise a text with more than the prefix
// is cut to it.
EditReading<float> ReadFloatEdit(std::string_view text, float minimum, float maximum);

} // namespace attr_editor
