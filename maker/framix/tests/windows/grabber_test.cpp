// The framework's own operations of a grabber, driven through the test plug-in:
// configuration round trips, the camera list, parameters and the timer, frame
// delivery to each kind of host notification, dialog events and command channels.
#include "framix_fixture.h"

#include "CamCntrlDlgBase.h"
#include "CmdChannel.h"
#include "UnifiedCamera.h"
#include "UnifiedGfxMode.h"

#include "app_framework_testing/message_tests.h"

#include <atomic>
#include <string>

namespace {

using namespace framix_test;

class Grabbers : public FrameworkTest {
protected:
    void SetUp() override
    {
        Open(ListingTheTestGrabber());
        g_ = Grabber();
        ASSERT_NE(nullptr, g_) << log_.All();
    }
    // Initialised, camera 0 (64 x 48 mono) open, buffers prepared.
    void Ready(uint64_t buffers = 3)
    {
        ASSERT_EQ(UG_OK, g_->Init());
        ASSERT_EQ(UG_OK, g_->SetActCameraIndex(0));
        ASSERT_EQ(UG_OK, g_->SetGrabberParam(UG_FEATURE_NUM_BUFFERS, buffers, 0));
        ASSERT_EQ(UG_OK, g_->OpenActCamera());
        ASSERT_EQ(UG_OK, g_->PrepareFrameBuffers());
    }
    CUnifiedGrabber* g_ = nullptr;
};

TEST_F(Grabbers, ConfigurationSurvivesASaveAndAReopen)
{
    ASSERT_EQ(UG_OK, g_->Init());
    ASSERT_EQ(UG_OK, g_->SetActCameraIndex(2));
    ASSERT_EQ(UG_OK, g_->SetGrabberParam(UG_FEATURE_NUM_BUFFERS, 7, 0));
    ASSERT_EQ(UG_OK, g_->SetGrabberBit(40, 1));
    ASSERT_EQ(UG_OK, g_->SaveGrabberString("Note", "kept"));
    ASSERT_EQ(UG_OK, g_->SaveGrabberHex32("Mask", 0xBEEF));
    ASSERT_EQ(UG_OK, g_->SaveCameraModeConfig());
    EXPECT_EQ(0, g_->GetActCamera()->GetCameraSectionNum());
    CCmdChannel* loop = g_->CreateCmdChannel(1);
    ASSERT_NE(nullptr, loop);
    loop->SetCmdName("LOOP7");
    loop->SetInterCharDelay(5);
    ASSERT_EQ(UG_OK, g_->AddCmdChannel(loop, 1));
    CCmdChannel* serial = g_->CreateCmdChannel(0);
    ASSERT_NE(nullptr, serial);
    serial->SetCmdName("COM9");
    ASSERT_EQ(UG_OK, g_->AddCmdChannel(serial, 0));
    ASSERT_EQ(UG_OK, g_->SetActCmdChannelIndex(1));
    ASSERT_EQ(UG_OK, FramixSaveConfig(framework_)) << log_.All();

    const std::string text = ReadFile(ini_);
    for (const char* line : {"NumBuffers=7", "UniqueId=303", "Note=kept", "CmdChannel0Type=1", "CmdChannel1Type=0",
                             "NumCmdChannels=2", "ActCmdChannel=1", "[Grabber_0_CmdChannel_0]", "Name=LOOP7",
                             "TypeKey=LOOPBACK", "InterCharDelay=5", "PORTNAME=COM9", "BAUD=115200", "[Grabber_0_Camera_0]",
                             "[Grabber_0_Camera_0_Mode_0]", "xRes=8"}) {
        SCOPED_TRACE(line);
        EXPECT_NE(std::string::npos, text.find(line)) << text;
    }

    Reopen();
    g_ = Grabber();
    ASSERT_NE(nullptr, g_);
    EXPECT_EQ(7u, g_->GetNumFrameBuffers());
    EXPECT_EQ(1, g_->GetGrabberBit(40));
    EXPECT_EQ(0, g_->GetGrabberBit(39));
    char note[16];
    EXPECT_EQ(4u, g_->GetGrabberString("Note", "", note, sizeof note));
    EXPECT_STREQ("kept", note);
    EXPECT_EQ(0xBEEF, g_->GetGrabberInt32("Mask", 0));
    ASSERT_EQ(2, g_->GetNumCmdChannels());
    EXPECT_EQ(1, g_->GetActCmdChannelIndex());
    EXPECT_STREQ("LOOP7", g_->GetCmdChannel(0)->GetCmdName());
    EXPECT_EQ(5u, g_->GetCmdChannel(0)->GetInterCharDelay());
    EXPECT_STREQ("COM9", g_->GetActCmdChannel()->GetCmdName());
    EXPECT_EQ(uint32_t(UG_CMDTYPE_SERIAL), g_->GetActCmdChannel()->GetChannelType());
    // The plug-in's own key came back too: the saved camera is active after Init,
    // and its section is found again by its unique id.
    ASSERT_EQ(UG_OK, g_->Init());
    EXPECT_EQ(2, g_->GetActCameraIndex());
    EXPECT_EQ(303, g_->GetActCamSpecInt32("UniqueId", 0));
    EXPECT_EQ(8, g_->GetActModeSpecInt32("xRes", 0));
    EXPECT_EQ(-1, g_->GetCamSpecInt32(0, "UniqueId", -1)); // camera 0 has no section
    EXPECT_EQ(0, g_->GetBiggestSectionNum());
}

TEST_F(Grabbers, DroppedChannelsLeaveNoStaleEntries)
{
    ASSERT_EQ(UG_OK, g_->AddCmdChannel(g_->CreateCmdChannel(1), 1));
    ASSERT_EQ(UG_OK, g_->AddCmdChannel(g_->CreateCmdChannel(1), 1));
    ASSERT_EQ(UG_OK, FramixSaveConfig(framework_));
    ASSERT_EQ(UG_OK, g_->DeleteCmdChannelList());
    ASSERT_EQ(UG_OK, g_->AddCmdChannel(g_->CreateCmdChannel(1), 1));
    ASSERT_EQ(UG_OK, FramixSaveConfig(framework_));
    const std::string text = ReadFile(ini_);
    EXPECT_EQ(std::string::npos, text.find("CmdChannel1Type")) << text;
    EXPECT_EQ(std::string::npos, text.find("[Grabber_0_CmdChannel_1]")) << text;
    EXPECT_NE(std::string::npos, text.find("NumCmdChannels=1")) << text;
}

TEST_F(Grabbers, StoredChannelsOfUnknownTypesAreSkippedWithALine)
{
    FramixClose(framework_);
    framework_ = nullptr;
    WriteFile(ini_, ListingTheTestGrabber("NumCmdChannels=2\r\nCmdChannel0Type=9\r\nCmdChannel1Type=1\r\n"));
    Reopen();
    g_ = Grabber();
    ASSERT_NE(nullptr, g_);
    EXPECT_EQ(1, g_->GetNumCmdChannels());
    EXPECT_EQ(1u, log_.Count("command channel 0 has no valid type, skipped")) << log_.All();
}

TEST_F(Grabbers, CameraList)
{
    EXPECT_EQ(0, g_->GetNumCameras());
    EXPECT_EQ(nullptr, g_->GetActCamera());
    ASSERT_EQ(UG_OK, g_->Init());
    EXPECT_EQ(3, g_->GetNumCameras());
    EXPECT_EQ(-1, g_->GetActCameraIndex());
    EXPECT_EQ(1, g_->GetCameraIndexByCameraUniqueID(202));
    EXPECT_EQ(-1, g_->GetCameraIndexByCameraUniqueID(999));
    EXPECT_EQ(2, g_->GetCameraIndexByHAPCameraID(303));
    EXPECT_EQ(g_->GetCamera(2), g_->GetLastCamera());
    EXPECT_EQ(g_->GetCamera(0), g_->GetFirstCamera());
    EXPECT_EQ(nullptr, g_->GetCamera(3));
    EXPECT_EQ(nullptr, g_->GetCamera(-1));
    EXPECT_EQ(UG_ERR_OUT_OF_RANGE, g_->SetActCameraIndex(3));
    EXPECT_EQ(UG_ERR_OUT_OF_RANGE, g_->SetActCameraIndex(-2));
    ASSERT_EQ(UG_OK, g_->SetActCameraIndex(1));
    EXPECT_EQ(1, g_->GetActCamera()->GetNumGfxModes());
    EXPECT_EQ(uint64_t(32 * 16 * 3), g_->GetActCamera()->GetActGfxMode()->GetFrameBufferSize());
    EXPECT_EQ(-1, g_->GetBiggestSectionNum());
    EXPECT_EQ(UG_OK, g_->DeleteInternalList());
    EXPECT_EQ(0, g_->GetNumCameras());
    EXPECT_EQ(-1, g_->GetActCameraIndex());
}

TEST_F(Grabbers, ParametersAndTheirLimits)
{
    const struct {
        UG_GRABBERFEATURE feature;
        uint64_t v1, v2;
        UG_ERRCODE result;
    } sets[] = {
        {UG_FEATURE_NUM_BUFFERS, 0, 0, UG_ERR_OUT_OF_RANGE},
        {UG_FEATURE_NUM_BUFFERS, 100, 0, UG_OK},
        {UG_FEATURE_NUM_BUFFERS, 101, 0, UG_ERR_OUT_OF_RANGE},
        {UG_FEATURE_TIMER_TIMEBASE, 1, 0, UG_ERR_OUT_OF_RANGE},
        {UG_FEATURE_TIMER_TIMEBASE, static_cast<uint64_t>(-7), 0, UG_ERR_OUT_OF_RANGE},
        {UG_FEATURE_TIMER_TIMEBASE, static_cast<uint64_t>(-3), 0, UG_OK},
        {UG_FEATURE_TIMER_MODE, 0x100000000ull, 0, UG_ERR_OUT_OF_RANGE},
        {UG_FEATURE_TIMER_MODE, 5, 6, UG_OK},
        {UG_FEATURE_FRAME_COUNTER, 1, 0, UG_ERR_NOT_SUPPORTED},
        {UG_FEATURE_TRIGGER_SOURCE, 0, 0, UG_ERR_NOT_INITIALIZED}, // the plug-in's answer
        {12345, 0, 0, UG_ERR_NOT_SUPPORTED},
    };
    for (const auto& s : sets) {
        SCOPED_TRACE(testing::Message() << s.feature << " " << s.v1);
        EXPECT_EQ(s.result, g_->SetGrabberParam(s.feature, s.v1, s.v2));
    }
    uint64_t v1 = 0, v2 = 0;
    EXPECT_EQ(UG_OK, g_->GetGrabberParam(UG_FEATURE_TIMER_TIMEBASE, &v1, nullptr));
    EXPECT_EQ(-3, static_cast<int64_t>(v1));
    EXPECT_EQ(UG_OK, g_->GetGrabberParam(UG_FEATURE_TIMER_MODE, &v1, &v2));
    EXPECT_EQ(5u, v1);
    EXPECT_EQ(6u, v2);
    EXPECT_EQ(UG_OK, g_->GetFeature(UG_FEATURE_NUM_BUFFERS, &v1));
    EXPECT_EQ(100u, v1);
    EXPECT_EQ(UG_ERR_PARAMETER, g_->GetFeature(UG_FEATURE_NUM_BUFFERS, nullptr));
    EXPECT_EQ(1, g_->GetFeatureStatus(UG_FEATURE_TIMER_MODE));
    EXPECT_EQ(0, g_->GetFeatureStatus(UG_FEATURE_STROBE));
    // 1, 256, 261 and 4096 answer; the trigger features do not.
    EXPECT_EQ(0x87u, g_->GetFeatureMask());
    EXPECT_EQ(UG_ERR_OUT_OF_RANGE, g_->SetGrabberBit(64, 1));
    EXPECT_EQ(0, g_->GetGrabberBit(64));
}

TEST_F(Grabbers, TimerPeriodsInMicrosecondsThroughTheTimeBase)
{
    ASSERT_EQ(UG_OK, g_->SetGrabberParam(UG_FEATURE_TIMER_TIMEBASE, static_cast<uint64_t>(-3), 0));
    EXPECT_EQ(UG_ERR_OUT_OF_RANGE, g_->SetTimerPeriod(5000, 5000));
    ASSERT_EQ(UG_OK, g_->SetTimerPeriod(5500, 20000));
    EXPECT_EQ(5u, g_->GetTimerSettings().first); // 5.5 ms in ms ticks, truncated
    EXPECT_EQ(20u, g_->GetTimerSettings().second);
    uint64_t first = 0, second = 0;
    ASSERT_EQ(UG_OK, g_->GetTimerPeriod(&first, &second));
    EXPECT_EQ(5000u, first);
    EXPECT_EQ(20000u, second);
    EXPECT_EQ(UG_OK, g_->ChangeTimerTB(7, 9, 3));
    EXPECT_EQ(3u, g_->GetTimerSettings().wordB);
    EXPECT_EQ(UG_ERR_NOT_INITIALIZED, g_->StartTimer());
    ASSERT_EQ(UG_OK, g_->Init());
    EXPECT_EQ(UG_OK, g_->StartTimer());
    EXPECT_TRUE(g_->IsTimerRunning());
    EXPECT_EQ(UG_OK, g_->StopTimer());
    EXPECT_FALSE(g_->IsTimerRunning());
    // The grabber's defaults: saved from the current settings, restored on demand.
    ASSERT_EQ(UG_OK, g_->GetDefaultIodTimerConfigFromGrabber());
    EXPECT_EQ(UG_OK, g_->ChangeTimerTB(1, 2, 0));
    ASSERT_EQ(UG_OK, g_->SetDefaultIodTimerConfigToGrabber());
    EXPECT_EQ(7u, g_->GetTimerSettings().first);
    EXPECT_EQ(9u, g_->GetTimerSettings().second);
    EXPECT_EQ(3u, g_->GetTimerSettings().wordB);
    EXPECT_EQ(-3, g_->GetTimerSettings().exponent);
}

// ---------------------------------------------------------------- frame delivery

struct Delivery {
    std::atomic<int> calls{0};
    std::atomic<uint64_t> lastIndex{999};
    std::atomic<uint32_t> lastFlag{99};
    static void Callback(void* context, uint64_t index, uint32_t flag)
    {
        auto* d = static_cast<Delivery*>(context);
        d->lastIndex = index;
        d->lastFlag = flag;
        ++d->calls;
    }
};

TEST_F(Grabbers, ASynchronousSnapReachesTheCallbackTheThreadAndTheWindow)
{
    Ready();
    Delivery delivery;
    ASSERT_EQ(UG_OK, g_->InstPostProcessCallBack(&Delivery::Callback, &delivery));
    const UINT threadMessage = WM_APP + 1, windowMessage = WM_APP + 2;
    ASSERT_EQ(UG_OK, g_->InstPostProcessThreadID(GetCurrentThreadId(), threadMessage));
    HWND window = CreateWindowExA(0, "STATIC", "frames", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    ASSERT_EQ(UG_OK, g_->InstPostProcessMsgWnd(window, windowMessage));
    uint64_t index = 0;
    EXPECT_EQ(UG_ERR_NO_FILLED_BUFFER, g_->GetLastFilledBuffer(&index));

    ASSERT_EQ(UG_OK, g_->Snap(UG_SNAP_SYNC_SINGLE));
    EXPECT_EQ(1, delivery.calls.load());
    EXPECT_EQ(0u, delivery.lastIndex.load());
    EXPECT_EQ(0u, delivery.lastFlag.load());
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), threadMessage, threadMessage, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);
    ASSERT_TRUE(PeekMessageA(&msg, window, windowMessage, windowMessage, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);
    EXPECT_EQ(0, msg.lParam);
    ASSERT_EQ(UG_OK, g_->GetLastFilledBuffer(&index));
    EXPECT_EQ(0u, index);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_->GetFrameEvent(), 0));
    EXPECT_EQ(UG_OK, g_->ReleaseFrameBuffer(0));
    EXPECT_EQ(UG_ERR_NO_FILLED_BUFFER, g_->GetLastFilledBuffer(&index));
    EXPECT_EQ(UG_ERR_OUT_OF_RANGE, g_->ReleaseFrameBuffer(3));
    uint64_t counter = 0;
    EXPECT_EQ(UG_OK, g_->GetGrabberParam(UG_FEATURE_FRAME_COUNTER, &counter, nullptr));
    EXPECT_EQ(1u, counter);

    // Removed targets hear nothing more.
    g_->InstPostProcessCallBack(nullptr, nullptr);
    g_->InstPostProcessThreadID(0, 0);
    g_->InstPostProcessMsgWnd(nullptr, 0);
    ASSERT_EQ(UG_OK, g_->Snap(UG_SNAP_SYNC_SINGLE));
    EXPECT_EQ(1, delivery.calls.load());
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, threadMessage, windowMessage, PM_REMOVE));
    DestroyWindow(window);
}

