// Parsing of the device-client id list of "StartClientDialog=".
#include "batch_host/IdList.h"

#include <limits>

namespace merrow {
namespace {

int DigitValue(char c, unsigned base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

// One id: decimal, or hexadecimal after "0x"/"0X" with at least one digit.
// Digits only; a value beyond 32 bits is refused rather than wrapped.
std::optional<uint32_t> ParseId(std::string_view text)
{
    unsigned base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        int digit = DigitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + static_cast<unsigned>(digit);
        if (value > std::numeric_limits<uint32_t>::max())
            return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

} // namespace

std::optional<std::vector<uint32_t>> ParseIdList(std::string_view text)
{
    std::vector<uint32_t> ids;
    if (text.empty())
        return ids;
    for (;;) {
        std::size_t comma = text.find(',');
        std::optional<uint32_t> id = ParseId(text.substr(0, comma));
        if (!id)
            return std::nullopt;
        ids.push_back(*id);
        if (comma == std::string_view::npos)
            return ids;
        text.remove_prefix(comma + 1); // a "," at the very end leaves an empty id
    }
}

} // namespace merrow
