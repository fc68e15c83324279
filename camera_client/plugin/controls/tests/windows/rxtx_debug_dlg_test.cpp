// The serial debug window: log text and colours read back from the rich edit, buttons, hiding and sizing.
#include <gtest/gtest.h>

#include "TestSupport.h"

#include "app_framework_testing/screenshot.h"
#include "test_ids.h"

#include "kl7700_controls/RxTxDebugDlg.h"

#include <cstdlib>
#include <filesystem>

namespace {

class COwnerDialog : public CDialog {
public:
    COwnerDialog() : CDialog(IDD_OWNER_TEST) {}
    int hiddenNotices = 0;
    LRESULT OnDebugHidden(WPARAM, LPARAM)
    {
        ++hiddenNotices;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(COwnerDialog, CDialog)
    ON_MESSAGE(WM_KL7700_DEBUG_HIDDEN, OnDebugHidden)
END_MESSAGE_MAP()

struct RangeFormat {
    COLORREF color;
    std::string face;
    LONG height;
};

class RxTxDebugDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(owner.Create(IDD_OWNER_TEST));
        ASSERT_TRUE(debug.Create(&owner));
        log = ::GetDlgItem(debug.m_hWnd, IDC_RXTX_LOG);
        ASSERT_NE(log, nullptr);
    }
    void TearDown() override
    {
        debug.DestroyWindow();
        owner.DestroyWindow();
    }

    // The log's text with paragraph marks as "\n", whatever line end the control keeps.
    std::string logText() const
    {
        // The window is bound to the dialog's rich-edit object; its text comes in the ANSI code page.
        auto* rich = static_cast<CRichEditCtrl*>(CWnd::FromHandlePermanent(log));
        std::string text = rich ? rich->GetWindowText() : std::string();
        std::string lines;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r') {
                lines.push_back('\n');
                if (i + 1 < text.size() && text[i + 1] == '\n')
                    ++i;
            } else {
                lines.push_back(text[i]);
            }
        }
        return lines;
    }

    RangeFormat formatOf(long start, long end) const
    {
        CHARRANGE range{start, end};
        ::SendMessageA(log, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2A format{};
        format.cbSize = sizeof format;
        ::SendMessageA(log, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return {format.crTextColor, format.szFaceName, format.yHeight};
    }

    void click(int id) { ::SendMessageA(debug.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(debug.m_hWnd, id))); }

    COwnerDialog owner;
    CRxTxDebugDlg debug;
    HWND log = nullptr;
};

} // namespace

TEST_F(RxTxDebugDlgTest, StartsHiddenWithItsCaption)
{
    EXPECT_FALSE(::IsWindowVisible(debug.m_hWnd));
    EXPECT_EQ(TextOf(debug.m_hWnd), "Sorvel SX-20 / KL-7700 Rx/Tx Debug");
    EXPECT_EQ(::GetWindow(debug.m_hWnd, GW_OWNER), owner.m_hWnd);
}

