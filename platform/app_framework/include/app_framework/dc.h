// CDC, CPaintDC, CClientDC and CMemDC: device contexts with the drawing calls the suite's windows use.
#pragma once

#include "app_framework/framework_api.h"
#include "app_framework/geometry.h"
#include "win32/unique_handle.h"

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
    BOOL GetTextMetrics(TEXTMETRICA* metrics) const { return ::GetTextMetricsA(m_hDC, metrics); }
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, DWORD rop)
    {
        return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, sourceX, sourceY, rop);
    }
    BOOL DrawEdge(LPRECT rect, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, rect, edge, flags); }
    void DrawFocusRect(LPCRECT rect) { ::DrawFocusRect(m_hDC, rect); }
    // Vertex colours blended over rectangles or triangles (GRADIENT_FILL_RECT_H, ...).
    BOOL GradientFill(TRIVERTEX* vertices, ULONG count, void* mesh, ULONG meshCount, ULONG mode);
    // The clipping region loses the rectangle (erase around child windows).
    int ExcludeClipRect(LPCRECT rect) { return ::ExcludeClipRect(m_hDC, rect->left, rect->top, rect->right, rect->bottom); }
    int IntersectClipRect(LPCRECT rect)
    {
        return ::IntersectClipRect(m_hDC, rect->left, rect->top, rect->right, rect->bottom);
    }
    int GetClipBox(LPRECT rect) const { return ::GetClipBox(m_hDC, rect); }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }
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

// Double-buffered painting: drawing goes to a memory bitmap of the target
// rectangle's size (same coordinates as the target), and the destructor copies
// it to the target in one transfer. When the bitmap cannot be made
// (IsValid() false, for example an empty rectangle) the DC is null, drawing
// into it does nothing, and nothing is copied.
class AFX_API CMemDC : public CDC {
public:
    CMemDC(CDC& target, const CRect& rect);
    ~CMemDC() override;
    bool IsValid() const { return m_hDC != nullptr; }
    const CRect& GetRect() const { return m_rect; }

private:
    CDC& m_target;
    CRect m_rect;
    win32::UniqueMemoryDC m_memory;
    win32::UniqueBitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
};
