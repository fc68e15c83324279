// CWnd message routing: the window procedure's entry, WM_COMMAND/WM_NOTIFY routing with reflection, and map dispatch.
#include "framework_internal.h"

#include "app_framework/controls.h"
#include "app_framework/data_exchange.h"
#include "app_framework/dc.h"
#include "app_framework/menu.h"
#include "app_framework/message_box.h"

namespace {

bool isCommandEntry(UINT message)
{
    return message == WM_COMMAND || message == WM_NOTIFY;
}

bool isReflectedEntry(UINT message)
{
    return message == AFX_REFLECT_BASE + WM_COMMAND || message == AFX_REFLECT_BASE + WM_NOTIFY;
}

bool matches(const AFX_MSGMAP_ENTRY& entry, UINT message, UINT code, UINT id)
{
    if (entry.message != message)
        return false;
    if (isCommandEntry(message))
        return entry.code == code && id >= entry.idFirst && id <= entry.idLast;
    if (isReflectedEntry(message))
        return entry.code == code;
    return true;
}

template <class Pmf>
Pmf as(AFX_PMSG pfn)
{
    return AfxFromGenericHandler<Pmf>(pfn);
}

} // namespace

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (message) {
    case WM_COMMAND:
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *result = 0;
        return TRUE;
    case WM_NOTIFY:
        return OnNotify(wParam, lParam, result);
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        // The control paints itself when it reflects the request with a brush;
        // otherwise the parent's handler (or the default) decides.
        UINT kind = message - WM_CTLCOLORMSGBOX;
        LRESULT brush = 0;
        if (ReflectToChild(reinterpret_cast<HWND>(lParam), AFX_REFLECT_BASE + AFX_WM_CTLCOLOR, kind, wParam,
                           lParam, &brush) &&
            brush) {
            *result = brush;
            return TRUE;
        }
        return DispatchEntry(AFX_WM_CTLCOLOR, kind, 0, wParam, lParam, result);
    }
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        if (DispatchEntry(message, 0, 0, wParam, lParam, result))
            return TRUE;
        // Without an entry of their own, menu items still reach their menu object.
        if (!AfxRouteOwnerDrawMenu(message, lParam))
            return FALSE;
        *result = TRUE;
        return TRUE;
    default:
        return DispatchEntry(message, 0, 0, wParam, lParam, result);
    }
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT id = LOWORD(wParam);
    UINT code = HIWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    LRESULT ignored = 0;
    if (control && control != m_hWnd) {
        if (ReflectToChild(control, AFX_REFLECT_BASE + WM_COMMAND, code, wParam, lParam, &ignored))
            return TRUE;
    } else if (code == 1) {
        code = 0; // an accelerator runs the same command as the menu item
    }
    return DispatchEntry(WM_COMMAND, code, id, wParam, lParam, &ignored);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header)
        return FALSE;
    if (header->hwndFrom && header->hwndFrom != m_hWnd &&
        ReflectToChild(header->hwndFrom, AFX_REFLECT_BASE + WM_NOTIFY, header->code, wParam, lParam, result))
        return TRUE;
    return DispatchEntry(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), wParam, lParam, result);
}

BOOL CWnd::ReflectToChild(HWND child, UINT reflected, UINT code, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    CWnd* object = FromHandlePermanent(child);
    if (!object)
        return FALSE;
    return AfxWndAccess::Guarded(object, [&] { return object->DispatchEntry(reflected, code, 0, wParam, lParam, result); });
}

