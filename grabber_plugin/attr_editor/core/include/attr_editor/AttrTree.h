// The tree the attribute editor fills: the few operations its content needs, so
// one piece of code drives the real tree control and an in-memory tree alike.
#pragma once

#include <string>
#include <string_view>

namespace attr_editor {

// An item of the tree (a tree control's item handle); null is "no item".
using TreeItem = void*;

class AttrTree {
public:
    virtual ~AttrTree() = default;

    // The one top-level item "/"; null when the tree has none.
    virtual TreeItem Root() const = 0;
    virtual TreeItem FirstChild(TreeItem item) const = 0;
    virtual TreeItem NextSibling(TreeItem item) const = 0;
    virtual TreeItem Parent(TreeItem item) const = 0;
    virtual std::string Text(TreeItem item) const = 0;
    virtual bool SetText(TreeItem item, std::string_view text) = 0;
    // A new last child of parent; null when the tree refuses it.
    virtual TreeItem InsertLast(TreeItem parent, std::string_view text) = 0;
    virtual bool Delete(TreeItem item) = 0;
    // The control's own alphabetical sort of the item's direct children.
    virtual void SortChildren(TreeItem item) = 0;
    virtual void Expand(TreeItem item) = 0;
    // Scrolls so that the item is the first one shown.
    virtual void ScrollToTop(TreeItem item) = 0;
};

// Every item text is a list of column texts separated by TAB.
inline constexpr char kColumnSeparator = '\t';

// The text of column 0: up to the first TAB.
inline std::string_view ColumnZero(std::string_view text)
{
    return text.substr(0, text.find(kColumnSeparator));
}

// The text of column `column` (0 first), or false when the text has no such piece.
bool ColumnText(std::string_view text, int column, std::string_view& piece);

// name + TAB + value: the text of an attribute row.
std::string AttributeRowText(std::string_view name, std::string_view value);

} // namespace attr_editor
