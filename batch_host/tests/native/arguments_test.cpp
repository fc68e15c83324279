// Classification of Merrow's arguments and tasks.
#include "batch_host/Arguments.h"

#include <gtest/gtest.h>

#include <string>

namespace merrow {
namespace {

TEST(ClassifyArgument, OptionsMatchExactlyAndNamesByTheirLastThreeCharacters)
{
    struct Case {
        const char* argument;
        ArgumentKind kind;
    };
    const Case cases[] = {
        {"-f", ArgumentKind::ForceSelection},
        {"/f", ArgumentKind::ForceSelection},
        {"-l", ArgumentKind::ListClients},
        {"/l", ArgumentKind::ListClients},
        {"-p", ArgumentKind::PromptAtEnd},
        {"/p", ArgumentKind::PromptAtEnd},
        {"-F", ArgumentKind::Task},
        {"-p ", ArgumentKind::Task},
        {"-pl", ArgumentKind::Task},
        {"--p", ArgumentKind::Task},
        {"a.dll", ArgumentKind::Plugin},
        {"C:\\x\\KIV_KL7700.DLL", ArgumentKind::Plugin},
        {"abdll", ArgumentKind::Plugin},
        {".dll", ArgumentKind::Task},
        {"dll", ArgumentKind::Task},
        {"a.dl", ArgumentKind::Task},
        {"a.dllx", ArgumentKind::Task},
        {"test.vks", ArgumentKind::Task},
        {"", ArgumentKind::Task},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("argument \"") + c.argument + "\"");
        EXPECT_EQ(ClassifyArgument(c.argument), c.kind);
    }
}

TEST(ClassifyArguments, KeepsCommandLineOrderWithOptionsAnywhere)
{
    const char* argv[] = {"Merrow", "b.dll", "abc", "-l", "a.dll", "t.vks", "-p", "StartClientDialog=1"};
    CommandLine line = ClassifyArguments(8, argv);
    EXPECT_FALSE(line.forceSelection);
    EXPECT_TRUE(line.listClients);
    EXPECT_TRUE(line.promptAtEnd);
    EXPECT_EQ(line.dllList, (std::vector<int>{1, 4}));
    EXPECT_EQ(line.taskList, (std::vector<int>{2, 5, 7}));
}

TEST(ClassifyArguments, ProgramNameIsNotAnArgument)
{
    const char* argv[] = {"C:\\bin\\Merrow.dll"};
    CommandLine line = ClassifyArguments(1, argv);
    EXPECT_TRUE(line.dllList.empty());
    EXPECT_TRUE(line.taskList.empty());
}

TEST(ClassifyTask, ShortNamesAreUnknownAndExtensionsComeBeforeTheDialogPrefix)
{
    struct Case {
        const char* argument;
        TaskKind kind;
    };
    const Case cases[] = {
        {"abc", TaskKind::Unknown},
        {".vks", TaskKind::Unknown},
        {"a.vks", TaskKind::Script},
        {"C:\\s\\TEST.VKS", TaskKind::Script},
        {"x.vkj", TaskKind::Job},
        {"x.VkJ", TaskKind::Job},
        {"StartClientDialog=4096", TaskKind::ClientDialog},
        {"StartClientDialog=", TaskKind::ClientDialog},
        {"StartClientDialog=vks", TaskKind::Script},
        {"startclientdialog=4096", TaskKind::Unprocessable},
        {"StartClientDialog", TaskKind::Unprocessable},
        {"bad.txt", TaskKind::Unprocessable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("task \"") + c.argument + "\"");
        EXPECT_EQ(ClassifyTask(c.argument), c.kind);
    }
}

TEST(ClientDialogIds, IsTheTextAfterTheEqualsSign)
{
    EXPECT_EQ(ClientDialogIds("StartClientDialog=4096,0x2000"), "4096,0x2000");
    EXPECT_EQ(ClientDialogIds("StartClientDialog="), "");
    EXPECT_EQ(ClientDialogIds("Other=1"), "");
}

TEST(FitsPath, AllowsWhatAPathBufferWithItsTerminatorHolds)
{
    EXPECT_TRUE(FitsPath(std::string(259, 'a')));
    EXPECT_FALSE(FitsPath(std::string(260, 'a')));
}

} // namespace
} // namespace merrow