BOOL CWnd::DispatchEntry(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const AFX_MSGMAP_ENTRY* entry = nullptr;
    for (const AFX_MSGMAP* map = GetMessageMap(); map && !entry;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->entries; e->sig != AfxSig_end; ++e) {
            if (matches(*e, message, code, id)) {
                entry = e;
                break;
            }
        }
    }
    if (!entry)
        return FALSE;

    LRESULT r = 0;
    AFX_PMSG pfn = entry->pfn;
    switch (entry->sig) {
    case AfxSig_v_v:
        (this->*as<void (CWnd::*)()>(pfn))();
        break;
    case AfxSig_v_id:
        (this->*as<void (CWnd::*)(UINT)>(pfn))(id);
        break;
    case AfxSig_v_notify:
        (this->*as<void (CWnd::*)(NMHDR*, LRESULT*)>(pfn))(reinterpret_cast<NMHDR*>(lParam), &r);
        break;
    case AfxSig_l_wl:
        r = (this->*as<LRESULT (CWnd::*)(WPARAM, LPARAM)>(pfn))(wParam, lParam);
        break;
    case AfxSig_v_timer:
        (this->*as<void (CWnd::*)(UINT_PTR)>(pfn))(static_cast<UINT_PTR>(wParam));
        break;
    case AfxSig_v_scroll:
        (this->*as<void (CWnd::*)(UINT, UINT, CScrollBar*)>(pfn))(
            LOWORD(wParam), HIWORD(wParam),
            static_cast<CScrollBar*>(FromHandle(reinterpret_cast<HWND>(lParam))));
        break;
    case AfxSig_hbr_ctlcolor: {
        CDC dc(reinterpret_cast<HDC>(wParam));
        r = reinterpret_cast<LRESULT>((this->*as<HBRUSH (CWnd::*)(CDC*, CWnd*, UINT)>(pfn))(
            &dc, FromHandle(reinterpret_cast<HWND>(lParam)), code));
        break;
    }
    case AfxSig_hbr_reflect: {
        CDC dc(reinterpret_cast<HDC>(wParam));
        r = reinterpret_cast<LRESULT>((this->*as<HBRUSH (CWnd::*)(CDC*, UINT)>(pfn))(&dc, code));
        break;
    }
    case AfxSig_v_syscmd:
        (this->*as<void (CWnd::*)(UINT, LPARAM)>(pfn))(static_cast<UINT>(wParam), lParam);
        break;
    case AfxSig_hcur_v:
        r = reinterpret_cast<LRESULT>((this->*as<HCURSOR (CWnd::*)()>(pfn))());
        break;
    case AfxSig_v_size:
        (this->*as<void (CWnd::*)(UINT, int, int)>(pfn))(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        break;
    case AfxSig_v_sizing:
        (this->*as<void (CWnd::*)(UINT, LPRECT)>(pfn))(static_cast<UINT>(wParam), reinterpret_cast<LPRECT>(lParam));
        r = TRUE;
        break;
    case AfxSig_v_ctxmenu:
        (this->*as<void (CWnd::*)(CWnd*, CPoint)>(pfn))(FromHandle(reinterpret_cast<HWND>(wParam)), CPoint(lParam));
        break;
    case AfxSig_v_showwnd:
        (this->*as<void (CWnd::*)(BOOL, UINT)>(pfn))(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
        break;
    case AfxSig_i_create:
        r = (this->*as<int (CWnd::*)(LPCREATESTRUCT)>(pfn))(reinterpret_cast<LPCREATESTRUCT>(lParam));
        break;
    case AfxSig_v_key:
        (this->*as<void (CWnd::*)(UINT, UINT, UINT)>(pfn))(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        break;
    case AfxSig_v_mouse:
        (this->*as<void (CWnd::*)(UINT, CPoint)>(pfn))(static_cast<UINT>(wParam), CPoint(lParam));
        break;
    case AfxSig_v_focus:
        (this->*as<void (CWnd::*)(CWnd*)>(pfn))(FromHandle(reinterpret_cast<HWND>(wParam)));
        break;
    case AfxSig_b_erase: {
        CDC dc(reinterpret_cast<HDC>(wParam));
        r = (this->*as<BOOL (CWnd::*)(CDC*)>(pfn))(&dc);
        break;
    }
    case AfxSig_v_minmax:
        (this->*as<void (CWnd::*)(MINMAXINFO*)>(pfn))(reinterpret_cast<MINMAXINFO*>(lParam));
        break;
    case AfxSig_u_dlgcode:
        r = (this->*as<UINT (CWnd::*)()>(pfn))();
        break;
    case AfxSig_v_measure:
        (this->*as<void (CWnd::*)(int, LPMEASUREITEMSTRUCT)>(pfn))(static_cast<int>(wParam),
                                                                   reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        r = TRUE;
        break;
    case AfxSig_v_draw:
        (this->*as<void (CWnd::*)(int, LPDRAWITEMSTRUCT)>(pfn))(static_cast<int>(wParam),
                                                                reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        r = TRUE;
        break;
    case AfxSig_b_notify:
        if (!(this->*as<BOOL (CWnd::*)(NMHDR*, LRESULT*)>(pfn))(reinterpret_cast<NMHDR*>(lParam), &r))
            return FALSE;
        break;
    case AfxSig_b_v:
        if (!(this->*as<BOOL (CWnd::*)()>(pfn))())
            return FALSE;
        break;
    default:
        return FALSE;
    }
    *result = r;
    return TRUE;
}

LRESULT CWnd::Default()
{
    const MSG& current = AfxCurrentMessage();
    if (current.hwnd != m_hWnd)
        return 0; // not this window's message (for example a reflected notification)
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd)
        return 0;
    if (m_superProc)
        return ::CallWindowProcA(m_superProc, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

void CWnd::PostNcDestroy()
{
}

void CWnd::DoDataExchange(CDataExchange*)
{
}

BOOL CWnd::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    if (exchange.Failed() && !exchange.FailureMessage().empty())
        AfxShowMessageBox(m_hWnd, exchange.FailureMessage(), AfxGetApp() ? AfxGetApp()->m_appName : "",
                          MB_OK | MB_ICONEXCLAMATION);
    return !exchange.Failed();
}
