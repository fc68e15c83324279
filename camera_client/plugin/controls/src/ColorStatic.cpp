// CColorStatic: colours answered on the reflected colour request, blink phases on a timer.
#include "kl7700_controls/ColorStatic.h"

namespace {

COLORREF resolve(COLORREF color, int systemIndex)
{
    return color == CColorStatic::kSystemColor ? ::GetSysColor(systemIndex) : color;
}

HBRUSH solidBrush(COLORREF color)
{
    return ::CreateSolidBrush(color);
}

} // namespace

BEGIN_MESSAGE_MAP(CColorStatic, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CColorStatic::CColorStatic()
{
    m_textColor = m_blinkTextColors[0] = m_blinkTextColors[1] = ::GetSysColor(COLOR_BTNTEXT);
    m_bkColor = m_blinkBkColors[0] = m_blinkBkColors[1] = ::GetSysColor(COLOR_BTNFACE);
    m_bkBrush.reset(solidBrush(m_bkColor));
    m_blinkBrushes[0].reset(solidBrush(m_bkColor));
    m_blinkBrushes[1].reset(solidBrush(m_bkColor));
}

CColorStatic::~CColorStatic() = default;

void CColorStatic::SetTextColor(COLORREF color)
{
    m_textColor = resolve(color, COLOR_BTNTEXT);
    repaint();
}

void CColorStatic::SetBkColor(COLORREF color)
{
    m_bkColor = resolve(color, COLOR_BTNFACE);
    m_bkBrush.reset(solidBrush(m_bkColor));
    repaint();
}

void CColorStatic::SetBlinkTextColors(COLORREF first, COLORREF second)
{
    m_blinkTextColors[0] = resolve(first, COLOR_BTNTEXT);
    m_blinkTextColors[1] = resolve(second, COLOR_BTNTEXT);
    repaint();
}

void CColorStatic::SetBlinkBkColors(COLORREF first, COLORREF second)
{
    m_blinkBkColors[0] = resolve(first, COLOR_BTNFACE);
    m_blinkBkColors[1] = resolve(second, COLOR_BTNFACE);
    m_blinkBrushes[0].reset(solidBrush(m_blinkBkColors[0]));
    m_blinkBrushes[1].reset(solidBrush(m_blinkBkColors[1]));
    repaint();
}

void CColorStatic::StartTextBlink(BOOL on, UINT periodMs)
{
    m_textBlink = on != FALSE;
    m_textPhase = 0;
    updateTimer(periodMs);
    repaint();
}

void CColorStatic::StartBkBlink(BOOL on, UINT periodMs)
{
    m_bkBlink = on != FALSE;
    m_bkPhase = 0;
    updateTimer(periodMs);
    repaint();
}

void CColorStatic::EnableNotify(CWnd* target, UINT message)
{
    m_notifyTarget = AfxGetSafeHwnd(target);
    m_notifyMessage = message;
}

// One timer serves both blinking parts; it runs while either blinks.
void CColorStatic::updateTimer(UINT periodMs)
{
    if (!m_hWnd)
        return;
    if (m_textBlink || m_bkBlink) {
        SetTimer(kBlinkTimerId, periodMs ? periodMs : kDefaultBlinkPeriodMs);
        m_timerRunning = true;
    } else if (m_timerRunning) {
        KillTimer(kBlinkTimerId);
        m_timerRunning = false;
    }
}

void CColorStatic::repaint()
{
    if (m_hWnd)
        Invalidate();
}

HBRUSH CColorStatic::CtlColor(CDC* dc, UINT)
{
    dc->SetTextColor(m_textBlink ? m_blinkTextColors[m_textPhase] : m_textColor);
    dc->SetBkColor(m_bkBlink ? m_blinkBkColors[m_bkPhase] : m_bkColor);
    return m_bkBlink ? m_blinkBrushes[m_bkPhase].get() : m_bkBrush.get();
}

void CColorStatic::OnTimer(UINT_PTR id)
{
    if (id != kBlinkTimerId) {
        CStatic::OnTimer(id);
        return;
    }
    if (m_textBlink)
        m_textPhase ^= 1;
    if (m_bkBlink)
        m_bkPhase ^= 1;
    repaint();
    if (m_notifyTarget && (m_textBlink || m_bkBlink))
        ::PostMessageA(m_notifyTarget, m_notifyMessage, static_cast<WPARAM>(GetDlgCtrlID()), 0);
}

void CColorStatic::OnDestroy()
{
    if (m_timerRunning) {
        KillTimer(kBlinkTimerId);
        m_timerRunning = false;
    }
    CStatic::OnDestroy();
}
