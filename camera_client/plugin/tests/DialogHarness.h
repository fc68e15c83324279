// The control dialog on the emulated camera, and helpers that drive its controls with messages.
#pragma once

#include "EmulatedCommDevice.h"
#include "KIV_KL7700CtrlDlg.h"
#include "resource.h"

#include "app_framework_testing/message_tests.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

inline std::string WindowText(HWND window)
{
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

struct DialogHarness {
    explicit DialogHarness(kl7700emu::CameraConfig config = {}, bool withDevice = true)
        : device(clock, config), dialog(std::make_unique<CKIV_KL7700CtrlDlg>(nullptr, &clock))
    {
        dialog->SetDeviceComm(withDevice ? &device : nullptr);
        created = dialog->Create(static_cast<HWND>(nullptr)) && ::IsWindow(dialog->m_hWnd);
        if (created) dialog->ShowWindow(SW_SHOW);
    }
    ~DialogHarness()
    {
        if (dialog && ::IsWindow(dialog->m_hWnd)) dialog->DestroyWindow();
    }

    HWND Dlg() const { return dialog->m_hWnd; }
    HWND Page1() const { return dialog->ImagePage().m_hWnd; }
    HWND Page2() const { return dialog->TimerPage().m_hWnd; }
    std::string Text(HWND parent, int id) const { return WindowText(::GetDlgItem(parent, id)); }
    bool Enabled(HWND parent, int id) const { return ::IsWindowEnabled(::GetDlgItem(parent, id)) != FALSE; }
    kl7700::ParameterRecord& Working() { return dialog->Session().WorkingRecord(); }

    void Click(HWND parent, int id)
    {
        ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(parent, id)));
    }
    void Check(HWND parent, int id, bool on)
    {
        ::SendDlgItemMessageA(parent, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        Click(parent, id);
    }
    void Select(HWND parent, int id, int index)
    {
        ::SendDlgItemMessageA(parent, id, CB_SETCURSEL, index, 0);
        ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(::GetDlgItem(parent, id)));
    }
    // Types a text and leaves the field, as the user does.
    void Enter(HWND parent, int id, const std::string& text)
    {
        ::SetDlgItemTextA(parent, id, text.c_str());
        ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), reinterpret_cast<LPARAM>(::GetDlgItem(parent, id)));
    }
    void Spin(HWND parent, int id, int delta)
    {
        NMUPDOWN change = {};
        change.hdr.hwndFrom = ::GetDlgItem(parent, id);
        change.hdr.idFrom = static_cast<UINT_PTR>(id);
        change.hdr.code = UDN_DELTAPOS;
        change.iDelta = delta;
        ::SendMessageA(parent, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&change));
    }
    void Slide(HWND parent, int id, int pos)
    {
        HWND slider = ::GetDlgItem(parent, id);
        ::SendMessageA(slider, TBM_SETPOS, TRUE, pos);
        ::SendMessageA(parent, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pos), reinterpret_cast<LPARAM>(slider));
    }
    void WriteBackTick() { ::SendMessageA(Dlg(), WM_TIMER, CKIV_KL7700CtrlDlg::kWriteBackTimerId, 0); }
    // Sent commands since the last call.
    std::string NewCommands()
    {
        const std::string all = device.hostText();
        std::string fresh = all.substr(std::min(seen, all.size()));
        seen = all.size();
        return fresh;
    }
    // Colour the dialog gives a header field, as its paint asks for it.
    COLORREF HeaderBackground(int id)
    {
        HDC dc = ::CreateCompatibleDC(nullptr);
        ::SendMessageA(Dlg(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(::GetDlgItem(Dlg(), id)));
        const COLORREF color = ::GetBkColor(dc);
        ::DeleteDC(dc);
        return color;
    }
    std::string ToolTipOf(int id) { return dialog->ToolTip().GetText(CWnd::FromHandle(::GetDlgItem(Dlg(), id))); }

    VirtualClock clock;
    EmulatedCommDevice device;
    std::unique_ptr<CKIV_KL7700CtrlDlg> dialog;
    bool created = false;
    size_t seen = 0;
};

inline std::string Hex8(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}
