// The attribute tree view: its columns, root, sizing and selection.
#include "AttrTreeView.h"

bool CTreeCtrlAttrTree::SetText(attr_editor::TreeItem item, std::string_view text)
{
    return m_tree.SetItemText(H(item), std::string(text).c_str()) != FALSE;
}

attr_editor::TreeItem CTreeCtrlAttrTree::InsertLast(attr_editor::TreeItem parent, std::string_view text)
{
    return m_tree.InsertItem(std::string(text).c_str(), H(parent), TVI_LAST);
}

BEGIN_MESSAGE_MAP(CAttrTreeView, CColumnTreeView)
    ON_WM_SIZE()
    ON_NOTIFY(TVN_SELCHANGEDA, kTreeId, OnSelChanged)
END_MESSAGE_MAP()

BOOL CAttrTreeView::Create(PAttrTreeViewObserver* observer, int width, int height, CWnd* parent, UINT id)
{
    m_observer = observer;
    if (!CColumnTreeView::Create(nullptr, "tree", WS_CHILD | WS_VISIBLE, CRect(0, 0, width - 1, height - 1), parent, id))
        return FALSE;
    for (const char* title : {"Attributes", "Values"}) {
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_FORMAT | HDI_WIDTH;
        item.fmt = HDF_CENTER | HDF_STRING;
        item.pszText = const_cast<char*>(title);
        GetHeaderCtrl().InsertItem(GetHeaderCtrl().GetItemCount(), &item);
    }
    // The view's first size came before its columns existed.
    CRect client;
    GetClientRect(&client);
    SizeColumns(client.Width());
    return GetTreeCtrl().InsertItem("/") != nullptr;
}

void CAttrTreeView::SizeColumns(int width)
{
    const auto widths = attr_editor::AttrColumnWidths(width, ::GetSystemMetrics(SM_CXHSCROLL));
    for (int i = 0; i < 2; ++i) {
        HDITEMA item{};
        item.mask = HDI_WIDTH;
        item.cxy = widths[i];
        GetHeaderCtrl().SetItem(i, &item);
    }
    UpdateColumns();
}

void CAttrTreeView::OnSize(UINT type, int cx, int cy)
{
    // A size change while the view itself works through a header change
    // (its scroll bar came or went) keeps the widths the user dragged.
    if (!m_headerChanging && GetHeaderCtrl().m_hWnd) SizeColumns(cx);
    CColumnTreeView::OnSize(type, cx, cy);
}

void CAttrTreeView::OnSelChanged(NMHDR* header, LRESULT* result)
{
    const HTREEITEM item = reinterpret_cast<NMTREEVIEWA*>(header)->itemNew.hItem;
    if (item && !GetTreeCtrl().ItemHasChildren(item) && m_observer)
        m_observer->OnAttrSelected(std::string(attr_editor::ColumnZero(GetTreeCtrl().GetItemText(item))));
    *result = 0;
}
