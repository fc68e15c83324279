// CTitleMenu: a pop-up menu whose first row is a coloured, bold title.
#pragma once

#include "app_framework/afx.h"

#include <string>

class CTitleMenu : public CMenu {
public:
    // Bold stock variable-pitch system font; the active caption's colours.
    CTitleMenu();

    // Stores the text and inserts the title as a disabled owner-drawn item at
    // position 0 (the menu must exist).
    void AddMenuTitle(const std::string& title);
    const std::string& Title() const { return m_title; }

    void SetColors(COLORREF left, COLORREF right, COLORREF text)
    {
        m_left = left;
        m_right = right;
        m_text = text;
    }
    // An edge of the given DrawEdge style around the title when on.
    void SetEdge(bool on, UINT style = BDR_SUNKENINNER)
    {
        m_edge = on;
        m_edgeStyle = style;
    }

    void MeasureItem(LPMEASUREITEMSTRUCT item) override;
    void DrawItem(LPDRAWITEMSTRUCT item) override;

private:
    CFont m_font;
    std::string m_title;
    COLORREF m_left;
    COLORREF m_right;
    COLORREF m_text;
    bool m_edge = false;
    UINT m_edgeStyle = BDR_SUNKENINNER; // 8
};
