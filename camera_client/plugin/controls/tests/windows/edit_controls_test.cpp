// The entry fields subclassed on a test dialog and driven by character, key, mouse and clipboard messages.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "test_ids.h"

#include "kl7700_controls/DoubleNumberEdit.h"
#include "kl7700_controls/NumericEdit.h"

namespace {

class CEditTestDialog : public CDialog {
public:
    CEditTestDialog() : CDialog(IDD_EDIT_TEST) {}
    CNumericEdit numeric;
    CDoubleNumberEdit real;
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Control(dx, IDC_NUMERIC, numeric);
        DDX_Control(dx, IDC_REAL, real);
    }
};

class EditControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dialog.Create(IDD_EDIT_TEST));
        real.SetDecimalSeparator('.');
        real.SetGroupSeparator(' ');
        real.SetGroupSize(3);
        real.SetDecimals(4);
    }
    void TearDown() override { dialog.DestroyWindow(); }

    // The real field's text with "|" at the caret (or "[...]" around a selection).
    std::string realShown() const
    {
        std::string text = TextOf(real.m_hWnd);
        auto [start, end] = SelectionOf(real.m_hWnd);
        if (start == end)
            return text.insert(start, "|");
        return text.insert(end, "]").insert(start, "[");
    }

    CEditTestDialog dialog;
    CNumericEdit& numeric = dialog.numeric;
    CDoubleNumberEdit& real = dialog.real;
};

} // namespace

TEST_F(EditControlsTest, NumericFieldClampsWhatItReads)
{
    numeric.SetLimits(1, 1728);
    struct Case {
        const char* text;
        UINT value;
        const char* shown;
    } cases[] = {{"0", 1, "1"}, {"99999", 1728, "1728"}, {"", 1, "1"}, {"640", 640, "640"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ::SetWindowTextA(numeric.m_hWnd, c.text);
        EXPECT_EQ(numeric.GetValue(), c.value);
        EXPECT_EQ(TextOf(numeric.m_hWnd), c.shown);
        int length = static_cast<int>(std::strlen(c.shown));
        EXPECT_EQ(SelectionOf(numeric.m_hWnd), std::make_pair(length, length)) << "caret at the end";
    }
    numeric.SetValue(5000);
    EXPECT_EQ(TextOf(numeric.m_hWnd), "1728");
}

TEST_F(EditControlsTest, NumericFieldTakesOnlyDigitsAndCleansPastes)
{
    numeric.SetLimits(0, 0xFFFFFFFFu);
    ::SetWindowTextA(numeric.m_hWnd, "");
    TypeText(numeric.m_hWnd, "1a2-3.\b");
    EXPECT_EQ(TextOf(numeric.m_hWnd), "12");

    ASSERT_TRUE(AfxSetClipboardText(dialog.m_hWnd, "4x5 6"));
    numeric.SetSel(2, 2);
    ::SendMessageA(numeric.m_hWnd, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(numeric.m_hWnd), "12456");
    EXPECT_EQ(SelectionOf(numeric.m_hWnd), std::make_pair(5, 5));

    numeric.SetValue(0xFFFFFFFFu);
    EXPECT_EQ(TextOf(numeric.m_hWnd), "4294967295") << "large values are not shown negative";
}

TEST_F(EditControlsTest, NumericFieldClampsOnFocusLoss)
{
    numeric.SetLimits(1, 1728);
    dialog.ShowWindow(SW_SHOW);
    ::SetForegroundWindow(dialog.m_hWnd);
    numeric.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == numeric.m_hWnd; }));
    ::SetWindowTextA(numeric.m_hWnd, "99999");
    dialog.GetDlgItem(IDC_OTHER)->SetFocus();
    EXPECT_TRUE(PumpUntil([&] { return TextOf(numeric.m_hWnd) == "1728"; }));
}

TEST_F(EditControlsTest, RealFieldShowsGroupedValue)
{
    real.SetValue(12345.5);
    EXPECT_EQ(TextOf(real.m_hWnd), "12 345.5000");
    real.SetGroupSize(1000000);
    EXPECT_EQ(TextOf(real.m_hWnd), "12345.5000");
    real.SetDecimals(1);
    EXPECT_EQ(TextOf(real.m_hWnd), "12345.5");
}

