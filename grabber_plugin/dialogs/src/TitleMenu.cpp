// The title row of CTitleMenu: measured in its bold font, drawn as a gradient
// in the caption's colours.
#include "zelmk_dialogs/TitleMenu.h"

#include "zelmk_dialogs/DialogRules.h"

namespace {

TRIVERTEX Vertex(LONG x, LONG y, COLORREF color)
{
    TRIVERTEX v{};
    v.x = x;
    v.y = y;
    v.Red = static_cast<COLOR16>(GetRValue(color) << 8);
    v.Green = static_cast<COLOR16>(GetGValue(color) << 8);
    v.Blue = static_cast<COLOR16>(GetBValue(color) << 8);
    return v;
}

} // namespace

CTitleMenu::CTitleMenu() : m_left(::GetSysColor(COLOR_ACTIVECAPTION)),
                           m_right(::GetSysColor(COLOR_GRADIENTACTIVECAPTION)),
                           m_text(::GetSysColor(COLOR_CAPTIONTEXT))
{
    m_font.CreateWithWeight(static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT)), FW_BOLD);
}

void CTitleMenu::AddMenuTitle(const std::string& title)
{
    m_title = title;
    // The item data names this menu, so that measuring (which names only the item) finds it.
    InsertMenu(0, MF_BYPOSITION | MF_OWNERDRAW | MF_DISABLED, 0, reinterpret_cast<const char*>(this));
}

void CTitleMenu::MeasureItem(LPMEASUREITEMSTRUCT item)
{
    HDC screen = ::GetDC(nullptr);
    CDC dc(screen);
    HGDIOBJ previous = dc.SelectObject(m_font.GetSafeHandle() ? m_font.GetSafeHandle() : ::GetStockObject(ANSI_VAR_FONT));
    const CSize text = dc.GetTextExtent(m_title);
    dc.SelectObject(previous);
    ::ReleaseDC(nullptr, screen);
    const zelmk::TitleItemSize size = zelmk::TitleMenuItemSize(text.cx, text.cy, ::GetSystemMetrics(SM_CXMENUCHECK));
    item->itemWidth = static_cast<UINT>(size.width);
    item->itemHeight = static_cast<UINT>(size.height);
}

void CTitleMenu::DrawItem(LPDRAWITEMSTRUCT item)
{
    CDC dc(item->hDC);
    RECT rect = item->rcItem;
    if (m_left == m_right) {
        dc.FillSolidRect(&rect, m_left);
    } else {
        TRIVERTEX vertices[2] = {Vertex(rect.left, rect.top, m_left), Vertex(rect.right - 1, rect.bottom - 1, m_right)};
        GRADIENT_RECT mesh{0, 1};
        dc.GradientFill(vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_H);
    }
    if (m_edge) dc.DrawEdge(&rect, m_edgeStyle, BF_RECT);
    const int saved = dc.SaveDC();
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(m_text);
    if (m_font.GetSafeHandle()) dc.SelectObject(m_font.GetSafeHandle());
    RECT textRect = rect;
    textRect.left = zelmk::TitleMenuTextLeft(rect.left, ::GetSystemMetrics(SM_CXMENUCHECK));
    dc.DrawText(m_title, &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    dc.RestoreDC(saved);
}
