// Message maps: macros that compile a class's handlers into a static dispatch table chained to its base's table.
#pragma once

#include "app_framework/framework_api.h"

#include <cstring>

class CWnd;

// A handler is stored as a generic member pointer of CWnd together with the
// signature it was checked against when the table was built; the dispatcher
// casts it back to exactly that signature.
typedef void (CWnd::*AFX_PMSG)();

enum AfxSig : int {
    AfxSig_end = 0,
    AfxSig_v_v,          // void ()
    AfxSig_v_id,         // void (UINT id): command ranges
    AfxSig_v_notify,     // void (NMHDR*, LRESULT*)
    AfxSig_l_wl,         // LRESULT (WPARAM, LPARAM)
    AfxSig_v_timer,      // void (UINT_PTR)
    AfxSig_v_scroll,     // void (UINT code, UINT pos, CScrollBar*)
    AfxSig_hbr_ctlcolor, // HBRUSH (CDC*, CWnd*, UINT kind)
    AfxSig_hbr_reflect,  // HBRUSH (CDC*, UINT kind)
    AfxSig_v_syscmd,     // void (UINT id, LPARAM)
    AfxSig_hcur_v,       // HCURSOR ()
    AfxSig_v_size,       // void (UINT type, int cx, int cy)
    AfxSig_v_sizing,     // void (UINT edge, LPRECT)
    AfxSig_v_ctxmenu,    // void (CWnd*, CPoint)
    AfxSig_v_showwnd,    // void (BOOL show, UINT status)
    AfxSig_i_create,     // int (LPCREATESTRUCT)
    AfxSig_v_key,        // void (UINT key, UINT repeat, UINT flags)
    AfxSig_v_mouse,      // void (UINT flags, CPoint)
    AfxSig_v_focus,      // void (CWnd* other)
    AfxSig_b_erase,      // BOOL (CDC*)
    AfxSig_v_minmax,     // void (MINMAXINFO*)
    AfxSig_u_dlgcode,    // UINT ()
    AfxSig_v_measure,    // void (int id, LPMEASUREITEMSTRUCT)
    AfxSig_v_draw,       // void (int id, LPDRAWITEMSTRUCT)
    AfxSig_b_notify,     // BOOL (NMHDR*, LRESULT*): FALSE passes the notification on to the parent
    AfxSig_b_v,          // BOOL (): FALSE passes the command on to the parent
};

struct AFX_MSGMAP_ENTRY {
    UINT message; // window message, or a reflected/pseudo message below
    UINT code;    // notification code for WM_COMMAND / WM_NOTIFY entries
    UINT idFirst; // control or command id range for WM_COMMAND / WM_NOTIFY
    UINT idLast;
    int sig; // AfxSig
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* entries;
};

// Notifications a parent reflects back to the control that sent them.
constexpr UINT AFX_REFLECT_BASE = 0xBC00;
// Stands for every WM_CTLCOLORxxx message in a table entry.
constexpr UINT AFX_WM_CTLCOLOR = 0x0019;

// Stores a handler already checked against its signature as the generic type
// (a byte copy: member pointers of every signature have the same layout).
template <class Pmf>
inline AFX_PMSG AfxToGenericHandler(Pmf handler)
{
    static_assert(sizeof(Pmf) == sizeof(AFX_PMSG));
    AFX_PMSG generic;
    std::memcpy(&generic, &handler, sizeof generic);
    return generic;
}
template <class Pmf>
inline Pmf AfxFromGenericHandler(AFX_PMSG generic)
{
    Pmf handler;
    std::memcpy(&handler, &generic, sizeof handler);
    return handler;
}

#define AFX_HANDLER(type, fn) AfxToGenericHandler(static_cast<type>(fn))

#define DECLARE_MESSAGE_MAP()                         \
protected:                                            \
    static const AFX_MSGMAP* GetThisMessageMap();     \
    const AFX_MSGMAP* GetMessageMap() const override; \
                                                      \
public:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                   \
    {                                                                                 \
        /* An empty map names no handler, so ThisClass may go unused. */              \
        using ThisClass [[maybe_unused]] = theClass;                                  \
        typedef baseClass TheBaseClass;                                               \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                      \
    {                                                                          \
        0, 0, 0, 0, AfxSig_end, nullptr                                        \
    }                                                                          \
    }                                                                          \
    ;                                                                          \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                               \
    }

// ---- commands and control notifications (WM_COMMAND)
#define ON_COMMAND(id, fn) \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(id), AfxSig_v_v, AFX_HANDLER(void(CWnd::*)(), &ThisClass::fn)},
#define ON_COMMAND_RANGE(idFirst, idLast, fn)                     \
    {WM_COMMAND, 0, (UINT)(idFirst), (UINT)(idLast), AfxSig_v_id, \
     AFX_HANDLER(void(CWnd::*)(UINT), &ThisClass::fn)},
