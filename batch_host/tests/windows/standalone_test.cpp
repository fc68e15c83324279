// Merrow as a child process where it needs nothing beside itself: the usage
// text and a missing framework library.
#include "MerrowFixture.h"

namespace merrow_test {
namespace {

TEST_F(MerrowProgram, WithoutArgumentsPrintsTheUsageAndEndsWith1)
{
    ChildResult result = Run({}, "k");
    const std::string usage =
        "No task specified!\n\n"
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
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(result.output, Crlf(kBanner + usage));
}

TEST_F(MerrowProgram, WithoutTheFrameworkLibraryEndsWith4AndStillPrompts)
{
    ScratchFolder alone("merrow-alone");
    ASSERT_TRUE(alone.CopyIn(Program(), "Merrow.exe"));
    ChildRun run;
    run.program = alone.File("Merrow.exe");
    run.arguments = {"test.vks", "-p"};
    run.input = "k";
    ChildResult result = RunPrepared(run);
    EXPECT_EQ(result.exitCode, 4u);
    EXPECT_EQ(result.output, Crlf(kBanner + "Could not create KIV instance object! Probably KIVInst.dll is missing.\n"
                                            "\nPress any key to continue...\n"));
}

} // namespace
} // namespace merrow_test