TEST_F(Grabbers, ContinuousFramesCycleThroughTheBuffersUntilStopped)
{
    Ready(3);
    Delivery delivery;
    ASSERT_EQ(UG_OK, g_->InstPostProcessCallBack(&Delivery::Callback, &delivery));
    ASSERT_EQ(UG_OK, g_->Snap(UG_SNAP_CONTINUOUS));
    EXPECT_EQ(UG_ERR_ACQUISITION_RUNNING, g_->Snap(UG_SNAP_CONTINUOUS));
    EXPECT_TRUE(PumpUntil([&] { return delivery.calls.load() >= 5; }, 5000));
    ASSERT_EQ(UG_OK, g_->StopSnap());
    EXPECT_EQ(0, g_->GetSnapMode());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_->GetSnapDoneEvent(), 0));
    EXPECT_EQ(1u, delivery.lastFlag.load());
    EXPECT_LT(delivery.lastIndex.load(), 3u);
    const int after = delivery.calls.load();
    EXPECT_EQ(uint64_t(after), g_->GetDeliveredFrames());
    PumpPending();
    EXPECT_EQ(after, delivery.calls.load());
}

// ---------------------------------------------------------------- dialog events

struct HostEvents {
    std::vector<uint32_t> events;
    static uint32_t Callback(void* context, uint32_t event)
    {
        static_cast<HostEvents*>(context)->events.push_back(event);
        return 7;
    }
};

