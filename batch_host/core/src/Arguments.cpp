// Classification of Merrow's arguments into options, plug-ins and tasks.
#include "batch_host/Arguments.h"

#include <cctype>

namespace merrow {
namespace {

constexpr std::string_view kClientDialogPrefix = "StartClientDialog=";

// Only the last three characters count, without the dot, letter case ignored
// (file names on Windows do not depend on case).
bool EndsWith3(std::string_view argument, std::string_view ending)
{
    if (argument.size() < 3)
        return false;
    std::string_view tail = argument.substr(argument.size() - 3);
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::tolower(static_cast<unsigned char>(tail[i])) != ending[i])
            return false;
    }
    return true;
}

} // namespace

ArgumentKind ClassifyArgument(std::string_view argument)
{
    if (argument == "-f" || argument == "/f")
        return ArgumentKind::ForceSelection;
    if (argument == "-l" || argument == "/l")
        return ArgumentKind::ListClients;
    if (argument == "-p" || argument == "/p")
        return ArgumentKind::PromptAtEnd;
    if (argument.size() > 4 && EndsWith3(argument, "dll"))
        return ArgumentKind::Plugin;
    return ArgumentKind::Task;
}

CommandLine ClassifyArguments(int argc, const char* const* argv)
{
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        switch (ClassifyArgument(argv[i])) {
        case ArgumentKind::ForceSelection: line.forceSelection = true; break;
        case ArgumentKind::ListClients: line.listClients = true; break;
        case ArgumentKind::PromptAtEnd: line.promptAtEnd = true; break;
        case ArgumentKind::Plugin: line.dllList.push_back(i); break;
        case ArgumentKind::Task: line.taskList.push_back(i); break;
        }
    }
    return line;
}

TaskKind ClassifyTask(std::string_view argument)
{
    if (argument.size() <= 4)
        return TaskKind::Unknown;
    if (EndsWith3(argument, "vkj"))
        return TaskKind::Job;
    if (EndsWith3(argument, "vks"))
        return TaskKind::Script;
    if (argument.starts_with(kClientDialogPrefix))
        return TaskKind::ClientDialog;
    return TaskKind::Unprocessable;
}

std::string_view ClientDialogIds(std::string_view argument)
{
    return argument.starts_with(kClientDialogPrefix) ? argument.substr(kClientDialogPrefix.size())
                                                     : std::string_view{};
}

bool FitsPath(std::string_view path)
{
    return path.size() <= kMaxPathChars;
}

} // namespace merrow
