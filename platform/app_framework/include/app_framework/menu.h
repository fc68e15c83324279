// CMenu: menus and pop-up menus, with owner-drawn items drawn by the menu's object.
#pragma once

#include "app_framework/framework_api.h"

#include <string>

class CWnd;

// A menu held by a CMenu (created, loaded or attached) is bound to it: the
// owner window's WM_MEASUREITEM and WM_DRAWITEM for an owner-drawn item of
// that menu (MF_OWNERDRAW) are handed to the object's MeasureItem and
// DrawItem, when the owner is a framework window.
class AFX_API CMenu {
public:
    CMenu() = default;
    virtual ~CMenu(); // destroys a menu it still holds
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;
    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    // The object holding the menu, else a temporary object (until idle time).
    static CMenu* FromHandle(HMENU menu);
    // The object holding the menu on this thread, or null.
    static CMenu* FromHandlePermanent(HMENU menu);
    BOOL Attach(HMENU menu);
    HMENU Detach();

    BOOL CreatePopupMenu();
    BOOL CreateMenu();
    BOOL LoadMenu(UINT resourceId); // from the current resource module
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    BOOL DeleteMenu(UINT position, UINT flags);
    UINT EnableMenuItem(UINT item, UINT enable);
    DWORD CheckMenuItem(UINT item, UINT check);
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int position) const;
    UINT GetMenuState(UINT item, UINT flags) const;
    std::string GetMenuString(UINT item, UINT flags) const;
    CMenu* GetSubMenu(int position) const;
    // Shows the menu at a screen position; with TPM_RETURNCMD returns the chosen command.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect = nullptr);

    // Owner-drawn items: the size the item needs, and its drawing. The
    // defaults leave the record as it is and draw nothing.
    virtual void MeasureItem(LPMEASUREITEMSTRUCT item);
    virtual void DrawItem(LPDRAWITEMSTRUCT item);
};
