// Timing quantities, unit scaling and the header texts.
#include "kl7700/Timing.h"

#include <cmath>
#include <cstdio>

namespace kl7700 {

namespace {

std::string format(const char* pattern, auto... args)
{
    char text[128];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

// A rate is only worth showing when it is a finite number.
double finiteOrZero(double value) { return std::isfinite(value) ? value : 0.0; }

// "cur unit / max unit", or dashes for the current value when there is none.
std::string rateText(std::optional<double> current, double maximum, ScaledValue (*scale)(double))
{
    ScaledValue max = scale(maximum);
    std::string maxUnit(max.unit);
    if (!current) return format("-.-- %s / %.2f %s", maxUnit.c_str(), max.value, maxUnit.c_str());
    ScaledValue cur = scale(*current);
    std::string curUnit(cur.unit);
    return format("%.2f %s / %.2f %s", cur.value, curUnit.c_str(), max.value, maxUnit.c_str());
}

} // namespace

double tickSeconds(int32_t prescaler) { return (static_cast<double>(prescaler) + 1.0) / kTimerClockHz; }

double lineTimeSeconds(const ParameterRecord& record) { return cameraLinkMode(record) == 0 ? 3e-6 : 1.5e-6; }

int32_t sensorWidth(const ParameterRecord& record)
{
    const int32_t mode = cameraLinkMode(record);
    return mode == 3 || mode == 7 ? 2240 : 2320;
}

int64_t linesPerFrame(const ParameterRecord& record)
{
    return record.D.value != 0 ? int64_t{record.N.value} * 2 : record.N.value;
}

double maxFrameRate(const ParameterRecord& record)
{
    const double line = lineTimeSeconds(record);
    const double period = line * static_cast<double>(linesPerFrame(record)) + line;
    return period > 0 ? finiteOrZero(1.0 / period) : 0.0;
}

std::optional<double> currentFrameRate(const ParameterRecord& record)
{
    switch (timingMode(record)) {
    case 0: return maxFrameRate(record);
    case 3: {
        const double period = (static_cast<double>(record.K.value) + 1.0) * record.F.value;
        return period > 0 ? finiteOrZero(kTimerClockHz / period) : 0.0;
    }
    default: return std::nullopt;
    }
}

double maxDataRate(const ParameterRecord& record)
{
    return maxFrameRate(record) * sensorWidth(record) * static_cast<double>(linesPerFrame(record));
}

std::optional<double> currentDataRate(const ParameterRecord& record)
{
    auto rate = currentFrameRate(record);
    if (!rate) return std::nullopt;
    return *rate * sensorWidth(record) * static_cast<double>(linesPerFrame(record));
}

ScaledValue scaleFrameRate(double hertz)
{
    if (hertz < 10'000.0) return {hertz, "Hz"};
    if (hertz < 10'000'000.0) return {hertz / 1'000.0, "kHz"};
    return {hertz / 1'000'000.0, "MHz"};
}

ScaledValue scaleDataRate(double bytesPerSecond)
{
    constexpr double kKi = 1024.0;
    if (bytesPerSecond < kKi) return {bytesPerSecond, "B/s"};
    if (bytesPerSecond < kKi * kKi) return {bytesPerSecond / kKi, "KiB/s"};
    if (bytesPerSecond < kKi * kKi * kKi) return {bytesPerSecond / (kKi * kKi), "MiB/s"};
    if (bytesPerSecond < kKi * kKi * kKi * kKi) return {bytesPerSecond / (kKi * kKi * kKi), "GiB/s"};
    return {bytesPerSecond / (kKi * kKi * kKi * kKi), "TiB/s"};
}

std::string resolutionText(const ParameterRecord& record)
{
    return format("%dx%lld", sensorWidth(record), static_cast<long long>(linesPerFrame(record)));
}

std::string frameRateText(const ParameterRecord& record)
{
    return rateText(currentFrameRate(record), maxFrameRate(record), scaleFrameRate);
}

std::string dataRateText(const ParameterRecord& record)
{
    return rateText(currentDataRate(record), maxDataRate(record), scaleDataRate);
}

HeaderTexts MakeHeaderTexts(const ParameterRecord& working, bool communicationError, const HeaderTexts& previous)
{
    HeaderTexts header = previous;
    header.showsError = communicationError;
    header.defaultsEnabled = false;
    if (communicationError) {
        header.cameraName = kCommErrorText;
        return header;
    }
    if (!isRecognisedCameraName(working.cameraName)) {
        header.cameraName = kNotRecognisedText;
        header.version.clear();
        header.resolution.clear();
        header.frameRate.clear();
        header.dataRate.clear();
        return header;
    }
    header.cameraName = working.cameraName;
    header.serialNumber = format("%05u", static_cast<unsigned>(working.serialNumber));
    header.variantCode = format("0x%04X", static_cast<unsigned>(working.variantCode));
    header.version = working.versionText;
    header.resolution = resolutionText(working);
    header.frameRate = frameRateText(working);
    header.dataRate = dataRateText(working);
    header.defaultsEnabled = true;
    return header;
}

} // namespace kl7700
