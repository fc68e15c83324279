// The rules that keep the working record consistent after a control changed:
// exposure against frame duration, region of interest against the sensor, the
// Camera Link mode against the prescaler. They never talk to the camera.
#pragma once

#include "kl7700/Parameters.h"

namespace kl7700 {

// Control identifiers of the dialog that the session itself runs rules for.
namespace control {
inline constexpr int kExposureEdit = 8000;
inline constexpr int kFrameDurationEdit = 8001;
inline constexpr int kPrescalerEdit = 8003;
inline constexpr int kFirstLineAEdit = 8010;
inline constexpr int kFirstLineBEdit = 8011;
inline constexpr int kLinesEdit = 8012;
inline constexpr int kLineIncrementEdit = 8013;
inline constexpr int kTimeBaseEdit = 8016;
inline constexpr int kTimingModeList = 8023;
inline constexpr int kCameraLinkModeList = 8029;
inline constexpr int kSecondRegionCheck = 8037;
} // namespace control

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

// The rule a control identifier selects; None for every other identifier.
Rule ruleForControl(int controlId);

// Applies the rule of `controlId` to `working`. `camera` gives the limits the
// camera itself allows (lines of the sensor, region B, longest exposure).
void ApplyParameterRules(int controlId, ParameterRecord& working, const ParameterRecord& camera);

} // namespace kl7700
