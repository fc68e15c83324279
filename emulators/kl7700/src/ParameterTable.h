// The camera's parameter letters: wire formats, defaults and the limits a host set must obey.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kl7700emu {

struct ParameterInfo {
    char letter;
    int digits;         // hex digits on the wire (zero-padded; wider values keep all digits)
    int32_t wireOffset; // wire value = value + wireOffset (N travels as N - 1)
    int32_t minimum;    // accepted range of the value
    int32_t maximum;
    bool (*accepts)(int32_t value); // further rule on the value's bits, or null
};

using ParameterValues = std::map<char, int32_t>;

// Every parameter letter, in the order of the dump.
std::span<const ParameterInfo> parameterTable();
const ParameterInfo* findParameter(char letter);

bool isAcceptable(const ParameterInfo& info, int32_t value);
// The value as the camera shows it in query replies and the dump.
std::string formatWire(const ParameterInfo& info, int32_t value);
// Upper- or lower-case hex digits that fit in 32 bits; nothing for anything else.
std::optional<uint32_t> parseHex(std::string_view text);

// The factory defaults; exposure and frame duration depend on the firmware generation.
ParameterValues builtInDefaults(bool newGeneration);
// New generation: the third dot-separated field is non-zero and the fourth is 7 or more.
bool isNewGenerationFirmware(std::string_view version);

} // namespace kl7700emu
