// Screenshots of both pages, recognised camera and error state, taken of the
// test's display into build/screenshots/ for a look by eye.
#include "DialogHarness.h"

#include "app_framework_testing/screenshot.h"

#include <string>

namespace {

void SelectTab(DialogHarness& h, int index)
{
    h.dialog->Pages().SetCurSel(index);
    NMHDR header = {h.dialog->Pages().m_hWnd, IDC_PAGES, static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageA(h.Dlg(), WM_NOTIFY, IDC_PAGES, reinterpret_cast<LPARAM>(&header));
}

TEST(Screenshots, BothPagesRecognisedAndInError)
{
    if (!CanTakeScreenshots()) GTEST_SKIP() << "no ImageMagick";
    struct Shot {
        bool withDevice;
        int tab;
        const char* name;
    };
    for (Shot shot : {Shot{true, 0, "kl7700-image-page"}, Shot{true, 1, "kl7700-timer-page"},
                      Shot{false, 0, "kl7700-image-page-error"}, Shot{false, 1, "kl7700-timer-page-error"}}) {
        SCOPED_TRACE(shot.name);
        DialogHarness h({}, shot.withDevice);
        ASSERT_TRUE(h.created);
        ::SetWindowPos(h.Dlg(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
        SelectTab(h, shot.tab);
        ::UpdateWindow(h.Dlg());
        EXPECT_TRUE(TakeScreenshot(shot.name));
    }
}

} // namespace
