// The calling contract of the framework instance: the vtable slot of each operation.
#include "KIVInst.h"
#include "kiv_testing/SlotIndex.h"

#include <gtest/gtest.h>

namespace {

TEST(SlotOrder, Instance)
{
    struct Expected {
        const char* name;
        std::ptrdiff_t slot;
        std::ptrdiff_t actual;
    } table[] = {
        {"Init", 0, SlotIndex(&CKIVInstance_0::Init)},
        {"LoadDeviceClient", 1, SlotIndex(&CKIVInstance_0::LoadDeviceClient)},
        {"GetVersionText", 2, SlotIndex(&CKIVInstance_0::GetVersionText)},
        {"GetObjInfo", 3, SlotIndex(&CKIVInstance_0::GetObjInfo)},
        {"GetNumObj", 4, SlotIndex(&CKIVInstance_0::GetNumObj)},
        {"GetObjID", 5, SlotIndex(&CKIVInstance_0::GetObjID)},
        {"CreateObj", 6, SlotIndex(&CKIVInstance_0::CreateObj)},
        {"DeleteObj", 7, SlotIndex(&CKIVInstance_0::DeleteObj)},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.slot, e.actual) << "expected slot " << e.slot << ", got " << e.actual;
    }
}

// Nothing may follow DeleteObj: the instance has no virtual destructor, so
// the next virtual of a derived class lands right after slot 7.
struct AfterLast : CKIVInstance_0 {
    virtual void Extra() {}
};

TEST(SlotOrder, InstanceHasEightSlots)
{
    EXPECT_EQ(8, SlotIndex(&AfterLast::Extra));
}

} // namespace
