// The control dialog against the emulated camera in virtual time: identification,
// header, pages, the rules through the controls, write-back, presets and faults.
#include "DialogHarness.h"

#include "kl7700/PageConversions.h"
#include "kl7700_controls/ControlIds.h"

namespace {

kl7700emu::CameraConfig OldCameraWithoutSecondOutput()
{
    kl7700emu::CameraConfig config;
    config.name = "KL-7700 Camera";
    config.firmware = "1.0.0.3";
    config.variant = 0x0001;
    config.dualOutput = false;
    return config;
}

TEST(ControlDialog, IdentifiesTheCameraAndShowsItInTheHeader)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    const std::string sent = h.NewCommands();
    // Wake-up, then the identification and full read in this order.
    size_t at = 0;
    for (const char* command : {"s=?\r", "V\r", "Y=1\r", "a=?\r", "b=?\r"}) {
        SCOPED_TRACE(command);
        const size_t found = sent.find(command, at);
        ASSERT_NE(found, std::string::npos) << "sent: " << sent;
        at = found + 1;
    }
    EXPECT_EQ(h.Text(h.Dlg(), IDC_CAMERA_NAME_TEXT), "Sorvel SX-20B");
    EXPECT_EQ(h.Text(h.Dlg(), IDC_SERIAL_NUMBER_TEXT), "04711");
    EXPECT_EQ(h.Text(h.Dlg(), IDC_VERSION_TEXT), "3.2.1.8");
    EXPECT_EQ(h.Text(h.Dlg(), IDC_VARIANT_CODE_TEXT), "0x4000");
    EXPECT_EQ(h.Text(h.Dlg(), IDC_RESOLUTION_TEXT), "2320x1726");
    EXPECT_EQ(h.ToolTipOf(IDC_VARIANT_CODE_TEXT), "= 4064000: Sorvel SX-20B.");
    EXPECT_EQ(h.ToolTipOf(IDC_READ_FROM_CAMERA), "Reload all parameters from camera.");
    EXPECT_EQ(h.HeaderBackground(IDC_CAMERA_NAME_TEXT), RGB(0, 0, 0));
    EXPECT_TRUE(h.Enabled(h.Dlg(), IDC_LOAD_DEFAULTS));
    EXPECT_TRUE(h.dialog->ResetMenuItemEnabled());
    EXPECT_EQ(h.Text(h.Dlg(), IDC_PAGES), "");
    EXPECT_NE(h.dialog->StatusBar().GetText(1).find(" (x64)"), std::string::npos);
    EXPECT_EQ(h.dialog->StatusBar().GetText(0), "Last command: b=?");
    // The labels of the timers switch to milliseconds at the first refresh.
    EXPECT_EQ(h.Text(h.Page2(), IDC_EXPOSURE_LABEL), "Exposure Time [ms]:");
}

TEST(ControlDialog, UnknownCameraIsReadNoFurtherAndSaysSo)
{
    kl7700emu::CameraConfig config;
    config.name = "Other Vendor CAM";
    DialogHarness h(config);
    ASSERT_TRUE(h.created);
    const std::string sent = h.NewCommands();
    EXPECT_NE(sent.find("V\r"), std::string::npos);
    EXPECT_EQ(sent.find("Y=1\r"), std::string::npos) << "no dump for a camera that is not ours";
    EXPECT_EQ(h.Text(h.Dlg(), IDC_CAMERA_NAME_TEXT), "Cannot connect to Sorvel SX-20 / KL-7700!");
    EXPECT_EQ(h.Text(h.Dlg(), IDC_VERSION_TEXT), "");
    EXPECT_EQ(h.Text(h.Dlg(), IDC_FRAME_RATE_TEXT), "");
    EXPECT_FALSE(h.Enabled(h.Dlg(), IDC_LOAD_DEFAULTS));
    EXPECT_FALSE(h.Enabled(h.Dlg(), IDC_SAVE_DEFAULTS));
    EXPECT_FALSE(h.Enabled(h.Page1(), IDC_LINES_EDIT));
    EXPECT_TRUE(h.Enabled(h.Page2(), IDC_BAUD_RATE));
    EXPECT_FALSE(h.Enabled(h.Page2(), IDC_TIMING_MODE));
}

