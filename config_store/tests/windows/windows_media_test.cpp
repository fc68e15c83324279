// File saves on Windows: a target that cannot be replaced keeps its content.
#include "file_io.h"
#include "store_test_util.h"

#include <gtest/gtest.h>

#include "win32/unique_handle.h"

using namespace store_test;

namespace {

TEST(WindowsFileStore, TargetThatCannotBeReplacedKeepsItsContent)
{
    ScratchFolder folder("locked");
    const auto path = folder / "a.ini";
    WriteFileBytes(path, "[Old]\r\nk=v\r\n");
    // Held open without delete sharing, the target cannot be replaced.
    win32::UniqueFileHandle held(CreateFileA(path.string().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    CIniFile_Fast store;
    store.SetFileName(path.string().c_str());
    store.WriteString("New", "k", "v");
    int result = store.Save();
    held.reset();
    EXPECT_EQ(result, INIERR_WRITE);
    EXPECT_EQ(ReadFileBytes(path), "[Old]\r\nk=v\r\n");
    EXPECT_FALSE(std::filesystem::exists(config_store::TemporarySaveName(path.string())));
    EXPECT_EQ(store.Save(), 0);
    EXPECT_EQ(ReadFileBytes(path), "[New]\r\nk=v\r\n");
}

} // namespace
