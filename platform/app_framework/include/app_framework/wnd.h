// CWnd: a window object bound to its HWND through the framework's handle map, with message-map dispatch.
#pragma once

#include "app_framework/framework_api.h"
#include "app_framework/geometry.h"
#include "app_framework/message_map.h"

#include <string>

class CDC;
class CMenu;
class CScrollBar;
class CDataExchange;

class AFX_API CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // ---- the handle map
    // The object bound to the window: the permanent one when the window is
    // ours, else a temporary object that lives until the next idle time
    // (CWinApp::OnIdle or AfxDeleteTempMap). Null for a null handle.
    static CWnd* FromHandle(HWND window);
    // The object bound to the window, or null when the window is not ours.
    static CWnd* FromHandlePermanent(HWND window);
    BOOL Attach(HWND window);         // bind without receiving its messages
    HWND Detach();                    // unbind (restores the window procedure if we subclassed)
    BOOL SubclassWindow(HWND window); // bind and route its messages through this object
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // ---- creation and destruction
    virtual BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                          const RECT& rect, CWnd* parent, UINT id, void* param = nullptr);
    virtual BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id, void* param = nullptr);
    virtual BOOL DestroyWindow();

    // ---- overridables
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Called for each message a message loop takes from the queue, on every
    // window from the message's window up to its top-level window; TRUE means
    // the message was handled and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // The last call for the window; the object is no longer bound. Self-deleting
    // windows override it with "delete this". Deferred until the outermost
    // handler of this object returned, so a handler may destroy its own window.
    virtual void PostNcDestroy();
    virtual void DoDataExchange(CDataExchange* dx);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Passes the message currently being handled to the original window procedure.
    LRESULT Default();
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // ---- thin wrappers
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void GetWindowText(std::string& text) const { text = GetWindowText(); }
    int GetWindowTextLength() const;
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
    void ScreenToClient(LPPOINT point) const;
    void ScreenToClient(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const;
    void ClientToScreen(LPRECT rect) const;
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
    void UpdateWindow();
    void SetRedraw(BOOL redraw = TRUE);
    // The window's own scroll bars (SB_HORZ, SB_VERT).
    BOOL SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw = TRUE);
    BOOL GetScrollInfo(int bar, SCROLLINFO* info, UINT mask = SIF_ALL) const;
    int SetScrollPos(int bar, int pos, BOOL redraw = TRUE);
    int GetScrollPos(int bar) const;
    void SetScrollRange(int bar, int minimum, int maximum, BOOL redraw = TRUE);
    // The largest position the thumb can reach: maximum - page + 1 (at least the minimum).
    int GetScrollLimit(int bar) const;
    void ShowScrollBar(UINT bar, BOOL show = TRUE);
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr);
    BOOL KillTimer(UINT_PTR id);
    CWnd* GetParent() const;
    CWnd* GetTopLevelParent() const;
    CWnd* SetFocus();
    static CWnd* GetFocus();
    BOOL IsChild(const CWnd* window) const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    void SetFont(HFONT font, BOOL redraw = TRUE);
    HFONT GetFont() const;
    HICON SetIcon(HICON icon, BOOL big);
    CMenu* GetSystemMenu(BOOL revert) const;
    void CenterWindow(CWnd* alternateOwner = nullptr);
    void BringWindowToTop();
    CWnd* GetNextDlgTabItem(CWnd* control, BOOL previous = FALSE) const;
    CWnd* ChildWindowFromPoint(POINT point, UINT flags = CWP_ALL) const;
    static CWnd* WindowFromPoint(POINT point);
    // Message box owned by this window; the caption defaults to the application name.
    int MessageBox(const std::string& text, const char* caption = nullptr, UINT type = MB_OK);

protected:
    // The message map of CWnd itself (empty); derived classes chain to it.
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Default handlers of the typed message-map entries: each passes the
    // message on to the original window procedure.
    void OnPaint();
    void OnDestroy();
    void OnClose();
    void OnTimer(UINT_PTR id);
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);
    void OnSysCommand(UINT id, LPARAM lParam);
    HCURSOR OnQueryDragIcon();
    void OnSize(UINT type, int cx, int cy);
    void OnSizing(UINT edge, LPRECT rect);
    void OnContextMenu(CWnd* window, CPoint point);
    void OnShowWindow(BOOL show, UINT status);
    int OnCreate(LPCREATESTRUCT create);
    void OnChar(UINT key, UINT repeat, UINT flags);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnRButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnSetFocus(CWnd* previous);
    void OnKillFocus(CWnd* next);
    BOOL OnEraseBkgnd(CDC* dc);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    UINT OnGetDlgCode();
    // Owner-drawn menu items go to the CMenu object of their menu
    // (CMenu::MeasureItem, CMenu::DrawItem); other items get the default.
    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT item);
    void OnDrawItem(int id, LPDRAWITEMSTRUCT item);

    // Offers a notification to the control that sent it (reflected entries of
    // the child's map); TRUE when the child handled it.
    static BOOL ReflectToChild(HWND child, UINT reflected, UINT code, WPARAM wParam, LPARAM lParam,
                               LRESULT* result);
    // Finds and calls the entry of this object's map chain; TRUE when found.
    BOOL DispatchEntry(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    friend struct AfxWndAccess;
    WNDPROC m_superProc = nullptr;   // original procedure while subclassed
    bool m_createdHere = false;      // the object created the window and destroys it with itself
    int m_dispatchDepth = 0;         // nesting of messages being handled for this object
    bool m_ncDestroyPending = false; // window gone while handlers ran; PostNcDestroy is due
    void* m_moduleState = nullptr;   // module state current when the window was bound
};

// GetSafeHwnd for a pointer that may be null.
inline HWND AfxGetSafeHwnd(const CWnd* window) { return window ? window->m_hWnd : nullptr; }

// Frees the temporary objects FromHandle made for windows and menus that are not ours.
AFX_API void AfxDeleteTempMap();
