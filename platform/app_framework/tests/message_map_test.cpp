// Message maps: chained tables route clicks, notifications, private messages, timers and reflected messages.
#include <gtest/gtest.h>

#include "test_ids.h"
#include "app_framework_testing/message_tests.h"

namespace {

using Calls = std::vector<std::string>;

class CRecordingBase : public CDialog {
public:
    CRecordingBase() : CDialog(IDD_FORM) {}
    Calls calls;

protected:
    void OnAction() { calls.push_back("base action"); }
    void OnOther() { calls.push_back("base other"); }
    void OnNameLost() { calls.push_back("base name kill focus"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingBase, CDialog)
    ON_BN_CLICKED(IDC_ACTION, OnAction)
    ON_BN_CLICKED(IDC_OTHER, OnOther)
    ON_EN_KILLFOCUS(IDC_NAME, OnNameLost)
END_MESSAGE_MAP()

class CRecordingDerived : public CRecordingBase {
public:
    static constexpr UINT kPrivate = WM_APP + 7;

protected:
    // Overrides the base's entry for the same control.
    void OnOtherHere() { calls.push_back("derived other"); }
    void OnChoice() { calls.push_back("derived choice"); }
    void OnListDoubleClick(NMHDR* header, LRESULT* result)
    {
        calls.push_back("derived list dblclk " + std::to_string(header->idFrom));
        *result = 5;
    }
    LRESULT OnPrivate(WPARAM wParam, LPARAM lParam)
    {
        calls.push_back("derived private " + std::to_string(wParam) + "," + std::to_string(lParam));
        return 1234;
    }
    void OnTimer(UINT_PTR id)
    {
        calls.push_back("derived timer " + std::to_string(id));
        KillTimer(id);
    }
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar)
    {
        calls.push_back("derived hscroll " + std::to_string(code) + (bar ? " from control" : ""));
    }
    void OnCommandRange(UINT id) { calls.push_back("derived range " + std::to_string(id)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingDerived, CRecordingBase)
    ON_BN_CLICKED(IDC_OTHER, OnOtherHere)
    ON_CBN_SELCHANGE(IDC_CHOICE, OnChoice)
    ON_NOTIFY(NM_DBLCLK, IDC_LIST, OnListDoubleClick)
    ON_MESSAGE(kPrivate, OnPrivate)
    ON_WM_TIMER()
    ON_WM_HSCROLL()
    ON_COMMAND_RANGE(40001, 40003, OnCommandRange)
END_MESSAGE_MAP()

TEST(MessageMap, ChainedTablesDispatchEachMessageToTheRightHandler)
{
    CRecordingDerived dialog;
    ASSERT_TRUE(dialog.Create(IDD_FORM));
    HWND window = dialog.m_hWnd;
    // Clicks move the focus to the buttons; start there so that no focus
    // notification of the edit field mixes in.
    ::SetFocus(::GetDlgItem(window, IDC_ACTION));
    dialog.calls.clear();

    ::SendMessageA(::GetDlgItem(window, IDC_ACTION), BM_CLICK, 0, 0);
    ::SendMessageA(::GetDlgItem(window, IDC_OTHER), BM_CLICK, 0, 0);
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CHOICE, CBN_SELCHANGE), (LPARAM)::GetDlgItem(window, IDC_CHOICE));
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_NAME, EN_KILLFOCUS), (LPARAM)::GetDlgItem(window, IDC_NAME));
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_NAME, EN_CHANGE), (LPARAM)::GetDlgItem(window, IDC_NAME));
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(40002, 0), 0);
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(40004, 0), 0);

    NMHDR header{::GetDlgItem(window, IDC_NAME), IDC_LIST, static_cast<UINT>(NM_DBLCLK)};
    EXPECT_EQ(dialog.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&header)), 5);
    header.code = NM_CLICK;
    EXPECT_EQ(dialog.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&header)), 0);
    EXPECT_EQ(dialog.SendMessage(CRecordingDerived::kPrivate, 3, 4), 1234);
    dialog.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), (LPARAM)::GetDlgItem(window, IDC_OTHER));

    const Calls expected = {
        "base action",
        "derived other",
        "derived choice",
        "base name kill focus",
        "derived range 40002",
        "derived list dblclk 1101",
        "derived private 3,4",
        "derived hscroll 1 from control",
    };
    EXPECT_EQ(dialog.calls, expected);
}

TEST(MessageMap, TimerMessagesReachTheHandler)
{
    CRecordingDerived dialog;
    ASSERT_TRUE(dialog.Create(IDD_FORM));
    ASSERT_NE(dialog.SetTimer(17, 1), 0u);
    EXPECT_TRUE(PumpUntil([&] { return !dialog.calls.empty(); }));
    EXPECT_EQ(dialog.calls, (Calls{"derived timer 17"}));
}

