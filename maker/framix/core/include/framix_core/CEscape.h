// C escapes for the console host's serial text: "\r", "\n", "\t", "\0", "\\",
// "\"" and "\xHH" (exactly two hexadecimal digits).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace framix {

// The bytes the text stands for; none for an unknown escape, a lone backslash
// at the end or "\x" without two hexadecimal digits (errorAt: its offset).
std::optional<std::string> Unescape(std::string_view text, size_t* errorAt = nullptr);

// Bytes as text that Unescape turns back into them: printable ASCII as is,
// backslash doubled, CR LF TAB as "\r" "\n" "\t", every other byte "\xHH".
std::string Escape(std::string_view bytes);

} // namespace framix
