// CMenu: menu handles, items and pop-up tracking; temporary objects for foreign menus.
#include "framework_internal.h"

#include "app_framework/menu.h"

#include <memory>
#include <unordered_map>

namespace {

thread_local std::unordered_map<HMENU, std::unique_ptr<CMenu>>* t_tempMenus = nullptr;
// Menus held by CMenu objects of this thread.
thread_local std::unordered_map<HMENU, CMenu*>* t_permanentMenus = nullptr;
// The pop-up being tracked by CMenu::TrackPopupMenu (innermost), searched first.
thread_local HMENU t_trackedMenu = nullptr;

std::unordered_map<HMENU, CMenu*>& permanentMenus()
{
    if (!t_permanentMenus)
        t_permanentMenus = new std::unordered_map<HMENU, CMenu*>();
    return *t_permanentMenus;
}

// Whether the menu has, among its own items, the owner-drawn item the
// measuring request names (WM_MEASUREITEM names no menu).
bool hasOwnerDrawnItem(HMENU menu, UINT id, ULONG_PTR data)
{
    int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
        if (::GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info) && (info.fType & MFT_OWNERDRAW) &&
            info.wID == id && info.dwItemData == data)
            return true;
    }
    return false;
}

CMenu* menuOfMeasuredItem(const MEASUREITEMSTRUCT& item)
{
    if (t_trackedMenu && hasOwnerDrawnItem(t_trackedMenu, item.itemID, item.itemData))
        if (CMenu* menu = CMenu::FromHandlePermanent(t_trackedMenu))
            return menu;
    if (!t_permanentMenus)
        return nullptr;
    for (auto& [handle, menu] : *t_permanentMenus)
        if (hasOwnerDrawnItem(handle, item.itemID, item.itemData))
            return menu;
    return nullptr;
}

} // namespace

bool AfxRouteOwnerDrawMenu(UINT message, LPARAM lParam)
{
    if (!lParam)
        return false;
    if (message == WM_MEASUREITEM) {
        auto* item = reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam);
        if (item->CtlType != ODT_MENU)
            return false;
        CMenu* menu = menuOfMeasuredItem(*item);
        if (!menu)
            return false;
        menu->MeasureItem(item);
        return true;
    }
    if (message == WM_DRAWITEM) {
        auto* item = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
        if (item->CtlType != ODT_MENU)
            return false;
        // For a menu item the record carries the menu in place of a window.
        CMenu* menu = CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(item->hwndItem));
        if (!menu)
            return false;
        menu->DrawItem(item);
        return true;
    }
    return false;
}

void AfxDeleteTempMenus()
{
    if (!t_tempMenus)
        return;
    for (auto& [handle, menu] : *t_tempMenus)
        menu->Detach(); // a temporary object never destroys the menu it shows
    t_tempMenus->clear();
}

CMenu::~CMenu()
{
    DestroyMenu();
}

CMenu* CMenu::FromHandlePermanent(HMENU menu)
{
    if (!menu || !t_permanentMenus)
        return nullptr;
    auto found = t_permanentMenus->find(menu);
    return found == t_permanentMenus->end() ? nullptr : found->second;
}

CMenu* CMenu::FromHandle(HMENU menu)
{
    if (!menu)
        return nullptr;
    if (CMenu* permanent = FromHandlePermanent(menu))
        return permanent;
    if (!t_tempMenus)
        t_tempMenus = new std::unordered_map<HMENU, std::unique_ptr<CMenu>>();
    auto& slot = (*t_tempMenus)[menu];
    if (!slot) {
        slot = std::make_unique<CMenu>();
        slot->m_hMenu = menu;
    }
    return slot.get();
}

BOOL CMenu::Attach(HMENU menu)
{
    if (m_hMenu || !menu || FromHandlePermanent(menu))
        return FALSE;
    m_hMenu = menu;
    permanentMenus()[menu] = this;
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU menu = m_hMenu;
    m_hMenu = nullptr;
    if (menu && t_permanentMenus) {
        auto found = t_permanentMenus->find(menu);
        if (found != t_permanentMenus->end() && found->second == this)
            t_permanentMenus->erase(found);
    }
    return menu;
}

BOOL CMenu::CreatePopupMenu()
{
    return Attach(::CreatePopupMenu());
}

BOOL CMenu::CreateMenu()
{
    return Attach(::CreateMenu());
}

BOOL CMenu::LoadMenu(UINT resourceId)
{
    return Attach(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(resourceId)));
}

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu)
        return FALSE;
    return ::DestroyMenu(Detach());
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text)
{
    return ::AppendMenuA(m_hMenu, flags, id, text);
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR id, const char* text)
{
    return ::InsertMenuA(m_hMenu, position, flags, id, text);
}

BOOL CMenu::DeleteMenu(UINT position, UINT flags)
{
    return ::DeleteMenu(m_hMenu, position, flags);
}

UINT CMenu::EnableMenuItem(UINT item, UINT enable)
{
    return ::EnableMenuItem(m_hMenu, item, enable);
}

DWORD CMenu::CheckMenuItem(UINT item, UINT check)
{
    return ::CheckMenuItem(m_hMenu, item, check);
}

int CMenu::GetMenuItemCount() const
{
    return ::GetMenuItemCount(m_hMenu);
}

UINT CMenu::GetMenuItemID(int position) const
{
    return ::GetMenuItemID(m_hMenu, position);
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const
{
    return ::GetMenuState(m_hMenu, item, flags);
}

std::string CMenu::GetMenuString(UINT item, UINT flags) const
{
    char text[256] = {};
    int length = ::GetMenuStringA(m_hMenu, item, text, sizeof text, flags);
    return std::string(text, static_cast<size_t>(length > 0 ? length : 0));
}

CMenu* CMenu::GetSubMenu(int position) const
{
    return FromHandle(::GetSubMenu(m_hMenu, position));
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect)
{
    HMENU outer = t_trackedMenu;
    t_trackedMenu = m_hMenu;
    BOOL result = ::TrackPopupMenu(m_hMenu, flags, x, y, 0, AfxGetSafeHwnd(owner), rect);
    t_trackedMenu = outer;
    return result;
}

void CMenu::MeasureItem(LPMEASUREITEMSTRUCT)
{
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT)
{
}
