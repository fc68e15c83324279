// Command line of the kl7700-emu tool.
#include "Options.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace kl7700emu {
namespace {

// Decimal, or hexadecimal with 0x; the whole text must be the number.
std::optional<uint64_t> parseNumber(const std::string& text, uint64_t maximum)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return std::nullopt;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || end == text.c_str() + (hex ? 2 : 0) || value > maximum)
        return std::nullopt;
    return value;
}

ParsedOptions failure(std::string error) { return {std::nullopt, std::move(error)}; }

} // namespace

std::string toolUsage(bool ptyAvailable)
{
    std::string text = ptyAvailable ? "Usage: kl7700-emu (--tcp PORT | --pty) [options]\n"
                                    : "Usage: kl7700-emu --tcp PORT [options]\n";
    text +=
        "Emulates a Sorvel SX-20 / KL-7700 camera's serial command line.\n"
        "  --tcp PORT        listen on 127.0.0.1:PORT (0 = any free port) and serve one\n"
        "                    client after another; the first output line is HOST:PORT\n";
    if (ptyAvailable)
        text += "  --pty             serve a raw pseudo-terminal; the first output line is its\n"
                "                    device path\n";
    text += "  --firmware TEXT   firmware version text (default 3.2.1.8)\n"
            "  --variant CODE    product variant code, decimal or 0x hex (default 0x4000)\n"
            "  --serial N        serial number, decimal or 0x hex (default 4711)\n"
            "  --name TEXT       camera name (default \"Sorvel SX-20B\")\n"
            "  --no-dual-output  camera without the second output: no S command\n"
            "  --log             print every byte in and out to standard error\n"
            "  --help            show this text\n";
    return text;
}

ParsedOptions parseToolOptions(const std::vector<std::string>& args, bool ptyAvailable)
{
    ToolOptions options;
    bool haveMode = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto needValue = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--log") {
            options.log = true;
        } else if (arg == "--no-dual-output") {
            options.camera.dualOutput = false;
        } else if (arg == "--pty") {
            if (!ptyAvailable) return failure("--pty is not available on this platform");
            if (haveMode) return failure("give only one of --tcp and --pty");
            options.mode = ServeMode::Pty;
            haveMode = true;
        } else if (arg == "--tcp" || arg == "--variant" || arg == "--serial" || arg == "--firmware" ||
                   arg == "--name") {
            const std::string* value = needValue();
            if (value == nullptr) return failure(arg + " needs a value");
            if (arg == "--firmware") {
                options.camera.firmware = *value;
            } else if (arg == "--name") {
                options.camera.name = *value;
            } else if (arg == "--tcp") {
                if (haveMode) return failure("give only one of --tcp and --pty");
                const auto port = parseNumber(*value, 65535);
                if (!port) return failure("--tcp needs a port number from 0 to 65535, not '" + *value + "'");
                options.mode = ServeMode::Tcp;
                options.tcpPort = static_cast<uint16_t>(*port);
                haveMode = true;
            } else if (arg == "--variant") {
                const auto code = parseNumber(*value, 0xFFFF);
                if (!code) return failure("--variant needs a code from 0 to 0xFFFF, not '" + *value + "'");
                options.camera.variant = static_cast<uint16_t>(*code);
            } else {
                const auto serial = parseNumber(*value, std::numeric_limits<uint32_t>::max());
                if (!serial) return failure("--serial needs a number from 0 to 4294967295, not '" + *value + "'");
                options.camera.serial = static_cast<uint32_t>(*serial);
            }
        } else {
            return failure("unknown argument '" + arg + "'");
        }
    }
    if (!haveMode && !options.help) return failure("give --tcp PORT" + std::string(ptyAvailable ? " or --pty" : ""));
    for (const std::string* text : {&options.camera.name, &options.camera.firmware})
        if (text->find_first_of("\r\n") != std::string::npos)
            return failure("--name and --firmware must not hold line breaks");
    return {options, {}};
}

} // namespace kl7700emu
