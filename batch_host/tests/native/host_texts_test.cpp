// Usage, job call and client-list texts, and the paths that must fit uncut.
#include "batch_host/HostTexts.h"
#include "batch_host/PathLimits.h"

#include <gtest/gtest.h>

#include <string>

namespace merrow {
namespace {

TEST(UsageText, IsTheExactTextUsersAndScriptsSee)
{
    const std::string expected =
        "No task specified!\n"
        "\n"
        "Syntax:\n"
        "  Merrow task_1 [task_2 task_3 ... task_n] [-f -l -p]\n"
        "\n"
        "task_1..n can be\n"
        "  - a .vks file.\n"
        "  - a .vkj file.\n"
        "  - a .dll file containing a device client.\n"
        "  - StartClientDialog=ID_1[,ID_2,...,ID_n]\n"
        "      where ID_1 ... ID_n specify device clients to show the dialog of\n"
        "-f forces the command device selection dialog to show\n"
        "-l prints a list of available device clients\n"
        "-p prompts the user to press a key when done\n"
        "\n"
        "Examples:\n"
        "  Merrow test.vks test.vkj -p\n"
        "  -> Executes test.vks and then test.vkj.\n"
        "     When ready, the program prompts the user to press a key.\n"
        "  Merrow StartClientDialog=4096\n"
        "  -> Starts the Terminal\n";
    EXPECT_EQ(std::string(UsageText()), expected);
}

TEST(JobScriptText, DoublesEveryBackslashOfThePath)
{
    EXPECT_EQ(JobScriptText("C:\\jobs\\a.vkj"), "ExecuteJobFile(\"C:\\\\jobs\\\\a.vkj\");");
    EXPECT_EQ(JobScriptText("\\\\server\\share\\b.vkj"),
              "ExecuteJobFile(\"\\\\\\\\server\\\\share\\\\b.vkj\");");
    EXPECT_EQ(JobScriptText("a.vkj"), "ExecuteJobFile(\"a.vkj\");");
}

const char kListHeader[] = "The following device clients are currently available:\n"
                           "=====================================================\n\n";

TEST(ClientListText, ListsOnlyDeviceClientsInOrder)
{
    std::vector<ClientEntry> objects = {
        {4096, true, "Terminal"},
        {4098, false, "Script Processor"},
        {0x10000, true, "Sorvel SX-20 / KL-7700 Control"},
        {77, true, nullptr},
    };
    EXPECT_EQ(ClientListText(objects), std::string(kListHeader) + "ID = 4096:\tTerminal\n"
                                                                  "ID = 65536:\tSorvel SX-20 / KL-7700 Control\n"
                                                                  "ID = 77:\t- UNKNOWN -\n"
                                                                  "\n");
}

TEST(ClientListText, SaysSoWhenThereIsNoDeviceClient)
{
    const std::string empty = std::string(kListHeader) + "- No device clients available -\n\n";
    EXPECT_EQ(ClientListText({}), empty);
    EXPECT_EQ(ClientListText({{4098, false, "Script Processor"}}), empty);
}

TEST(PathLimits, NamesThePathThatWouldBeCut)
{
    std::string deep = "C:\\" + std::string(230, 'd');
    host_common::HostPaths paths = host_common::BuildHostPaths("C:\\Apps\\Merrow.exe", deep, "Quarnel", "V1.0.0");
    EXPECT_EQ(FirstTooLongPath(paths), paths.configFile);
    EXPECT_EQ(FirstTooLongPath(host_common::BuildHostPaths("C:\\Apps\\Merrow.exe", "C:\\ProgramData", "Quarnel", "V1.0.0")), "");

    std::string longProgram = "C:\\" + std::string(300, 'p') + "\\Merrow.exe";
    host_common::HostPaths fromProgram = host_common::BuildHostPaths(longProgram, "C:\\ProgramData", "Quarnel", "V1.0.0");
    EXPECT_EQ(FirstTooLongPath(fromProgram), fromProgram.programFolder);
}

} // namespace
} // namespace merrow
