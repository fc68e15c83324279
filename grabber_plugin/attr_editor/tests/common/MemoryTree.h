// An attribute tree held in memory, for the native tests and the benchmark:
// items in insertion order, the control's case-blind sort, and a record of
// what was expanded and scrolled to the top.
#pragma once

#include "attr_editor/AttrTree.h"

#include <memory>
#include <string>
#include <vector>

namespace attr_editor {

class MemoryTree : public AttrTree {
public:
    struct Node {
        std::string text;
        Node* parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;
        bool expanded = false;
    };

    // A tree with the root "/", as the view makes it.
    MemoryTree() { m_root.text = "/"; }

    TreeItem Root() const override { return m_hasRoot ? const_cast<Node*>(&m_root) : nullptr; }
    TreeItem FirstChild(TreeItem item) const override;
    TreeItem NextSibling(TreeItem item) const override;
    TreeItem Parent(TreeItem item) const override { return item ? N(item)->parent : nullptr; }
    std::string Text(TreeItem item) const override { return item ? N(item)->text : std::string(); }
    bool SetText(TreeItem item, std::string_view text) override;
    TreeItem InsertLast(TreeItem parent, std::string_view text) override;
    bool Delete(TreeItem item) override;
    void SortChildren(TreeItem item) override;
    void Expand(TreeItem item) override { N(item)->expanded = true; }
    void ScrollToTop(TreeItem item) override { top = item; }

    // The tree as indented lines ("  " per level below the root), TABs shown as " | ".
    std::vector<std::string> Lines() const;
    // The item at a path of column-0 texts below the root ("Image/Width"), or null.
    TreeItem At(std::string_view path) const;
    size_t Count() const;

    void RemoveRoot() { m_hasRoot = false; }
    // The next insertions fail (a control out of memory).
    int refuseInserts = 0;
    int setTextCalls = 0;
    TreeItem top = nullptr;

private:
    static Node* N(TreeItem item) { return static_cast<Node*>(item); }
    Node m_root;
    bool m_hasRoot = true;
};

} // namespace attr_editor
