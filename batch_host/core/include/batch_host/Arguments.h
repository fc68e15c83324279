// Merrow's command line: which argument is an option, a plug-in or a task.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace merrow {

// Longest file path the narrow file functions take (MAX_PATH with its terminator).
constexpr std::size_t kMaxPathChars = 259;

enum class ArgumentKind {
    ForceSelection, // "-f" or "/f"
    ListClients,    // "-l" or "/l"
    PromptAtEnd,    // "-p" or "/p"
    Plugin,         // device-client plug-in file to add
    Task,           // everything else, run in command-line order
};

enum class TaskKind {
    Unknown,       // 4 characters or fewer
    Job,           // ends in "vkj"
    Script,        // ends in "vks"
    ClientDialog,  // "StartClientDialog=" followed by an id list
    Unprocessable, // anything else
};

// The command line after classification; indices point into argv.
struct CommandLine {
    bool forceSelection = false;
    bool listClients = false;
    bool promptAtEnd = false;
    std::vector<int> dllList;
    std::vector<int> taskList;
};

ArgumentKind ClassifyArgument(std::string_view argument);

// Classifies argv[1] .. argv[argc - 1] in order.
CommandLine ClassifyArguments(int argc, const char* const* argv);

TaskKind ClassifyTask(std::string_view argument);

// The id list of a "StartClientDialog=" task (the text after the "=").
std::string_view ClientDialogIds(std::string_view argument);

// True when a file path fits the narrow file functions without being cut.
bool FitsPath(std::string_view path);

} // namespace merrow
