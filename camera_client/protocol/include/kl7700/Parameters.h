// The camera's parameters: the one table of letters, set formats, defaults and
// base limits, the parameter record that mirrors the camera, and the product
// variants and firmware generations the rules depend on.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kl7700 {

// Everything the camera's command language can name. The first entries are the
// parameters in the order of the parameter table; the rest are commands and
// read-only items.
enum class Item : uint8_t {
    A,
    B,
    C,
    D,
    E,
    F,
    G,
    I,
    J,
    K,
    M,
    N,
    S,
    T,
    U,
    W,
    s,
    Calibration,  // "C=1", answered after a long sensor run
    Version,      // "V": camera name and firmware version
    Dump,         // "Y=1": every parameter in one reply
    SerialNumber, // "a=?"
    VariantCode,  // "b=?"
    SaveDefaults, // "X=1"
    LoadDefaults, // "Z=1"
};

inline constexpr size_t kParameterCount = 17;

constexpr bool isParameter(Item item) { return static_cast<size_t>(item) < kParameterCount; }

// One parameter's value together with the limits the pages and the rules use.
struct Parameter {
    int32_t value = 0;
    int32_t min = 0;
    int32_t max = 0;
    bool operator==(const Parameter&) const = default;
};

// The camera's parameters and identity. The session keeps two: what the camera
// last confirmed (with the base limits), and the working copy the pages edit.
struct ParameterRecord {
    Parameter A, B, C, D, E, F, G, I, J, K, M, N, S, T, U, W, s;
    std::string cameraName;
    std::string versionText;
    uint32_t versionField3 = 0;
    uint32_t versionField4 = 0;
    int32_t serialNumber = 0;
    int32_t variantCode = 0;
    int32_t dualOutput = 0; // the camera answered "S" and is no 200 fps variant

    Parameter& operator[](Item item);
    const Parameter& operator[](Item item) const;
    bool operator==(const ParameterRecord&) const = default;
};

// How a reply value becomes the record's value.
enum class ReadRule : uint8_t {
    Clamped,      // clamped to the record's limits
    Raw,          // taken as read
    Flag,         // any non-zero value is 1
    CountClamped, // the camera counts from 0: value + 1, then clamped
    CameraLink,   // taken as read; also tells whether the camera has two outputs
};

// One row of the parameter table: the single source of truth for formats,
// defaults and base limits.
struct ParameterEntry {
    Item item;
    char letter;
    Parameter ParameterRecord::*field;
    int hexDigits;  // width of the set form; 0 = "1" or "0"
    int sendOffset; // subtracted before sending (N is sent as N - 1)
    ReadRule readRule;
    int32_t defaultOld;
    int32_t defaultNew;
    int32_t baseMin;
    int32_t baseMax;
};

const std::array<ParameterEntry, kParameterCount>& parameterTable();
const ParameterEntry& parameterEntry(Item item); // item must be a parameter
const ParameterEntry* parameterEntryByLetter(char letter);

// Order in which the write-back sends changed values.
inline constexpr std::string_view kWriteBackOrder = "ABDINGWUCEFKTMSsJ";

// Firmware generation: new when the third version field is non-zero and the
// fourth is 7 or more. The timing rules add an offset of 2 (new) or 3 (old).
bool isNewFirmware(const ParameterRecord& record);
int firmwareOffset(const ParameterRecord& record);

// Product variants.
bool is200FpsVariant(int32_t code);
std::string_view variantText(int32_t code);

// The camera's identity marks: a camera whose name holds neither is not ours.
bool isRecognisedCameraName(std::string_view name);

// Bits of the parameters that several places read.
constexpr int32_t timingMode(const ParameterRecord& r) { return r.M.value & 3; }
constexpr int32_t cameraLinkMode(const ParameterRecord& r) { return r.S.value & 7; }
inline constexpr int32_t kSerialChannelCameraBit = 0x80; // set by the camera in "s"

} // namespace kl7700
