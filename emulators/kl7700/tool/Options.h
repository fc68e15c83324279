// Command line of the kl7700-emu tool.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kl7700emu/Camera.h"

namespace kl7700emu {

enum class ServeMode { Tcp,
                       Pty };

struct ToolOptions {
    ServeMode mode = ServeMode::Tcp;
    uint16_t tcpPort = 0; // 0: the system picks a free port
    bool log = false;
    bool help = false;
    CameraConfig camera;
};

struct ParsedOptions {
    std::optional<ToolOptions> options; // empty when the arguments are bad
    std::string error;                  // why, in one line
};

// Parses the arguments after the program name; `ptyAvailable` is false where
// the platform has no pseudo-terminals.
ParsedOptions parseToolOptions(const std::vector<std::string>& args, bool ptyAvailable);
std::string toolUsage(bool ptyAvailable);

} // namespace kl7700emu
