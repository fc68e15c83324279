// CColorStatic: a static text with its own text and background colours and optional blinking.
#pragma once

#include "app_framework/afx.h"

// Attached to a template static by subclassing; its parent must be a framework
// window so the colour request is reflected to it.
class CColorStatic : public CStatic {
public:
    // The colour that stands for the system default (button text or button face).
    static constexpr COLORREF kSystemColor = static_cast<COLORREF>(-1);
    static constexpr UINT_PTR kBlinkTimerId = 0x4B4C;
    static constexpr UINT kDefaultBlinkPeriodMs = 500;

    CColorStatic();
    ~CColorStatic() override;

    void SetTextColor(COLORREF color);
    void SetBkColor(COLORREF color);
    COLORREF GetTextColor() const { return m_textColor; }
    COLORREF GetBkColor() const { return m_bkColor; }

    // Blinking alternates between two colours on the blink timer.
    void SetBlinkTextColors(COLORREF first, COLORREF second);
    void SetBlinkBkColors(COLORREF first, COLORREF second);
    void StartTextBlink(BOOL on, UINT periodMs = kDefaultBlinkPeriodMs);
    void StartBkBlink(BOOL on, UINT periodMs = kDefaultBlinkPeriodMs);
    // Each blink step posts the message (control id as first parameter) to the target.
    void EnableNotify(CWnd* target, UINT message = WM_USER);

protected:
    HBRUSH CtlColor(CDC* dc, UINT kind);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void updateTimer(UINT periodMs);
    void repaint();

    COLORREF m_textColor;
    COLORREF m_blinkTextColors[2];
    bool m_textBlink = false;
    int m_textPhase = 0;
    COLORREF m_bkColor;
    COLORREF m_blinkBkColors[2];
    bool m_bkBlink = false;
    int m_bkPhase = 0;
    win32::UniqueBrush m_bkBrush;
    win32::UniqueBrush m_blinkBrushes[2];
    bool m_timerRunning = false;
    HWND m_notifyTarget = nullptr;
    UINT m_notifyMessage = WM_USER;
};
