// Dialogs: modal runs ended without a user, modeless data exchange, keyboard pre-translation, self-destruction.
#include <gtest/gtest.h>

#include "test_ids.h"
#include "app_framework_testing/message_tests.h"

#include <memory>

namespace {

// The form template with data exchange of every supported kind.
class CFormDialog : public CDialog {
public:
    CFormDialog() : CDialog(IDD_FORM) {}

    std::string name = "first";
    int count = -12;
    double factor = 2.5;
    unsigned amount = 7;
    int enabled = 1;
    int choice = 1;
    CComboBox choiceBox;

    std::vector<std::string> calls;
    int endFromInit = 0;         // nonzero: OnInitDialog ends the dialog with this result
    bool postOkFromInit = false; // OnInitDialog posts the OK command
    bool okCloses = true;

    BOOL OnInitDialog() override
    {
        choiceBox.SubclassDlgItem(IDC_CHOICE, this);
        for (const char* item : {"zero", "one", "two"})
            choiceBox.AddString(item);
        CDialog::OnInitDialog();
        calls.push_back("init");
        if (endFromInit)
            EndDialog(endFromInit);
        if (postOkFromInit)
            PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return TRUE;
    }
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, IDC_NAME, name);
        DDX_Text(dx, IDC_COUNT, count);
        DDX_Text(dx, IDC_FACTOR, factor);
        DDX_Text(dx, IDC_AMOUNT, amount);
        DDX_Check(dx, IDC_ENABLED, enabled);
        DDX_CBIndex(dx, IDC_CHOICE, choice);
    }
    void OnOK() override
    {
        calls.push_back("ok");
        if (okCloses)
            CDialog::OnOK();
    }
    void OnCancel() override
    {
        calls.push_back("cancel");
        CDialog::OnCancel();
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN)
            calls.push_back("pretranslate");
        return CDialog::PreTranslateMessage(msg);
    }
};

TEST(ModalDialog, EndDialogFromInitReturnsItsResult)
{
    CFormDialog dialog;
    dialog.endFromInit = 42;
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(dialog.m_hWnd, nullptr) << "the object must be unbound once the dialog is gone";
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"init"}));
}

TEST(ModalDialog, PostedOkSavesTheControlsAndReturnsIdok)
{
    CFormDialog dialog;
    dialog.postOkFromInit = true;
    dialog.name = "modal text";
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"init", "ok"}));
    EXPECT_EQ(dialog.name, "modal text") << "the value shown by OnInitDialog comes back through OnOK";
    EXPECT_EQ(dialog.count, -12);
    EXPECT_EQ(dialog.choice, 1);
}

TEST(ModalDialog, MissingTemplateFailsWithoutShowingAnything)
{
    CDialog dialog(4711);
    EXPECT_EQ(dialog.DoModal(), -1);
}

TEST(ModelessDialog, ControlsShowTheMembersAndComeBackThroughDataExchange)
{
    CFormDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FORM));
    HWND window = dialog.m_hWnd;
    EXPECT_EQ(ItemText(window, IDC_NAME), "first");
    EXPECT_EQ(ItemText(window, IDC_COUNT), "-12");
    EXPECT_EQ(ItemText(window, IDC_FACTOR), "2.5");
    EXPECT_EQ(ItemText(window, IDC_AMOUNT), "7");
    EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_ENABLED), 1u);
    EXPECT_EQ(dialog.choiceBox.GetCurSel(), 1);

    dialog.SetDlgItemText(IDC_NAME, "second");
    dialog.SetDlgItemText(IDC_COUNT, " 2147483647 ");
    dialog.SetDlgItemText(IDC_FACTOR, "-0.125");
    dialog.SetDlgItemText(IDC_AMOUNT, "4294967295");
    dialog.CheckDlgButton(IDC_ENABLED, BST_UNCHECKED);
    dialog.choiceBox.SetCurSel(2);
    ASSERT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.name, "second");
    EXPECT_EQ(dialog.count, 2147483647);
    EXPECT_EQ(dialog.factor, -0.125);
    EXPECT_EQ(dialog.amount, 4294967295u);
    EXPECT_EQ(dialog.enabled, 0);
    EXPECT_EQ(dialog.choice, 2);
    EXPECT_EQ(dialog.choiceBox.GetLBText(2), "two");
}

