// Device contexts: text measuring and drawing, filled rectangles, paint and client DCs.
#include "app_framework/dc.h"

#include "app_framework/wnd.h"

CSize CDC::GetTextExtent(const std::string& text) const
{
    SIZE size{};
    ::GetTextExtentPoint32A(m_hDC, text.c_str(), static_cast<int>(text.size()), &size);
    return CSize(size.cx, size.cy);
}

BOOL CDC::TextOut(int x, int y, const std::string& text)
{
    return ::TextOutA(m_hDC, x, y, text.c_str(), static_cast<int>(text.size()));
}

int CDC::DrawText(const std::string& text, LPRECT rect, UINT format)
{
    return ::DrawTextA(m_hDC, text.c_str(), static_cast<int>(text.size()), rect, format);
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color)
{
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

CPaintDC::CPaintDC(CWnd* window) : m_window(window->m_hWnd)
{
    m_hDC = ::BeginPaint(m_window, &m_ps);
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_window, &m_ps);
}

CClientDC::CClientDC(CWnd* window) : m_window(AfxGetSafeHwnd(window))
{
    m_hDC = ::GetDC(m_window);
}

CClientDC::~CClientDC()
{
    if (m_hDC)
        ::ReleaseDC(m_window, m_hDC);
}
