// Display text of the serial debug log: control bytes made visible as tokens, line breaks after CR.
#pragma once

#include <string>
#include <string_view>

namespace kl7700::controls {

// Printable bytes (32..127) stay; CR shows as "{CR}", LF as "{LF}", any other
// byte as "{0xNN}". A line break (CR LF) follows "{CR}", or the "{LF}" right
// after it when the CR is followed by an LF.
std::string DebugDisplayText(std::string_view bytes);

} // namespace kl7700::controls
