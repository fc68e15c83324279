// The file store: loading and saving files, line ends, missing folders and
// saves that fail part-way.
#include "file_io.h"
#include "store_test_util.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using namespace store_test;

namespace {

std::string WithPlatformLineEnds(std::string text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += config_store::kPlatformLineEnd;
        } else {
            out += c;
        }
    }
    return out;
}

TEST(FileStore, LoadThenSaveGivesTheSameBytes)
{
    ScratchFolder folder("roundtrip");
    const std::string text = WithPlatformLineEnds("; settings\n\n[CommDev_0]\nUGIni=C:\\x\\Framix.ini\n; c\n\n[B]\nk= v \n");
    WriteFileBytes(folder / "a.ini", text);
    CIniFile_Fast store;
    store.SetFileName((folder / "a.ini").string().c_str());
    ASSERT_EQ(store.Load(), 0);
    ASSERT_EQ(store.Save(), 0);
    EXPECT_EQ(ReadFileBytes(folder / "a.ini"), text);
    EXPECT_FALSE(std::filesystem::exists(config_store::TemporarySaveName((folder / "a.ini").string())));
}

TEST(FileStore, ReadsCrLfAndLfAlike)
{
    ScratchFolder folder("lineends");
    WriteFileBytes(folder / "crlf.ini", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2");
    CIniFile_Fast store;
    store.SetFileName((folder / "crlf.ini").string().c_str());
    ASSERT_EQ(store.Load(), 0);
    EXPECT_EQ(RawValue(store, "A", "x"), "1");
    EXPECT_EQ(RawValue(store, "B", "y"), "2") << "last line without a line end";
    ASSERT_EQ(store.Save(), 0);
    EXPECT_EQ(ReadFileBytes(folder / "crlf.ini"), WithPlatformLineEnds("[A]\nx=1\n\n[B]\ny=2\n"));
}

TEST(FileStore, MissingFileLeavesTheStoreAlone)
{
    ScratchFolder folder("missing");
    CIniFile_Fast store;
    store.WriteString("Keep", "k", "v");
    store.SetFileName((folder / "none.ini").string().c_str());
    EXPECT_EQ(store.Load(), INIERR_OPEN);
    EXPECT_EQ(RawValue(store, "Keep", "k"), "v");
    CIniFile_Fast unnamed;
    EXPECT_EQ(unnamed.Save(), INIERR_OPEN);
}

TEST(FileStore, SaveCreatesMissingFolders)
{
    ScratchFolder folder("folders");
    const auto path = folder / "Quarnel" / "Varnik V1.0.0" / "Varnik.ini";
    CIniFile_Fast store;
    store.SetFileName(path.string().c_str());
    store.WriteString("CommDev_0", "UGIni", "Framix.ini");
    ASSERT_EQ(store.Save(), 0);
    EXPECT_EQ(ReadFileBytes(path), WithPlatformLineEnds("[CommDev_0]\nUGIni=Framix.ini\n"));
}

TEST(FileStore, SaveThatCannotStartKeepsTheOldFile)
{
    ScratchFolder folder("blocked");
    const auto path = folder / "a.ini";
    WriteFileBytes(path, "[Old]\nk=v\n");
    // A folder where the temporary file would go makes the save fail at once.
    std::filesystem::create_directory(config_store::TemporarySaveName(path.string()));
    CIniFile_Fast store;
    store.SetFileName(path.string().c_str());
    store.WriteString("New", "k", "v");
    EXPECT_EQ(store.Save(), INIERR_OPEN);
    EXPECT_EQ(ReadFileBytes(path), "[Old]\nk=v\n");
}

#ifndef _WIN32
// A file size limit makes the writes fail part-way through, as a full disk does.
TEST(FileStore, SaveThatFailsPartWayKeepsTheOldFile)
{
    ScratchFolder folder("partial");
    const auto path = folder / "a.ini";
    WriteFileBytes(path, "[Old]\nk=v\n");
    CIniFile_Fast store;
    store.SetFileName(path.string().c_str());
    for (int i = 0; i < 200; ++i) store.WriteUInt("Big", ("key" + std::to_string(i)).c_str(), 1000u + i);

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    int result = store.Save();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, INIERR_WRITE);
    EXPECT_EQ(ReadFileBytes(path), "[Old]\nk=v\n");
    EXPECT_FALSE(std::filesystem::exists(config_store::TemporarySaveName(path.string())));
    EXPECT_EQ(store.Save(), 0) << "the next save goes through";
    EXPECT_EQ(store.GetUInt("Big", "key199", 0, nullptr), 1199u);
}
#endif

TEST(Factory, KindsAndDeletion)
{
    for (int kind : {INIKIND_FAST, INIKIND_SECURE, INIKIND_MEM}) {
        SCOPED_TRACE(kind);
        CIniFile* store = CreateIniFile(kind);
        ASSERT_NE(store, nullptr);
        EXPECT_EQ(store->GetType(), kind);
        DeleteIniFile(store);
    }
    EXPECT_EQ(CreateIniFile(4), nullptr);
    EXPECT_EQ(CreateIniFile(-1), nullptr);
    DeleteIniFile(nullptr);
}

} // namespace
