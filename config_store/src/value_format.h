// Text forms of the store's typed values: number parsing in the manner of the C
// library's formatted input, and the fixed output formats of the typed writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace config_store {

// Integer read of the typed getters: leading blanks skipped, a "0x" text parsed as
// hexadecimal, otherwise as decimal; the value is cut to `bits` (32 or 64) bits.
// Empty when neither form yields a number.
std::optional<uint64_t> ParseUnsignedText(std::string_view text, unsigned bits);
std::optional<int64_t> ParseSignedText(std::string_view text, unsigned bits);

// Floating-point read: white space skipped, trailing text ignored.
std::optional<double> ParseDoubleText(std::string_view text);

std::string FormatUnsigned(uint64_t value);
std::string FormatSigned(int64_t value);
std::string FormatHex32(uint32_t value); // "0x" and 8 upper-case digits
std::string FormatHex64(uint64_t value); // "0x" and 16 upper-case digits
std::string FormatDouble(double value);  // like "%G", two-digit exponent at least
std::string FormatBinary(const void* data, size_t len);

// Decodes pairs of hexadecimal digits into buf; stops after bufLen bytes.
// Empty when a pair holds a non-digit before that.
std::optional<size_t> DecodeBinary(std::string_view text, void* buf, size_t bufLen);

} // namespace config_store
