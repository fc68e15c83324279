// The grabber log's text: printf-style formatting that never cuts a line, the
// 64-bit length modifier the plug-ins write ("%I64u") and the line forms of the
// log's sinks.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

namespace framix {

// Log levels: 0 errors, 1 information.
inline constexpr int kLogError = 0;
inline constexpr int kLogInfo = 1;

// The format with every "%I64" length modifier turned into "ll" and every
// "%I32" into nothing, so the one text works with any C library; "%%" and
// everything else are kept as they are.
std::string PortableFormat(std::string_view format);

// The whole formatted text, however long; a null format gives "(null format)"
// and a format the C library rejects gives "(bad format) " followed by the
// format itself, so no call is ever lost without a trace.
std::string FormatLogText(const char* format, va_list args);
// (No format check: the text follows the plug-ins' dialect with "%I64".)
std::string FormatLogTextF(const char* format, ...);

// "[L] text": the line the console host prints for a log line of level L.
std::string ConsoleLine(int level, std::string_view text);

// A broken-down local time for a log file line.
struct LogTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// "2026-12-07 22:51:03.125 [L] text": one line of the log file (without the line end).
std::string FileLine(const LogTime& time, int level, std::string_view text);

} // namespace framix
