// The virtual operations of the framework's classes sit in the slots that
// separately built plug-ins call. A pointer to a virtual member holds 1 + the
// byte offset of its slot under the Itanium C++ ABI (GCC on Linux and MinGW
// alike), so swapping two declarations fails here.
#include "CmdChannel.h"
#include "UnifiedCamera.h"
#include "UnifiedGfxMode.h"
#include "UnifiedGrabber.h"

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

struct Slot {
    const char* name;
    size_t actual;
    size_t expected;
};

void CheckSlots(const Slot* slots, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        EXPECT_EQ(slots[i].actual, slots[i].expected)
            << slots[i].name << ": expected slot " << slots[i].expected << ", got " << slots[i].actual;
}

#define SLOT(cls, name, slot)           \
    {                                   \
#name, SlotOf(&cls::name), slot \
    }

TEST(SlotOrder, Grabber)
{
    const Slot slots[] = {
        SLOT(CUnifiedGrabber, SetGrabberIni, 0),
        SLOT(CUnifiedGrabber, SetCameraIni, 1),
        SLOT(CUnifiedGrabber, LoadGrabberConfig, 2),
        SLOT(CUnifiedGrabber, GetCamSpecInt32, 3),
        SLOT(CUnifiedGrabber, GetCamSpecString, 4),
        SLOT(CUnifiedGrabber, GetModeSpecInt32, 5),
        SLOT(CUnifiedGrabber, GetGrabberInt32, 6),
        SLOT(CUnifiedGrabber, GetGrabberString, 7),
        SLOT(CUnifiedGrabber, GetActCamSpecInt32, 8),
        SLOT(CUnifiedGrabber, GetActCamSpecString, 9),
        SLOT(CUnifiedGrabber, GetActModeSpecInt32, 10),
        SLOT(CUnifiedGrabber, GetActModeSpecString, 11),
        SLOT(CUnifiedGrabber, SaveGrabberInt32, 12),
        SLOT(CUnifiedGrabber, SaveGrabberHex32, 13),
        SLOT(CUnifiedGrabber, SaveGrabberString, 14),
        SLOT(CUnifiedGrabber, SaveCameraModeConfig, 15),
        SLOT(CUnifiedGrabber, SaveGrabberConfig, 16),
        SLOT(CUnifiedGrabber, Init, 17),
        SLOT(CUnifiedGrabber, DeInit, 18),
        SLOT(CUnifiedGrabber, OpenActCamera, 19),
        SLOT(CUnifiedGrabber, IsActCameraOpen, 20),
        SLOT(CUnifiedGrabber, CloseActCamera, 21),
        SLOT(CUnifiedGrabber, GetDriverDesc, 22),
        SLOT(CUnifiedGrabber, GetDriverName, 23),
        SLOT(CUnifiedGrabber, GetDriverVersion, 24),
        SLOT(CUnifiedGrabber, GetNumCameras, 25),
        SLOT(CUnifiedGrabber, GetActCameraIndex, 26),
        SLOT(CUnifiedGrabber, GetCameraIndexByHAPCameraID, 27),
        SLOT(CUnifiedGrabber, GetCameraIndexByCameraUniqueID, 28),
        SLOT(CUnifiedGrabber, GetFirstCamera, 29),
        SLOT(CUnifiedGrabber, GetCamera, 30),
        SLOT(CUnifiedGrabber, GetActCamera, 31),
        SLOT(CUnifiedGrabber, GetLastCamera, 32),
        SLOT(CUnifiedGrabber, SetActCameraIndex, 33),
        SLOT(CUnifiedGrabber, SelectCameraDialog, 34),
        SLOT(CUnifiedGrabber, SelectModeDialog, 35),
        SLOT(CUnifiedGrabber, PrepareFrameBuffers, 36),
        SLOT(CUnifiedGrabber, GetLastFilledBuffer, 37),
        SLOT(CUnifiedGrabber, GetFrameBuffer, 38),
        SLOT(CUnifiedGrabber, ReleaseFrameBuffer, 39),
        SLOT(CUnifiedGrabber, InstPostProcessMsgWnd, 40),
        SLOT(CUnifiedGrabber, InstPostProcessThreadID, 41),
        SLOT(CUnifiedGrabber, InstPostProcessCallBack, 42),
        SLOT(CUnifiedGrabber, InstCamCfgChangeMsgWnd, 43),
        SLOT(CUnifiedGrabber, InstCamCfgChangeThreadID, 44),
        SLOT(CUnifiedGrabber, InstCamCfgChangeCallBack, 45),
        SLOT(CUnifiedGrabber, RescanCameras, 46),
        SLOT(CUnifiedGrabber, GetGrabberParamLimits, 47),
        SLOT(CUnifiedGrabber, GetGrabberParam, 48),
        SLOT(CUnifiedGrabber, SetGrabberParam, 49),
        SLOT(CUnifiedGrabber, Snap, 50),
        SLOT(CUnifiedGrabber, GetSnapMode, 51),
        SLOT(CUnifiedGrabber, StopSnap, 52),
        SLOT(CUnifiedGrabber, CamCntrlDialog, 53),
        SLOT(CUnifiedGrabber, CloseCamCntrlDialog, 54),
        SLOT(CUnifiedGrabber, IsCamCntrlDialogOpen, 55),
        SLOT(CUnifiedGrabber, InstCamCntrlMsgWnd, 56),
        SLOT(CUnifiedGrabber, InstCamCntrlThreadID, 57),
        SLOT(CUnifiedGrabber, InstCamCntrlCallBack, 58),
        SLOT(CUnifiedGrabber, GrabberConfigDialog, 59),
        SLOT(CUnifiedGrabber, GetNumCmdChannels, 60),
        SLOT(CUnifiedGrabber, SetActCmdChannelIndex, 61),
        SLOT(CUnifiedGrabber, GetFirstCmdChannel, 62),
        SLOT(CUnifiedGrabber, GetActCmdChannel, 63),
        SLOT(CUnifiedGrabber, GetCmdChannel, 64),
        SLOT(CUnifiedGrabber, GetActCmdChannelIndex, 65),
        SLOT(CUnifiedGrabber, SelectCmdDialog, 66),
        SLOT(CUnifiedGrabber, CMDOpen, 67),
        SLOT(CUnifiedGrabber, CMDReadByte, 68),
        SLOT(CUnifiedGrabber, CMDWriteByte, 69),
        SLOT(CUnifiedGrabber, CMDReadBuffer, 70),
        SLOT(CUnifiedGrabber, CMDWriteBuffer, 71),
        SLOT(CUnifiedGrabber, CMDWriteCString, 72),
        SLOT(CUnifiedGrabber, CMDPurge, 73),
        SLOT(CUnifiedGrabber, CMDClose, 74),
        SLOT(CUnifiedGrabber, SetGrabberBit, 75),
        SLOT(CUnifiedGrabber, GetGrabberBit, 76),
        SLOT(CUnifiedGrabber, GetFeatureStatus, 77),
        SLOT(CUnifiedGrabber, GetFeatureMask, 78),
        SLOT(CUnifiedGrabber, SetFeature, 79),
        SLOT(CUnifiedGrabber, GetFeature, 80),
        SLOT(CUnifiedGrabber, StartTimer, 81),
        SLOT(CUnifiedGrabber, StopTimer, 82),
        SLOT(CUnifiedGrabber, ChangeTimerTB, 83),
        SLOT(CUnifiedGrabber, GetTimerPeriod, 84),
        SLOT(CUnifiedGrabber, SetTimerPeriod, 85),
        SLOT(CUnifiedGrabber, GetNumCmdChannelTypes, 86),
        SLOT(CUnifiedGrabber, CreateCmdChannel, 87),
        SLOT(CUnifiedGrabber, DeleteCmdChannel, 88),
        SLOT(CUnifiedGrabber, DeleteCmdChannelList, 89),
        SLOT(CUnifiedGrabber, SignalCamCfgChange, 90),
        SLOT(CUnifiedGrabber, SignalCamCntrlDlgEvent, 91),
        SLOT(CUnifiedGrabber, UpdateCamCntrlDialogs, 92),
        SLOT(CUnifiedGrabber, RegisterWindowHandle, 93),
        SLOT(CUnifiedGrabber, UnRegisterWindowHandle, 94),
        SLOT(CUnifiedGrabber, DoPostProcess, 95),
        SLOT(CUnifiedGrabber, SetSnapMode, 96),
        SLOT(CUnifiedGrabber, SetDefaultIodTimerConfigToGrabber, 97),
        SLOT(CUnifiedGrabber, GetDefaultIodTimerConfigFromGrabber, 98),
        SLOT(CUnifiedGrabber, SetDriverDesc, 101),
        SLOT(CUnifiedGrabber, SetFirstCamera, 102),
        SLOT(CUnifiedGrabber, CreateCamera, 103),
        SLOT(CUnifiedGrabber, GetBiggestSectionNum, 104),
    };
    CheckSlots(slots, std::size(slots));
}

