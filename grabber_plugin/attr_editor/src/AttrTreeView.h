// CAttrTreeView: the attribute tree ("Attributes" and "Values"), which tells
// its observer when an attribute row is selected; and CTreeCtrlAttrTree, the
// attribute tree's content interface over the real tree control.
#pragma once

#include "ColumnTreeView.h"

#include "attr_editor/AttrTree.h"

#include <string>

// The feature-control dialog implements it.
class PAttrTreeViewObserver {
public:
    virtual ~PAttrTreeViewObserver() = default;
    virtual void OnAttrSelected(const std::string& name) = 0;
};

class CTreeCtrlAttrTree : public attr_editor::AttrTree {
public:
    explicit CTreeCtrlAttrTree(CTreeCtrl& tree) : m_tree(tree) {}

    attr_editor::TreeItem Root() const override { return m_tree.GetRootItem(); }
    attr_editor::TreeItem FirstChild(attr_editor::TreeItem item) const override { return m_tree.GetChildItem(H(item)); }
    attr_editor::TreeItem NextSibling(attr_editor::TreeItem item) const override { return m_tree.GetNextSiblingItem(H(item)); }
    attr_editor::TreeItem Parent(attr_editor::TreeItem item) const override { return m_tree.GetParentItem(H(item)); }
    std::string Text(attr_editor::TreeItem item) const override { return m_tree.GetItemText(H(item)); }
    bool SetText(attr_editor::TreeItem item, std::string_view text) override;
    attr_editor::TreeItem InsertLast(attr_editor::TreeItem parent, std::string_view text) override;
    bool Delete(attr_editor::TreeItem item) override { return m_tree.DeleteItem(H(item)) != FALSE; }
    void SortChildren(attr_editor::TreeItem item) override { m_tree.SortChildren(H(item)); }
    void Expand(attr_editor::TreeItem item) override { m_tree.Expand(H(item), TVE_EXPAND); }
    void ScrollToTop(attr_editor::TreeItem item) override { m_tree.SelectSetFirstVisible(H(item)); }

private:
    static HTREEITEM H(attr_editor::TreeItem item) { return static_cast<HTREEITEM>(item); }
    CTreeCtrl& m_tree;
};

class CAttrTreeView : public CColumnTreeView {
public:
    CAttrTreeView() : m_attrTree(GetTreeCtrl()) {}

    // The view window (text "tree", visible, from (0, 0) to (width - 1,
    // height - 1)) with the columns "Attributes" and "Values" and the root
    // item "/". False when the window or the root cannot be made.
    BOOL Create(PAttrTreeViewObserver* observer, int width, int height, CWnd* parent, UINT id);
    using CColumnTreeView::Create;

    // The tree for the content operations.
    attr_editor::AttrTree& Tree() { return m_attrTree; }

protected:
    void OnSize(UINT type, int cx, int cy);
    void OnSelChanged(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    void SizeColumns(int width);

    PAttrTreeViewObserver* m_observer = nullptr;
    CTreeCtrlAttrTree m_attrTree;
};