// A control that answers its own colour request and click notifications.
class CReflectingLabel : public CStatic {
public:
    CReflectingLabel() : brush(::CreateSolidBrush(RGB(1, 2, 3))) {}
    win32::UniqueBrush brush;
    Calls calls;

protected:
    HBRUSH CtlColor(CDC* dc, UINT kind)
    {
        dc->SetTextColor(RGB(255, 0, 0));
        calls.push_back("ctlcolor " + std::to_string(kind));
        return brush.get();
    }
    void OnClickedHere() { calls.push_back("reflected clicked"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingLabel, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
    ON_CONTROL_REFLECT(STN_CLICKED, OnClickedHere)
END_MESSAGE_MAP()

class CLabelParent : public CDialog {
public:
    CLabelParent() : CDialog(IDD_FORM) {}
    CReflectingLabel label;
    Calls calls;
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_LABEL, label); }

protected:
    void OnLabelClicked() { calls.push_back("parent clicked"); }
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind)
    {
        calls.push_back("parent ctlcolor " + std::to_string(control->GetDlgCtrlID()));
        return CDialog::OnCtlColor(dc, control, kind);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLabelParent, CDialog)
    ON_STN_CLICKED(IDC_LABEL, OnLabelClicked)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

TEST(MessageMap, ReflectedNotificationsAreHandledByTheControl)
{
    CLabelParent dialog;
    ASSERT_TRUE(dialog.Create(IDD_FORM));
    ASSERT_EQ(CWnd::FromHandlePermanent(::GetDlgItem(dialog.m_hWnd, IDC_LABEL)), &dialog.label);

    win32::UniqueWindowDC windowDc = win32::GetWindowDC(dialog.m_hWnd);
    HDC dc = windowDc.get();
    LRESULT brush = dialog.SendMessage(WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)dialog.label.m_hWnd);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), dialog.label.brush.get());
    EXPECT_EQ(::GetTextColor(dc), RGB(255, 0, 0));
    // A control without a reflected handler leaves the colour to the parent.
    dialog.SendMessage(WM_CTLCOLOREDIT, (WPARAM)dc, (LPARAM)::GetDlgItem(dialog.m_hWnd, IDC_NAME));
    windowDc.reset();

    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_LABEL, STN_CLICKED), (LPARAM)dialog.label.m_hWnd);
    EXPECT_EQ(dialog.label.calls, (Calls{"ctlcolor " + std::to_string(CTLCOLOR_STATIC), "reflected clicked"}));
    EXPECT_EQ(dialog.calls, (Calls{"parent ctlcolor " + std::to_string(IDC_NAME)}));
}

TEST(HandleMap, ForeignWindowsGetTemporaryObjectsAndOursThePermanentOne)
{
    CRecordingDerived dialog;
    ASSERT_TRUE(dialog.Create(IDD_FORM));
    EXPECT_EQ(CWnd::FromHandle(dialog.m_hWnd), &dialog);
    EXPECT_EQ(CWnd::FromHandlePermanent(dialog.m_hWnd), &dialog);

    HWND edit = ::GetDlgItem(dialog.m_hWnd, IDC_NAME);
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
    CWnd* temporary = CWnd::FromHandle(edit);
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(temporary->m_hWnd, edit);
    EXPECT_EQ(CWnd::FromHandle(edit), temporary) << "one temporary object per window until idle time";
    EXPECT_EQ(dialog.GetDlgItem(IDC_NAME), temporary);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);

    CEdit bound;
    ASSERT_TRUE(bound.Attach(edit));
    EXPECT_FALSE(CWnd().Attach(edit)) << "a window has one permanent object";
    EXPECT_EQ(CWnd::FromHandle(edit), &bound);
    EXPECT_EQ(bound.Detach(), edit);
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);

    AfxDeleteTempMap();
    EXPECT_TRUE(::IsWindow(edit)) << "freeing a temporary object leaves its window alone";
}

TEST(HandleMap, SubclassedControlReceivesItsMessagesUntilUnsubclassed)
{
    class CCountingEdit : public CEdit {
    public:
        int sets = 0;
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
        {
            if (message == WM_SETTEXT)
                ++sets;
            return CEdit::WindowProc(message, wParam, lParam);
        }
    };
    CDialog dialog(IDD_FORM);
    ASSERT_TRUE(dialog.Create(IDD_FORM));
    CCountingEdit edit;
    ASSERT_TRUE(edit.SubclassDlgItem(IDC_NAME, &dialog));
    dialog.SetDlgItemText(IDC_NAME, "one");
    EXPECT_EQ(edit.sets, 1);
    EXPECT_EQ(edit.GetWindowText(), "one") << "the original procedure still does the work";
    EXPECT_EQ(edit.UnsubclassWindow(), ::GetDlgItem(dialog.m_hWnd, IDC_NAME));
    dialog.SetDlgItemText(IDC_NAME, "two");
    EXPECT_EQ(edit.sets, 1);
    EXPECT_EQ(ItemText(dialog.m_hWnd, IDC_NAME), "two");
}

} // namespace
