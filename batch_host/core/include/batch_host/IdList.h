// The id list of "StartClientDialog=": "4096,0x2000" and the like.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace merrow {

// Ids are decimal or "0x"/"0X" hexadecimal, separated by ",". An empty id, a
// trailing ",", a blank, any other character or an id beyond 32 bits makes
// the whole list malformed (nullopt). An empty text gives an empty list.
std::optional<std::vector<uint32_t>> ParseIdList(std::string_view text);

} // namespace merrow
