// The calling contract between separately built modules: the vtable slot of
// every operation of the framework object, device client and communication device.
#include "HapDeviceComm.h"
#include "KIVObject.h"
#include "kiv_testing/SlotIndex.h"

#include <gtest/gtest.h>

namespace {

// Exposes the protected slot for its address.
struct DeviceClientProbe : CKIVDeviceClient_0 {
    static auto SignalSlot() { return SlotIndex(&DeviceClientProbe::SignalDlgEvent); }
};

struct Expected {
    const char* name;
    std::ptrdiff_t slot;
    std::ptrdiff_t actual;
};

void CheckSlots(const Expected* table, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(table[i].name);
        EXPECT_EQ(table[i].slot, table[i].actual)
            << "expected slot " << table[i].slot << ", got " << table[i].actual;
    }
}

TEST(SlotOrder, DeviceClient)
{
    const Expected table[] = {
        {"GetObjType", 0, SlotIndex(&CKIVDeviceClient_0::GetObjType)},
        {"GetParamLimits", 1, SlotIndex(&CKIVDeviceClient_0::GetParamLimits)},
        {"SetParam", 2, SlotIndex(&CKIVDeviceClient_0::SetParam)},
        {"GetParam", 3, SlotIndex(&CKIVDeviceClient_0::GetParam)},
        {"Connect", 4, SlotIndex(&CKIVDeviceClient_0::Connect)},
        {"Call", 5, SlotIndex(&CKIVDeviceClient_0::Call)},
        {"ShowDialogNonModal", 6, SlotIndex(&CKIVDeviceClient_0::ShowDialogNonModal)},
        {"CloseDialogNonModal", 7, SlotIndex(&CKIVDeviceClient_0::CloseDialogNonModal)},
        {"IsNonModalDialogOpen", 8, SlotIndex(&CKIVDeviceClient_0::IsNonModalDialogOpen)},
        {"SetDlgEventData", 9, SlotIndex(&CKIVDeviceClient_0::SetDlgEventData)},
        {"CreateDialogObject", 10, SlotIndex(&CKIVDeviceClient_0::CreateDialogObject)},
        {"SignalDlgEvent", 11, DeviceClientProbe::SignalSlot()},
    };
    CheckSlots(table, std::size(table));
}

TEST(SlotOrder, CommunicationDevice)
{
    const Expected table[] = {
        {"GetObjType", 0, SlotIndex(&CHapDeviceComm_0::GetObjType)},
        {"GetParam", 3, SlotIndex(&CHapDeviceComm_0::GetParam)},
        {"SetConfigStore", 4, SlotIndex(&CHapDeviceComm_0::SetConfigStore)},
        {"Init", 5, SlotIndex(&CHapDeviceComm_0::Init)},
        {"Exit", 6, SlotIndex(&CHapDeviceComm_0::Exit)},
        {"RestoreConfig", 7, SlotIndex(&CHapDeviceComm_0::RestoreConfig)},
        {"Detach", 8, SlotIndex(&CHapDeviceComm_0::Detach)},
        {"ShowConfigDialog", 9, SlotIndex(&CHapDeviceComm_0::ShowConfigDialog)},
        {"GetInfoText", 10, SlotIndex(&CHapDeviceComm_0::GetInfoText)},
        {"Lock", 11, SlotIndex(&CHapDeviceComm_0::Lock)},
        {"GetLockOwner", 12, SlotIndex(&CHapDeviceComm_0::GetLockOwner)},
        {"Unlock", 13, SlotIndex(&CHapDeviceComm_0::Unlock)},
        {"Open", 14, SlotIndex(&CHapDeviceComm_0::Open)},
        {"GetState", 15, SlotIndex(&CHapDeviceComm_0::GetState)},
        {"Close", 16, SlotIndex(&CHapDeviceComm_0::Close)},
        {"ReadChar", 17, SlotIndex(&CHapDeviceComm_0::ReadChar)},
        {"WriteChar", 18, SlotIndex(&CHapDeviceComm_0::WriteChar)},
        {"ReadData", 19, SlotIndex(&CHapDeviceComm_0::ReadData)},
        {"WriteData", 20, SlotIndex(&CHapDeviceComm_0::WriteData)},
        {"WriteText", 21, SlotIndex(&CHapDeviceComm_0::WriteText)},
        {"Purge", 22, SlotIndex(&CHapDeviceComm_0::Purge)},
    };
    CheckSlots(table, std::size(table));
}

// The destructor is the last slot: a class with one more virtual after it
// would place that one at 23 + 2 (GCC emits two destructor entries).
struct AfterDestructor : CHapDeviceComm_0 {
    virtual void Extra() {}
};
struct AfterClientDestructor : CKIVDeviceClient_0 {
    virtual void Extra() {}
};

TEST(SlotOrder, DestructorsAreLast)
{
    EXPECT_EQ(25, SlotIndex(&AfterDestructor::Extra));
    EXPECT_EQ(14, SlotIndex(&AfterClientDestructor::Extra));
}

} // namespace