TEST(ControlDialog, NoDeviceShowsTheCommunicationError)
{
    DialogHarness h({}, false);
    ASSERT_TRUE(h.created);
    EXPECT_EQ(h.Text(h.Dlg(), IDC_CAMERA_NAME_TEXT), "Serial communication error!");
    EXPECT_EQ(h.HeaderBackground(IDC_CAMERA_NAME_TEXT), RGB(0xFF, 0, 0));
    EXPECT_FALSE(h.Enabled(h.Dlg(), IDC_LOAD_DEFAULTS));
    EXPECT_FALSE(h.Enabled(h.Dlg(), IDC_SAVE_DEFAULTS));
    EXPECT_FALSE(h.dialog->ResetMenuItemEnabled());
    // The reset does nothing while the error stands.
    const kl7700::ParameterRecord before = h.Working();
    ::SendMessageA(h.Dlg(), WM_COMMAND, ID_RESET_TO_FACTORY, 0);
    EXPECT_EQ(h.Working(), before);
}

TEST(ControlDialog, ExposureChangesMoveTheFrameDurationLimitsAndAreWrittenBack)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    h.Select(h.Page2(), IDC_TIMING_MODE, 2); // IOD with exposure timer: the frame follows the exposure
    EXPECT_NE(h.NewCommands().find("M=02\r"), std::string::npos) << "the timing mode is written at once";
    ASSERT_TRUE(h.Enabled(h.Page2(), IDC_EXPOSURE_EDIT));

    // The entry field: 10 ms at K = 167 (3 us per tick) is 3333 ticks, written at the next tick.
    h.Enter(h.Page2(), IDC_EXPOSURE_EDIT, "10.0000");
    EXPECT_EQ(h.Working().E.value, 3333);
    EXPECT_GT(h.Working().F.min, 3333) << "the frame must outlast the exposure";
    EXPECT_GE(h.Working().F.value, h.Working().F.min);
    EXPECT_EQ(h.NewCommands(), "");
    h.WriteBackTick();
    const std::string written = h.NewCommands();
    EXPECT_NE(written.find("E=" + Hex8(3333) + "\r"), std::string::npos) << written;
    EXPECT_EQ(h.device.camera.value('E'), 3333);

    // The spin steps one tick and writes at once; the slider sets the value and writes at once.
    h.Spin(h.Page2(), IDC_EXPOSURE_SPIN, 1);
    EXPECT_EQ(h.device.camera.value('E'), 3334);
    h.Slide(h.Page2(), IDC_EXPOSURE_SLIDER, 5000);
    EXPECT_EQ(h.Working().E.value, 5000);
    EXPECT_EQ(h.device.camera.value('E'), 5000);
    EXPECT_GT(h.Working().F.min, 5000);
    EXPECT_EQ(h.device.camera.value('F'), h.Working().F.value);
    // Without a frame timer there is no current rate to show.
    EXPECT_EQ(h.Text(h.Dlg(), IDC_FRAME_RATE_TEXT).rfind("-.-- Hz / ", 0), 0u);
}

TEST(ControlDialog, TimingModesSwitchTheTimerControlsAndTheTriggerLabel)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    struct Case {
        int mode;
        const char* label;
        bool exposure, frame;
        bool dashes;
    };
    const Case cases[] = {{0, "Trigger Source:", false, false, false},
                          {1, "Exp. Control Source:", false, false, true},
                          {2, "Trigger Source:", true, false, true},
                          {3, "Sync. Source:", true, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        h.Select(h.Page2(), IDC_TIMING_MODE, c.mode);
        EXPECT_EQ(h.device.camera.value('M') & 3, c.mode);
        EXPECT_EQ(h.Text(h.Page2(), IDC_TRIGGER_SOURCE_LABEL), c.label);
        for (int id : {IDC_EXPOSURE_EDIT, IDC_EXPOSURE_SLIDER, IDC_PRESCALER_EDIT, IDC_TIME_BASE_EDIT}) {
            EXPECT_EQ(h.Enabled(h.Page2(), id), c.exposure) << id;
        }
        for (int id : {IDC_FRAME_DURATION_EDIT, IDC_FRAME_RATE_SLIDER}) EXPECT_EQ(h.Enabled(h.Page2(), id), c.frame) << id;
        EXPECT_EQ(h.Text(h.Dlg(), IDC_FRAME_RATE_TEXT).rfind("-.-- ", 0) == 0, c.dashes) << h.Text(h.Dlg(), IDC_FRAME_RATE_TEXT);
    }
}

TEST(ControlDialog, TimeBaseEntryGivesThePrescaler)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    h.Select(h.Page2(), IDC_TIMING_MODE, 2);
    for (auto [text, prescaler] : {std::pair{"1500", 83}, std::pair{"3000", 167}, std::pair{"1500.000", 83}}) {
        SCOPED_TRACE(text);
        h.Enter(h.Page2(), IDC_TIME_BASE_EDIT, text);
        EXPECT_EQ(h.Working().K.value, prescaler);
        EXPECT_EQ(h.Text(h.Page2(), IDC_PRESCALER_EDIT), std::to_string(prescaler));
    }
}

