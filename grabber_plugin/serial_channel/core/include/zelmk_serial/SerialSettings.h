// A camera serial port's line settings as indices, their texts in the channel's
// section and in its settings text, and the mode register value they make.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelmk::serial {

// Indices as the camera's mode register takes them; a baud index of -1 is a
// stored text that matched no rate.
struct LineSettings {
    int32_t baud = 9;     // 115200
    int32_t parity = 0;   // No
    int32_t byteSize = 3; // 8 bits
    int32_t stopBits = 0; // 1
};

inline constexpr int32_t kBaudCount = 11;
inline constexpr uint32_t kBaudRates[kBaudCount] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};

// Equal texts without regard to case (port names, parity texts).
bool EqualsNoCase(std::string_view a, std::string_view b);

// "300" ... "230400"; any other index is "0".
const char* BaudText(int32_t index);
// "No", "Odd", "Even"; "1", "1.5", "2"; "5" ... "8". An index outside the
// table reads as the text its parser falls back to ("No", "1", "8").
const char* ParityText(int32_t index);
const char* StopBitsText(int32_t index);
const char* ByteSizeText(int32_t index);

// The parsers of the stored texts: a baud text must match exactly (else -1);
// parity compares without case (else 0); byte size and stop bits fall back to
// 8 bits and 1 stop bit.
int32_t BaudIndexFromText(std::string_view text);
int32_t ParityFromText(std::string_view text);
int32_t ByteSizeFromText(std::string_view text);
int32_t StopBitsFromText(std::string_view text);

// Bits 0..7 baud index, 8..9 parity, 10..11 byte size index, 12..13 stop bits index.
uint32_t ModeValue(const LineSettings& settings);

// "115200 Baud, Parity = No, Bytesize = 8, Stopbits = 1".
std::string ConfigText(const LineSettings& settings);

// Microseconds one character takes on the line (start, data, parity and stop
// bits); the slowest rate stands in for an unknown one.
uint64_t CharacterTimeUs(const LineSettings& settings);

} // namespace zelmk::serial