TEST_F(EditControlsTest, RealFieldTypingKeepsTheCaretOnItsDigit)
{
    real.SetValue(12345.5);
    real.SetSel(1, 1);
    TypeText(real.m_hWnd, ".");
    EXPECT_EQ(realShown(), "12 345.|5000") << "the point moves to the first decimal";
    TypeText(real.m_hWnd, "7");
    EXPECT_EQ(realShown(), "12 345.7|000");
    EXPECT_DOUBLE_EQ(real.GetValue(), 12345.7);

    real.SetSel(2, 2);
    TypeText(real.m_hWnd, "9");
    EXPECT_EQ(realShown(), "129 |345.7000") << "regrouped, the caret still before the 3";
    TypeText(real.m_hWnd, "\b\b");
    EXPECT_EQ(realShown(), "1 |345.7000");

    real.SetLimits(0.0, 2000.0);
    EXPECT_EQ(TextOf(real.m_hWnd), "1 345.7000");
    TypeText(real.m_hWnd, "9");
    EXPECT_EQ(TextOf(real.m_hWnd), "2 000.0000");
    EXPECT_DOUBLE_EQ(real.GetValue(), 2000.0);
}

TEST_F(EditControlsTest, RealFieldKeysMoveOverDigitsAndEdit)
{
    real.SetValue(12345.5);
    real.SetSel(0, 0);
    PressExtendedKey(real.m_hWnd, VK_RIGHT);
    PressExtendedKey(real.m_hWnd, VK_RIGHT);
    EXPECT_EQ(realShown(), "12| 345.5000");
    PressExtendedKey(real.m_hWnd, VK_DOWN);
    EXPECT_EQ(realShown(), "12 3|45.5000") << "the group separator is skipped";
    PressExtendedKey(real.m_hWnd, VK_RIGHT, true);
    PressExtendedKey(real.m_hWnd, VK_RIGHT, true);
    PressExtendedKey(real.m_hWnd, VK_RIGHT, true);
    EXPECT_EQ(realShown(), "12 3[45.5]000") << "Shift extends over the decimal separator";
    PressExtendedKey(real.m_hWnd, VK_LEFT, true);
    EXPECT_EQ(realShown(), "12 3[45.]5000");
    PressExtendedKey(real.m_hWnd, VK_UP);
    EXPECT_EQ(realShown(), "12 34|5.5000");

    PressExtendedKey(real.m_hWnd, VK_DELETE);
    EXPECT_EQ(realShown(), "1 234|.5000");
    ::SendMessageA(real.m_hWnd, WM_KEYDOWN, VK_DELETE, 1); // keypad Delete, not extended
    EXPECT_EQ(realShown(), "1 234.|0000") << "the separator stays, the digit behind it goes";
    real.SetSel(0, 0);
    PressExtendedKey(real.m_hWnd, VK_INSERT);
    EXPECT_FALSE(real.IsInsertMode());
    TypeText(real.m_hWnd, "9");
    EXPECT_EQ(realShown(), "9 |234.0000") << "overwrite replaces the digit";
}

TEST_F(EditControlsTest, RealFieldMouseSelectsBetweenPositions)
{
    real.SetValue(12345.5);
    auto pointAt = [&](int index) {
        LRESULT packed = ::SendMessageA(real.m_hWnd, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
        return MAKELPARAM(LOWORD(packed) + 1, HIWORD(packed) + 2);
    };
    ::SendMessageA(real.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, pointAt(6));
    ::SendMessageA(real.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, pointAt(1));
    ::SendMessageA(real.m_hWnd, WM_LBUTTONUP, 0, pointAt(1));
    EXPECT_EQ(realShown(), "1[2 345].5000");
    EXPECT_EQ(::GetCapture(), nullptr);
    TypeText(real.m_hWnd, "0");
    EXPECT_EQ(realShown(), "10|.5000");
}

TEST_F(EditControlsTest, RealFieldClipboard)
{
    real.SetValue(12345.5);
    real.SetSel(0, 0);
    ::SendMessageA(real.m_hWnd, WM_COPY, 0, 0);
    EXPECT_EQ(ClipboardText(), "12345.5000") << "whole text without group separators";
    real.SetSel(1, 6);
    ::SendMessageA(real.m_hWnd, WM_COPY, 0, 0);
    EXPECT_EQ(ClipboardText(), "2345");

    ASSERT_TRUE(AfxSetClipboardText(dialog.m_hWnd, "98765.4321"));
    real.SetSel(0, -1);
    ::SendMessageA(real.m_hWnd, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(real.m_hWnd), "98 765.4321");
    EXPECT_DOUBLE_EQ(real.GetValue(), 98765.4321);

    // OEM text only: the field still accepts it.
    ASSERT_TRUE(::OpenClipboard(dialog.m_hWnd));
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, 8);
    std::memcpy(::GlobalLock(memory), "1 2.5", 6);
    ::GlobalUnlock(memory);
    ASSERT_TRUE(::SetClipboardData(CF_OEMTEXT, memory));
    ::CloseClipboard();
    real.SetSel(0, -1);
    ::SendMessageA(real.m_hWnd, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(real.m_hWnd), "12.5000");
}
