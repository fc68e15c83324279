// Unit conversions and slider presets of the configuration pages.
#include "kl7700/PageConversions.h"

#include "kl7700/Timing.h"

#include <algorithm>
#include <cmath>

namespace kl7700 {

namespace {

// Truncates toward zero into 32 bits; a conversion that has no finite result
// (a zero rate or prescaler) saturates instead of being undefined.
int32_t truncSaturated(double value)
{
    if (std::isnan(value)) return 0;
    return static_cast<int32_t>(std::clamp(std::trunc(value), double{INT32_MIN}, double{INT32_MAX}));
}

double divisor(int32_t prescaler) { return static_cast<double>(prescaler) + 1.0; }

constexpr LinesPreset kLinesPresets[] = {
    {"Default", 1726, 1726, false, false},
    {"~ 200Hz", 1665, 1665, true, true},
    {"~ 400Hz", 1666, 832, true, false},
    {"~ 500Hz", 1332, 665, true, false},
    {"~ 800Hz", 832, 416, true, false},
    {"~ 1000Hz", 666, 332, true, false},
    {"~ 1600Hz", 416, 207, true, false},
    {"~ 2000Hz", 332, 165, true, false},
    {"~ 3200Hz", 207, 103, true, false},
    {"~ 5000Hz", 132, 66, true, false},
    {"~ 6400Hz", 103, 51, true, false},
    {"~ 10000Hz", 65, 32, true, false},
};

constexpr PrescalerPreset kPrescalerPresets[] = {
    {"167", "3.0\xB5s", 167},
    {"83", "1.5\xB5s", 83},
};

} // namespace

double ticksToMilliseconds(int32_t ticks, int32_t prescaler)
{
    return static_cast<double>(ticks) * divisor(prescaler) / 56.0 / 1000.0;
}

int32_t millisecondsToTicks(double milliseconds, int32_t prescaler)
{
    return truncSaturated(milliseconds * 56.0 * 1000.0 / divisor(prescaler));
}

FrameRateUnit frameRateUnit(int32_t prescaler, int32_t minFrameDuration)
{
    const double maximum = kTimerClockHz / (divisor(prescaler) * minFrameDuration);
    if (maximum >= 10'000'000.0) return {"Framerate [kHz]:", 0.001};
    if (maximum >= 1.0) return {"Framerate [Hz]:", 1.0};
    return {"Framerate [mHz]:", 1000.0};
}

double frameDurationToShownRate(int32_t frameDuration, int32_t prescaler, double factor)
{
    const double period = divisor(prescaler) * frameDuration;
    return period != 0 ? factor * kTimerClockHz / period : 0.0;
}

int32_t shownRateToFrameDuration(double shownRate, int32_t prescaler, double factor)
{
    return truncSaturated(factor * kTimerClockHz / (shownRate * divisor(prescaler)));
}

double prescalerToTimeBaseNs(int32_t prescaler) { return divisor(prescaler) * 1000.0 / 56.0; }

int32_t timeBaseNsToPrescaler(double nanoseconds)
{
    return truncSaturated(std::round(nanoseconds * 56.0 / 1000.0 - 1.0));
}

bool firstLinePresetsEnabled(const ParameterRecord& working) { return working.N.max > working.N.value; }

void applyFirstLinePreset(FirstLinePreset preset, ParameterRecord& working)
{
    switch (preset) {
    case FirstLinePreset::Top: working.A.value = working.A.min; break;
    case FirstLinePreset::Center:
        working.A.value = static_cast<int32_t>((int64_t{working.A.max} - working.A.min) / 2);
        break;
    case FirstLinePreset::Bottom:
        working.A.value = working.A.max;
        if (working.D.value != 0) working.N.value /= 2;
        break;
    }
}

std::span<const LinesPreset> linesPresets() { return kLinesPresets; }

bool linesPresetEnabled(const LinesPreset& preset, const ParameterRecord& working)
{
    return !preset.needsOneOutput || cameraLinkMode(working) == 0;
}

int32_t linesForPreset(const LinesPreset& preset, const ParameterRecord& working)
{
    const int32_t lines = cameraLinkMode(working) != 0 ? preset.twoOutputs : preset.oneOutput;
    return preset.halvedWithSecondRegion && working.D.value != 0 ? lines / 2 : lines;
}

std::span<const PrescalerPreset> prescalerPresets() { return kPrescalerPresets; }

} // namespace kl7700