#define ON_CONTROL(code, id, fn) \
    {WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(id), AfxSig_v_v, AFX_HANDLER(void(CWnd::*)(), &ThisClass::fn)},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_UPDATE(id, fn) ON_CONTROL(EN_UPDATE, id, fn)
#define ON_EN_SETFOCUS(id, fn) ON_CONTROL(EN_SETFOCUS, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_CBN_SELENDOK(id, fn) ON_CONTROL(CBN_SELENDOK, id, fn)
#define ON_CBN_DROPDOWN(id, fn) ON_CONTROL(CBN_DROPDOWN, id, fn)
#define ON_LBN_SELCHANGE(id, fn) ON_CONTROL(LBN_SELCHANGE, id, fn)
#define ON_LBN_DBLCLK(id, fn) ON_CONTROL(LBN_DBLCLK, id, fn)
#define ON_STN_CLICKED(id, fn) ON_CONTROL(STN_CLICKED, id, fn)

// ---- common-control notifications (WM_NOTIFY)
#define ON_NOTIFY(code, id, fn)                                        \
    {WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(id), AfxSig_v_notify, \
     AFX_HANDLER(void(CWnd::*)(NMHDR*, LRESULT*), &ThisClass::fn)},
#define ON_NOTIFY_RANGE(code, idFirst, idLast, fn)                              \
    {WM_NOTIFY, (UINT)(code), (UINT)(idFirst), (UINT)(idLast), AfxSig_v_notify, \
     AFX_HANDLER(void(CWnd::*)(NMHDR*, LRESULT*), &ThisClass::fn)},

// ---- notifications handled by the control that sent them
#define ON_NOTIFY_REFLECT(code, fn)                                     \
    {AFX_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, 0, AfxSig_v_notify, \
     AFX_HANDLER(void(CWnd::*)(NMHDR*, LRESULT*), &ThisClass::fn)},
// The _EX forms return TRUE when they handled the notification; FALSE lets
// the parent's map see it too.
#define ON_NOTIFY_REFLECT_EX(code, fn)                                  \
    {AFX_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, 0, AfxSig_b_notify, \
     AFX_HANDLER(BOOL(CWnd::*)(NMHDR*, LRESULT*), &ThisClass::fn)},
#define ON_CONTROL_REFLECT_EX(code, fn)                             \
    {AFX_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0, AfxSig_b_v, \
     AFX_HANDLER(BOOL(CWnd::*)(), &ThisClass::fn)},
#define ON_CONTROL_REFLECT(code, fn)                                \
    {AFX_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0, AfxSig_v_v, \
     AFX_HANDLER(void(CWnd::*)(), &ThisClass::fn)},
#define ON_WM_CTLCOLOR_REFLECT()                                      \
    {AFX_REFLECT_BASE + AFX_WM_CTLCOLOR, 0, 0, 0, AfxSig_hbr_reflect, \
     AFX_HANDLER(HBRUSH(CWnd::*)(CDC*, UINT), &ThisClass::CtlColor)},

// ---- any message
#define ON_MESSAGE(message, fn) \
    {(UINT)(message), 0, 0, 0, AfxSig_l_wl, AFX_HANDLER(LRESULT(CWnd::*)(WPARAM, LPARAM), &ThisClass::fn)},

// ---- window messages with typed handlers (the handler names are fixed)
#define AFX_ON_WM(message, sig, type, fn) {message, 0, 0, 0, sig, AFX_HANDLER(type, &ThisClass::fn)},
#define ON_WM_PAINT() AFX_ON_WM(WM_PAINT, AfxSig_v_v, void (CWnd::*)(), OnPaint)
#define ON_WM_DESTROY() AFX_ON_WM(WM_DESTROY, AfxSig_v_v, void (CWnd::*)(), OnDestroy)
#define ON_WM_CLOSE() AFX_ON_WM(WM_CLOSE, AfxSig_v_v, void (CWnd::*)(), OnClose)
#define ON_WM_TIMER() AFX_ON_WM(WM_TIMER, AfxSig_v_timer, void (CWnd::*)(UINT_PTR), OnTimer)
#define ON_WM_HSCROLL() \
    AFX_ON_WM(WM_HSCROLL, AfxSig_v_scroll, void (CWnd::*)(UINT, UINT, CScrollBar*), OnHScroll)
