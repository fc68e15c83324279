// CDC, CPaintDC and CClientDC: device contexts with the drawing calls the suite's windows use.
#pragma once

#include "app_framework/framework_api.h"
#include "app_framework/geometry.h"

#include <string>

class CWnd;

// Wraps an HDC it does not own; CPaintDC and CClientDC acquire and release one.
class AFX_API CDC {
public:
    CDC() = default;
    explicit CDC(HDC dc) : m_hDC(dc) {}
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    CSize GetTextExtent(const std::string& text) const;
    BOOL TextOut(int x, int y, const std::string& text);
    int DrawText(const std::string& text, LPRECT rect, UINT format);
    void FillSolidRect(LPCRECT rect, COLORREF color);
    void FillRect(LPCRECT rect, HBRUSH brush) { ::FillRect(m_hDC, rect, brush); }
    BOOL MoveTo(int x, int y) { return ::MoveToEx(m_hDC, x, y, nullptr); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
};

// BeginPaint / EndPaint around a WM_PAINT handler.
class AFX_API CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

private:
    HWND m_window;
};

// GetDC / ReleaseDC of a window's client area.
class AFX_API CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* window);
    ~CClientDC() override;

private:
    HWND m_window;
};
