// Copying a text result into a caller's fixed buffer, the one way every store
// operation does it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace config_store {

// Copies at most bufLen - 1 characters and terminates; returns the length now
// in the buffer (a NUL inside the text ends it). A null buffer or a zero length
// is left untouched and gives 0.
inline size_t CopyToCallerBuffer(std::string_view text, char* buf, size_t bufLen)
{
    if (!buf || bufLen == 0) return 0;
    size_t n = std::min(text.size(), bufLen - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return std::strlen(buf);
}

} // namespace config_store
