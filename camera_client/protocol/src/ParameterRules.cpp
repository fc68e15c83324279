// The consistency rules of the working record. All arithmetic is done wide and
// saturated into 32 bits, so values that a camera or a page hands in can never
// overflow or divide by zero.
#include "kl7700/ParameterRules.h"

#include "kl7700/Timing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kl7700 {

namespace {

int32_t saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int32_t saturate(double value)
{
    if (std::isnan(value)) return 0;
    return static_cast<int32_t>(std::clamp(std::trunc(value), double{INT32_MIN}, double{INT32_MAX}));
}

void clamp(Parameter& p)
{
    if (p.value < p.min) p.value = p.min;
    if (p.value > p.max) p.value = p.max;
}

// Replaces a bit field that lies outside [min, max] by the limit it crossed.
void clampBits(Parameter& p, int32_t mask)
{
    const int32_t field = std::clamp(p.value & mask, p.min, std::max(p.min, p.max));
    p.value = (p.value & ~mask) | (field & mask);
}

class RuleRun {
public:
    RuleRun(ParameterRecord& working, const ParameterRecord& camera) : w_(working), c_(camera) { measure(); }

    void run(Rule rule)
    {
        switch (rule) {
        case Rule::None: return;
        case Rule::Exposure: exposure(); return;
        case Rule::FrameDuration: frameDuration(); return;
        case Rule::Prescaler: prescaler(); return;
        case Rule::FirstLineA:
            clamp(w_.A);
            prescaler();
            return;
        case Rule::FirstLineB:
            if (w_.D.value != 0) clamp(w_.B);
            prescaler();
            return;
        case Rule::Lines: lines(); return;
        case Rule::LineIncrement: lineIncrement(); return;
        case Rule::SecondRegion: secondRegion(); return;
        case Rule::CameraLinkMode: cameraLinkMode(); return;
        case Rule::TimingMode: timingModeChanged(); return;
        case Rule::Gain: clamp(w_.G); return;
        case Rule::DarkValue: clamp(w_.W); return;
        case Rule::TriggerSource:
            if (w_.T.value != 0 && w_.T.value != 2 && w_.T.value != 3) w_.T.value = 0;
            return;
        case Rule::SyncOutput: clampBits(w_.J, 3); return;
        case Rule::BaudRate:
            // Only the baud index is replaced: the channel bits must survive, or
            // the next write-back would switch off the channel we talk over.
            if ((w_.s.value & 0xF) >= 11) w_.s.value = (w_.s.value & ~0xF) | 10;
            return;
        }
    }

private:
    void measure()
    {
        tick_ = tickSeconds(w_.K.value);
        line_ = lineTimeSeconds(w_);
    }

    // Whole ticks in a span of seconds; a prescaler that gives no positive tick
    // allows any count.
    int32_t ticks(double seconds) const { return tick_ > 0 ? saturate(seconds / tick_) : INT32_MAX; }

    double readout(int offset) const { return (static_cast<double>(w_.N.value) + offset) * line_; }

    // Shortest frame that holds the exposure and the readout.
    int32_t minFrame(int offset) const { return ticks(std::max(w_.E.value * tick_ + line_, readout(offset))); }
    // Longest exposure that the frame duration leaves room for.
    int32_t maxExposure() const { return ticks(std::max(w_.F.value * tick_, readout(3)) - line_); }

    int32_t increment() const { return std::max(w_.I.value, 1); }
    int32_t sensorLines() const { return c_.N.max; }

    void exposure()
    {
        clamp(w_.E);
        const int32_t mode = timingMode(w_);
        if (mode == 2) w_.F.min = saturate(int64_t{w_.E.value} + 3);
        if (mode == 3) w_.F.min = minFrame(3);
        clamp(w_.F);
    }

    void frameDuration()
    {
        clamp(w_.F);
        const int32_t mode = timingMode(w_);
        if (mode == 2) w_.E.max = c_.E.max;
        if (mode == 3) w_.E.max = maxExposure();
        clamp(w_.E);
    }

    void prescaler()
    {
        clamp(w_.K);
        measure();
        const int32_t mode = timingMode(w_);
        if (mode == 2) {
            w_.E.max = c_.E.max;
            w_.F.min = saturate(int64_t{w_.E.value} + 3);
        } else if (mode == 3) {
            w_.F.min = minFrame(3);
            w_.E.max = maxExposure();
        }
        clamp(w_.F);
        clamp(w_.E);
    }

    // Both regions must fit the sensor: the highest first line leaves room for N
    // lines at the current increment.
    void fitTwoRegions()
    {
        const int32_t firstLineMax = saturate((int64_t{sensorLines()} - w_.N.value) / increment());
        w_.A.max = firstLineMax;
        clamp(w_.A);
        w_.B.max = firstLineMax;
        clamp(w_.B);
    }

    void fitOneRegion()
    {
        w_.A.max = saturate(int64_t{w_.N.max} - w_.N.value);
        clamp(w_.A);
    }

    void lines()
    {
        clamp(w_.N);
        if (w_.D.value != 0) {
            fitTwoRegions();
        } else {
            w_.A.max = saturate(int64_t{w_.N.max} - w_.N.value);
            w_.B.min = c_.B.min;
            w_.B.max = c_.B.max;
            clamp(w_.A);
        }
        prescaler();
    }

    void lineIncrement()
    {
        clamp(w_.I);
        w_.N.max = sensorLines() / increment();
        clamp(w_.N);
        if (w_.D.value != 0) {
            fitTwoRegions();
        } else {
            fitOneRegion();
        }
        prescaler();
    }

    void secondRegion()
    {
        if (w_.D.value != 0) {
            w_.N.max = (sensorLines() / 2) / increment();
            clamp(w_.N);
            fitTwoRegions();
        } else {
            w_.B = {c_.B.min, c_.B.min, c_.B.max};
            w_.N.max = sensorLines() / increment();
            clamp(w_.N);
            fitOneRegion();
        }
        prescaler();
    }

    void cameraLinkMode()
    {
        switch (kl7700::cameraLinkMode(w_)) {
        case 0: w_.K.min = 2; break;
        case 1:
        case 3:
        case 5:
        case 7: w_.K.min = 1; break;
        default:
            w_.S.value &= ~7;
            w_.K.min = 2;
            break;
        }
        prescaler();
    }

    void timingModeChanged()
    {
        clampBits(w_.M, 3);
        const int32_t mode = timingMode(w_);
        const int offset = firmwareOffset(w_);
        if (mode == 0 || mode == 3) {
            w_.F.min = saturate(std::min(int64_t{w_.E.value} + offset, int64_t{w_.E.max} - offset));
        }
        if (mode == 2) {
            w_.E.max = c_.E.max;
            w_.F.min = saturate(int64_t{w_.E.value} + offset);
        }
        if (mode == 3) {
            w_.F.min = minFrame(offset);
            w_.E.max = maxExposure();
        }
        clamp(w_.F);
        clamp(w_.E);
    }

    ParameterRecord& w_;
    const ParameterRecord& c_;
    double tick_ = 0;
    double line_ = 0;
};

} // namespace

void ApplyParameterRules(Rule rule, ParameterRecord& working, const ParameterRecord& camera)
{
    if (rule == Rule::None) return;
    RuleRun(working, camera).run(rule);
}

} // namespace kl7700
