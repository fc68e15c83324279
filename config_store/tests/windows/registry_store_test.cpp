// The registry store under HKEY_CURRENT_USER\Software\Quarnel-Test-<pid>,
// removed again after each test.
#include "config_store/IniRegistry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class RegistryStore : public ::testing::Test {
protected:
    RegistryStore() : subkey("Software\\Quarnel-Test-" + std::to_string(GetCurrentProcessId()))
    {
        path = "hkey_current_user\\" + subkey;
    }
    ~RegistryStore() override { RegDeleteTreeA(HKEY_CURRENT_USER, subkey.c_str()); }

    void Open() { ASSERT_EQ(store.SetFileName(path.c_str()), 0); }

    bool ValueOfType(const char* section, const char* value, DWORD expectedType)
    {
        std::string key = subkey + "\\" + section;
        DWORD type = 0;
        LONG rc = RegGetValueA(HKEY_CURRENT_USER, key.c_str(), value, RRF_RT_ANY, &type, nullptr, nullptr);
        return rc == ERROR_SUCCESS && type == expectedType;
    }

    std::string subkey;
    std::string path;
    CIniFile_Reg store;
    int found = -1;
    char buf[64] = {};
};

TEST_F(RegistryStore, PathMustNameARootInFull)
{
    const char* refused[] = {"HKCU\\Software\\X", "HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\", "HKEY_CURRENT_USERx\\a",
                             "HKEY_NOWHERE\\Software", nullptr};
    for (const char* p : refused) {
        SCOPED_TRACE(p ? p : "(null)");
        EXPECT_EQ(store.SetFileName(p), INIERR_OPEN);
    }
    EXPECT_EQ(store.WriteUInt("S", "k", 1), INIERR_WRITE) << "no base key";
    EXPECT_EQ(store.WriteUInt64("S", "k", 1), INIERR_WRITE) << "a write that stored nothing is a failure";
    EXPECT_EQ(store.DeleteAll(), INIERR_DELETE);
    EXPECT_EQ(store.GetSectionCount(), 0u);
    Open();
    win32::UniqueRegKey key;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, subkey.c_str(), key.receive()), ERROR_SUCCESS) << "the path is created";
}

TEST_F(RegistryStore, NumbersUseNativeTypes)
{
    Open();
    EXPECT_EQ(store.WriteHex("S", "hex", 5), 0);
    EXPECT_TRUE(ValueOfType("S", "hex", REG_DWORD));
    EXPECT_EQ(store.GetUInt("S", "hex", 0, &found), 5u);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(store.GetString("S", "hex", "def", buf, sizeof buf, &found), 3u);
    EXPECT_EQ(found, 0) << "a DWORD is not text";
    EXPECT_EQ(store.GetUInt64("S", "hex", 0, &found), 5u) << "DWORD widens";

    EXPECT_EQ(store.WriteUInt64("S", "big", 0x100000000ull), 0);
    EXPECT_TRUE(ValueOfType("S", "big", REG_QWORD));
    EXPECT_EQ(store.GetUInt("S", "big", 7, &found), 7u);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(store.GetUInt64("S", "big", 7, &found), 0x100000000ull);
    EXPECT_EQ(store.WriteInt64("S", "small", -1), 0);
    EXPECT_EQ(store.GetInt("S", "small", 7, &found), 7) << "a QWORD above 32 bits";
    EXPECT_EQ(store.WriteInt64("S", "fits", 12), 0);
    EXPECT_EQ(store.GetInt("S", "fits", 7, &found), 12);

    store.WriteDouble("S", "d", 1.5);
    EXPECT_DOUBLE_EQ(store.GetDouble("S", "d", 0, &found), 1.5);
    const unsigned char bytes[] = {1, 2, 3};
    EXPECT_EQ(store.WriteBinary("S", "bin", bytes, 3), 0);
    unsigned char out[3] = {};
    EXPECT_EQ(store.GetBinary("S", "bin", nullptr, 0, out, 3, &found), 3u);
    EXPECT_EQ(out[2], 3);
}

