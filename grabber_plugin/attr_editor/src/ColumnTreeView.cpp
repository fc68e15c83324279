// The multi-column tree view: creation, columns, sideways scrolling and item drawing.
#include "ColumnTreeView.h"

#include "attr_editor/AttrTree.h"

BEGIN_MESSAGE_MAP(CColumnTreeView, CView)
    ON_WM_CREATE()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_NOTIFY(HDN_ITEMCHANGEDA, kHeaderId, OnHeaderItemChanged)
    ON_NOTIFY(NM_CUSTOMDRAW, kTreeId, OnTreeCustomDraw)
END_MESSAGE_MAP()

namespace {

CRect ToCRect(const attr_editor::Rect& r)
{
    return CRect(r.left, r.top, r.right, r.bottom);
}

attr_editor::Rect FromRect(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace

void CColumnTreeView::OnDraw(CDC*)
{
    // The children cover the whole view.
}

BOOL CColumnTreeView::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

int CColumnTreeView::OnCreate(LPCREATESTRUCT create)
{
    if (CView::OnCreate(create) == -1) return -1;
    if (m_tree.m_hWnd) return 0;
    const CRect none(0, 0, 0, 0);
    if (!m_tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_NOTOOLTIPS |
                           TVS_NOHSCROLL,
                       none, this, kTreeId))
        return -1;
    if (!m_header.Create(WS_CHILD | WS_VISIBLE | HDS_FULLDRAG, none, this, kHeaderId)) return -1;
    const HFONT font = m_tree.GetFont();
    m_header.SetFont(font);
    CClientDC dc(this);
    HGDIOBJ old = ::SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(SYSTEM_FONT));
    m_headerHeight = dc.GetTextExtent("A").cy + 7;
    ::SelectObject(dc, old);
    m_scrollOffset = 0;
    UpdateColumns();
    return 0;
}

void CColumnTreeView::UpdateColumns()
{
    std::vector<int> widths;
    const int count = m_header.m_hWnd ? m_header.GetItemCount() : 0;
    for (int i = 0; i < count && i < attr_editor::kMaxColumns; ++i) {
        HDITEMA item{};
        item.mask = HDI_WIDTH;
        m_header.GetItem(i, &item);
        widths.push_back(item.cxy);
    }
    m_columns = attr_editor::ComputeColumns(widths);
    m_tree.SetColumn0Width(m_columns.widths.empty() ? 0 : m_columns.widths[0]);
    UpdateScroller();
    RepositionControls();
}

void CColumnTreeView::UpdateScroller()
{
    CRect client;
    GetClientRect(&client);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = m_columns.total;
    info.nPage = static_cast<UINT>(std::max<LONG>(0, client.Width()));
    m_scrollOffset = attr_editor::ClampScroll(m_scrollOffset, m_columns.total, client.Width());
    info.nPos = m_scrollOffset;
    SetScrollInfo(SB_HORZ, &info);
}

void CColumnTreeView::RepositionControls()
{
    if (!m_tree.m_hWnd || !m_header.m_hWnd) return;
    CRect client;
    GetClientRect(&client);
    const attr_editor::ChildPlacement p = attr_editor::PlaceChildren(
        client.Width(), client.Height(), m_columns.total, GetScrollPos(SB_HORZ), m_headerHeight);
    m_header.MoveWindow(p.header.left, p.header.top, p.header.Width(), p.header.Height());
    m_tree.MoveWindow(p.tree.left, p.tree.top, p.tree.Width(), std::max(0, p.tree.Height()));
}

void CColumnTreeView::OnSize(UINT type, int cx, int cy)
{
    CView::OnSize(type, cx, cy);
    UpdateScroller();
    RepositionControls();
}

void CColumnTreeView::OnHScroll(UINT code, UINT, CScrollBar*)
{
    CRect client;
    GetClientRect(&client);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    GetScrollInfo(SB_HORZ, &info, SIF_TRACKPOS);
    // The track position is read from the bar: the message's own is 16 bits.
    const std::optional<int> target =
        attr_editor::ScrollTarget(static_cast<int>(code), info.nTrackPos, m_scrollOffset, m_columns.total, client.Width());
    if (!target) return;
    m_scrollOffset = *target;
    SetScrollPos(SB_HORZ, m_scrollOffset);
    RepositionControls();
}

void CColumnTreeView::OnHeaderItemChanged(NMHDR*, LRESULT* result)
{
    m_headerChanging = true;
    UpdateColumns();
    m_headerChanging = false;
    m_tree.Invalidate();
    *result = 0;
}

void CColumnTreeView::OnTreeCustomDraw(NMHDR* header, LRESULT* result)
{
    auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(header);
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: *result = CDRF_NOTIFYITEMDRAW; return;
    case CDDS_ITEMPREPAINT: *result = CDRF_NOTIFYPOSTPAINT; return;
    case CDDS_ITEMPOSTPAINT: DrawItem(*draw); break;
    default: break;
    }
    *result = 0;
}

void CColumnTreeView::DrawItem(NMTVCUSTOMDRAW& draw)
{
    const HTREEITEM item = reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec);
    CRect row, text;
    if (!m_tree.GetItemRect(item, &row, FALSE) || row.IsRectEmpty()) return;
    m_tree.GetItemRect(item, &text, TRUE);
    CDC dc(draw.nmcd.hdc);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    // After its own item drawing the control may have put back the DC's
    // font; the texts go in the tree's font, whose widths the click rule uses.
    const HFONT font = m_tree.GetFont();
    const HGDIOBJ oldFont = font ? dc.SelectObject(font) : nullptr;

    // The control's own text runs across the columns; it goes first.
    dc.FillSolidRect(&text, window);

    CRect grid = row;
    for (size_t i = 0; i < m_columns.widths.size(); ++i) {
        grid.right = m_columns.Start(static_cast<int>(i) + 1) - 1;
        dc.DrawEdge(&grid, BDR_SUNKENINNER, BF_RIGHT);
    }
    dc.DrawEdge(&grid, BDR_SUNKENINNER, BF_BOTTOM);

    const std::string itemText = m_tree.GetItemText(item);
    const int column0 = m_columns.widths.empty() ? 0 : m_columns.widths[0];
    const CRect label = ToCRect(attr_editor::DrawnLabel(FromRect(text), column0, m_tree.Column0TextWidth(dc, itemText)));
    if (label.Width() >= 0 && draw.clrTextBk != window) dc.FillSolidRect(&label, draw.clrTextBk);
    if (draw.nmcd.uItemState & CDIS_FOCUS) dc.DrawFocusRect(&label);

    constexpr UINT kTextStyle = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    const COLORREF oldColour = dc.SetTextColor(draw.clrText);
    CRect nameRect(label.left + 2, label.top + 1, label.right - 2, label.bottom - 1);
    dc.DrawText(std::string(attr_editor::ColumnZero(itemText)), &nameRect, kTextStyle);
    // The value columns are never highlighted, so they keep the window's text colour.
    dc.SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
    for (int g = 1; g < static_cast<int>(m_columns.widths.size()); ++g) {
        std::string_view piece;
        if (!attr_editor::ColumnText(itemText, g, piece)) break;
        CRect cell = ToCRect(attr_editor::ColumnTextRect(m_columns, g, FromRect(text)));
        dc.DrawText(std::string(piece), &cell, kTextStyle);
    }
    dc.SetTextColor(oldColour);
    dc.SetBkMode(oldMode);
    if (oldFont) dc.SelectObject(oldFont);
}
