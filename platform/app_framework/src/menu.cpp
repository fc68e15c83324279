// CMenu: menu handles, items and pop-up tracking; temporary objects for foreign menus.
#include "framework_internal.h"

#include "app_framework/menu.h"

#include <memory>
#include <unordered_map>

namespace {

thread_local std::unordered_map<HMENU, std::unique_ptr<CMenu>>* t_tempMenus = nullptr;

} // namespace

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

CMenu* CMenu::FromHandle(HMENU menu)
{
    if (!menu)
        return nullptr;
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
    if (m_hMenu || !menu)
        return FALSE;
    m_hMenu = menu;
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU menu = m_hMenu;
    m_hMenu = nullptr;
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
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, AfxGetSafeHwnd(owner), rect);
}
