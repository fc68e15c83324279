// FramixView's window under Wine, driven by its commands, on FramixZelmkAPI.dll and the
// simulated camera network: open, live for some frames, stop, save, a camera unplugged
// while live, the placement kept in the store; screenshots of a monochrome and a
// colour camera.
#include "ViewerDlg.h"
#include "resource.h"

#include "FramixExports.h"
#include "UnifiedCamera.h"
#include "UnifiedGrabber.h"

#include "app_framework_testing/message_tests.h"
#include "app_framework_testing/scratch_folder.h"
#include "app_framework_testing/screenshot.h"
#include "config_store/IniFile.h"
#include "mk_api/MkApi.h"
#include "win32/module.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

using framixview::CViewerDlg;

namespace {

// Two cameras at a brisk rate; the colour one small enough that the test does not
// wait on interpolating full-size frames.
const char kNetwork[] = "[Network]\nHostAddress=192.168.10.1\nHostMask=255.255.255.0\n"
                        "[Camera Mono]\nUniqueId=100001\nModel=ZX-640M\nSerialNumber=M1\nAddress=192.168.10.21\n"
                        "Mask=255.255.255.0\nSensor=mono\nSensorWidth=640\nSensorHeight=480\nSensorBits=12\n"
                        "PixelFormats=Mono8,Mono16\nPixelFormat=Mono16\nFrameRate=60\nSerialPorts=0\n"
                        "[Camera Colour]\nUniqueId=100002\nModel=ZX-320C\nSerialNumber=C1\nAddress=192.168.10.22\n"
                        "Mask=255.255.255.0\nSensor=colour\nBayerLayout=RG\nSensorWidth=320\nSensorHeight=240\n"
                        "SensorBits=8\nPixelFormats=Bayer8,Rgb24\nPixelFormat=Bayer8\nFrameRate=60\nSerialPorts=0\n";

std::string BinFolder()
{
    const std::string exe = win32::ModulePath(nullptr);
    const std::string tests = exe.substr(0, exe.find_last_of('\\'));
    return tests.substr(0, tests.find_last_of('\\')) + "\\bin";
}

std::string Sim(const std::string& command)
{
    const auto control = win32::BindExport<MkSimControlFn>(GetModuleHandleA("mkApi.dll"), "MkSimControl");
    if (!control)
        return "no MkSimControl";
    char reply[1024] = {};
    const uint32_t code = control(command.c_str(), reply, sizeof reply);
    return code == 0 ? std::string(reply) : "error " + std::to_string(code) + ": " + reply;
}

class Viewer : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The camera library reads its network once, when the plug-in binds it.
        static ScratchFolder network("framix_view_network");
        const std::string file = network.File("network.ini");
        std::ofstream(file) << kNetwork;
        _putenv(("MKAPI_NETWORK=" + file).c_str());
    }

    void SetUp() override { Open(""); }
    // The framework on a Framix.ini whose grabber section holds the plug-in and `keys`.
    void Open(const std::string& keys)
    {
        ini_ = scratch_.File("Framix.ini");
        std::ofstream(ini_, std::ios::binary) << "[Grabber_0]\r\nFile=" << BinFolder() << "\\FramixZelmkAPI.dll\r\n"
                                              << keys;
        framework_ = FramixOpen(ini_.c_str(), &Viewer::Log, &log_);
        ASSERT_NE(framework_, nullptr);
        grabber_ = FramixGetGrabber(framework_, 0);
        ASSERT_NE(grabber_, nullptr) << log_;
        ASSERT_EQ(grabber_->Init(), UG_OK) << log_;
        ASSERT_EQ("ok", Sim("status"));
    }
    void TearDown() override { Close(); }
    void Close()
    {
        view_.reset();
        if (grabber_)
            grabber_->DeInit();
        if (framework_)
            FramixClose(framework_);
        grabber_ = nullptr;
        framework_ = nullptr;
    }

    // The window on camera uid (0: the grabber's own choice).
    void Show(uint32_t uid)
    {
        if (uid) {
            ASSERT_EQ(grabber_->SetActCameraIndex(grabber_->GetCameraIndexByCameraUniqueID(uid)), UG_OK);
        }
        view_ = std::make_unique<CViewerDlg>(*grabber_, grabber_->GetGrabberIni());
        ASSERT_TRUE(view_->Create(IDD_FRAMIXVIEW, static_cast<CWnd*>(nullptr)));
        view_->SetSilenceMs(400);
        view_->SetWindowPos(nullptr, 0, 0, 720, 560, SWP_NOZORDER);
        view_->ShowWindow(SW_SHOW);
        PumpPending();
    }
    void Command(UINT id) { view_->SendMessage(WM_COMMAND, id); }
    // Live until the window drew `frames` frames (bounded).
    void LiveFor(uint64_t frames)
    {
        Command(ID_CAMERA_LIVE);
        ASSERT_EQ(grabber_->GetSnapMode(), UG_SNAP_CONTINUOUS) << view_->StatusText(framixview::kPaneMessage);
        EXPECT_TRUE(PumpUntil([&] { return view_->FramesDrawn() >= frames; }, 15000))
            << view_->FramesDrawn() << " drawn, " << view_->FramesReceived() << " received";
    }
    // Gives the status bar's timer its turn.
    void Settle() { PumpFor(400); }

    // The framework's log, shown when a step fails.
    static void Log(void* context, int level, const char* text)
    {
        *static_cast<std::string*>(context) += "[" + std::to_string(level) + "] " + (text ? text : "") + "\n";
    }

    ScratchFolder scratch_{"framix_view_test"};
    std::string log_;
    std::string ini_;
    FramixFramework* framework_ = nullptr;
    CUnifiedGrabber* grabber_ = nullptr;
    std::unique_ptr<CViewerDlg> view_;
};

