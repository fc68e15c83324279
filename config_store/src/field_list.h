// Field lists: the third addressing level, a key's text holding named fields
// written as name=value items separated by commas.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace config_store {

bool IsKeyChar(char c);

// Cuts one token at pos (blanks and tabs skipped first); never fails.
std::string ReadListToken(std::string_view text, size_t& pos);

// Plain tokens stay as they are, others go between double quotes.
std::string QuoteListToken(std::string_view token);

// The value of the first item named `field`; empty when the list is malformed
// before that item or lacks it.
std::optional<std::string> FindListField(std::string_view text, std::string_view field);

// Number of items; 0 for a malformed list.
size_t CountListFields(std::string_view text);

// Name of item `index` when the list is well formed up to and including it.
std::optional<std::string> ListFieldName(std::string_view text, size_t index);

// The list with `field` set to `value` (replacing the first item of that name or
// with an empty name, or appended); empty for a malformed list.
std::optional<std::string> ListWithField(std::string_view text, std::string_view field, std::string_view value);

// The list without the items named `field`; empty for a malformed list.
std::optional<std::string> ListWithoutField(std::string_view text, std::string_view field);

} // namespace config_store
