// Unit conversions and presets of the configuration pages: timer ticks shown in
// milliseconds, frame rates in a unit that suits them, the prescaler shown as a
// time base, and the slider presets. Pure arithmetic on the record.
#pragma once

#include "kl7700/Parameters.h"

#include <span>
#include <string_view>

namespace kl7700 {

// Exposure time and frame duration: ticks <-> milliseconds for prescaler K.
double ticksToMilliseconds(int32_t ticks, int32_t prescaler);
int32_t millisecondsToTicks(double milliseconds, int32_t prescaler);

// The frame-rate field's unit, chosen by the highest rate the limits allow.
struct FrameRateUnit {
    std::string_view label; // "Framerate [kHz]:", "Framerate [Hz]:", "Framerate [mHz]:"
    double factor;          // shown value = factor * rate in Hz
};
FrameRateUnit frameRateUnit(int32_t prescaler, int32_t minFrameDuration);
double frameDurationToShownRate(int32_t frameDuration, int32_t prescaler, double factor);
int32_t shownRateToFrameDuration(double shownRate, int32_t prescaler, double factor);

// Time base in nanoseconds <-> prescaler; the prescaler is rounded to the
// nearest integer, halves away from zero.
double prescalerToTimeBaseNs(int32_t prescaler);
int32_t timeBaseNsToPrescaler(double nanoseconds);

// Presets of the first-line slider.
enum class FirstLinePreset : uint8_t { Top,
                                       Center,
                                       Bottom };
// Greyed while the number of lines is at its working maximum.
bool firstLinePresetsEnabled(const ParameterRecord& working);
// Sets A (and for "Bottom" with the second region on, halves N); the caller runs
// the rules of the first-line control afterwards.
void applyFirstLinePreset(FirstLinePreset preset, ParameterRecord& working);

// Presets of the number-of-lines slider, "Default" first.
struct LinesPreset {
    std::string_view label;
    int32_t twoOutputs; // N with a two-output Camera Link mode
    int32_t oneOutput;  // N with mode 0
    bool halvedWithSecondRegion;
    bool needsOneOutput;
};
std::span<const LinesPreset> linesPresets();
// "~ 200Hz" needs the one-output Camera Link mode.
bool linesPresetEnabled(const LinesPreset& preset, const ParameterRecord& working);
// N for the preset, halved while the second region is on ("Default" is never halved).
int32_t linesForPreset(const LinesPreset& preset, const ParameterRecord& working);

// Presets of the prescaler and time-base sliders.
struct PrescalerPreset {
    std::string_view prescalerLabel; // "167", "83"
    std::string_view timeBaseLabel;  // "3.0us", "1.5us" with the 8-bit micro sign
    int32_t prescaler;
};
std::span<const PrescalerPreset> prescalerPresets();

} // namespace kl7700
