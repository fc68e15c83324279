// CColumnTreeView: a tree under a header in one view. Every item's text holds
// its column texts separated by TAB; the view draws each column's text at its
// header item, with grid lines, and scrolls header and tree sideways together.
#pragma once

#include "ColumnTreeCtrl.h"

#include "attr_editor/ColumnLayout.h"

class CColumnTreeView : public CView {
public:
    static constexpr UINT kHeaderId = 1;
    static constexpr UINT kTreeId = 2;

    CColumnTreeCtrl& GetTreeCtrl() { return m_tree; }
    CHeaderCtrl& GetHeaderCtrl() { return m_header; }
    const attr_editor::Columns& GetColumns() const { return m_columns; }
    int GetHeaderHeight() const { return m_headerHeight; }

    // The columns again from the header's items: widths, total, the tree's
    // column-0 width, then the scroll bar and the children's places.
    void UpdateColumns();

protected:
    void OnDraw(CDC* dc) override;
    int OnCreate(LPCREATESTRUCT create);
    BOOL OnEraseBkgnd(CDC* dc);
    void OnSize(UINT type, int cx, int cy);
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnHeaderItemChanged(NMHDR* header, LRESULT* result);
    void OnTreeCustomDraw(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

    // Set while the view itself works through a change of the header items.
    bool m_headerChanging = false;

private:
    void UpdateScroller();
    void RepositionControls();
    void DrawItem(NMTVCUSTOMDRAW& draw);

    CColumnTreeCtrl m_tree;
    CHeaderCtrl m_header;
    int m_headerHeight = 0;
    int m_scrollOffset = 0;
    attr_editor::Columns m_columns;
};
