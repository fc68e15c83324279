// Process-wide table that turns the error codes of the script processor into texts.
#pragma once

#include <string>

namespace kivinst {

// First code handed out; codes count up from here, one per registered text.
constexpr long kFirstErrorCode = 0x2001;

// How many texts the table keeps; older codes then read as "no longer available".
constexpr std::size_t kErrorTextCapacity = 256;

// Stores the text and returns a fresh nonzero code for it. Thread-safe.
long RegisterErrorText(std::string text);

// The text registered for the code. Never null: code 0 reads "No error", an
// unknown or expired code reads as such. The pointer stays valid until
// kErrorTextCapacity further texts have been registered (or, for the fallback
// texts, until the calling thread asks again).
const char* ErrorText(long code);

} // namespace kivinst
