// CView and CFormView: child windows that draw a client area, or that hold the controls of a dialog template.
#pragma once

#include "app_framework/wnd.h"

class CDC;

// A child window that paints through OnDraw. With no class name, Create uses
// the framework's view class: double clicks, arrow cursor, no background
// brush (a view paints its whole client area, so it never flickers through
// an erase).
class AFX_API CView : public CWnd {
public:
    CView();
    ~CView() override;

    BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                void* param = nullptr) override;
    // Called with the paint DC from WM_PAINT.
    virtual void OnDraw(CDC* dc) = 0;
    // The first update once the window and its children exist; there is no
    // frame to send it, so Create calls it.
    virtual void OnInitialUpdate();

protected:
    void OnPaint();
    DECLARE_MESSAGE_MAP()
};

// The framework's view class name (registered on first use).
AFX_API const char* AfxViewClassName();

// A view whose window is a child dialog made from a template, looked up like
// CDialog's. Whatever the template's style, the window is a child control
// parent (WS_CHILD, DS_CONTROL, no caption or frame) with the given id,
// rectangle and styles, so the dialog holding it tabs through its controls.
// OnInitialUpdate (default: UpdateData(FALSE)) runs when Create succeeds.
// Keyboard messages are left to a top-level dialog; without one, the form
// view runs IsDialogMessage itself.
class AFX_API CFormView : public CView {
public:
    explicit CFormView(UINT templateId);
    ~CFormView() override;

    const UINT m_nIDTemplate;

    BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                void* param = nullptr) override;
    void OnDraw(CDC* dc) override;
    void OnInitialUpdate() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