#define ON_WM_VSCROLL() \
    AFX_ON_WM(WM_VSCROLL, AfxSig_v_scroll, void (CWnd::*)(UINT, UINT, CScrollBar*), OnVScroll)
#define ON_WM_CTLCOLOR() \
    AFX_ON_WM(AFX_WM_CTLCOLOR, AfxSig_hbr_ctlcolor, HBRUSH (CWnd::*)(CDC*, CWnd*, UINT), OnCtlColor)
#define ON_WM_SYSCOMMAND() AFX_ON_WM(WM_SYSCOMMAND, AfxSig_v_syscmd, void (CWnd::*)(UINT, LPARAM), OnSysCommand)
#define ON_WM_QUERYDRAGICON() AFX_ON_WM(WM_QUERYDRAGICON, AfxSig_hcur_v, HCURSOR (CWnd::*)(), OnQueryDragIcon)
#define ON_WM_SIZE() AFX_ON_WM(WM_SIZE, AfxSig_v_size, void (CWnd::*)(UINT, int, int), OnSize)
#define ON_WM_SIZING() AFX_ON_WM(WM_SIZING, AfxSig_v_sizing, void (CWnd::*)(UINT, LPRECT), OnSizing)
#define ON_WM_CONTEXTMENU() AFX_ON_WM(WM_CONTEXTMENU, AfxSig_v_ctxmenu, void (CWnd::*)(CWnd*, CPoint), OnContextMenu)
#define ON_WM_SHOWWINDOW() AFX_ON_WM(WM_SHOWWINDOW, AfxSig_v_showwnd, void (CWnd::*)(BOOL, UINT), OnShowWindow)
#define ON_WM_CREATE() AFX_ON_WM(WM_CREATE, AfxSig_i_create, int (CWnd::*)(LPCREATESTRUCT), OnCreate)
#define ON_WM_CHAR() AFX_ON_WM(WM_CHAR, AfxSig_v_key, void (CWnd::*)(UINT, UINT, UINT), OnChar)
#define ON_WM_KEYDOWN() AFX_ON_WM(WM_KEYDOWN, AfxSig_v_key, void (CWnd::*)(UINT, UINT, UINT), OnKeyDown)
#define ON_WM_KEYUP() AFX_ON_WM(WM_KEYUP, AfxSig_v_key, void (CWnd::*)(UINT, UINT, UINT), OnKeyUp)
#define ON_WM_LBUTTONDOWN() AFX_ON_WM(WM_LBUTTONDOWN, AfxSig_v_mouse, void (CWnd::*)(UINT, CPoint), OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_ON_WM(WM_LBUTTONUP, AfxSig_v_mouse, void (CWnd::*)(UINT, CPoint), OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() \
    AFX_ON_WM(WM_LBUTTONDBLCLK, AfxSig_v_mouse, void (CWnd::*)(UINT, CPoint), OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_ON_WM(WM_RBUTTONDOWN, AfxSig_v_mouse, void (CWnd::*)(UINT, CPoint), OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_ON_WM(WM_RBUTTONUP, AfxSig_v_mouse, void (CWnd::*)(UINT, CPoint), OnRButtonUp)
#define ON_WM_MOUSEMOVE() AFX_ON_WM(WM_MOUSEMOVE, AfxSig_v_mouse, void (CWnd::*)(UINT, CPoint), OnMouseMove)
#define ON_WM_SETFOCUS() AFX_ON_WM(WM_SETFOCUS, AfxSig_v_focus, void (CWnd::*)(CWnd*), OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_ON_WM(WM_KILLFOCUS, AfxSig_v_focus, void (CWnd::*)(CWnd*), OnKillFocus)
#define ON_WM_ERASEBKGND() AFX_ON_WM(WM_ERASEBKGND, AfxSig_b_erase, BOOL (CWnd::*)(CDC*), OnEraseBkgnd)
#define ON_WM_GETMINMAXINFO() \
    AFX_ON_WM(WM_GETMINMAXINFO, AfxSig_v_minmax, void (CWnd::*)(MINMAXINFO*), OnGetMinMaxInfo)
#define ON_WM_GETDLGCODE() AFX_ON_WM(WM_GETDLGCODE, AfxSig_u_dlgcode, UINT (CWnd::*)(), OnGetDlgCode)
#define ON_WM_MEASUREITEM() \
    AFX_ON_WM(WM_MEASUREITEM, AfxSig_v_measure, void (CWnd::*)(int, LPMEASUREITEMSTRUCT), OnMeasureItem)
#define ON_WM_DRAWITEM() AFX_ON_WM(WM_DRAWITEM, AfxSig_v_draw, void (CWnd::*)(int, LPDRAWITEMSTRUCT), OnDrawItem)