TEST_F(Grabbers, DialogEventsStopAndRestartTheAcquisition)
{
    Ready();
    HostEvents host;
    ASSERT_EQ(UG_OK, g_->InstCamCntrlCallBack(&HostEvents::Callback, &host));
    EXPECT_EQ(1u, g_->SignalCamCntrlDlgEvent(UG_DLGEVENT_CLOSE));
    // Nothing runs: both answer 1 and nothing starts.
    EXPECT_EQ(1u, g_->SignalCamCntrlDlgEvent(UG_DLGEVENT_STOP_ACQUISITION));
    EXPECT_EQ(1u, g_->SignalCamCntrlDlgEvent(UG_DLGEVENT_RESTART_ACQUISITION));
    EXPECT_EQ(0, g_->GetSnapMode());

    ASSERT_EQ(UG_OK, g_->Snap(UG_SNAP_CONTINUOUS));
    EXPECT_EQ(1u, g_->SignalCamCntrlDlgEvent(UG_DLGEVENT_STOP_ACQUISITION));
    EXPECT_EQ(0, g_->GetSnapMode());
    EXPECT_EQ(1u, g_->SignalCamCntrlDlgEvent(UG_DLGEVENT_RESTART_ACQUISITION));
    EXPECT_EQ(UG_SNAP_CONTINUOUS, g_->GetSnapMode());
    EXPECT_EQ(UG_OK, g_->StopSnap());
    // Other events are the host's to answer.
    EXPECT_EQ(7u, g_->SignalCamCntrlDlgEvent(55));
    const std::vector<uint32_t> expected = {1, 4096, 4097, 4096, 4097, 55};
    EXPECT_EQ(expected, host.events);
}