bool IsPng(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    char head[8] = {};
    file.read(head, 8);
    return file.gcount() == 8 && std::string(head, 8) == "\x89PNG\r\n\x1a\n";
}

} // namespace

TEST_F(Viewer, OpenLiveStopSaveOnTheMonochromeCamera)
{
    Show(100001);
    EXPECT_EQ(view_->StatusText(framixview::kPaneCamera), "Mono");
    Command(ID_CAMERA_OPEN);
    EXPECT_TRUE(grabber_->IsActCameraOpen());
    EXPECT_EQ(view_->StatusText(framixview::kPaneMessage), "Camera open.");
    Settle();
    EXPECT_EQ(view_->StatusText(framixview::kPaneSize), "640 x 480");
    EXPECT_EQ(view_->StatusText(framixview::kPaneFormat), "Mono 12 bit");

    LiveFor(20);
    Settle();
    // The display keeps its own pace: never more drawn than received.
    EXPECT_LE(view_->FramesDrawn(), view_->FramesReceived());
    EXPECT_NE(view_->StatusText(framixview::kPaneRate), "0.0 fps");
    EXPECT_TRUE(TakeScreenshot("framixview-mono", view_->m_hWnd));
    Command(ID_CAMERA_STOP);
    EXPECT_EQ(grabber_->GetSnapMode(), UG_SNAP_IDLE);
    EXPECT_EQ(view_->StatusText(framixview::kPaneMessage), "Stopped.");
    const uint64_t received = view_->FramesReceived();
    Settle();
    EXPECT_EQ(view_->FramesReceived(), received) << "frames after the stop";
    EXPECT_EQ(view_->StatusText(framixview::kPaneReceived), std::to_string(received) + " received");

    const std::string png = scratch_.File("mono.png");
    EXPECT_EQ(view_->SaveShownImage(png), "");
    EXPECT_TRUE(IsPng(png));

    Command(ID_CAMERA_CLOSE);
    EXPECT_FALSE(grabber_->IsActCameraOpen());
    EXPECT_TRUE(view_->HasImage()) << "the last image stays";
}

