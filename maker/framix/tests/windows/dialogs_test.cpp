// The framework's modal dialogs, driven from a thread timer while their modal
// loops run: the serial port's settings, the choice of camera and of graphics mode.
#include "framix_fixture.h"

#include "CmdChannel.h"
#include "UnifiedCamera.h"

#include <functional>
#include <string>

namespace {

using namespace framix_test;

// Runs the steps, one per tick, on the dialog with the caption; cancels it
// when the steps are done or after 3 s, so a test never waits for a user.
class ModalDriver {
public:
    using Step = std::function<void(HWND)>;
    ModalDriver(const char* caption, std::vector<Step> steps)
    {
        caption_ = caption;
        steps_ = std::move(steps);
        next_ = 0;
        ticks_ = 0;
        timer_ = SetTimer(nullptr, 0, 20, &ModalDriver::OnTimer);
    }
    ~ModalDriver() { KillTimer(nullptr, timer_); }
    static bool AllStepsRan() { return next_ == steps_.size(); }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND dialog = FindWindowA(nullptr, caption_.c_str());
        if (!dialog || !IsWindowVisible(dialog))
            return;
        if (++ticks_ > 150 || next_ >= steps_.size()) {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        steps_[next_++](dialog);
    }

    static inline std::string caption_;
    static inline std::vector<Step> steps_;
    static inline size_t next_ = 0;
    static inline int ticks_ = 0;
    UINT_PTR timer_ = 0;
};

void Press(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Choose(HWND dialog, int id, const char* text)
{
    SendDlgItemMessageA(dialog, id, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
}

std::string Text(HWND dialog, int id)
{
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// Ids of the framework's dialogs (Framix.rc).
constexpr int kPort = 1101, kBaud = 1102, kParity = 1103, kByteSize = 1104, kStopBits = 1105, kDelay = 1106, kError = 1107;
constexpr int kList = 1201;

struct ChannelDeleter {
    void operator()(CCmdChannel* c) const { DeleteCmdSerialInstance(c); }
};

TEST(SerialDialog, OkTakesTheChosenSettings)
{
    std::unique_ptr<CCmdChannel, ChannelDeleter> channel(CreateCmdSerialInstance());
    std::string shownPort, shownBaud;
    ModalDriver driver("Serial Port Settings", {[&](HWND d) {
                                                    shownPort = Text(d, kPort);
                                                    shownBaud = Text(d, kBaud);
                                                    SetDlgItemTextA(d, kPort, "COM5");
                                                    Choose(d, kBaud, "9600");
                                                    Choose(d, kParity, "Even");
                                                    Choose(d, kByteSize, "7");
                                                    Choose(d, kStopBits, "2");
                                                    SetDlgItemTextA(d, kDelay, "12");
                                                },
                                                [](HWND d) { Press(d, IDOK); }});
    int32_t exitCode = -1;
    ASSERT_EQ(UG_OK, channel->ConfigDialog(nullptr, &exitCode));
    EXPECT_TRUE(ModalDriver::AllStepsRan());
    EXPECT_EQ(1, exitCode);
    EXPECT_EQ("COM1", shownPort);
    EXPECT_EQ("115200", shownBaud);
    EXPECT_STREQ("COM5: 9600 Baud, Parity = Even, Bytesize = 7, Stopbits = 2", channel->GetConfigString());
    EXPECT_EQ(12u, channel->GetInterCharDelay());
}

TEST(SerialDialog, BadFieldsKeepTheDialogAndCancelChangesNothing)
{
    std::unique_ptr<CCmdChannel, ChannelDeleter> channel(CreateCmdSerialInstance());
    std::string noPort, noDelay;
    ModalDriver driver("Serial Port Settings", {[](HWND d) {
                                                    SetDlgItemTextA(d, kPort, "");
                                                    Press(d, IDOK);
                                                },
                                                [&](HWND d) {
                                                    noPort = Text(d, kError);
                                                    SetDlgItemTextA(d, kPort, "COM2");
                                                    SetDlgItemTextA(d, kDelay, "");
                                                    Press(d, IDOK);
                                                },
                                                [&](HWND d) {
                                                    noDelay = Text(d, kError);
                                                    Press(d, IDCANCEL);
                                                }});
    int32_t exitCode = -1;
    ASSERT_EQ(UG_OK, channel->ConfigDialog(nullptr, &exitCode));
    EXPECT_TRUE(ModalDriver::AllStepsRan());
    EXPECT_EQ(0, exitCode);
    EXPECT_EQ("Enter a port name, e.g. COM1.", noPort);
    EXPECT_EQ("The delay is 0 to 10000 ms.", noDelay);
    EXPECT_STREQ("COM1", channel->GetCmdName());
}

class ChoiceDialogs : public FrameworkTest {
protected:
    void SetUp() override
    {
        Open(ListingTheTestGrabber());
        g_ = Grabber();
        ASSERT_NE(nullptr, g_);
        ASSERT_EQ(UG_OK, g_->Init());
    }
    CUnifiedGrabber* g_ = nullptr;
};

TEST_F(ChoiceDialogs, TheCameraChosenBecomesActive)
{
    std::vector<std::string> items;
    ModalDriver driver("Select Camera", {[&](HWND d) {
                           const int n = static_cast<int>(SendDlgItemMessageA(d, kList, LB_GETCOUNT, 0, 0));
                           for (int i = 0; i < n; ++i) {
                               char text[256] = {};
                               SendDlgItemMessageA(d, kList, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
                               items.push_back(text);
                           }
                           SendDlgItemMessageA(d, kList, LB_SETCURSEL, 2, 0);
                           Press(d, IDOK);
                       }});
    int32_t exitCode = -1;
    ASSERT_EQ(UG_OK, g_->SelectCameraDialog(nullptr, &exitCode));
    EXPECT_EQ(1, exitCode);
    EXPECT_EQ(2, g_->GetActCameraIndex());
    const std::vector<std::string> expected = {"Test Camera A (101)", "Test Camera B (202)", "Test Camera C (303)"};
    EXPECT_EQ(expected, items);
}

TEST_F(ChoiceDialogs, TheModeChosenBecomesTheCamerasMode)
{
    int32_t exitCode = -1;
    EXPECT_EQ(UG_ERR_NO_ACTIVE_CAMERA, g_->SelectModeDialog(nullptr, &exitCode));
    ASSERT_EQ(UG_OK, g_->SetActCameraIndex(1));
    ASSERT_EQ(UG_OK, g_->OpenActCamera());
    ASSERT_EQ(UG_OK, g_->PrepareFrameBuffers());
    std::string item;
    int selected = -1;
    ModalDriver driver("Select Graphics Mode", {[&](HWND d) {
                           char text[256] = {};
                           SendDlgItemMessageA(d, kList, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
                           item = text;
                           selected = static_cast<int>(SendDlgItemMessageA(d, kList, LB_GETCURSEL, 0, 0));
                           Press(d, IDOK);
                       }});
    ASSERT_EQ(UG_OK, g_->SelectModeDialog(nullptr, &exitCode));
    EXPECT_EQ(1, exitCode);
    EXPECT_EQ("32 x 16, 3 x 8 bit, colour coding 3", item);
    EXPECT_EQ(0, selected);
    EXPECT_EQ(0, g_->GetActCamera()->GetActGfxModeIndex());
    EXPECT_EQ(0, g_->AreBuffersReady()); // sized anew before the next snap
}

TEST_F(ChoiceDialogs, CancelLeavesTheChoiceAsItWas)
{
    ASSERT_EQ(UG_OK, g_->SetActCameraIndex(0));
    ModalDriver driver("Select Camera", {[](HWND d) {
                           SendDlgItemMessageA(d, kList, LB_SETCURSEL, 1, 0);
                           Press(d, IDCANCEL);
                       }});
    int32_t exitCode = -1;
    ASSERT_EQ(UG_OK, g_->SelectCameraDialog(nullptr, &exitCode));
    EXPECT_EQ(0, exitCode);
    EXPECT_EQ(0, g_->GetActCameraIndex());
}

} // namespace