TEST_F(Grabbers, ARestartThatCannotPrepareTheBuffersAnswersZero)
{
    Ready();
    ASSERT_EQ(UG_OK, g_->Snap(UG_SNAP_CONTINUOUS));
    ASSERT_EQ(1u, g_->SignalCamCntrlDlgEvent(UG_DLGEVENT_STOP_ACQUISITION));
    ASSERT_EQ(UG_OK, g_->CloseActCamera());
    EXPECT_EQ(0u, g_->SignalCamCntrlDlgEvent(UG_DLGEVENT_RESTART_ACQUISITION));
    EXPECT_EQ(1u, log_.Count("restarting the acquisition failed (code 10)")) << log_.All();
}

class RecordingDialog : public CCamCntrlDlgBase {
public:
    RecordingDialog() : CCamCntrlDlgBase(kTemplate) {}
    static constexpr UINT kTemplate = 200;
    void UpdateCamCntrlDlg(uint32_t mask) override { masks.push_back(mask); }
    std::vector<uint32_t> masks;
};

TEST_F(Grabbers, UpdatesReachEveryRegisteredDialogUntilItIsGone)
{
    RecordingDialog first, second;
    ASSERT_TRUE(first.CreateCamCntrlDlg(RecordingDialog::kTemplate, nullptr));
    ASSERT_TRUE(second.CreateCamCntrlDlg(RecordingDialog::kTemplate, nullptr));
    ASSERT_EQ(UG_OK, g_->RegisterWindowHandle(first.GetSafeHwnd()));
    ASSERT_EQ(UG_OK, g_->RegisterWindowHandle(second.GetSafeHwnd()));
    EXPECT_EQ(UG_OK, g_->RegisterWindowHandle(second.GetSafeHwnd())); // once is enough
    EXPECT_EQ(UG_ERR_PARAMETER, g_->RegisterWindowHandle(nullptr));
    g_->UpdateCamCntrlDialogs(6);
    EXPECT_EQ(std::vector<uint32_t>{6}, first.masks);
    EXPECT_EQ(std::vector<uint32_t>{6}, second.masks);
    EXPECT_EQ(6u, second.GetUpdateMask());

    ASSERT_EQ(UG_OK, g_->UnRegisterWindowHandle(first.GetSafeHwnd()));
    EXPECT_EQ(UG_ERR_NOT_FOUND, g_->UnRegisterWindowHandle(first.GetSafeHwnd()));
    second.DestroyWindow(); // still registered: a window that is gone is passed over
    g_->UpdateCamCntrlDialogs(3);
    EXPECT_EQ(std::vector<uint32_t>{6}, first.masks);
    EXPECT_EQ(std::vector<uint32_t>{6}, second.masks);
    first.DestroyWindow();
}

