// FramixHost's command table and the parser over it.
#include "framix_core/HostCommandLine.h"

#include <limits>

namespace framix {

namespace {

enum class Extra { None,
                   Numbers,
                   Rest };

struct CommandEntry {
    const char* name;
    int required;        // arguments always taken
    int optionalNumbers; // further arguments taken while they are numbers
    Extra extra;
    const char* synopsis; // for the usage text
};

constexpr CommandEntry kCommands[] = {
    {"init", 0, 0, Extra::None, "init"},
    {"cameras", 0, 0, Extra::None, "cameras"},
    {"select", 1, 0, Extra::None, "select UID"},
    {"open", 0, 0, Extra::None, "open"},
    {"close", 0, 0, Extra::None, "close"},
    {"rescan", 0, 0, Extra::None, "rescan"},
    {"snap", 1, 1, Extra::Numbers, "snap TYPE [FRAMES]"},
    {"stop", 0, 0, Extra::None, "stop"},
    {"save", 1, 0, Extra::None, "save FILE"},
    {"param", 1, 2, Extra::Numbers, "param FEATURE [V1 [V2]]"},
    {"limits", 1, 0, Extra::None, "limits FEATURE"},
    {"timer", 0, 2, Extra::Numbers, "timer [FIRST SECOND]"},
    {"channel", 1, 0, Extra::None, "channel TYPE"},
    {"port", 1, 0, Extra::None, "port NAME"},
    {"cmdopen", 0, 0, Extra::None, "cmdopen"},
    {"cmdclose", 0, 0, Extra::None, "cmdclose"},
    {"write", 1, 0, Extra::None, "write TEXT"},
    {"read", 0, 1, Extra::Numbers, "read [MS]"},
    {"purge", 1, 0, Extra::None, "purge FLAGS"},
    {"dialog", 1, 0, Extra::None, "dialog finder|serial|features"},
    {"sim", 1, 0, Extra::Rest, "sim COMMAND..."},
};

const CommandEntry* FindCommand(std::string_view name)
{
    for (const CommandEntry& entry : kCommands)
        if (name == entry.name)
            return &entry;
    return nullptr;
}

} // namespace

std::optional<uint64_t> ParseNumber(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    unsigned base = 10;
    if (!negative && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        if (value > (std::numeric_limits<uint64_t>::max() - digit) / base)
            return std::nullopt;
        value = value * base + digit;
    }
    if (negative) {
        if (value > uint64_t(1) << 63)
            return std::nullopt;
        value = ~value + 1;
    }
    return value;
}

HostParseResult ParseHostCommandLine(const std::vector<std::string>& args)
{
    HostParseResult result;
    if (args.empty()) {
        result.error = "no command given";
        return result;
    }
    HostCommandLine line;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--quiet") {
            line.quiet = true;
        } else if (a == "--ini" || a == "--grabber") {
            if (i + 1 >= args.size()) {
                result.error = "option " + a + " needs a value";
                return result;
            }
            const std::string& value = args[++i];
            if (a == "--ini") {
                if (value.empty()) {
                    result.error = "option --ini needs a path";
                    return result;
                }
                line.ini = value;
            } else {
                const auto n = ParseNumber(value);
                if (!n || *n > 0xFFFFFFFFu || value[0] == '-') {
                    result.error = "option --grabber needs an index, got \"" + value + "\"";
                    return result;
                }
                line.grabber = static_cast<uint32_t>(*n);
            }
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            result.error = "unknown option " + a;
            return result;
        } else {
            break;
        }
    }
    if (i >= args.size()) {
        result.error = "no command given";
        return result;
    }
    while (i < args.size()) {
        const CommandEntry* entry = FindCommand(args[i]);
        if (!entry) {
            result.error = "unknown command \"" + args[i] + "\"";
            return result;
        }
        HostCommand command{entry->name, {}};
        ++i;
        for (int r = 0; r < entry->required; ++r, ++i) {
            if (i >= args.size()) {
                result.error = std::string("missing argument: ") + entry->synopsis;
                return result;
            }
            command.args.push_back(args[i]);
        }
        if (entry->extra == Extra::Numbers) {
            for (int o = 0; o < entry->optionalNumbers && i < args.size() && ParseNumber(args[i]); ++o, ++i)
                command.args.push_back(args[i]);
        } else if (entry->extra == Extra::Rest) {
            for (; i < args.size(); ++i)
                command.args.push_back(args[i]);
        }
        // "timer" takes both durations or none.
        if (command.name == "timer" && command.args.size() == 1) {
            result.error = "missing argument: timer [FIRST SECOND]";
            return result;
        }
        line.commands.push_back(std::move(command));
    }
    result.line = std::move(line);
    return result;
}

std::string HostUsage()
{
    std::string text = "usage: FramixHost [--ini PATH] [--grabber N] [--quiet] COMMAND [ARGS] [COMMAND [ARGS] ...]\n"
                       "options:\n"
                       "  --ini PATH     the Framix.ini to use (default: the one in the data folder)\n"
                       "  --grabber N    the grabber's index (default 0)\n"
                       "  --quiet        no log lines\n"
                       "commands (run in order):\n";
    for (const CommandEntry& entry : kCommands) {
        text += "  ";
        text += entry.synopsis;
        text += "\n";
    }
    text += "exit codes: 0 all commands succeeded, 1 usage, 2 framework or grabber not loaded or initialised,\n"
            "            3 a command failed (after a line \"FAILED: COMMAND: code N\")\n";
    return text;
}

} // namespace framix
