// The terminal's modeless dialog: type a line and send it, watch what the device answers.
#pragma once

#include "KIVDialog.h"
#include "kiv_inst_core/TerminalScreen.h"
#include "kiv_inst_core/TerminalSession.h"

#include <functional>

namespace kivinst {

// The input line: Enter sends, also when the host's message loop does no
// dialog keyboard handling (the key then reaches the edit control itself).
class CTerminalInput : public CWnd {
public:
    std::function<void()> onEnter;

protected:
    LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnChar(UINT key, UINT repeat, UINT flags);
    DECLARE_MESSAGE_MAP()
};

class CTerminalDialog : public CKIVDialog {
public:
    static constexpr UINT_PTR kPollTimer = 1;
    static constexpr UINT kPollIntervalMs = 50;

    explicit CTerminalDialog(CWnd* parent = nullptr);

    BOOL Create(HWND parent) override;

    // Sends the input line with CR and clears it when the device took it.
    void SendTypedLine();
    // Moves what the device received onto the screen.
    void PollDevice();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override; // Send: the dialog closes only through Close or the close box
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnClear();
    DECLARE_MESSAGE_MAP()

private:
    void ShowScreen();
    void ShowStatus(TerminalStatus status);

    TerminalSession session_;
    TerminalScreen screen_;
    CTerminalInput input_;
};

} // namespace kivinst
