// The colour static answers its parent's colour request with its own colours, and blinks on its timer.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "test_ids.h"

#include "kl7700_controls/ColorStatic.h"

namespace {

constexpr UINT kBlinkNotice = WM_APP + 7;

class CLabelDialog : public CDialog {
public:
    CLabelDialog() : CDialog(IDD_EDIT_TEST) {}
    CColorStatic label;
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_LABEL, label); }
};

struct Answer {
    COLORREF text;
    COLORREF background;
    COLORREF brush;
};

class ColorStaticTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog.Create(IDD_EDIT_TEST)); }
    void TearDown() override { dialog.DestroyWindow(); }

    // Sends the colour request a static makes of its parent while painting.
    Answer ask()
    {
        win32::UniqueWindowDC windowDc = win32::GetWindowDC(dialog.label.m_hWnd);
        HDC dc = windowDc.get();
        auto brush = reinterpret_cast<HBRUSH>(::SendMessageA(
            dialog.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dialog.label.m_hWnd)));
        LOGBRUSH logBrush{};
        EXPECT_TRUE(brush && ::GetObjectA(brush, sizeof logBrush, &logBrush)) << "a brush is returned";
        Answer answer{::GetTextColor(dc), ::GetBkColor(dc), logBrush.lbColor};
        return answer;
    }

    CLabelDialog dialog;
};

} // namespace

TEST_F(ColorStaticTest, AnswersWithItsColoursOrTheSystemDefaults)
{
    Answer initial = ask();
    EXPECT_EQ(initial.text, ::GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(initial.brush, ::GetSysColor(COLOR_BTNFACE));

    dialog.label.SetTextColor(RGB(255, 255, 255));
    dialog.label.SetBkColor(RGB(255, 0, 0));
    Answer set = ask();
    EXPECT_EQ(set.text, RGB(255, 255, 255));
    EXPECT_EQ(set.background, RGB(255, 0, 0));
    EXPECT_EQ(set.brush, RGB(255, 0, 0));

    dialog.label.SetTextColor(CColorStatic::kSystemColor);
    dialog.label.SetBkColor(CColorStatic::kSystemColor);
    Answer reset = ask();
    EXPECT_EQ(reset.text, ::GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(reset.brush, ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(ColorStaticTest, BlinkTimerTogglesPhasesAndNotifies)
{
    CColorStatic& label = dialog.label;
    label.SetBkColor(RGB(0, 0, 0));
    label.SetBlinkTextColors(RGB(255, 0, 0), RGB(0, 255, 0));
    label.SetBlinkBkColors(RGB(0, 0, 255), RGB(255, 255, 0));
    label.EnableNotify(&dialog, kBlinkNotice);
    label.StartTextBlink(TRUE, 60000);
    label.StartBkBlink(TRUE, 60000);
    EXPECT_EQ(ask().text, RGB(255, 0, 0));
    EXPECT_EQ(ask().brush, RGB(0, 0, 255));

    ::SendMessageA(label.m_hWnd, WM_TIMER, CColorStatic::kBlinkTimerId, 0);
    Answer second = ask();
    EXPECT_EQ(second.text, RGB(0, 255, 0));
    EXPECT_EQ(second.background, RGB(255, 255, 0));
    EXPECT_EQ(second.brush, RGB(255, 255, 0));
    MSG notice{};
    ASSERT_TRUE(::PeekMessageA(&notice, dialog.m_hWnd, kBlinkNotice, kBlinkNotice, PM_REMOVE));
    EXPECT_EQ(notice.wParam, static_cast<WPARAM>(IDC_LABEL));

    label.StartTextBlink(FALSE);
    label.StartBkBlink(FALSE);
    ::SendMessageA(label.m_hWnd, WM_TIMER, CColorStatic::kBlinkTimerId, 0);
    EXPECT_EQ(ask().brush, RGB(0, 0, 0)) << "the steady background is back";
    EXPECT_FALSE(::PeekMessageA(&notice, dialog.m_hWnd, kBlinkNotice, kBlinkNotice, PM_REMOVE))
        << "no notification while nothing blinks";
}
