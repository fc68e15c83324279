// Selection of plug-in candidates from a folder search.
#include "kiv_inst_core/PluginFiles.h"

#include <gtest/gtest.h>

using namespace kivinst;

namespace {

TEST(PluginFiles, OnlyDllsOtherThanOurselvesInNameOrder)
{
    const std::vector<std::string> found = {
        "KIV_KL7700.dll",
        "KIVInst.dll",
        "kl7700-emu.exe",
        "Knotes.txt",
        "kaux.DLL",
        "K.dll",
        ".dll",
        "Kdll",
    };
    const std::vector<std::string> expected = {
        "C:\\suite\\bin\\K.dll",
        "C:\\suite\\bin\\kaux.DLL",
        "C:\\suite\\bin\\KIV_KL7700.dll",
    };
    EXPECT_EQ(expected, SelectPluginFiles("C:\\suite\\bin", found, "c:\\SUITE\\bin\\kivinst.dll"));
}

TEST(PluginFiles, JoinPathAddsOneSeparator)
{
    struct Case {
        const char* folder;
        const char* expected;
    } cases[] = {
        {"C:\\a", "C:\\a\\x.dll"},
        {"C:\\a\\", "C:\\a\\x.dll"},
        {"C:/a/", "C:/a/x.dll"},
        {"", "x.dll"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.folder);
        EXPECT_EQ(k.expected, JoinPath(k.folder, "x.dll"));
    }
}

} // namespace