TEST(SlotOrder, Camera)
{
    const Slot slots[] = {
        SLOT(CUnifiedCamera, SetNext, 0),
        SLOT(CUnifiedCamera, SetPrev, 1),
        SLOT(CUnifiedCamera, GetNext, 2),
        SLOT(CUnifiedCamera, GetPrev, 3),
        SLOT(CUnifiedCamera, SetCameraSectionNum, 4),
        SLOT(CUnifiedCamera, GetCameraSectionNum, 5),
        SLOT(CUnifiedCamera, SetCameraUniqueID, 6),
        SLOT(CUnifiedCamera, GetCameraUniqueID, 7),
        SLOT(CUnifiedCamera, SetHAPCameraID, 8),
        SLOT(CUnifiedCamera, GetHAPCameraID, 9),
        SLOT(CUnifiedCamera, SetCameraName, 10),
        SLOT(CUnifiedCamera, GetCameraName, 11),
        SLOT(CUnifiedCamera, SetFirstGfxMode, 12),
        SLOT(CUnifiedCamera, GetFirstGfxMode, 13),
        SLOT(CUnifiedCamera, GetNumGfxModes, 14),
        SLOT(CUnifiedCamera, GetGfxMode, 15),
        SLOT(CUnifiedCamera, SetActGfxModeIndex, 16),
        SLOT(CUnifiedCamera, GetActGfxModeIndex, 17),
        SLOT(CUnifiedCamera, GetActGfxMode, 18),
        SLOT(CUnifiedCamera, SetCamCntrlDlgIndex, 19),
        SLOT(CUnifiedCamera, GetCamCntrlDlgIndex, 20),
        SLOT(CUnifiedCamera, DeleteGfxModeList, 21),
        SLOT(CUnifiedCamera, GetCameraStatus, 22),
        SLOT(CUnifiedCamera, CreateGfxMode, 25),
        SLOT(CUnifiedCamera, SetCameraDesc, 26),
        SLOT(CUnifiedCamera, GetCameraDesc, 27),
        SLOT(CUnifiedCamera, BuildGfxModeList, 28),
    };
    CheckSlots(slots, std::size(slots));
}

