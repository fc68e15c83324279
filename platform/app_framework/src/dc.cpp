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

BOOL CDC::GradientFill(TRIVERTEX* vertices, ULONG count, void* mesh, ULONG meshCount, ULONG mode)
{
    return ::GdiGradientFill(m_hDC, vertices, count, mesh, meshCount, mode);
}

CMemDC::CMemDC(CDC& target, const CRect& rect) : m_target(target), m_rect(rect)
{
    if (rect.IsRectEmpty() || !target.m_hDC)
        return;
    m_memory.reset(::CreateCompatibleDC(target.m_hDC));
    if (!m_memory)
        return;
    m_bitmap.reset(::CreateCompatibleBitmap(target.m_hDC, rect.Width(), rect.Height()));
    if (!m_bitmap) {
        m_memory.reset();
        return;
    }
    m_oldBitmap = ::SelectObject(m_memory.get(), m_bitmap.get());
    // Same coordinates as the target: the rectangle's corner is the bitmap's origin.
    ::SetWindowOrgEx(m_memory.get(), rect.left, rect.top, nullptr);
    // Start from the target's font and colours so default drawing looks the same.
    ::SelectObject(m_memory.get(), ::GetCurrentObject(target.m_hDC, OBJ_FONT));
    ::SetTextColor(m_memory.get(), ::GetTextColor(target.m_hDC));
    ::SetBkColor(m_memory.get(), ::GetBkColor(target.m_hDC));
    m_hDC = m_memory.get();
}

CMemDC::~CMemDC()
{
    if (!m_hDC)
        return;
    ::BitBlt(m_target.m_hDC, m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), m_hDC, m_rect.left, m_rect.top,
             SRCCOPY);
    ::SelectObject(m_hDC, m_oldBitmap); // the bitmap leaves the DC before either is deleted
    m_hDC = nullptr;
}