TEST_F(Grabbers, TheFrameworksCameraDialogShowsTheActiveCamera)
{
    EXPECT_EQ(UG_ERR_NO_ACTIVE_CAMERA, g_->CamCntrlDialog(nullptr));
    ASSERT_EQ(UG_OK, g_->Init());
    ASSERT_EQ(UG_OK, g_->SetActCameraIndex(1));
    EXPECT_EQ(0, g_->IsCamCntrlDialogOpen());
    ASSERT_EQ(UG_OK, g_->CamCntrlDialog(nullptr));
    EXPECT_EQ(1, g_->IsCamCntrlDialogOpen());
    HWND dialog = FindWindowA(nullptr, "Camera");
    ASSERT_NE(nullptr, dialog);
    EXPECT_NE(std::string::npos, ItemText(dialog, 1001).find("Test Camera B")) << ItemText(dialog, 1001);
    ASSERT_EQ(UG_OK, g_->OpenActCamera()); // updates the registered dialogs
    EXPECT_NE(std::string::npos, ItemText(dialog, 1001).find("Open: yes")) << ItemText(dialog, 1001);
    EXPECT_NE(std::string::npos, ItemText(dialog, 1001).find("Mode: 32 x 16, 3 x 8 bit")) << ItemText(dialog, 1001);
    // Close asks the grabber (event 1, answered 1) and hides.
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    EXPECT_EQ(0, g_->IsCamCntrlDialogOpen());
    EXPECT_TRUE(IsWindow(dialog));
    ASSERT_EQ(UG_OK, g_->CamCntrlDialog(nullptr));
    EXPECT_EQ(dialog, FindWindowA(nullptr, "Camera")); // the same dialog again
    ASSERT_EQ(UG_OK, g_->CloseCamCntrlDialog());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(0, g_->IsCamCntrlDialogOpen());
}

