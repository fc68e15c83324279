// Version label, program and data folders with their fall-backs, and the store the programs prepare.
#include "host_common/HostPaths.h"
#include "host_common/HostStore.h"
#include "host_common/VersionWords.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace host_common {
namespace {

TEST(VersionLabel, TakesTheFirstThreePartsOfTheFileVersion)
{
    EXPECT_EQ(VersionLabel(VersionWords{0x00010004, 0x0000002F}), "V1.4.0");
    EXPECT_EQ(VersionLabel(VersionWords{0x00020001, 0x0005000C}), "V2.1.5");
    EXPECT_EQ(VersionLabel(VersionWords{0xFFFFFFFF, 0xFFFFFFFF}), "V65535.65535.65535");
    EXPECT_EQ(VersionLabel(std::nullopt), "V");
}

TEST(HostPaths, DataFolderLiesInTheSharedFolderOrElseBesideTheProgram)
{
    HostPaths shared = BuildHostPaths("C:\\Apps\\Varnik\\Merrow.exe", "C:\\ProgramData", "Quarnel", "V1.0.0");
    EXPECT_EQ(shared.programFolder, "C:\\Apps\\Varnik");
    EXPECT_EQ(shared.dataFolder, "C:\\ProgramData\\Quarnel\\Varnik V1.0.0");
    EXPECT_EQ(shared.configFile, "C:\\ProgramData\\Quarnel\\Varnik V1.0.0\\Varnik.ini");
    EXPECT_EQ(shared.grabberConfigFile, "C:\\ProgramData\\Quarnel\\Varnik V1.0.0\\Framix.ini");
    EXPECT_EQ(GrabberConfigFile(shared.dataFolder), shared.grabberConfigFile);

    HostPaths local = BuildHostPaths("C:\\Apps\\Merrow.exe", "", "Quarnel", "V");
    EXPECT_EQ(local.dataFolder, "C:\\Apps\\Quarnel\\Varnik V");

    EXPECT_EQ(ProgramFolder("Merrow.exe"), "");
    EXPECT_EQ(BuildHostPaths("Merrow.exe", "", "Quarnel", "V1.0.0").configFile, "\\Quarnel\\Varnik V1.0.0\\Varnik.ini");
}

TEST(HostPaths, DataFolderFallBacks)
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
}

class HostStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
            ("host_common_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        paths.dataFolder = folder.string();
        paths.configFile = (folder / "Varnik.ini").string();
        paths.grabberConfigFile = "C:\\ProgramData\\Quarnel\\Varnik V1.0.0\\Framix.ini";
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    static std::string Read(CIniFile& store, const char* section, const char* key)
    {
        char value[256] = {};
        int found = 0;
        store.GetString(section, key, "<none>", value, sizeof value, &found);
        return value;
    }

    std::filesystem::path folder;
    HostPaths paths;
};

TEST_F(HostStoreTest, LoadsTheConfigurationFileAndTellsWhereFramixIniIs)
{
    std::ofstream(paths.configFile, std::ios::binary) << "[CommDev_0]\r\nPort=EMULATOR\r\nUGIni=old\r\n";
    HostStore store = CreateHostStore();
    ASSERT_TRUE(store);
    EXPECT_EQ(store->GetType(), INIKIND_FAST);
    PrepareHostStore(*store, paths);
    EXPECT_EQ(Read(*store, "CommDev_0", "Port"), "EMULATOR");
    EXPECT_EQ(Read(*store, "CommDev_0", "UGIni"), paths.grabberConfigFile);
}

TEST_F(HostStoreTest, AMissingConfigurationFileLeavesOnlyTheGrabberKey)
{
    HostStore store = CreateHostStore();
    ASSERT_TRUE(store);
    PrepareHostStore(*store, paths);
    EXPECT_EQ(Read(*store, "CommDev_0", "Port"), "<none>");
    EXPECT_EQ(Read(*store, "CommDev_0", "UGIni"), paths.grabberConfigFile);
    EXPECT_FALSE(std::filesystem::exists(paths.configFile)) << "the programs never save the store";
}

} // namespace
} // namespace host_common
