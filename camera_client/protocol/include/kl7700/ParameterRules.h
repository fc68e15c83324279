// The rules that keep the working record consistent after a parameter changed:
// exposure against frame duration, region of interest against the sensor, the
// Camera Link mode against the prescaler. They never talk to the camera, and
// they know nothing of the dialog: its controls pick a rule through their own
// table.
#pragma once

#include "kl7700/Parameters.h"

namespace kl7700 {

enum class Rule : uint8_t {
    None,
    Exposure,       // 1
    FrameDuration,  // 2: frame duration and frame rate
    Prescaler,      // 3: prescaler and time base; the tail of rules 4 to 9
    FirstLineA,     // 4
    FirstLineB,     // 5
    Lines,          // 6
    LineIncrement,  // 7
    SecondRegion,   // 8
    CameraLinkMode, // 9: mode and image-half swap
    TimingMode,     // 10
    Gain,           // 11: each of the simple checks
    DarkValue,
    TriggerSource,
    SyncOutput,
    BaudRate,
};

// Every rule but None, in the order of the enumeration.
inline constexpr Rule kAllRules[] = {
    Rule::Exposure,
    Rule::FrameDuration,
    Rule::Prescaler,
    Rule::FirstLineA,
    Rule::FirstLineB,
    Rule::Lines,
    Rule::LineIncrement,
    Rule::SecondRegion,
    Rule::CameraLinkMode,
    Rule::TimingMode,
    Rule::Gain,
    Rule::DarkValue,
    Rule::TriggerSource,
    Rule::SyncOutput,
    Rule::BaudRate,
};
static_assert(sizeof(kAllRules) / sizeof(kAllRules[0]) == static_cast<size_t>(Rule::BaudRate),
              "a rule joins the enumeration and this list together");

// Applies `rule` to `working`; None changes nothing. `camera` gives the limits
// the camera itself allows (lines of the sensor, region B, longest exposure).
void ApplyParameterRules(Rule rule, ParameterRecord& working, const ParameterRecord& camera);

} // namespace kl7700
