// Display text of serial traffic with its control bytes spelled out.
#include "kl7700_controls/DebugLogText.h"

#include <cstdio>

namespace kl7700::controls {

std::string DebugDisplayText(std::string_view bytes)
{
    static constexpr const char* kLineBreak = "\r\n";
    std::string shown;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\r') {
            shown += "{CR}";
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                shown += "{LF}";
                ++i;
            }
            shown += kLineBreak;
        } else if (byte == '\n') {
            shown += "{LF}";
        } else if (byte >= 32 && byte <= 127) {
            shown.push_back(static_cast<char>(byte));
        } else {
            char token[8];
            std::snprintf(token, sizeof token, "{0x%02X}", byte);
            shown += token;
        }
    }
    return shown;
}

} // namespace kl7700::controls
