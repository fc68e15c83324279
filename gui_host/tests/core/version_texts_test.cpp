// Window title, about version line and the data folder with its fall-backs.
#include "gui_host/VersionTexts.h"

#include <gtest/gtest.h>

using namespace varnik;

TEST(VersionTexts, TitleAndFourParts)
{
    const VersionWords v{(2u << 16) | 1u, (5u << 16) | 12u};
    EXPECT_EQ("Varnik V2.1.5 build 12 (x64)", MainWindowTitle(v));
    EXPECT_EQ("2.1.5.12", FourPartVersion(v));
    EXPECT_EQ("Varnik V65535.0.1 build 65535 (x64)", MainWindowTitle({0xFFFF0000u, 0x0001FFFFu}));
    EXPECT_EQ("V2.1.5", VersionText(v));
    EXPECT_EQ("V", VersionText(std::nullopt));
}

TEST(VersionTexts, AboutVersionLineSplitsAtTheLastDot)
{
    EXPECT_EQ("V 2.1.5 build 12 for x64", AboutVersionLine("2.1.5.12"));
    EXPECT_EQ("V 1 build 0 for x64", AboutVersionLine("1.0"));
    EXPECT_EQ("", AboutVersionLine("7"));
    EXPECT_EQ("", AboutVersionLine(""));
}

TEST(VersionTexts, DataFolderFallBacks)
{
    struct Case {
        const char* appData;
        const char* company;
        const char* label;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\ProgramData", "Quarnel", "V1.0.0", "C:\\ProgramData\\Quarnel\\Varnik V1.0.0"},
        {"C:\\ProgramData", "Other Co", "V2.1.5", "C:\\ProgramData\\Other Co\\Varnik V2.1.5"},
        {"C:\\ProgramData", "", "V1.0.0", "C:\\ProgramData\\Quarnel\\Varnik V1.0.0"},
        {"", "Quarnel", "V1.0.0", "C:\\Prog\\Quarnel\\Varnik V1.0.0"},
        {"C:\\ProgramData", "Quarnel", "V", "C:\\ProgramData\\Quarnel\\Varnik V"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(c.expected, DataFolder(c.appData, "C:\\Prog", c.company, c.label));
    }
    EXPECT_EQ("C:\\P\\", FolderWithBackslash("C:\\P\\Varnik.exe"));
    EXPECT_EQ("", FolderWithBackslash("Varnik.exe"));
}
