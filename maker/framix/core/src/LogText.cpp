// Log text formatting: two passes of vsnprintf, so the text is never cut.
#include "framix_core/LogText.h"

#include <cstdio>
#include <vector>

namespace framix {

std::string PortableFormat(std::string_view format)
{
    std::string out;
    out.reserve(format.size());
    size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        out.push_back(c);
        ++i;
        if (c != '%')
            continue;
        if (i < format.size() && format[i] == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        // Flags, width and precision come before the length modifier.
        while (i < format.size() && std::string_view("-+ #0123456789.*'").find(format[i]) != std::string_view::npos)
            out.push_back(format[i++]);
        if (format.substr(i, 3) == "I64") {
            out += "ll";
            i += 3;
        } else if (format.substr(i, 3) == "I32") {
            i += 3;
        }
    }
    return out;
}

std::string FormatLogText(const char* format, va_list args)
{
    if (!format)
        return "(null format)";
    const std::string portable = PortableFormat(format);
    va_list copy;
    va_copy(copy, args);
    char small[256];
    const int needed = std::vsnprintf(small, sizeof small, portable.c_str(), copy);
    va_end(copy);
    if (needed < 0)
        return std::string("(bad format) ") + format;
    if (static_cast<size_t>(needed) < sizeof small)
        return std::string(small, static_cast<size_t>(needed));
    std::vector<char> big(static_cast<size_t>(needed) + 1);
    va_copy(copy, args);
    const int written = std::vsnprintf(big.data(), big.size(), portable.c_str(), copy);
    va_end(copy);
    if (written < 0)
        return std::string("(bad format) ") + format;
    return std::string(big.data(), static_cast<size_t>(written));
}

std::string FormatLogTextF(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatLogText(format, args);
    va_end(args);
    return text;
}

std::string ConsoleLine(int level, std::string_view text)
{
    std::string line = "[" + std::to_string(level) + "] ";
    line += text;
    return line;
}

std::string FileLine(const LogTime& t, int level, std::string_view text)
{
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    std::string line = stamp;
    line += ConsoleLine(level, text);
    return line;
}

} // namespace framix
