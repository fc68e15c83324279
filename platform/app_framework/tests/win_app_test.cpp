// The program's application object: registration, the message loop with pre-translation, exit code, and handler faults.
#include <gtest/gtest.h>

#include "test_ids.h"
#include "app_framework_testing/message_tests.h"

#include <stdexcept>

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp("Test application") {}
    int exits = 0;
    int ExitInstance() override
    {
        ++exits;
        return CWinApp::ExitInstance();
    }
};

class CKeyDialog : public CDialog {
public:
    CKeyDialog() : CDialog(IDD_FORM) {}
    int oks = 0;
    void OnOK() override { ++oks; }
};

TEST(WinApp, RunPreTranslatesAndDispatchesUntilQuit)
{
    {
        CTestApp app;
        EXPECT_EQ(AfxGetApp(), &app);
        EXPECT_FALSE(app.IsDll());
        EXPECT_EQ(app.m_appName, "Test application");

        CKeyDialog dialog;
        ASSERT_TRUE(dialog.Create(IDD_FORM));
        dialog.ShowWindow(SW_SHOW);
        HWND name = ::GetDlgItem(dialog.m_hWnd, IDC_NAME);
        ::SetFocus(name);
        // Enter in an edit field reaches OnOK only through the loop's pre-translation.
        ::PostMessageA(name, WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        ::PostQuitMessage(7);
        EXPECT_EQ(app.Run(), 7);
        EXPECT_EQ(app.exits, 1);
        EXPECT_EQ(dialog.oks, 1);
        EXPECT_EQ(dialog.m_hWnd, nullptr) << "the posted cancel was dispatched before the quit";
    }
    EXPECT_EQ(AfxGetApp(), nullptr) << "the application unregisters with its destruction";
}

class CThrowingDialog : public CDialog {
public:
    CThrowingDialog() : CDialog(IDD_FORM) {}
    int after = 0;

protected:
    void OnAction() { throw std::runtime_error("handler fault"); }
    void OnOther() { ++after; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CThrowingDialog, CDialog)
    ON_BN_CLICKED(IDC_ACTION, OnAction)
    ON_BN_CLICKED(IDC_OTHER, OnOther)
END_MESSAGE_MAP()

TEST(WinApp, ExceptionInAHandlerStopsAtTheWindowProcedure)
{
    CThrowingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FORM));
    EXPECT_NO_THROW(::SendMessageA(::GetDlgItem(dialog.m_hWnd, IDC_ACTION), BM_CLICK, 0, 0));
    ::SendMessageA(::GetDlgItem(dialog.m_hWnd, IDC_OTHER), BM_CLICK, 0, 0);
    EXPECT_EQ(dialog.after, 1) << "the window keeps working after a faulty handler";
}

} // namespace
