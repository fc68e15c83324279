// The multi-column tree's tree control: double-buffered painting and the click rule.
#include "ColumnTreeCtrl.h"

#include "attr_editor/AttrTree.h"
#include "attr_editor/ColumnLayout.h"

BEGIN_MESSAGE_MAP(CColumnTreeCtrl, CTreeCtrl)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

int CColumnTreeCtrl::Column0TextWidth(HDC dc, const std::string& text) const
{
    const std::string name(attr_editor::ColumnZero(text));
    SIZE size{};
    ::GetTextExtentPoint32A(dc, name.c_str(), static_cast<int>(name.size()), &size);
    return size.cx;
}

void CColumnTreeCtrl::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    // The rows are refreshed several times a second; drawing into a bitmap
    // first keeps them from flickering. Without the bitmap nothing is drawn.
    CMemDC memory(dc, client);
    if (memory.IsValid()) DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(memory.GetSafeHdc()), 0);
}

BOOL CColumnTreeCtrl::OnEraseBkgnd(CDC*)
{
    return TRUE; // the buffered painting covers every pixel
}

bool CColumnTreeCtrl::ClickReachesControl(CPoint point)
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    if (!item || !(flags & TVHT_ONITEMLABEL)) return true;
    CRect label;
    if (!GetItemRect(item, &label, TRUE)) return true;
    CClientDC dc(this);
    HGDIOBJ old = ::SelectObject(dc, GetFont());
    const int textWidth = Column0TextWidth(dc, GetItemText(item));
    ::SelectObject(dc, old);
    const attr_editor::Rect clickable = attr_editor::ClickableLabel({label.left, label.top, label.right, label.bottom},
                                                                    m_column0Width, textWidth);
    if (clickable.Contains(point.x, point.y)) return true;
    SetFocus();
    return false;
}

void CColumnTreeCtrl::OnLButtonDown(UINT flags, CPoint point)
{
    if (ClickReachesControl(point)) CTreeCtrl::OnLButtonDown(flags, point);
}

void CColumnTreeCtrl::OnLButtonDblClk(UINT flags, CPoint point)
{
    if (ClickReachesControl(point)) CTreeCtrl::OnLButtonDblClk(flags, point);
}
