// Number parsing and formatting for the typed reads and writes of the store.
#include "value_format.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace config_store {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

uint64_t CutToBits(uint64_t value, unsigned bits)
{
    return bits >= 64 ? value : (value & ((uint64_t{1} << bits) - 1));
}

std::string_view SkipBlanks(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    return text.substr(i);
}

// "0x" followed by hexadecimal digits; "0x" without digits reads as the 0 before it.
std::optional<uint64_t> ScanHexPrefixed(std::string_view text)
{
    if (text.size() < 2 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return std::nullopt;
    uint64_t value = 0;
    for (size_t i = 2; i < text.size() && HexDigit(text[i]) >= 0; ++i) value = value * 16 + HexDigit(text[i]);
    return value;
}

// Decimal with optional sign; overflow wraps, as the run-time's scanners do.
std::optional<uint64_t> ScanDecimal(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    size_t first = i;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + uint64_t(text[i] - '0');
    if (i == first) return std::nullopt;
    return negative ? uint64_t(0) - value : value;
}

} // namespace

std::optional<uint64_t> ParseUnsignedText(std::string_view text, unsigned bits)
{
    std::string_view trimmed = SkipBlanks(text);
    if (auto hex = ScanHexPrefixed(trimmed)) return CutToBits(*hex, bits);
    if (auto dec = ScanDecimal(trimmed)) return CutToBits(*dec, bits);
    return std::nullopt;
}

std::optional<int64_t> ParseSignedText(std::string_view text, unsigned bits)
{
    auto value = ParseUnsignedText(text, bits);
    if (!value) return std::nullopt;
    if (bits == 32) return static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(*value)));
    return static_cast<int64_t>(*value);
}

std::optional<double> ParseDoubleText(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    // from_chars takes no '+'; the C scanner does.
    bool plus = i + 1 < text.size() && text[i] == '+' && text[i + 1] != '-' && text[i + 1] != '+';
    if (plus) ++i;
    double value = 0;
    auto result = std::from_chars(text.data() + i, text.data() + text.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // The C scanner gives the nearest representable value rather than failing.
        std::string copy(text.substr(i, size_t(result.ptr - (text.data() + i))));
        return std::strtod(copy.c_str(), nullptr);
    }
    if (result.ec != std::errc()) return std::nullopt;
    return value;
}

std::string FormatUnsigned(uint64_t value)
{
    char buf[24];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

std::string FormatSigned(int64_t value)
{
    char buf[24];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

static std::string FormatHexDigits(uint64_t value, int digits)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(size_t(digits) + 2, '0');
    text[1] = 'x';
    for (int i = digits - 1; i >= 0; --i, value >>= 4) text[size_t(i) + 2] = kDigits[value & 15];
    return text;
}

std::string FormatHex32(uint32_t value) { return FormatHexDigits(value, 8); }
std::string FormatHex64(uint64_t value) { return FormatHexDigits(value, 16); }

std::string FormatDouble(double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%G", value);
    // Some run-times print three exponent digits ("1E+006"); the store's text has
    // two unless more are needed.
    std::string text(buf);
    size_t e = text.find('E');
    if (e != std::string::npos && e + 2 < text.size()) {
        size_t digits = e + 2;
        while (text.size() - digits > 2 && text[digits] == '0') text.erase(digits, 1);
    }
    return text;
}

std::string FormatBinary(const void* data, size_t len)
{
    static const char kDigits[] = "0123456789ABCDEF";
    if (!data || len == 0) return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::string text(len * 2, '0');
    for (size_t i = 0; i < len; ++i) {
        text[2 * i] = kDigits[bytes[i] >> 4];
        text[2 * i + 1] = kDigits[bytes[i] & 15];
    }
    return text;
}

std::optional<size_t> DecodeBinary(std::string_view text, void* buf, size_t bufLen)
{
    auto* out = static_cast<unsigned char*>(buf);
    size_t written = 0;
    for (size_t i = 0; i < text.size() && written < bufLen; i += 2) {
        int high = HexDigit(text[i]);
        int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        if (high < 0 || low < 0) return std::nullopt;
        out[written++] = static_cast<unsigned char>(high * 16 + low);
    }
    return written;
}

} // namespace config_store
