// The profile-function store, run against the platform's profile functions (the
// system's on Windows, the file-store equivalent elsewhere).
#include "profile_access.h"
#include "store_test_util.h"

#include <gtest/gtest.h>

using namespace store_test;

namespace {

class SecureStore : public ::testing::Test {
protected:
    SecureStore() : folder("secure"), path((folder / "profile.ini").string()) { store.SetFileName(path.c_str()); }
    ScratchFolder folder;
    std::string path;
    CIniFile_Secure store;
    int found = -1;
    char buf[64] = {};
};

TEST_F(SecureStore, ValuesGoStraightToTheFile)
{
    store.WriteString("Port", "PortName", "COM3");
    store.WriteHex("Port", "Mask", 255);
    EXPECT_EQ(store.WriteFieldUInt("Port", "List", "BAUD", 9600), 0);
    EXPECT_EQ(store.Load(), 0);
    EXPECT_EQ(store.Save(), 0);

    CIniFile_Secure other; // a second store sees the changes at once
    other.SetFileName(path.c_str());
    EXPECT_EQ(other.GetString("port", "portname", "", buf, sizeof buf, &found), 4u);
    EXPECT_STREQ(buf, "COM3");
    EXPECT_EQ(found, 1);
    EXPECT_EQ(other.GetUInt("Port", "Mask", 0, &found), 255u);
    EXPECT_EQ(RawValue(other, "Port", "Mask"), "0x000000FF");
    EXPECT_EQ(other.GetFieldUInt("Port", "List", "baud", 0, &found), 9600u);
}

TEST_F(SecureStore, DefaultTextReadsAsNotFound)
{
    store.WriteString("S", "k", "same");
    std::string out;
    store.ReadRaw("S", "k", "same", out, &found);
    EXPECT_EQ(out, "same");
    EXPECT_EQ(found, 0);
    store.ReadRaw("S", "k", "other", out, &found);
    EXPECT_EQ(found, 1);
    store.ReadRaw(nullptr, "k", "d", out, &found);
    EXPECT_EQ(out, "d");
    EXPECT_EQ(found, 0);
}

TEST_F(SecureStore, KeyNamesMatchWhole)
{
    store.WriteString("S", "PortName", "1");
    EXPECT_EQ(store.KeyExists("S", "Port"), 0) << "a prefix of a key is not the key";
    EXPECT_EQ(store.KeyExists("s", "PORTNAME"), 1);
    EXPECT_EQ(store.KeyExists("S", nullptr), 0);
    EXPECT_EQ(store.GetKeyName("S", 0, buf, sizeof buf), 8u);
    EXPECT_STREQ(buf, "PortName");
    EXPECT_EQ(store.GetKeyName("S", 0, buf, 5), 4u);
    EXPECT_STREQ(buf, "Port");
    EXPECT_EQ(store.GetKeyName("S", 1, buf, sizeof buf), 0u);
    EXPECT_EQ(store.GetKeyName(nullptr, 0, buf, sizeof buf), IniErrorAsSize(INIERR_PARAM));
    EXPECT_EQ(store.GetKeyCount(nullptr), IniErrorAsSize(INIERR_PARAM));
}

TEST_F(SecureStore, EnumerationAndDeletion)
{
    store.WriteString("A", "x", "1");
    store.WriteString("B", "y", "2");
    store.WriteString("B", "z", "3");
    EXPECT_EQ(store.GetSectionCount(), 2u);
    EXPECT_EQ(store.GetSectionName(1, buf, sizeof buf), 1u);
    EXPECT_STREQ(buf, "B");
    EXPECT_EQ(store.GetSectionName(2, buf, sizeof buf), 0u);
    EXPECT_EQ(store.GetSectionName(0, nullptr, 4), IniErrorAsSize(INIERR_PARAM));
    EXPECT_EQ(store.SectionExists("b"), 1);
    EXPECT_EQ(store.GetKeyCount("B"), 2u);

    EXPECT_EQ(store.DeleteKey("B", "y"), 0);
    EXPECT_EQ(store.GetKeyCount("B"), 1u);
    EXPECT_EQ(store.DeleteKey("B", nullptr), INIERR_PARAM) << "a null key must not delete the section";
    EXPECT_EQ(store.SectionExists("B"), 1);
    EXPECT_EQ(store.DeleteSection("B"), 0);
    EXPECT_EQ(store.SectionExists("B"), 0);
    EXPECT_EQ(store.SectionExists("A"), 1);
    EXPECT_EQ(store.DeleteAll(), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(store.DeleteAll(), INIERR_WRITE) << "no file left to delete";
}

TEST(ProfileLists, SplitNulTerminatedNames)
{
    using config_store::SplitNulList;
    const char list[] = "A\0Bc\0\0junk";
    EXPECT_EQ(SplitNulList(list, sizeof list), (std::vector<std::string>{"A", "Bc"}));
    EXPECT_EQ(SplitNulList(list, 3), (std::vector<std::string>{"A", "B"})) << "cut by the returned length";
    EXPECT_TRUE(SplitNulList(list, 0).empty());
}

} // namespace

namespace {

// Profile functions that run out of memory on every call.
class ExhaustedProfile : public config_store::ProfileAccess {
public:
    std::vector<std::string> SectionNames(const std::string&, size_t) override { throw std::bad_alloc(); }
    std::vector<std::string> SectionEntries(const std::string&, const char*, size_t) override
    {
        throw std::bad_alloc();
    }
    std::string GetString(const std::string&, const char*, const char*, const char*, size_t) override
    {
        throw std::bad_alloc();
    }
    bool WriteString(const std::string&, const char*, const char*, const char*) override { throw std::bad_alloc(); }
    bool DeleteSection(const std::string&, const char*) override { throw std::bad_alloc(); }
    bool DeleteProfileFile(const std::string&) override { throw std::bad_alloc(); }
};

TEST(StoreBoundary, AllocationFailuresBecomeResultsNotExceptions)
{
    CIniFile_Secure store(std::make_unique<ExhaustedProfile>());
    CIniFile_0& table = store;
    int found = -1;
    char buf[8] = "keep";
    EXPECT_EQ(table.GetSectionCount(), 0u);
    EXPECT_EQ(table.SectionExists("S"), 0);
    EXPECT_EQ(table.GetKeyName("S", 0, buf, sizeof buf), 0u);
    EXPECT_EQ(table.GetUInt("S", "k", 5, &found), 5u);
    EXPECT_EQ(found, 0);
    found = -1;
    EXPECT_EQ(table.GetString("S", "k", "d", buf, sizeof buf, &found), 0u);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(table.DeleteAll(), INIERR_WRITE);
    EXPECT_EQ(table.DeleteSection("S"), INIERR_WRITE);
    EXPECT_EQ(table.DeleteKey("S", "k"), INIERR_WRITE);
    EXPECT_EQ(table.FieldExists("S", "k", "f"), 0);
    table.WriteRaw("S", "k", "v");
}

} // namespace
