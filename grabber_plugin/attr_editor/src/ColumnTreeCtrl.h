// CColumnTreeCtrl: the tree control of the multi-column tree. It paints
// double-buffered without erasing, and lets a click select a row only on the
// row's name, never on the value texts beside it.
#pragma once

#include "app_framework/afx.h"

class CColumnTreeCtrl : public CTreeCtrl {
public:
    // Column 0's width, where the clickable part of a label ends at the latest.
    void SetColumn0Width(int width) { m_column0Width = width; }
    int GetColumn0Width() const { return m_column0Width; }

    // The pixel width of an item's column-0 text in the tree's font.
    int Column0TextWidth(HDC dc, const std::string& text) const;

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    // Whether a click at the point may reach the control; false after giving
    // the tree the focus for a click beside a row's name.
    bool ClickReachesControl(CPoint point);

    int m_column0Width = 0;
};