TEST(ControlDialog, LinePresetsFollowTheCameraLinkMode)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    auto item = [&](const char* text) {
        for (const PresetItem& i : h.dialog->ImagePage().PresetItems(IDC_LINES_SLIDER)) {
            if (i.text == text) return i;
        }
        ADD_FAILURE() << "no item " << text;
        return PresetItem{};
    };
    EXPECT_TRUE(item("~ 200Hz").enabled);
    h.dialog->ImagePage().ApplyPreset(IDC_LINES_SLIDER, 5); // "~ 1000Hz" with one output
    EXPECT_EQ(h.Working().N.value, 332);
    EXPECT_EQ(h.Text(h.Page1(), IDC_LINES_EDIT), "332");

    h.Select(h.Page2(), IDC_CAMERA_LINK_MODE, 1); // two outputs
    EXPECT_EQ(h.device.camera.value('S') & 7, 1);
    EXPECT_TRUE(h.Enabled(h.Page2(), IDC_SWAP_HALVES));
    EXPECT_FALSE(item("~ 200Hz").enabled);
    const int32_t before = h.Working().N.value;
    h.dialog->ImagePage().ApplyPreset(IDC_LINES_SLIDER, 1);
    EXPECT_EQ(h.Working().N.value, before) << "a greyed preset cannot be chosen";
    h.dialog->ImagePage().ApplyPreset(IDC_LINES_SLIDER, 5);
    EXPECT_EQ(h.Working().N.value, 666);
}

TEST(ControlDialog, CameraWithoutSecondOutputOffersOneModeAndTheCLBoxes)
{
    DialogHarness h(OldCameraWithoutSecondOutput());
    ASSERT_TRUE(h.created);
    EXPECT_EQ(::SendDlgItemMessageA(h.Page2(), IDC_CAMERA_LINK_MODE, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(h.Text(h.Page2(), IDC_CHANNEL_O2), "CL1");
    EXPECT_EQ(h.Text(h.Page2(), IDC_CHANNEL_O4), "CL2");
    EXPECT_TRUE(h.Enabled(h.Page2(), IDC_CHANNEL_O2));
    EXPECT_FALSE(h.Enabled(h.Page2(), IDC_CHANNEL_O4));
    // An old camera has no sync output or feature modes to offer.
    EXPECT_FALSE(h.Enabled(h.Page2(), IDC_SYNC_OUTPUT));
    EXPECT_FALSE(h.Enabled(h.Page2(), IDC_PIV_MODE));

    DialogHarness dual;
    ASSERT_TRUE(dual.created);
    EXPECT_EQ(::SendDlgItemMessageA(dual.Page2(), IDC_CAMERA_LINK_MODE, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(dual.Text(dual.Page2(), IDC_CHANNEL_O4), "O4");
    EXPECT_TRUE(dual.Enabled(dual.Page2(), IDC_SYNC_OUTPUT));
}

TEST(ControlDialog, SecondRegionEnablesRegionBAndHalvesTheLines)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    EXPECT_FALSE(h.Enabled(h.Page1(), IDC_FIRST_LINE_B_EDIT));
    h.Check(h.Page1(), IDC_SECOND_REGION, true);
    EXPECT_TRUE(h.Enabled(h.Page1(), IDC_FIRST_LINE_B_EDIT));
    EXPECT_EQ(h.Working().N.max, 864);
    EXPECT_EQ(h.Text(h.Page1(), IDC_LINES_MAX), " 864");
    h.Check(h.Page1(), IDC_SECOND_REGION, false);
    EXPECT_EQ(h.Working().N.max, 1728);
    EXPECT_EQ(h.Working().B.value, h.Working().B.min);
}

TEST(ControlDialog, EnterInAFieldAppliesItAndKeepsTheDialogOpen)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    HWND edit = ::GetDlgItem(h.Page1(), IDC_LINES_EDIT);
    ::SetFocus(edit);
    ::SetWindowTextA(edit, "1000");
    ::PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    PumpPending();
    ASSERT_TRUE(::IsWindow(h.Dlg())) << "Enter in a field must not close the dialog";
    EXPECT_EQ(h.Working().N.value, 1000);

    ::SetFocus(::GetDlgItem(h.Dlg(), IDOK));
    ::PostMessageA(::GetDlgItem(h.Dlg(), IDOK), WM_KEYDOWN, VK_RETURN, 0);
    PumpPending();
    EXPECT_FALSE(::IsWindow(h.Dlg())) << "Enter on Close closes";
}

TEST(ControlDialog, ADroppedReplyIsRetried)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    h.NewCommands();
    h.device.camera.injectFault(kl7700emu::Fault::Drop, 1);
    h.Check(h.Page1(), IDC_TEST_IMAGE, true);
    EXPECT_EQ(h.device.camera.value('U') & 1, 1);
    EXPECT_EQ(h.Text(h.Dlg(), IDC_CAMERA_NAME_TEXT), "Sorvel SX-20B");
    const std::string sent = h.NewCommands();
    EXPECT_NE(sent.find("U=01\r"), sent.rfind("U=01\r")) << "sent twice: " << sent;
}

TEST(ControlDialog, WrongEchoesShowTheErrorAndReadFromCameraRecovers)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    // Every reply spoiled, the prompt probes' included, for all six attempts.
    h.device.camera.injectFault(kl7700emu::Fault::CorruptByte, 100);
    h.Check(h.Page1(), IDC_FRAME_COUNTER, true);
    EXPECT_EQ(h.Text(h.Dlg(), IDC_CAMERA_NAME_TEXT), "Serial communication error!");
    EXPECT_EQ(h.HeaderBackground(IDC_CAMERA_NAME_TEXT), RGB(0xFF, 0, 0));
    EXPECT_EQ(h.Text(h.Dlg(), IDC_SERIAL_NUMBER_TEXT), "04711") << "the other fields keep their texts";
    EXPECT_FALSE(h.Enabled(h.Page1(), IDC_FRAME_COUNTER));
    EXPECT_FALSE(h.dialog->ResetMenuItemEnabled());

    h.device.camera.clearFaults();
    h.Click(h.Dlg(), IDC_READ_FROM_CAMERA);
    EXPECT_EQ(h.Text(h.Dlg(), IDC_CAMERA_NAME_TEXT), "Sorvel SX-20B");
    EXPECT_EQ(h.HeaderBackground(IDC_CAMERA_NAME_TEXT), RGB(0, 0, 0));
    EXPECT_TRUE(h.Enabled(h.Page1(), IDC_FRAME_COUNTER));
}