// ---------------------------------------------------------------- command channels

struct DelayRecord {
    CCmdChannel* channel = nullptr;
    std::vector<std::pair<uint32_t, std::string>> waits; // the delay and what had been written by then
    static void Wait(void* context, uint32_t ms)
    {
        auto* r = static_cast<DelayRecord*>(context);
        // Peeks at what the loopback holds by reading it and writing it back unchanged.
        char seen[16] = {};
        uint64_t n = 0;
        r->channel->ReadBuffer(seen, sizeof seen, &n);
        r->waits.emplace_back(ms, std::string(seen, n));
        // Puts the bytes back for the next look (without the delay: size of one each).
        for (uint64_t i = 0; i < n; ++i) {
            uint32_t one = 0;
            r->channel->WriteByte(static_cast<uint8_t>(seen[i]), &one);
        }
    }
};

TEST_F(Grabbers, WriteBufferWithDelayWaitsBetweenBytesOnly)
{
    ASSERT_EQ(UG_ERR_NO_CMD_CHANNEL, g_->CMDOpen());
    CCmdChannel* loop = g_->CreateCmdChannel(1);
    ASSERT_EQ(UG_OK, g_->AddCmdChannel(loop, 1));
    ASSERT_EQ(UG_OK, g_->SetActCmdChannelIndex(0));
    DelayRecord record;
    record.channel = loop;
    loop->SetDelayFunction(&DelayRecord::Wait, &record);
    loop->SetInterCharDelay(7);
    ASSERT_EQ(UG_OK, g_->CMDOpen());
    EXPECT_EQ(UG_ERR_CMD_ALREADY_OPEN, g_->CMDOpen());
    uint64_t count = 0;
    ASSERT_EQ(UG_OK, g_->CMDWriteCString("ABC", &count));
    EXPECT_EQ(3u, count);
    ASSERT_EQ(2u, record.waits.size());
    EXPECT_EQ(7u, record.waits[0].first);
    EXPECT_EQ("A", record.waits[0].second);
    EXPECT_EQ("AB", record.waits[1].second);
    char back[8] = {};
    ASSERT_EQ(UG_OK, g_->CMDReadBuffer(back, sizeof back, &count));
    EXPECT_EQ("ABC", std::string(back, count));
    uint8_t byte = 0;
    uint32_t one = 5;
    EXPECT_EQ(UG_ERR_CMD_READ_FAILED, g_->CMDReadByte(&byte, &one));
    EXPECT_EQ(0u, one);
    // A failed byte ends the write with what went out.
    ASSERT_EQ(UG_OK, g_->CMDClose());
    EXPECT_EQ(UG_ERR_CMD_WRITE_FAILED, loop->WriteBufferWithDelay("xy", 2, &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(UG_OK, loop->WriteBufferWithDelay(nullptr, 0, &count));
    EXPECT_EQ(UG_ERR_PARAMETER, loop->WriteBufferWithDelay(nullptr, 1, &count));
}

TEST_F(Grabbers, ChannelListAndTheFrameworksChannelKinds)
{
    CCmdChannel* a = g_->CreateCmdChannel(1);
    CCmdChannel* b = g_->CreateCmdChannel(0);
    EXPECT_EQ(nullptr, g_->CreateCmdChannel(2));
    ASSERT_EQ(UG_OK, g_->AddCmdChannel(a, 1));
    ASSERT_EQ(UG_OK, g_->AddCmdChannel(b, 0));
    EXPECT_EQ(UG_ERR_PARAMETER, g_->AddCmdChannel(nullptr, 0));
    EXPECT_EQ(2, g_->GetNumCmdChannels());
    EXPECT_EQ(a, g_->GetFirstCmdChannel());
    EXPECT_EQ(b, (*a)[1]);
    EXPECT_EQ(nullptr, (*a)[2]);
    EXPECT_EQ(a, b->GetPrev());
    EXPECT_STREQ("Grabber_0_CmdChannel_1", b->GetCmdSection());
    EXPECT_STREQ("Grabber_0", b->GetGrabberSection());
    EXPECT_EQ(uint32_t(UG_CMDTYPE_PLUGIN), a->GetChannelType());
    EXPECT_EQ(uint32_t(UG_CMDTYPE_SERIAL), b->GetChannelType());
    EXPECT_STREQ("Serial Port", b->GetTypeName());
    EXPECT_STREQ("COM1: 115200 Baud, Parity = No, Bytesize = 8, Stopbits = 1", b->GetConfigString());
    EXPECT_EQ(UG_ERR_OUT_OF_RANGE, g_->SetActCmdChannelIndex(2));
    ASSERT_EQ(UG_OK, g_->SetActCmdChannelIndex(1));
    // No such port under Wine's default devices: a clear open failure.
    b->SetCmdName("COM250");
    EXPECT_EQ(UG_ERR_CMD_OPEN_FAILED, g_->CMDOpen());
    EXPECT_EQ(UG_ERR_CMD_PURGE_FAILED, g_->CMDPurge(UG_PURGE_RX));
    EXPECT_EQ(UG_OK, g_->DeleteCmdChannelList());
    EXPECT_EQ(0, g_->GetNumCmdChannels());
    EXPECT_EQ(-1, g_->GetActCmdChannelIndex());
    EXPECT_EQ(nullptr, g_->GetActCmdChannel());
}

} // namespace
