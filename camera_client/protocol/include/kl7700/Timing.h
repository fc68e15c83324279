// The camera's timing quantities derived from a parameter record, and the texts
// of the dialog header that show them.
#pragma once

#include "kl7700/Parameters.h"

#include <optional>
#include <string>
#include <string_view>

namespace kl7700 {

inline constexpr double kTimerClockHz = 56'000'000.0;

// Seconds per count of the exposure time and frame duration: (K + 1) / 56 MHz.
double tickSeconds(int32_t prescaler);
// Line time: 3.0 us with one Camera Link output, 1.5 us with two.
double lineTimeSeconds(const ParameterRecord& record);
// Columns read out: 2240 in the 2 x 1120 modes, otherwise 2320.
int32_t sensorWidth(const ParameterRecord& record);
// N, doubled while the second region is on.
int64_t linesPerFrame(const ParameterRecord& record);

// Frame and data rates in Hz and bytes per second; 0 where the record gives no
// finite rate (a zero frame duration or prescaler).
double maxFrameRate(const ParameterRecord& record);
// Empty in the image-on-demand modes without a frame timer.
std::optional<double> currentFrameRate(const ParameterRecord& record);
double maxDataRate(const ParameterRecord& record);
std::optional<double> currentDataRate(const ParameterRecord& record);

// A quantity scaled into the unit it is shown in.
struct ScaledValue {
    double value;
    std::string_view unit;
};
ScaledValue scaleFrameRate(double hertz);         // Hz, kHz, MHz
ScaledValue scaleDataRate(double bytesPerSecond); // B/s, KiB/s ... TiB/s

std::string resolutionText(const ParameterRecord& record);
std::string frameRateText(const ParameterRecord& record); // "current / maximum"
std::string dataRateText(const ParameterRecord& record);

inline constexpr std::string_view kCommErrorText = "Serial communication error!";
inline constexpr std::string_view kNotRecognisedText = "Cannot connect to Sorvel SX-20 / KL-7700!";

// What the dialog header shows after an exchange or a page refresh.
struct HeaderTexts {
    std::string cameraName;
    std::string serialNumber;
    std::string version;
    std::string resolution;
    std::string variantCode;
    std::string frameRate;
    std::string dataRate;
    bool showsError = false;      // name field red with white text
    bool defaultsEnabled = false; // "Save Defaults" and "Load Defaults"
    bool operator==(const HeaderTexts&) const = default;
};

// The header for the working record; with a communication error only the name
// field changes and the other fields keep the texts of `previous`.
HeaderTexts MakeHeaderTexts(const ParameterRecord& working, bool communicationError,
                            const HeaderTexts& previous = {});

} // namespace kl7700
