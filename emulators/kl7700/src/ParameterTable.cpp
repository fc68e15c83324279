// The camera's parameter letters: wire formats, defaults and the limits a host set must obey.
#include "ParameterTable.h"

#include <array>
#include <cstdio>
#include <vector>

namespace kl7700emu {
namespace {

bool validTriggerSource(int32_t v) { return v == 0 || v == 2 || v == 3; }
// Bits 0-3 carry the baud-rate index 0..10; bit 7 is the camera's own flag.
bool validSerialChannel(int32_t v) { return (v & 0x0F) <= 10; }
// Camera Link modes 0, 1, 3, 5, 7; the other bits pass unchanged.
bool validLinkMode(int32_t v)
{
    const int mode = v & 0x07;
    return mode == 0 || (mode & 1) == 1;
}

constexpr std::array<ParameterInfo, 17> kTable{{
    {'A', 3, 0, 0, 2, nullptr},
    {'B', 3, 0, 0, 2, nullptr},
    {'C', 1, 0, 0, 0xF, nullptr},
    {'D', 1, 0, 0, 1, nullptr},
    {'E', 8, 0, 1, 100000, nullptr},
    {'F', 8, 0, 1, 100000, nullptr},
    {'G', 1, 0, 0, 2, nullptr},
    {'I', 2, 0, 1, 255, nullptr},
    {'J', 2, 0, 0, 0xFF, nullptr},
    {'K', 4, 0, 1, 1024, nullptr},
    {'M', 2, 0, 0, 0xFF, nullptr},
    {'N', 4, -1, 1, 1728, nullptr},
    {'S', 2, 0, 0, 0xFF, validLinkMode},
    {'T', 2, 0, 0, 3, validTriggerSource},
    {'U', 2, 0, 0, 0xFF, nullptr},
    {'W', 2, 0, 0, 255, nullptr},
    {'s', 2, 0, 0, 0xFF, validSerialChannel},
}};

} // namespace

std::span<const ParameterInfo> parameterTable() { return kTable; }

const ParameterInfo* findParameter(char letter)
{
    for (const ParameterInfo& info : kTable)
        if (info.letter == letter) return &info;
    return nullptr;
}

bool isAcceptable(const ParameterInfo& info, int32_t value)
{
    if (value < info.minimum || value > info.maximum) return false;
    return info.accepts == nullptr || info.accepts(value);
}

std::string formatWire(const ParameterInfo& info, int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", info.digits,
                  static_cast<unsigned>(static_cast<uint32_t>(value + info.wireOffset)));
    return text;
}

std::optional<uint32_t> parseHex(std::string_view text)
{
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return std::nullopt;
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

ParameterValues builtInDefaults(bool newGeneration)
{
    return {
        {'A', 0},
        {'B', 0},
        {'C', 0},
        {'D', 0},
        {'E', newGeneration ? 1726 : 1727},
        {'F', newGeneration ? 1727 : 1728},
        {'G', 0},
        {'I', 1},
        {'J', 0},
        {'K', 167},
        {'M', 0},
        {'N', 1726},
        {'S', 0},
        {'T', 3},
        {'U', 0},
        {'W', 24},
        {'s', 0x2A},
    };
}

bool isNewGenerationFirmware(std::string_view version)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t dot; (dot = version.find('.', start)) != std::string_view::npos; start = dot + 1)
        fields.push_back(version.substr(start, dot - start));
    fields.push_back(version.substr(start));
    if (fields.size() < 4) return false;
    auto leadingDecimal = [](std::string_view field) {
        unsigned long value = 0;
        size_t i = 0;
        while (i < field.size() && field[i] == ' ') ++i;
        for (; i < field.size() && field[i] >= '0' && field[i] <= '9' && value < 100000000; ++i)
            value = value * 10 + static_cast<unsigned long>(field[i] - '0');
        return value;
    };
    return leadingDecimal(fields[2]) != 0 && leadingDecimal(fields[3]) >= 7;
}

} // namespace kl7700emu
