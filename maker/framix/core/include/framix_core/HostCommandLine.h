// FramixHost's command line: options, then commands with their arguments,
// checked completely before anything runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace framix {

struct HostCommand {
    std::string name;              // as the table spells it
    std::vector<std::string> args; // as given (numbers still text)
};

struct HostCommandLine {
    std::optional<std::string> ini; // --ini PATH
    uint32_t grabber = 0;           // --grabber N
    bool quiet = false;             // --quiet
    std::vector<HostCommand> commands;
};

struct HostParseResult {
    std::optional<HostCommandLine> line; // none: usage error
    std::string error;                   // why, for the usage error
};

// Commands are known by name; optional arguments are taken only when they are
// numbers, so "snap 1 cameras" is snap with its type alone, then cameras.
// "sim" takes every remaining argument. No arguments at all is a usage error.
HostParseResult ParseHostCommandLine(const std::vector<std::string>& args);

// The usage text (several lines, each ending in "\n").
std::string HostUsage();

// Decimal, "0x" hexadecimal, or with a leading "-" decimal (two's complement
// in 64 bits); none for anything else or an overflow.
std::optional<uint64_t> ParseNumber(std::string_view text);

} // namespace framix