TEST(ModelessDialog, BadNumberFailsTheExchangeAndKeepsTheMember)
{
    CFormDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FORM));
    dialog.SetDlgItemText(IDC_COUNT, "12abc");
    MessageBoxRecorder boxes;
    EXPECT_FALSE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.count, -12);
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"Please enter an integer."}));
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog.m_hWnd, IDC_COUNT)) << "the failing field gets the focus";

    // OK with a bad field must not close the dialog.
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(::IsWindow(dialog.m_hWnd));
    EXPECT_EQ(boxes.texts.size(), 2u);
}

TEST(ModelessDialog, EndDialogDestroysTheWindow)
{
    CFormDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FORM));
    HWND window = dialog.m_hWnd;
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.GetResult(), IDCANCEL);
}

TEST(DataExchangeParsing, AcceptsWholeNumbersOnly)
{
    struct Case {
        const char* text;
        bool intOk;
        int intValue;
        bool unsignedOk;
        unsigned unsignedValue;
    };
    const Case cases[] = {
        {"0", true, 0, true, 0},
        {" 17 ", true, 17, true, 17},
        {"-5", true, -5, false, 0},
        {"2147483648", false, 0, true, 2147483648u},
        {"-2147483649", false, 0, false, 0},
        {"4294967296", false, 0, false, 0},
        {"", false, 0, false, 0},
        {"1e3", false, 0, false, 0},
        {"12 3", false, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int i = 99;
        unsigned u = 99;
        EXPECT_EQ(AfxParseInt(c.text, i), c.intOk);
        EXPECT_EQ(i, c.intOk ? c.intValue : 99);
        EXPECT_EQ(AfxParseUnsigned(c.text, u), c.unsignedOk);
        EXPECT_EQ(u, c.unsignedOk ? c.unsignedValue : 99u);
    }
    double d = 0;
    EXPECT_TRUE(AfxParseDouble(" 1.5e2", d));
    EXPECT_EQ(d, 150.0);
    EXPECT_FALSE(AfxParseDouble("1.5x", d));
    EXPECT_FALSE(AfxParseDouble("1e999", d));
}

TEST(PreTranslation, TabMovesTheFocusAndEnterReachesOnOK)
{
    CFormDialog dialog;
    dialog.okCloses = false;
    ASSERT_TRUE(dialog.Create(IDD_FORM));
    dialog.ShowWindow(SW_SHOW);
    HWND name = ::GetDlgItem(dialog.m_hWnd, IDC_NAME);
    ::SetFocus(name);
    ASSERT_EQ(::GetFocus(), name);

    MSG tab{name, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(AfxPreTranslateMessage(&tab));
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog.m_hWnd, IDC_COUNT));

    MSG enter{::GetFocus(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(AfxPreTranslateMessage(&enter));
    PumpUntil([&] { return dialog.calls.back() == "ok"; });
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"init", "pretranslate", "pretranslate", "ok"}));
    EXPECT_TRUE(::IsWindow(dialog.m_hWnd));

    MSG mouse{name, WM_LBUTTONDOWN, 0, 0, 0, {}};
    EXPECT_FALSE(AfxPreTranslateMessage(&mouse)) << "mouse messages are left to the message loop";
}

