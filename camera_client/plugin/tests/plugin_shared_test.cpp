// The plug-in's shared pieces: version text, the list of dialog windows and
// what the get-message hook does with keyboard and mouse messages.
#include "DialogHarness.h"

#include "PluginShared.h"

namespace {

TEST(VersionText, FromTheFileVersion)
{
    struct Case {
        const char* file;
        const char* text;
    };
    for (Case c : {Case{"1.2.0.1251", "V1.2.0 build 1251"}, Case{"1.0.0.1", "V1.0.0 build 1"}, Case{"", ""},
                   Case{"7", ""}}) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(kl7700plugin::MakeVersionText(c.file), c.text);
    }
}

TEST(DialogWindowList, KeepsEachWindowOnceAndTheOrderOnRemoval)
{
    kl7700plugin::DialogWindowList list;
    HWND a = reinterpret_cast<HWND>(0x10), b = reinterpret_cast<HWND>(0x20), c = reinterpret_cast<HWND>(0x30);
    list.Add(a);
    list.Add(b);
    list.Add(a);
    list.Add(nullptr);
    list.Add(c);
    EXPECT_EQ(list.Windows(), (std::vector<HWND>{a, b, c}));
    list.Remove(b);
    EXPECT_EQ(list.Windows(), (std::vector<HWND>{a, c}));
    EXPECT_FALSE(list.Contains(b));
}

TEST(MessageHook, ConsumedKeysAreNeutralisedMouseMessagesNever)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    EXPECT_TRUE(kl7700plugin::PluginDialogWindows().Contains(h.Dlg()));
    EXPECT_TRUE(kl7700plugin::PluginDialogWindows().Contains(h.Page1()));
    HWND edit = ::GetDlgItem(h.Page1(), IDC_LINES_EDIT);

    MSG tab = {edit, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    kl7700plugin::PreTranslateHookedMessage(tab);
    EXPECT_EQ(tab.message, static_cast<UINT>(WM_NULL)) << "Tab belongs to the dialog";
    EXPECT_EQ(tab.wParam, 0u);

    MSG move = {edit, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2), 0, {0, 0}};
    kl7700plugin::PreTranslateHookedMessage(move);
    EXPECT_EQ(move.message, static_cast<UINT>(WM_MOUSEMOVE));

    // Windows that are not the plug-in's are left alone.
    HWND other = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    MSG foreign = {other, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    kl7700plugin::PreTranslateHookedMessage(foreign);
    EXPECT_EQ(foreign.message, static_cast<UINT>(WM_KEYDOWN));
    ::DestroyWindow(other);

    const HWND dialog = h.Dlg(), page = h.Page1();
    h.dialog->DestroyWindow();
    EXPECT_FALSE(kl7700plugin::PluginDialogWindows().Contains(dialog));
    EXPECT_FALSE(kl7700plugin::PluginDialogWindows().Contains(page));
}

// Answers the dialog's questions and records them.
struct Answers {
    int answer = IDYES;
    std::vector<std::string> asked;
    static int Box(void* context, HWND, const char* text, const char* caption, UINT type)
    {
        auto* self = static_cast<Answers*>(context);
        self->asked.push_back(std::string(caption) + ": " + text);
        EXPECT_EQ(type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
        return self->answer;
    }
};

TEST(ControlDialogQuestions, DefaultsAndCalibrationAskFirst)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    Answers answers;
    AfxMessageBoxHook previous = AfxSetMessageBoxHook(&Answers::Box, &answers);
    h.NewCommands();

    answers.answer = IDNO;
    h.Click(h.Dlg(), IDC_SAVE_DEFAULTS);
    h.Click(h.Dlg(), IDC_LOAD_DEFAULTS);
    EXPECT_EQ(h.NewCommands(), "") << "No sends nothing";
    answers.answer = IDYES;
    h.Click(h.Dlg(), IDC_SAVE_DEFAULTS);
    EXPECT_NE(h.NewCommands().find("X=1\r"), std::string::npos);
    h.Click(h.Dlg(), IDC_LOAD_DEFAULTS);
    const std::string load = h.NewCommands();
    EXPECT_NE(load.find("Z=1\r"), std::string::npos);
    EXPECT_NE(load.find("Y=1\r"), std::string::npos) << "the camera is read again: " << load;

    // In image-on-demand mode the calibration needs a trigger: asked first.
    h.Select(h.Page2(), IDC_TIMING_MODE, 1);
    h.NewCommands();
    answers.asked.clear();
    answers.answer = IDNO;
    h.Click(h.Page1(), IDC_CALIBRATE);
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0], "Sorvel SX-20 / KL-7700: Camera operates in 'Image On Demand (IOD)' mode.\nMake sure "
                                "that an external trigger signal is applied. Continue calibration?");
    EXPECT_EQ(h.NewCommands(), "");
    answers.answer = IDYES;
    h.Click(h.Page1(), IDC_CALIBRATE);
    EXPECT_NE(h.NewCommands().find("C=1\r"), std::string::npos);
    EXPECT_EQ(::SendDlgItemMessageA(h.Page1(), IDC_FPN_ACTIVE, BM_GETCHECK, 0, 0), BST_CHECKED);
    AfxSetMessageBoxHook(previous, nullptr);
}

TEST(ControlDialogShowing, ShowingAgainReadsTheCameraAgain)
{
    DialogHarness h;
    ASSERT_TRUE(h.created);
    h.NewCommands();
    h.dialog->ShowWindow(SW_HIDE);
    h.device.camera.setValue('W', 50); // changed behind the dialog's back
    h.dialog->ShowWindow(SW_SHOW);
    EXPECT_NE(h.NewCommands().find("Y=1\r"), std::string::npos);
    EXPECT_EQ(h.Text(h.Page1(), IDC_DARK_VALUE_EDIT), "50");
}

} // namespace