TEST(SlotOrder, GraphicsMode)
{
    const Slot slots[] = {
        SLOT(CUnifiedGfxMode, SetPrev, 0),
        SLOT(CUnifiedGfxMode, SetNext, 1),
        SLOT(CUnifiedGfxMode, GetPrev, 2),
        SLOT(CUnifiedGfxMode, GetNext, 3),
        SLOT(CUnifiedGfxMode, SetRelatedCameraUniqueID, 4),
        SLOT(CUnifiedGfxMode, SetxRes, 5),
        SLOT(CUnifiedGfxMode, SetyRes, 6),
        SLOT(CUnifiedGfxMode, SetCompressed, 7),
        SLOT(CUnifiedGfxMode, SetBinning, 8),
        SLOT(CUnifiedGfxMode, SetLineScan, 9),
        SLOT(CUnifiedGfxMode, SetNumComponents, 10),
        SLOT(CUnifiedGfxMode, SetAllocatedBitPerComponent, 11),
        SLOT(CUnifiedGfxMode, SetBitStartComponent, 12),
        SLOT(CUnifiedGfxMode, SetBitPerComponent, 13),
        SLOT(CUnifiedGfxMode, SetFramesPerImage, 14),
        SLOT(CUnifiedGfxMode, SetInterlace, 15),
        SLOT(CUnifiedGfxMode, SetColorCoding, 16),
        SLOT(CUnifiedGfxMode, SetCFAxOffset, 17),
        SLOT(CUnifiedGfxMode, SetCFAyOffset, 18),
        SLOT(CUnifiedGfxMode, SetPixelPerSecond, 19),
        SLOT(CUnifiedGfxMode, SetLinesPerSecond, 20),
        SLOT(CUnifiedGfxMode, SetMinDarkTime, 21),
        SLOT(CUnifiedGfxMode, SetFrameTransferDuration, 22),
        SLOT(CUnifiedGfxMode, SetModeDesc, 23),
        SLOT(CUnifiedGfxMode, GetRelatedCameraUniqueID, 24),
        SLOT(CUnifiedGfxMode, GetxRes, 25),
        SLOT(CUnifiedGfxMode, GetyRes, 26),
        SLOT(CUnifiedGfxMode, GetCompressed, 27),
        SLOT(CUnifiedGfxMode, GetBinning, 28),
        SLOT(CUnifiedGfxMode, GetLineScan, 29),
        SLOT(CUnifiedGfxMode, GetNumComponents, 30),
        SLOT(CUnifiedGfxMode, GetAllocatedBitPerComponent, 31),
        SLOT(CUnifiedGfxMode, GetBitStartComponent, 32),
        SLOT(CUnifiedGfxMode, GetBitPerComponent, 33),
        SLOT(CUnifiedGfxMode, GetFramesPerImage, 34),
        SLOT(CUnifiedGfxMode, GetInterlace, 35),
        SLOT(CUnifiedGfxMode, GetColorCoding, 36),
        SLOT(CUnifiedGfxMode, GetCFAxOffset, 37),
        SLOT(CUnifiedGfxMode, GetCFAyOffset, 38),
        SLOT(CUnifiedGfxMode, GetPixelPerSecond, 39),
        SLOT(CUnifiedGfxMode, GetLinesPerSecond, 40),
        SLOT(CUnifiedGfxMode, GetFrameTransferDuration, 41),
        SLOT(CUnifiedGfxMode, GetMinDarkTime, 42),
        SLOT(CUnifiedGfxMode, GetModeDesc, 43),
        SLOT(CUnifiedGfxMode, GetPixelCount, 44),
        SLOT(CUnifiedGfxMode, GetFrameBufferSize, 45),
        SLOT(CUnifiedGfxMode, GfxModeConfigDialog, 46),
        {"operator[]", SlotOf(&CUnifiedGfxMode::operator[]), 47},
        {"operator=", SlotOf(static_cast<CUnifiedGfxMode& (CUnifiedGfxMode::*)(const UG_GFXMODE_RECORD&)>(&CUnifiedGfxMode::operator=)), 48},
        SLOT(CUnifiedGfxMode, StoreTo, 49),
        {"operator==", SlotOf(&CUnifiedGfxMode::operator==), 50},
        SLOT(CUnifiedGfxMode, GetGrabberXRes, 53),
        SLOT(CUnifiedGfxMode, SetGrabberXRes, 54),
        SLOT(CUnifiedGfxMode, GfxModeConfigExtDialog, 55),
        SLOT(CUnifiedGfxMode, GetConversionFunction, 56),
        SLOT(CUnifiedGfxMode, GetIntermediateBufferSize, 57),
    };
    CheckSlots(slots, std::size(slots));
}

