// The terminal's modeless dialog: type a line and send it, watch what the device answers.
#include "terminal/TerminalDialog.h"

#include "terminal/DialogKeyboard.h"
#include "terminal/TerminalIds.h"

#include "app_framework/module_state.h"

#include <string>

namespace kivinst {

BEGIN_MESSAGE_MAP(CTerminalInput, CWnd)
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
END_MESSAGE_MAP()

LRESULT CTerminalInput::OnGetDlgCode(WPARAM, LPARAM lParam)
{
    // Ask the dialog manager to leave Enter to us, so it sends the line
    // instead of pressing the default button a second time.
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    LRESULT code = Default();
    if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
        code |= DLGC_WANTMESSAGE;
    return code;
}

void CTerminalInput::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_RETURN) {
        if (onEnter)
            onEnter();
        return;
    }
    Default();
}

void CTerminalInput::OnChar(UINT key, UINT, UINT)
{
    if (key == '\r' || key == '\n')
        return; // already handled at key-down; a single-line edit would only beep
    Default();
}

BEGIN_MESSAGE_MAP(CTerminalDialog, CKIVDialog)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_TERMINAL_CLEAR, OnClear)
END_MESSAGE_MAP()

CTerminalDialog::CTerminalDialog(CWnd* parent) : CKIVDialog(IDD_KIV_TERMINAL, parent), session_(this)
{
    input_.onEnter = [this] { SendTypedLine(); };
}

BOOL CTerminalDialog::Create(HWND parent)
{
    // The template lives in this library, whichever program hosts us.
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return CKIVDialog::Create(parent);
}

BOOL CTerminalDialog::OnInitDialog()
{
    CKIVDialog::OnInitDialog();
    input_.SubclassDlgItem(IDC_TERMINAL_INPUT, this);
    ::SendDlgItemMessageA(m_hWnd, IDC_TERMINAL_OUTPUT, WM_SETFONT,
                          reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
    ::SendDlgItemMessageA(m_hWnd, IDC_TERMINAL_INPUT, WM_SETFONT,
                          reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
    SetTimer(kPollTimer, kPollIntervalMs);
    RegisterDialogKeyboard(m_hWnd);
    PollDevice();
    input_.SetFocus();
    return FALSE; // focus set here
}

void CTerminalDialog::OnOK()
{
    SendTypedLine();
}

void CTerminalDialog::SendTypedLine()
{
    session_.SetDevice(m_pDeviceComm);
    const TerminalStatus status = session_.SendLine(GetDlgItemText(IDC_TERMINAL_INPUT));
    if (status == TerminalStatus::Ok)
        SetDlgItemText(IDC_TERMINAL_INPUT, "");
    ShowStatus(status);
}

void CTerminalDialog::PollDevice()
{
    session_.SetDevice(m_pDeviceComm);
    const TerminalStatus status = session_.Poll(screen_);
    // A busy device is normal while another dialog talks to it.
    if (status != TerminalStatus::Locked)
        ShowStatus(status);
    ShowScreen();
}

void CTerminalDialog::OnTimer(UINT_PTR id)
{
    if (id == kPollTimer) {
        PollDevice();
        return;
    }
    CKIVDialog::OnTimer(id);
}

void CTerminalDialog::OnDestroy()
{
    KillTimer(kPollTimer);
    UnregisterDialogKeyboard(m_hWnd);
    CKIVDialog::OnDestroy();
}

void CTerminalDialog::OnClear()
{
    screen_.Clear();
    ShowScreen();
}

void CTerminalDialog::ShowScreen()
{
    if (!screen_.TakeChanged())
        return;
    HWND output = ::GetDlgItem(m_hWnd, IDC_TERMINAL_OUTPUT);
    ::SetWindowTextA(output, screen_.Text().c_str());
    // Keep the newest text in view.
    const LRESULT end = ::GetWindowTextLengthA(output);
    ::SendMessageA(output, EM_SETSEL, end, end);
    ::SendMessageA(output, EM_SCROLLCARET, 0, 0);
}

void CTerminalDialog::ShowStatus(TerminalStatus status)
{
    const std::string text = TerminalStatusText(status);
    if (GetDlgItemText(IDC_TERMINAL_STATUS) != text)
        SetDlgItemText(IDC_TERMINAL_STATUS, text);
}

} // namespace kivinst
