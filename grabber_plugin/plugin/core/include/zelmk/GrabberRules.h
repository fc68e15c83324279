// The grabber's answers that need no operating system: the camera library's
// error lines, the timer arithmetic and the parameter table.
#pragma once

#include "FramixTypes.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zelmk {

// The format of a library error code, with %s for the caller's text (codes
// from 23 up also take the code as %u).
const char* ApiErrorFormat(uint32_t code);
// The whole line: the caller's text in place of %s (and the code where the format has it).
std::string ApiErrorLine(const char* text, uint32_t code);

// 10^n, exact, by repeated squaring; nullopt when it does not fit 64 bits.
std::optional<uint64_t> PowerOfTen(unsigned n);
// Timer ticks of 10^exponent s (exponent -6..0) as microseconds: exact.
std::optional<uint64_t> TicksToMicroseconds(uint32_t ticks, int32_t exponent);
// Microseconds as ticks, truncated; nullopt when the exponent is outside -6..0
// or the ticks would not fit the timer's 32 bits.
std::optional<uint32_t> MicrosecondsToTicks(uint64_t microseconds, int32_t exponent);

// Where GetGrabberParamLimits, GetGrabberParam and SetGrabberParam go for a feature.
struct GrabberParamState {
    bool initialised = false;
    bool cameraOpen = false;
};

struct ParamLimits {
    bool framework = false; // the framework answers; nothing else here applies
    UG_ERRCODE code = UG_OK;
    uint64_t min1 = 0, max1 = 0, min2 = 0, max2 = 0;
};
ParamLimits GrabberParamLimits(UG_GRABBERFEATURE feature, GrabberParamState state);

enum class ParamGet {
    Framework,    // the framework's GetGrabberParam
    Exponent,     // value1 = the time-base exponent, value2 = 0
    FrameCounter, // both values = the frame counter
    Code,         // only the code below
};
struct ParamGetAnswer {
    ParamGet route = ParamGet::Framework;
    UG_ERRCODE code = UG_OK;
};
ParamGetAnswer GrabberParamGet(UG_GRABBERFEATURE feature, GrabberParamState state);

enum class ParamSet {
    Framework,   // the framework's SetGrabberParam
    TimerWordA,  // pending word A := current word A, then the dialogs hear mask 6
    SetExponent, // time-base exponent := value1 (signed)
    Code,        // only the code below
};
struct ParamSetAnswer {
    ParamSet route = ParamSet::Framework;
    UG_ERRCODE code = UG_OK;
};
// limits: what GetGrabberParamLimits answered for the feature (a non-zero code
// is the answer itself).
ParamSetAnswer GrabberParamSet(UG_GRABBERFEATURE feature, UG_ERRCODE limitsCode, const ParamLimits& limits,
                               uint64_t value1, uint64_t value2);

// How long the grabber waits for a frame from the library (the library itself
// would wait for ever): ten frame periods of the camera's frame rate, never
// less than the minimum, never more than a minute; with no usable rate (a
// failed read, zero, not a number) ten seconds, but not less than the minimum.
inline constexpr uint32_t kMinimumFrameWaitMs = 2000;
inline constexpr uint32_t kMaximumFrameWaitMs = 60000;
inline constexpr uint32_t kUnknownRateFrameWaitMs = 10000;
uint32_t FrameWaitBoundMs(std::optional<float> framesPerSecond, uint32_t minimumMs = kMinimumFrameWaitMs);

} // namespace zelmk