TEST(SlotOrder, CommandChannel)
{
    const Slot slots[] = {
        SLOT(CCmdChannel, SetPrev, 0),
        SLOT(CCmdChannel, SetNext, 1),
        SLOT(CCmdChannel, GetPrev, 2),
        SLOT(CCmdChannel, GetNext, 3),
        SLOT(CCmdChannel, SetCmdName, 4),
        SLOT(CCmdChannel, GetCmdName, 5),
        SLOT(CCmdChannel, GetTypeName, 6),
        SLOT(CCmdChannel, GetConfigString, 7),
        SLOT(CCmdChannel, SetIni, 8),
        SLOT(CCmdChannel, GetIni, 9),
        SLOT(CCmdChannel, SetConfig, 10),
        SLOT(CCmdChannel, GetConfig, 11),
        SLOT(CCmdChannel, SetGrabberSectionNum, 12),
        SLOT(CCmdChannel, GetGrabberSectionNum, 13),
        SLOT(CCmdChannel, SetIniKeyIndex, 14),
        SLOT(CCmdChannel, GetIniKeyIndex, 15),
        SLOT(CCmdChannel, ConfigDialog, 16),
        SLOT(CCmdChannel, Open, 17),
        SLOT(CCmdChannel, ReadByte, 18),
        SLOT(CCmdChannel, WriteByte, 19),
        SLOT(CCmdChannel, ReadBuffer, 20),
        SLOT(CCmdChannel, WriteBuffer, 21),
        SLOT(CCmdChannel, WriteCString, 22),
        SLOT(CCmdChannel, Purge, 23),
        SLOT(CCmdChannel, Close, 24),
        {"operator[]", SlotOf(&CCmdChannel::operator[]), 25},
        SLOT(CCmdChannel, WriteBufferWithDelay, 26),
        SLOT(CCmdChannel, GetChannelType, 29),
    };
    CheckSlots(slots, std::size(slots));
}

#undef SLOT

// GCC gives a virtual destructor two entries: the first virtual after it in
// each class lands two slots on, which pins the destructor's own place.
TEST(SlotOrder, DestructorsTakeTwoEntries)
{
    EXPECT_EQ(SlotOf(&CUnifiedGrabber::SetDriverDesc), 101u);
    EXPECT_EQ(SlotOf(&CUnifiedCamera::CreateGfxMode), 25u);
    EXPECT_EQ(SlotOf(&CUnifiedGfxMode::GetGrabberXRes), 53u);
    EXPECT_EQ(SlotOf(&CCmdChannel::GetChannelType), 29u);
}

// A plug-in's own virtuals follow the last slot of the base.
struct PlugInGrabber : CUnifiedGrabber {
    using CUnifiedGrabber::CUnifiedGrabber;
    virtual void FrameCallback() {}
};
struct PlugInChannel : CCmdChannel {
    virtual void EnumeratePorts() {}
};

TEST(SlotOrder, PlugInVirtualsFollowTheBase)
{
    EXPECT_EQ(SlotOf(&PlugInGrabber::FrameCallback), 105u);
    EXPECT_EQ(SlotOf(&PlugInChannel::EnumeratePorts), 30u);
}

} // namespace
