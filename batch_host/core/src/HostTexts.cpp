// Merrow's platform-neutral texts: usage, job call and client list.
#include "batch_host/HostTexts.h"

#include <cstdio>

namespace merrow {

std::string_view UsageText()
{
    return "No task specified!\n\n"
           "Syntax:\n"
           "  Merrow task_1 [task_2 task_3 ... task_n] [-f -l -p]\n\n"
           "task_1..n can be\n"
           "  - a .vks file.\n"
           "  - a .vkj file.\n"
           "  - a .dll file containing a device client.\n"
           "  - StartClientDialog=ID_1[,ID_2,...,ID_n]\n"
           "      where ID_1 ... ID_n specify device clients to show the dialog of\n"
           "-f forces the command device selection dialog to show\n"
           "-l prints a list of available device clients\n"
           "-p prompts the user to press a key when done\n\n"
           "Examples:\n"
           "  Merrow test.vks test.vkj -p\n"
           "  -> Executes test.vks and then test.vkj.\n"
           "     When ready, the program prompts the user to press a key.\n"
           "  Merrow StartClientDialog=4096\n"
           "  -> Starts the Terminal\n";
}

std::string JobScriptText(std::string_view path)
{
    // The script language reads a C-style string, so each backslash is doubled.
    std::string text = "ExecuteJobFile(\"";
    for (char c : path) {
        text += c;
        if (c == '\\')
            text += '\\';
    }
    text += "\");";
    return text;
}

std::string ClientListText(const std::vector<ClientEntry>& objects)
{
    std::string text = "The following device clients are currently available:\n"
                       "=====================================================\n\n";
    bool any = false;
    for (const ClientEntry& entry : objects) {
        if (!entry.isDeviceClient)
            continue;
        text += "ID = " + std::to_string(entry.id) + ":\t";
        text += entry.name ? std::string_view(entry.name) : kUnknownClientName;
        text += "\n";
        any = true;
    }
    if (!any)
        text += "- No device clients available -\n";
    text += "\n";
    return text;
}

} // namespace merrow
