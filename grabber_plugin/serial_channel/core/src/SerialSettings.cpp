// Line settings: texts both ways, the mode register value, character time.
#include "zelmk_serial/SerialSettings.h"

#include <cctype>
#include <cstdio>

namespace zelmk::serial {

namespace {

constexpr const char* kBaudTexts[kBaudCount] = {"300", "600", "1200", "2400", "4800", "9600",
                                                "19200", "38400", "57600", "115200", "230400"};
constexpr const char* kParityTexts[] = {"No", "Odd", "Even"};
constexpr const char* kByteSizeTexts[] = {"5", "6", "7", "8"};
constexpr const char* kStopBitsTexts[] = {"1", "1.5", "2"};

template <size_t N>
const char* TextAt(const char* const (&table)[N], int32_t index, int32_t fallback)
{
    return index >= 0 && static_cast<size_t>(index) < N ? table[index] : table[fallback];
}

} // namespace

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const char* BaudText(int32_t index) { return index >= 0 && index < kBaudCount ? kBaudTexts[index] : "0"; }
const char* ParityText(int32_t index) { return TextAt(kParityTexts, index, 0); }
const char* StopBitsText(int32_t index) { return TextAt(kStopBitsTexts, index, 0); }
const char* ByteSizeText(int32_t index) { return TextAt(kByteSizeTexts, index, 3); }

int32_t BaudIndexFromText(std::string_view text)
{
    for (int32_t i = 0; i < kBaudCount; ++i)
        if (text == kBaudTexts[i]) return i;
    return -1;
}

int32_t ParityFromText(std::string_view text)
{
    for (int32_t i = 0; i < 3; ++i)
        if (EqualsNoCase(text, kParityTexts[i])) return i;
    return 0;
}

int32_t ByteSizeFromText(std::string_view text)
{
    for (int32_t i = 0; i < 4; ++i)
        if (text == kByteSizeTexts[i]) return i;
    return 3;
}

int32_t StopBitsFromText(std::string_view text)
{
    for (int32_t i = 0; i < 3; ++i)
        if (text == kStopBitsTexts[i]) return i;
    return 0;
}

uint32_t ModeValue(const LineSettings& s)
{
    return (static_cast<uint32_t>(s.baud) & 0xFFu) | (static_cast<uint32_t>(s.parity) & 3u) << 8 |
        (static_cast<uint32_t>(s.byteSize) & 3u) << 10 | (static_cast<uint32_t>(s.stopBits) & 3u) << 12;
}

std::string ConfigText(const LineSettings& s)
{
    char text[128];
    std::snprintf(text, sizeof text, "%s Baud, Parity = %s, Bytesize = %s, Stopbits = %s", BaudText(s.baud),
                  ParityText(s.parity), ByteSizeText(s.byteSize), StopBitsText(s.stopBits));
    return text;
}

uint64_t CharacterTimeUs(const LineSettings& s)
{
    const uint64_t baud = s.baud >= 0 && s.baud < kBaudCount ? kBaudRates[s.baud] : kBaudRates[0];
    const uint64_t dataBits = 5 + static_cast<uint64_t>(s.byteSize >= 0 && s.byteSize < 4 ? s.byteSize : 3);
    const uint64_t parityBits = s.parity == 1 || s.parity == 2 ? 1 : 0;
    // In half bits, so that 1.5 stop bits count exactly; rounded up.
    const uint64_t stopHalves = s.stopBits == 1 ? 3 : s.stopBits == 2 ? 4
                                                                      : 2;
    const uint64_t halfBits = 2 * (1 + dataBits + parityBits) + stopHalves;
    return (halfBits * 1000000u + 2 * baud - 1) / (2 * baud);
}

} // namespace zelmk::serial