TEST(PreTranslation, RegisteredForeignDialogGetsDialogKeys)
{
    // A dialog that is not a framework object, as a host might own.
    HWND dialog = ::CreateDialogParamA(
        ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FORM), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(dialog, nullptr);
    ::ShowWindow(dialog, SW_SHOW);
    HWND name = ::GetDlgItem(dialog, IDC_NAME);
    ::SetFocus(name);
    MSG tab{name, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(AfxPreTranslateMessage(&tab)) << "unregistered: not the framework's business";
    AfxRegisterModelessDialog(dialog);
    EXPECT_TRUE(AfxPreTranslateMessage(&tab));
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, IDC_COUNT));
    ::DestroyWindow(dialog);
    EXPECT_FALSE(AfxPreTranslateMessage(&tab));
    AfxUnregisterModelessDialog(dialog);
}

// What a plug-in installs when a host's loop knows nothing of the framework.
LRESULT CALLBACK preTranslatingHook(int code, WPARAM removal, LPARAM message)
{
    auto* msg = reinterpret_cast<MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST &&
        AfxPreTranslateMessage(msg)) {
        msg->message = WM_NULL;
        msg->wParam = 0;
        msg->lParam = 0;
    }
    return ::CallNextHookEx(nullptr, code, removal, message);
}

TEST(PreTranslation, GetMessageHookGivesDialogKeysUnderAForeignLoop)
{
    CFormDialog dialog;
    dialog.okCloses = false;
    ASSERT_TRUE(dialog.Create(IDD_FORM));
    dialog.ShowWindow(SW_SHOW);
    HWND name = ::GetDlgItem(dialog.m_hWnd, IDC_NAME);
    ::SetFocus(name);
    HHOOK hook = ::SetWindowsHookExA(WH_GETMESSAGE, &preTranslatingHook, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    ::PostMessageA(name, WM_KEYDOWN, VK_TAB, 0);
    ::PostMessageA(name, WM_KEYDOWN, VK_RETURN, 0);

    // The host's loop: no pre-translation of its own.
    HWND count = ::GetDlgItem(dialog.m_hWnd, IDC_COUNT);
    PumpUntil([&] { return dialog.calls.back() == "ok"; }, 3000, Pump::Plain);
    ::UnhookWindowsHookEx(hook);
    EXPECT_EQ(::GetFocus(), count);
    EXPECT_EQ(dialog.calls.back(), "ok");
}

// A window destroyed by its own handler, whose object deletes itself.
class CSelfClosingDialog : public CDialog {
public:
    explicit CSelfClosingDialog(std::vector<std::string>& log) : CDialog(IDD_FORM), m_log(log) {}
    void OnAction()
    {
        m_log.push_back("handler start");
        DestroyWindow();
        m_log.push_back(m_hWnd == nullptr ? "handler end, unbound" : "handler end, still bound");
    }
    void PostNcDestroy() override
    {
        m_log.push_back("post nc destroy");
        delete this;
    }
    DECLARE_MESSAGE_MAP()

private:
    std::vector<std::string>& m_log;
};

BEGIN_MESSAGE_MAP(CSelfClosingDialog, CDialog)
    ON_BN_CLICKED(IDC_ACTION, OnAction)
END_MESSAGE_MAP()

TEST(WindowLifetime, WindowDestroyedInsideItsHandlerIsReleasedAfterTheHandler)
{
    std::vector<std::string> log;
    auto* dialog = new CSelfClosingDialog(log);
    ASSERT_TRUE(dialog->Create(IDD_FORM));
    HWND window = dialog->m_hWnd;
    ::SendMessageA(::GetDlgItem(window, IDC_ACTION), BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(log, (std::vector<std::string>{"handler start", "handler end, unbound", "post nc destroy"}));
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
}

TEST(WindowLifetime, DeletingTheObjectDestroysTheWindowItCreated)
{
    auto dialog = std::make_unique<CFormDialog>();
    ASSERT_TRUE(dialog->Create(IDD_FORM));
    HWND window = dialog->m_hWnd;
    dialog.reset();
    EXPECT_FALSE(::IsWindow(window));
}

} // namespace