TEST_F(RegistryStore, FieldsLiveInASubkeyPerKey)
{
    Open();
    EXPECT_EQ(store.WriteFieldString("Port", "COM1", "PORTNAME", "COM1"), 0);
    EXPECT_EQ(store.WriteFieldUInt("Port", "COM1", "BAUD", 115200), 0);
    const unsigned char bytes[] = {0xAA, 0xBB};
    EXPECT_EQ(store.WriteFieldBinary("Port", "COM1", "Raw", bytes, 2), 0);
    EXPECT_EQ(store.GetFieldCount("Port", "COM1"), 3u);
    EXPECT_EQ(store.FieldExists("Port", "COM1", "baud"), 1);
    EXPECT_EQ(store.GetFieldUInt("Port", "COM1", "BAUD", 0, &found), 115200u);
    EXPECT_EQ(store.GetFieldString("Port", "COM1", "PORTNAME", "", buf, sizeof buf, &found), 4u);
    unsigned char out[4] = {};
    const unsigned char def[] = {9, 9, 9, 9};
    EXPECT_EQ(store.GetFieldBinary("Port", "COM1", "Raw", def, 4, out, 4, &found), 2u);
    EXPECT_EQ(store.GetFieldBinary("Port", "COM1", "BAUD", def, 4, out, 3, &found), 3u);
    EXPECT_EQ(found, 0);

    EXPECT_EQ(store.DeleteField("Port", "COM1", "BAUD"), 0);
    EXPECT_EQ(store.FieldExists("Port", "COM1", "BAUD"), 0);
    EXPECT_EQ(store.DeleteField("Port", "COM1", "BAUD"), INIERR_DELETE);
    EXPECT_EQ(store.DeleteField("Missing", "COM1", "BAUD"), 0);

    store.WriteString("Port", "COM1", "plain value");
    EXPECT_EQ(store.DeleteKey("Port", "COM1"), 0);
    EXPECT_EQ(store.GetFieldCount("Port", "COM1"), 0u);
    EXPECT_EQ(store.KeyExists("Port", "com1"), 1) << "the two-level value stays";
}

TEST_F(RegistryStore, EnumerationAndDeletion)
{
    Open();
    store.WriteString("A", "x", "1");
    store.WriteString("B", "y", "2");
    store.WriteString("B", "z", "3");
    EXPECT_EQ(store.GetSectionCount(), 2u);
    EXPECT_EQ(store.SectionExists("b"), 1);
    EXPECT_EQ(store.GetKeyCount("B"), 2u);
    EXPECT_EQ(store.GetKeyCount("Missing"), 0u);
    EXPECT_EQ(store.KeyExists("B", "Z"), 1);
    EXPECT_EQ(store.KeyExists("B", "q"), 0);
    std::strcpy(buf, "untouched");
    EXPECT_EQ(store.GetKeyName("Missing", 0, buf, sizeof buf), 0u);
    EXPECT_STREQ(buf, "untouched");
    EXPECT_GT(store.GetSectionName(0, buf, sizeof buf), 0u);
    EXPECT_EQ(store.GetSectionName(5, buf, sizeof buf), 0u);
    EXPECT_STREQ(buf, "");

    // Nested subkeys below a section all go.
    store.WriteFieldUInt("B", "deep", "f", 1);
    std::string deeper = subkey + "\\B\\deep\\more\\evenmore";
    {
        win32::UniqueRegKey nested;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, deeper.c_str(), nested.receive()), ERROR_SUCCESS);
    }
    EXPECT_EQ(store.DeleteSection("B"), 0);
    EXPECT_EQ(store.SectionExists("B"), 0);
    EXPECT_EQ(store.DeleteSection("B"), INIERR_DELETE);

    EXPECT_EQ(store.DeleteAll(), 0);
    EXPECT_EQ(store.GetSectionCount(), 0u);
    EXPECT_EQ(store.GetString("A", "x", "gone", buf, sizeof buf, &found), 4u);
}

TEST_F(RegistryStore, DeleteTreeEndsWhenEntriesCannotBeDeleted)
{
    Open();
    store.WriteString("Keep", "x", "1");
    store.WriteFieldUInt("Keep", "sub", "f", 1);
    // A key opened without the right to delete below it: deletes fail, and the
    // walk must still end.
    win32::UniqueRegKey readOnly;
    std::string keep = subkey + "\\Keep";
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, keep.c_str(), 0, KEY_READ, readOnly.receive()), ERROR_SUCCESS);
    store.DeleteTree(readOnly.get());
    readOnly.reset();
    EXPECT_EQ(store.KeyExists("Keep", "x"), 1);
}

} // namespace