TEST(ControlDialog, ResetToFactoryIsWrittenByTheNextTick)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    h.Enter(h.Page1(), IDC_DARK_VALUE_EDIT, "40");
    h.WriteBackTick();
    ASSERT_EQ(h.device.camera.value('W'), 40);
    ::SendMessageA(h.Dlg(), WM_COMMAND, ID_RESET_TO_FACTORY, 0);
    EXPECT_EQ(h.Working().W.value, 24);
    EXPECT_EQ(h.Text(h.Page1(), IDC_DARK_VALUE_EDIT), "24");
    h.WriteBackTick();
    EXPECT_EQ(h.device.camera.value('W'), 24);
}

TEST(ControlDialog, DebugWindowShowsTheExchangesAndClosingItUnchecksTheButton)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    CRxTxDebugDlg* debug = h.dialog->DebugWindow();
    ASSERT_NE(debug, nullptr);
    EXPECT_FALSE(debug->IsWindowVisible()) << "created hidden";
    h.Check(h.Dlg(), IDC_RXTX_DEBUG, true);
    EXPECT_TRUE(debug->IsWindowVisible());
    const std::string log = WindowText(::GetDlgItem(debug->m_hWnd, IDC_RXTX_LOG));
    EXPECT_NE(log.find("s=?{CR}"), std::string::npos) << log;
    EXPECT_NE(log.find("b=?{CR}"), std::string::npos) << log;

    // The debug window's own Close hides it and tells the dialog.
    ::SendMessageA(debug->m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(debug->IsWindowVisible());
    EXPECT_EQ(::SendDlgItemMessageA(h.Dlg(), IDC_RXTX_DEBUG, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // Closing the dialog hides the debug window too.
    h.Check(h.Dlg(), IDC_RXTX_DEBUG, true);
    ::SendMessageA(h.Dlg(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(h.Dlg()));
}

TEST(ControlDialog, ConfigureClosesThePortAroundTheSettingsAndReopensIt)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    h.Click(h.Page2(), IDC_CONFIGURE);
    EXPECT_EQ(h.device.configDialogs, 1);
    EXPECT_EQ(h.device.closes, 1);
    EXPECT_EQ(h.device.opens, 1);
    EXPECT_EQ(h.device.GetLockOwner(), nullptr) << "the lock is given back";
}

} // namespace
