// Error lines, timer arithmetic and the parameter table of the grabber.
#include "zelmk/GrabberRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zelmk {

const char* ApiErrorFormat(uint32_t code)
{
    static const char* const formats[] = {
        "%s: No error",
        "%s: Unexpected camera fault",
        "%s: Unexpected fault in MkApi or driver",
        "%s: Camera handle is invalid",
        "%s: Bad parameter to API call",
        "%s: Sequence of API calls is incorrect",
        "%s: Camera or attribute not found",
        "%s: Camera cannot be opened in the specified mode",
        "%s: Camera was unplugged",
        "%s: Setup is invalid (an attribute is invalid)",
        "%s: System/network resources or memory not available",
        "%s: 1394 bandwidth not available",
        "%s: Too many frames on queue",
        "%s: Frame buffer is too small",
        "%s: Frame cancelled by user",
        "%s: The data for the frame was lost",
        "%s: Some data in the frame is missing",
        "%s: Timeout during wait",
        "%s: Attribute value is out of the expected range",
        "%s: Attribute is not this type (wrong access function)",
        "%s: Attribute write forbidden at this time",
        "%s: Attribute is not available at this time",
        "%s: A firewall is blocking the traffic",
    };
    if (code < sizeof formats / sizeof formats[0]) return formats[code];
    return "%s: unknown error (%u)";
}

std::string ApiErrorLine(const char* text, uint32_t code)
{
    const char* format = ApiErrorFormat(code);
    const char* safeText = text ? text : "";
    const int length = std::snprintf(nullptr, 0, format, safeText, code);
    if (length <= 0) return std::string();
    std::string line(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(line.data(), line.size(), format, safeText, code);
    line.resize(static_cast<size_t>(length));
    return line;
}

std::optional<uint64_t> PowerOfTen(unsigned n)
{
    if (n > 19) return std::nullopt;
    uint64_t result = 1, base = 10;
    while (n != 0) {
        if (n & 1u) result *= base;
        n >>= 1;
        if (n != 0) base *= base;
    }
    return result;
}

std::optional<uint64_t> TicksToMicroseconds(uint32_t ticks, int32_t exponent)
{
    if (exponent < -6 || exponent > 0) return std::nullopt;
    return static_cast<uint64_t>(ticks) * *PowerOfTen(static_cast<unsigned>(exponent + 6));
}

std::optional<uint32_t> MicrosecondsToTicks(uint64_t microseconds, int32_t exponent)
{
    if (exponent < -6 || exponent > 0) return std::nullopt;
    const uint64_t ticks = microseconds / *PowerOfTen(static_cast<unsigned>(exponent + 6));
    if (ticks > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(ticks);
}

namespace {

UG_ERRCODE CameraStateCode(GrabberParamState state)
{
    if (!state.initialised) return UG_ERR_NOT_INITIALIZED;
    if (!state.cameraOpen) return UG_ERR_CAMERA_NOT_OPEN;
    return UG_OK;
}

ParamLimits Answer(uint64_t min1, uint64_t max1, uint64_t min2, uint64_t max2)
{
    ParamLimits limits;
    limits.min1 = min1, limits.max1 = max1, limits.min2 = min2, limits.max2 = max2;
    return limits;
}

ParamLimits Refuse(UG_ERRCODE code)
{
    ParamLimits limits;
    limits.code = code;
    return limits;
}

} // namespace

ParamLimits GrabberParamLimits(UG_GRABBERFEATURE feature, GrabberParamState state)
{
    const UG_ERRCODE camera = CameraStateCode(state);
    switch (feature) {
    case UG_FEATURE_NUM_BUFFERS: return Answer(1, 4, 0, 0);
    case UG_FEATURE_TIMER_MODE: return camera ? Refuse(camera) : Answer(1, 1, 0, 2);
    case UG_FEATURE_TIMER_TIMEBASE:
        return Answer(static_cast<uint64_t>(int64_t{-6}), 0, 0, 0);
    case UG_FEATURE_TRIGGER_SOURCE:
    case UG_FEATURE_TRIGGER_POLARITY:
    case UG_FEATURE_STROBE: return Refuse(camera ? camera : UG_ERR_NOT_SUPPORTED);
    case UG_FEATURE_TIMER_OUTPUT: return camera ? Refuse(camera) : Answer(0, 1, 0, 0);
    case UG_FEATURE_FRAME_COUNTER: return Answer(0, UINT64_MAX, 0, UINT64_MAX);
    default: {
        ParamLimits limits;
        limits.framework = true;
        return limits;
    }
    }
}

ParamGetAnswer GrabberParamGet(UG_GRABBERFEATURE feature, GrabberParamState state)
{
    const UG_ERRCODE camera = CameraStateCode(state);
    switch (feature) {
    case UG_FEATURE_TIMER_TIMEBASE: return {ParamGet::Exponent, UG_OK};
    case UG_FEATURE_TRIGGER_SOURCE:
    case UG_FEATURE_TRIGGER_POLARITY:
    case UG_FEATURE_STROBE:
    case UG_FEATURE_TIMER_OUTPUT: return {ParamGet::Code, camera ? camera : UG_ERR_NOT_SUPPORTED};
    case UG_FEATURE_FRAME_COUNTER: return {ParamGet::FrameCounter, UG_OK};
    default: return {ParamGet::Framework, UG_OK};
    }
}

ParamSetAnswer GrabberParamSet(UG_GRABBERFEATURE feature, UG_ERRCODE limitsCode, const ParamLimits& limits,
                               uint64_t value1, uint64_t value2)
{
    if (limitsCode != UG_OK) return {ParamSet::Code, limitsCode};
    switch (feature) {
    case UG_FEATURE_TIMER_MODE: {
        const bool inside = value1 >= limits.min1 && value1 <= limits.max1 && value2 >= limits.min2 &&
            value2 <= limits.max2;
        return inside ? ParamSetAnswer{ParamSet::TimerWordA, UG_OK} : ParamSetAnswer{ParamSet::Code, UG_ERR_OUT_OF_RANGE};
    }
    case UG_FEATURE_TIMER_TIMEBASE: {
        // The limits hold signed values; compare them as the exponent's 32 bits.
        auto s = [](uint64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); };
        const bool inside = s(value1) >= s(limits.min1) && s(value1) <= s(limits.max1) && s(value2) >= s(limits.min2) &&
            s(value2) <= s(limits.max2);
        return inside ? ParamSetAnswer{ParamSet::SetExponent, UG_OK} : ParamSetAnswer{ParamSet::Code, UG_ERR_OUT_OF_RANGE};
    }
    case UG_FEATURE_TRIGGER_SOURCE:
    case UG_FEATURE_TRIGGER_POLARITY:
    case UG_FEATURE_STROBE:
    case UG_FEATURE_TIMER_OUTPUT:
    case UG_FEATURE_FRAME_COUNTER: return {ParamSet::Code, UG_ERR_NOT_SUPPORTED};
    default: return {ParamSet::Framework, UG_OK};
    }
}

uint32_t FrameWaitBoundMs(std::optional<float> framesPerSecond, uint32_t minimumMs)
{
    const uint32_t floor = std::min(minimumMs, kMaximumFrameWaitMs);
    if (!framesPerSecond || !(*framesPerSecond > 0.0f)) return std::max(floor, kUnknownRateFrameWaitMs);
    const double periods = 10.0 * 1000.0 / double(*framesPerSecond);
    if (!(periods < double(kMaximumFrameWaitMs))) return kMaximumFrameWaitMs;
    return std::max(floor, static_cast<uint32_t>(std::ceil(periods)));
}

} // namespace zelmk
