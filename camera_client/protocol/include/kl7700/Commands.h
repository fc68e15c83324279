// The camera's command language as text: building commands from a record and
// parsing replies into a record. Pure functions, no I/O.
#pragma once

#include "kl7700/Parameters.h"

#include <optional>
#include <string>
#include <string_view>

namespace kl7700 {

enum class CommandForm : uint8_t { Query,
                                   Set };

// The command text for an item, ending in CR; a set takes its value from the
// record. Empty when the item has no such form (a query of a save command, a
// set of the version).
std::string MakeCommand(Item item, CommandForm form, const ParameterRecord& record);

// Parses a reply to the query of `item` into `record`; true on success. A key
// that is missing leaves its field unchanged, except "S" (see the camera's
// Camera Link output). Bytes are read only within `reply`.
bool ParseReply(Item item, std::string_view reply, ParameterRecord& record);

// The defaults of the parameter table (values and base limits), with the
// exposure defaults of the record's firmware generation.
void SetBuiltInDefaults(ParameterRecord& record);

// Number readers with the conventions of the camera's replies: leading blanks,
// an optional sign, hexadecimal with an optional "0x"; values beyond 32 bits
// saturate. Empty when no digit follows.
std::optional<uint32_t> readHex(std::string_view text);
std::optional<uint32_t> readDecimal(std::string_view text);

// "Last command: %s" with every control byte and every byte of 128 or more left out.
std::string lastCommandStatus(std::string_view command);

} // namespace kl7700
