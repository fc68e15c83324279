// Window title, about version line and the folder of a module path.
#include "gui_host/VersionTexts.h"

#include <gtest/gtest.h>

using namespace varnik;

TEST(VersionTexts, Title)
{
    const host_common::VersionWords v{(2u << 16) | 1u, (5u << 16) | 12u};
    EXPECT_EQ("Varnik V2.1.5 build 12 (x64)", MainWindowTitle(v));
    EXPECT_EQ("Varnik V65535.0.1 build 65535 (x64)", MainWindowTitle({0xFFFF0000u, 0x0001FFFFu}));
}

TEST(VersionTexts, AboutVersionLineSplitsAtTheLastDot)
{
    EXPECT_EQ("V 2.1.5 build 12 for x64", AboutVersionLine("2.1.5.12"));
    EXPECT_EQ("V 1 build 0 for x64", AboutVersionLine("1.0"));
    EXPECT_EQ("", AboutVersionLine("7"));
    EXPECT_EQ("", AboutVersionLine(""));
}

TEST(VersionTexts, FolderWithBackslash)
{
    EXPECT_EQ("C:\\P\\", FolderWithBackslash("C:\\P\\Varnik.exe"));
    EXPECT_EQ("", FolderWithBackslash("Varnik.exe"));
}
