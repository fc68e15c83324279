// The in-memory attribute tree of the native tests.
#include "MemoryTree.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace attr_editor {
namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

TreeItem MemoryTree::FirstChild(TreeItem item) const
{
    if (!item) return nullptr;
    const Node* n = N(item);
    return n->children.empty() ? nullptr : n->children.front().get();
}

TreeItem MemoryTree::NextSibling(TreeItem item) const
{
    if (!item || !N(item)->parent) return nullptr;
    const auto& siblings = N(item)->parent->children;
    for (size_t i = 0; i + 1 < siblings.size(); ++i)
        if (siblings[i].get() == item) return siblings[i + 1].get();
    return nullptr;
}

bool MemoryTree::SetText(TreeItem item, std::string_view text)
{
    ++setTextCalls;
    N(item)->text = std::string(text);
    return true;
}

TreeItem MemoryTree::InsertLast(TreeItem parent, std::string_view text)
{
    if (!parent) return nullptr;
    if (refuseInserts > 0) {
        --refuseInserts;
        return nullptr;
    }
    auto node = std::make_unique<Node>();
    node->text = std::string(text);
    node->parent = N(parent);
    N(parent)->children.push_back(std::move(node));
    return N(parent)->children.back().get();
}

bool MemoryTree::Delete(TreeItem item)
{
    Node* n = N(item);
    if (!n->parent) return false;
    auto& siblings = n->parent->children;
    siblings.erase(std::find_if(siblings.begin(), siblings.end(), [&](const auto& c) { return c.get() == n; }));
    return true;
}

void MemoryTree::SortChildren(TreeItem item)
{
    auto& children = N(item)->children;
    std::stable_sort(children.begin(), children.end(),
                     [](const auto& a, const auto& b) { return LessIgnoringCase(a->text, b->text); });
}

std::vector<std::string> MemoryTree::Lines() const
{
    std::vector<std::string> lines;
    std::function<void(const Node&, size_t)> walk = [&](const Node& n, size_t depth) {
        for (const auto& child : n.children) {
            std::string text(depth * 2, ' ');
            for (char c : child->text) text += c == '\t' ? std::string(" | ") : std::string(1, c);
            lines.push_back(text);
            walk(*child, depth + 1);
        }
    };
    walk(m_root, 0);
    return lines;
}

TreeItem MemoryTree::At(std::string_view path) const
{
    const Node* n = &m_root;
    while (!path.empty()) {
        const size_t slash = std::min(path.find('/'), path.size());
        const std::string_view name = path.substr(0, slash);
        const auto it = std::find_if(n->children.begin(), n->children.end(),
                                     [&](const auto& c) { return ColumnZero(c->text) == name; });
        if (it == n->children.end()) return nullptr;
        n = it->get();
        path.remove_prefix(std::min(path.size(), slash + 1));
    }
    return const_cast<Node*>(n);
}

size_t MemoryTree::Count() const
{
    std::function<size_t(const Node&)> count = [&](const Node& n) {
        size_t total = n.children.size();
        for (const auto& c : n.children) total += count(*c);
        return total;
    };
    return count(m_root);
}

} // namespace attr_editor
