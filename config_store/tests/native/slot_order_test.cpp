// The virtual operations of CIniFile_0 sit in the slots that libraries outside
// the suite call. A pointer to a virtual member holds 1 + the byte offset of its
// slot under the Itanium C++ ABI (GCC on Linux and MinGW alike).
#include "config_store/IniFile.h"
#ifdef _WIN32
#include "config_store/IniRegistry.h"
#endif

#include <gtest/gtest.h>

#include <cstring>

namespace {

template <class Member>
size_t SlotOf(Member member)
{
    static_assert(sizeof(Member) == 2 * sizeof(void*), "Itanium member pointer layout expected");
    uintptr_t bits = 0;
    std::memcpy(&bits, &member, sizeof bits);
    EXPECT_EQ(bits & 1, 1u) << "not a virtual member";
    return (bits - 1) / sizeof(void*);
}

#define SLOT(name, slot)                       \
    {                                          \
#name, SlotOf(&CIniFile_0::name), slot \
    }

TEST(SlotOrder, InterfaceOperationsKeepTheirSlots)
{
    const struct {
        const char* name;
        size_t actual;
        size_t expected;
    } slots[] = {
        SLOT(GetType, 0),
        SLOT(SetFileName, 1),
        SLOT(Load, 2),
        SLOT(Save, 3),
        SLOT(GetSectionCount, 4),
        SLOT(GetSectionName, 5),
        SLOT(SectionExists, 6),
        SLOT(GetKeyCount, 7),
        SLOT(GetKeyName, 8),
        SLOT(KeyExists, 9),
        SLOT(DeleteAll, 10),
        SLOT(DeleteSection, 11),
        SLOT(DeleteKey, 12),
        SLOT(GetString, 13),
        SLOT(GetUInt, 14),
        SLOT(GetInt, 15),
        SLOT(GetUInt64, 16),
        SLOT(GetInt64, 17),
        SLOT(GetDouble, 18),
        SLOT(GetBinary, 19),
        SLOT(WriteString, 20),
        SLOT(WriteUInt, 21),
        SLOT(WriteInt, 22),
        SLOT(WriteHex, 23),
        SLOT(WriteUInt64, 24),
        SLOT(WriteInt64, 25),
        SLOT(WriteHex64, 26),
        SLOT(WriteDouble, 27),
        SLOT(WriteBinary, 28),
        SLOT(GetFieldString, 29),
        SLOT(GetFieldUInt, 30),
        SLOT(GetFieldInt, 31),
        SLOT(GetFieldUInt64, 32),
        SLOT(GetFieldInt64, 33),
        SLOT(GetFieldDouble, 34),
        SLOT(GetFieldBinary, 35),
        SLOT(WriteFieldString, 36),
        SLOT(WriteFieldUInt, 37),
        SLOT(WriteFieldInt, 38),
        SLOT(WriteFieldHex, 39),
        SLOT(WriteFieldUInt64, 40),
        SLOT(WriteFieldInt64, 41),
        SLOT(WriteFieldHex64, 42),
        SLOT(WriteFieldDouble, 43),
        SLOT(WriteFieldBinary, 44),
        SLOT(GetFieldCount, 45),
        SLOT(GetFieldName, 46),
        SLOT(FieldExists, 47),
        SLOT(DeleteField, 48),
        SLOT(ReadRaw, 49),
        SLOT(WriteRaw, 50),
        SLOT(ReadFieldRaw, 51),
        SLOT(WriteFieldRaw, 52),
    };
    for (const auto& s : slots) {
        EXPECT_EQ(s.actual, s.expected) << s.name << ": expected slot " << s.expected << ", got " << s.actual;
    }
}

#undef SLOT

#ifdef _WIN32
TEST(SlotOrder, RegistryDeleteTreeFollowsTheDestructor)
{
    // The destructor is slot 53; GCC gives it two entries (53 and 54), so the
    // registry store's own operation lands in entry 55.
    EXPECT_EQ(SlotOf(&CIniFile_Reg::DeleteTree), 55u);
}
#endif

// A call through the interface table reaches the variant's operation.
TEST(SlotOrder, CallsThroughTheInterfaceReachTheStore)
{
    CIniFile* store = CreateIniFile(INIKIND_MEM);
    ASSERT_NE(store, nullptr);
    CIniFile_0* table = store;
    EXPECT_EQ(table->GetType(), INIKIND_MEM);
    EXPECT_EQ(table->WriteHex("S", "k", 5), 0);
    EXPECT_EQ(table->GetUInt("S", "k", 0, nullptr), 5u);
    DeleteIniFile(store);
}

} // namespace