TEST_F(Viewer, LiveOnTheColourCameraAndASingleSnap)
{
    Show(100002);
    LiveFor(10); // opens the camera itself
    Settle();
    EXPECT_EQ(view_->StatusText(framixview::kPaneFormat), "Bayer RG 8 bit");
    EXPECT_EQ(view_->StatusText(framixview::kPaneSize), "320 x 240");
    EXPECT_TRUE(TakeScreenshot("framixview-colour", view_->m_hWnd));
    Command(ID_CAMERA_STOP);
    const uint64_t drawn = view_->FramesDrawn();
    Command(ID_CAMERA_SNAP);
    EXPECT_TRUE(PumpUntil([&] { return view_->FramesDrawn() > drawn && grabber_->GetSnapMode() == UG_SNAP_IDLE; }, 5000));
    EXPECT_EQ(view_->FramesReceived(), 1u);
}

TEST_F(Viewer, ACameraUnpluggedWhileLiveIsNamedInTheStatusBarAndTheLastImageStays)
{
    Show(100001);
    LiveFor(5);
    EXPECT_EQ("ok", Sim("unplug 100001"));
    EXPECT_TRUE(PumpUntil(
        [&] { return view_->StatusText(framixview::kPaneMessage).find("unplugged?") != std::string::npos; }, 5000))
        << view_->StatusText(framixview::kPaneMessage);
    EXPECT_TRUE(view_->HasImage());
    EXPECT_TRUE(TakeScreenshot("framixview-unplugged", view_->m_hWnd));
    // Stop and close answer at once on a camera that is gone.
    const ULONGLONG start = GetTickCount64();
    Command(ID_CAMERA_STOP);
    Command(ID_CAMERA_CLOSE);
    EXPECT_LT(GetTickCount64() - start, 5000u);
    EXPECT_EQ(grabber_->GetSnapMode(), UG_SNAP_IDLE);
    EXPECT_EQ("ok", Sim("plug 100001"));
}

TEST_F(Viewer, ThePlacementAndTheLastCameraAreKeptInFramixIni)
{
    // The grabber keeps the camera chosen last as its "UniqueId"; the window starts on it.
    Close();
    Open("UniqueId=100002\r\n");
    Show(0);
    EXPECT_EQ(view_->StatusText(framixview::kPaneCamera), "Colour");
    view_->SetWindowPos(nullptr, 40, 30, 500, 400, SWP_NOZORDER);
    view_->DestroyWindow();
    ASSERT_EQ(FramixSaveConfig(framework_), UG_OK);
    std::ifstream file(ini_, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(saved.find("[FramixView]"), std::string::npos) << saved;
    EXPECT_NE(saved.find("WindowWidth=500"), std::string::npos) << saved;
    EXPECT_NE(saved.find("UniqueId=100002"), std::string::npos) << saved;

    view_ = std::make_unique<CViewerDlg>(*grabber_, grabber_->GetGrabberIni());
    ASSERT_TRUE(view_->Create(IDD_FRAMIXVIEW, static_cast<CWnd*>(nullptr)));
    CRect r;
    view_->GetWindowRect(&r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.Width(), 500);
    EXPECT_EQ(r.Height(), 400);
}

TEST_F(Viewer, TheFeaturesCommandShowsTheGrabbersFeatureEditorBesideTheWindow)
{
    Show(100001);
    Command(ID_CAMERA_OPEN);
    Command(ID_CAMERA_FEATURES);
    PumpPending();
    EXPECT_EQ(grabber_->IsCamCntrlDialogOpen(), 1) << view_->StatusText(framixview::kPaneMessage);
    // Modeless: the viewer goes on taking commands while the editor is shown.
    LiveFor(3);
    EXPECT_TRUE(TakeScreenshot("framixview-features"));
    Command(ID_CAMERA_STOP);
    EXPECT_EQ(grabber_->CloseCamCntrlDialog(), UG_OK);
    EXPECT_EQ(grabber_->IsCamCntrlDialogOpen(), 0);
}