TEST_F(RxTxDebugDlgTest, ReplyTokensAndLineBreaksInReceivedColours)
{
    debug.AddLog(CRxTxDebugDlg::kLogReceived, "\r\r\n>");
    EXPECT_EQ(logText(), "{CR}\n{CR}{LF}\n>");
    // Positions: "{CR}" 0-4, break 4, "{CR}{LF}" 5-13, break 13, ">" 14.
    struct Case {
        const char* name;
        long start, end;
        COLORREF color;
    } cases[] = {
        {"first token", 0, 4, CRxTxDebugDlg::kReceivedToken},
        {"token pair", 5, 13, CRxTxDebugDlg::kReceivedToken},
        {"prompt", 14, 15, CRxTxDebugDlg::kReceivedText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RangeFormat format = formatOf(c.start, c.end);
        EXPECT_EQ(format.color, c.color);
        EXPECT_EQ(format.face, "Courier New");
        EXPECT_EQ(format.height, 165);
    }
}

TEST_F(RxTxDebugDlgTest, SentBytesInSentColoursAfterEarlierEntries)
{
    debug.AddLog(CRxTxDebugDlg::kLogReceived, "ok");
    debug.AddLog(CRxTxDebugDlg::kLogSent, "a\x06");
    debug.AddLog(0, "b"); // kind 0 counts as sent
    EXPECT_EQ(logText(), "oka{0x06}b");
    EXPECT_EQ(formatOf(0, 2).color, CRxTxDebugDlg::kReceivedText);
    EXPECT_EQ(formatOf(2, 3).color, CRxTxDebugDlg::kSentText);
    EXPECT_EQ(formatOf(3, 9).color, CRxTxDebugDlg::kSentToken);
    EXPECT_EQ(formatOf(9, 10).color, CRxTxDebugDlg::kSentText);
}

TEST_F(RxTxDebugDlgTest, ClearEmptiesAndCopyTakesEverything)
{
    debug.AddLog(CRxTxDebugDlg::kLogSent, "ser?\r");
    click(IDC_RXTX_COPY);
    std::string copied = ClipboardText();
    EXPECT_EQ(copied.substr(0, 8), "ser?{CR}");
    click(IDC_RXTX_CLEAR);
    EXPECT_EQ(logText(), "");
    debug.AddLog(CRxTxDebugDlg::kLogReceived, "\x06");
    EXPECT_EQ(logText(), "{0x06}") << "the next entry starts at the top";
    EXPECT_EQ(formatOf(0, 6).color, CRxTxDebugDlg::kReceivedToken);
}

TEST_F(RxTxDebugDlgTest, CloseBoxAndButtonHideAndTellTheOwner)
{
    const UINT closers[] = {WM_CLOSE, WM_COMMAND};
    for (UINT closer : closers) {
        SCOPED_TRACE(closer);
        debug.ShowWindow(SW_SHOWNA);
        int before = owner.hiddenNotices;
        if (closer == WM_CLOSE)
            ::SendMessageA(debug.m_hWnd, WM_CLOSE, 0, 0);
        else
            click(IDOK);
        EXPECT_FALSE(::IsWindowVisible(debug.m_hWnd));
        EXPECT_TRUE(::IsWindow(debug.m_hWnd)) << "hidden, not destroyed";
        EXPECT_EQ(owner.hiddenNotices, before + 1);
    }
    debug.ShowWindow(SW_SHOWNA);
    click(IDCANCEL);
    EXPECT_TRUE(::IsWindow(debug.m_hWnd)) << "Escape hides too";
    EXPECT_FALSE(::IsWindowVisible(debug.m_hWnd));
}

TEST_F(RxTxDebugDlgTest, NeverSmallerThanItsInitialSize)
{
    CRect initial;
    ::GetWindowRect(debug.m_hWnd, &initial);
    MINMAXINFO info{};
    ::SendMessageA(debug.m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, initial.Width());
    EXPECT_EQ(info.ptMinTrackSize.y, initial.Height());

    struct Case {
        UINT edge;
        CRect dragged;
        CRect held;
    } cases[] = {
        {WMSZ_LEFT, CRect(200, 100, 250, 500), CRect(250 - initial.Width(), 100, 250, 100 + initial.Height())},
        {WMSZ_BOTTOMRIGHT, CRect(100, 100, 120, 130), CRect(100, 100, 100 + initial.Width(), 100 + initial.Height())},
        {WMSZ_TOP, CRect(100, 400, 100 + initial.Width() + 50, 450),
         CRect(100, 450 - initial.Height(), 100 + initial.Width() + 50, 450)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        CRect rect = c.dragged;
        ::SendMessageA(debug.m_hWnd, WM_SIZING, c.edge, reinterpret_cast<LPARAM>(&rect));
        EXPECT_EQ(rect, c.held);
    }
}

TEST_F(RxTxDebugDlgTest, LayoutFollowsTheWindowSize)
{
    auto rectOf = [&](int id) {
        CRect rect;
        ::GetWindowRect(::GetDlgItem(debug.m_hWnd, id), &rect);
        ::MapWindowPoints(nullptr, debug.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    CRect client;
    ::GetClientRect(debug.m_hWnd, &client);
    CRect closeBefore = rectOf(IDOK), copyBefore = rectOf(IDC_RXTX_COPY), logBefore = rectOf(IDC_RXTX_LOG);

    CRect window;
    ::GetWindowRect(debug.m_hWnd, &window);
    ::MoveWindow(debug.m_hWnd, window.left, window.top, window.Width() + 120, window.Height() + 80, TRUE);
    CRect grown;
    ::GetClientRect(debug.m_hWnd, &grown);
    CRect close = rectOf(IDOK), copy = rectOf(IDC_RXTX_COPY), clear = rectOf(IDC_RXTX_CLEAR), text = rectOf(IDC_RXTX_LOG);

    EXPECT_EQ(grown.right - close.right, client.right - closeBefore.right) << "Close keeps its right margin";
    EXPECT_EQ(grown.bottom - close.bottom, client.bottom - closeBefore.bottom) << "buttons keep their bottom margin";
    EXPECT_EQ(copy.left, copyBefore.left);
    EXPECT_EQ(copy.top, close.top);
    EXPECT_EQ(close.Size().cx, closeBefore.Size().cx);
    EXPECT_NEAR((clear.left + clear.right) / 2, (copy.left + copy.right + close.left + close.right) / 4, 1)
        << "Clear midway";
    EXPECT_EQ(grown.right - text.right, client.right - logBefore.right);
    EXPECT_EQ(close.top - text.bottom, closeBefore.top - logBefore.bottom);
    EXPECT_EQ(text.left, logBefore.left);
}

// Shows the window with some traffic and takes a picture of it into
// build/screenshots/ for a look by eye.
TEST_F(RxTxDebugDlgTest, ScreenshotWithTraffic)
{
    if (!CanTakeScreenshots())
        GTEST_SKIP() << "no ImageMagick";
    debug.ShowWindow(SW_SHOW);
    debug.AddLog(CRxTxDebugDlg::kLogSent, "\r");
    debug.AddLog(CRxTxDebugDlg::kLogReceived, "\r\r\n>");
    debug.AddLog(CRxTxDebugDlg::kLogSent, "ser?\r");
    debug.AddLog(CRxTxDebugDlg::kLogReceived, "ser?\r\r\n12345\r\n>");
    debug.AddLog(CRxTxDebugDlg::kLogSent, "gain 3\r");
    debug.AddLog(CRxTxDebugDlg::kLogReceived, "\x06\r\n\x15 error\r\n>");
    ::UpdateWindow(debug.m_hWnd);
    EXPECT_TRUE(TakeScreenshot("kl7700-rxtx-debug", debug.m_hWnd));
}
