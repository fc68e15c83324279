// Framix.ini: section names, the load list read from a real store, discovery order, plug-in paths.
#include "framix_core/IniLayout.h"

#include "config_store/IniFile.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace framix;

struct StoreDeleter {
    void operator()(CIniFile* s) const { DeleteIniFile(s); }
};
using Store = std::unique_ptr<CIniFile, StoreDeleter>;

Store MemStore()
{
    return Store(CreateIniFile(INIKIND_MEM));
}

TEST(IniLayout, SectionNames)
{
    EXPECT_EQ(GrabberSection(0), "Grabber_0");
    EXPECT_EQ(GrabberSection(12), "Grabber_12");
    EXPECT_EQ(CameraSection(1, 3), "Grabber_1_Camera_3");
    EXPECT_EQ(ModeSection(1, 3, 0), "Grabber_1_Camera_3_Mode_0");
    EXPECT_EQ(CmdChannelSection(2, 4), "Grabber_2_CmdChannel_4");
    EXPECT_EQ(CmdChannelTypeKey(4), "CmdChannel4Type");
    EXPECT_LT(ModeSection(INT32_MIN, INT32_MIN, INT32_MIN).size(), kSectionNameSize);
    EXPECT_LT(CmdChannelSection(INT32_MIN, UINT32_MAX).size(), kSectionNameSize);
}

TEST(IniLayout, ParsesOnlyExactSectionNames)
{
    const struct {
        const char* name;
        int expected; // -1: not a grabber section
    } cases[] = {
        {"Grabber_0", 0},
        {"grabber_17", 17},
        {"GRABBER_9999", 9999},
        {"Grabber_10000", -1},
        {"Grabber_", -1},
        {"Grabber_-1", -1},
        {"Grabber_1_Camera_0", -1},
        {"Grabber_ 1", -1},
        {"Framix", -1},
        {"Grabber0", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto n = ParseGrabberSection(c.name);
        EXPECT_EQ(n ? *n : -1, c.expected);
    }
    EXPECT_EQ(ParseCameraSection("Grabber_2_Camera_5", 2).value_or(-1), 5);
    EXPECT_FALSE(ParseCameraSection("Grabber_2_Camera_5_Mode_0", 2));
    EXPECT_FALSE(ParseCameraSection("Grabber_3_Camera_5", 2));
}

TEST(IniLayout, LoadListInSectionOrderSkippingSectionsWithoutFile)
{
    Store store = MemStore();
    ASSERT_TRUE(store);
    store->WriteString("Framix", "LogFile", "Framix.log");
    store->WriteString("Grabber_10", "File", "FramixB.dll");
    store->WriteString("Grabber_2", "File", "  FramixA.dll ");
    store->WriteString("Grabber_3", "UniqueId", "7"); // configuration only
    store->WriteString("Grabber_4", "File", "");      // empty file: not listed
    store->WriteString("Grabber_2_Camera_0", "File", "x.dll");
    store->WriteString("Grabber_0", "File", "C:\\abs\\FramixC.dll");
    const auto list = ReadLoadList(*store);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].section, 0);
    EXPECT_EQ(list[0].file, "C:\\abs\\FramixC.dll");
    EXPECT_EQ(list[1].section, 2);
    EXPECT_EQ(list[1].file, "FramixA.dll");
    EXPECT_EQ(list[2].section, 10);
    EXPECT_EQ(list[2].file, "FramixB.dll");
}

TEST(IniLayout, NoGrabberSectionsMeansNoList)
{
    Store store = MemStore();
    EXPECT_TRUE(ReadLoadList(*store).empty());
    store->WriteString("Grabber_0", "UniqueId", "3");
    EXPECT_TRUE(ReadLoadList(*store).empty());
}

TEST(IniLayout, DiscoveryMatchesFramixDllsButNotTheFramework)
{
    const auto list = DiscoveryList({"FramixZelmkAPI.dll", "Framix.dll", "framix.DLL", "FRAMIXtest.DLL", "Framix.ini",
                                     "FramixHost.exe", "KIVInst.dll", "Framixa.dll.bak", "AFramix.dll", "FramixA.dll"});
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].file, "FramixA.dll");
    EXPECT_EQ(list[1].file, "FRAMIXtest.DLL");
    EXPECT_EQ(list[2].file, "FramixZelmkAPI.dll");
    EXPECT_EQ(list[0].section, 0);
    EXPECT_EQ(list[1].section, 1);
    EXPECT_EQ(list[2].section, 2);
}

TEST(IniLayout, PluginPaths)
{
    const struct {
        const char* folder;
        const char* file;
        const char* path;
    } cases[] = {
        {"C:\\bin", "FramixA.dll", "C:\\bin\\FramixA.dll"},
        {"C:\\bin\\", "FramixA.dll", "C:\\bin\\FramixA.dll"},
        {"C:\\bin", "sub\\FramixA.dll", "C:\\bin\\sub\\FramixA.dll"},
        {"C:\\bin", "D:\\x\\FramixA.dll", "D:\\x\\FramixA.dll"},
        {"C:\\bin", "\\\\server\\share\\F.dll", "\\\\server\\share\\F.dll"},
        {"", "FramixA.dll", "FramixA.dll"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(ResolvePluginPath(c.folder, c.file), c.path);
    }
    EXPECT_EQ(FolderOf("C:\\data\\Framix.ini"), "C:\\data");
    EXPECT_EQ(FolderOf("Framix.ini"), "");
}

} // namespace
