// Filling and refreshing the attribute tree from the camera library.
#include "attr_editor/AttrTreeContent.h"

#include <cinttypes>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

namespace attr_editor {
namespace {

// Calls fn(component) for each non-empty component of a "/"-separated path.
template <typename Fn>
void ForEachComponent(std::string_view path, Fn&& fn)
{
    size_t start = 0;
    while (start < path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string_view::npos) slash = path.size();
        if (slash > start && !fn(path.substr(start, slash - start))) return;
        start = slash + 1;
    }
}

// The library's texts are read into fixed buffers of this size.
constexpr uint32_t kValueBufferSize = 256;

bool IsAttributeRow(std::string_view text)
{
    return text.find(kColumnSeparator) != std::string_view::npos;
}

} // namespace

bool ColumnText(std::string_view text, int column, std::string_view& piece)
{
    size_t start = 0;
    for (int i = 0; i < column; ++i) {
        const size_t tab = text.find(kColumnSeparator, start);
        if (tab == std::string_view::npos) return false;
        start = tab + 1;
    }
    piece = text.substr(start, text.find(kColumnSeparator, start) - start);
    return true;
}

std::string AttributeRowText(std::string_view name, std::string_view value)
{
    std::string text;
    text.reserve(name.size() + 1 + value.size());
    text.append(name).push_back(kColumnSeparator);
    text.append(value);
    return text;
}

bool AttrTreeContent::GetValueText(const char* name, const AttrInfo& info, std::string& text) const
{
    const MkHandle handle = Handle();
    if (!handle) return false;
    const zelmk::MkApiFunctions& api = Api();
    text.clear();
    if (!(info.flags & MK_FLAG_READ)) {
        text = "N/A";
        return true;
    }
    char buffer[kValueBufferSize] = {};
    uint32_t code = 0;
    switch (info.type) {
    case MK_ATTR_STRING:
    case MK_ATTR_ENUM: {
        uint32_t length = 0;
        const auto get = info.type == MK_ATTR_STRING ? api.MkAttrStringGet : api.MkAttrEnumGet;
        code = get(handle, name, buffer, kValueBufferSize, &length);
        buffer[kValueBufferSize - 1] = 0; // a library that fills the buffer to the end still ends here
        if (!code) text = buffer;
        break;
    }
    case MK_ATTR_UINT32: {
        uint32_t value = 0;
        code = api.MkAttrUint32Get(handle, name, &value);
        if (!code) std::snprintf(buffer, sizeof buffer, "%" PRIu32, value);
        break;
    }
    case MK_ATTR_FLOAT32: {
        float value = 0;
        code = api.MkAttrFloat32Get(handle, name, &value);
        if (!code) std::snprintf(buffer, sizeof buffer, "%.6f", static_cast<double>(value));
        break;
    }
    case MK_ATTR_INT64: {
        int64_t value = 0;
        code = api.MkAttrInt64Get(handle, name, &value);
        if (!code) std::snprintf(buffer, sizeof buffer, "%" PRId64, value);
        break;
    }
    case MK_ATTR_BOOLEAN: {
        uint8_t value = 0;
        code = api.MkAttrBooleanGet(handle, name, &value);
        if (!code) std::snprintf(buffer, sizeof buffer, "%s", value ? "True" : "False");
        break;
    }
    default: // commands, raw data and types we do not know show no value
        return true;
    }
    if (code)
        text = "unavailable";
    else if (text.empty())
        text = buffer;
    return true;
}

TreeItem AttrTreeContent::LookupChildItem(TreeItem parent, std::string_view text) const
{
    for (TreeItem child = m_tree.FirstChild(parent); child; child = m_tree.NextSibling(child))
        if (ColumnZero(m_tree.Text(child)) == text) return child;
    return nullptr;
}

TreeItem AttrTreeContent::FindOrCreateCategory(std::string_view path)
{
    TreeItem item = m_tree.Root();
    if (!item) return nullptr;
    ForEachComponent(path, [&](std::string_view component) {
        TreeItem next = LookupChildItem(item, component);
        if (!next) next = m_tree.InsertLast(item, component);
        item = next;
        return item != nullptr;
    });
    return item;
}

TreeItem AttrTreeContent::FindItemByPath(std::string_view path, bool exact) const
{
    TreeItem item = m_tree.Root();
    if (!item) return nullptr;
    ForEachComponent(path, [&](std::string_view component) {
        if (TreeItem next = LookupChildItem(item, component))
            item = next;
        else if (exact)
            item = nullptr;
        return item != nullptr;
    });
    return item;
}

// Filling, and filling again. The framework asks for an update after every
// camera open and re-scan, while the rows of the first fill are still there;
// inserting every attribute once more would show each of them twice. So an
// update matches the camera's list against the rows present before it: a
// listed attribute whose row already sits under its category item gets its
// value text refreshed in place (the row keeps its place, selection and
// expansion); a listed attribute without a row gets one, as the first fill
// does; a row whose attribute the camera no longer lists (another camera was
// opened) is removed, with the category items this leaves empty. A failed
// attribute list changes nothing, and so does an update without a camera.
void AttrTreeContent::UpdateAttributeTree(uint32_t /*mask*/)
{
    const MkHandle handle = Handle();
    if (!handle) return;
    const zelmk::MkApiFunctions& api = Api();
    const char* const* names = nullptr;
    uint32_t count = 0;
    if (api.MkAttrList(handle, &names, &count) != 0) return;
    const TreeItem root = m_tree.Root();
    if (!root) return;

    // The rows present now, by parent and name, in tree order; a name listed
    // twice claims its rows in order.
    struct Rows {
        std::vector<TreeItem> items;
        size_t claimed = 0;
    };
    std::map<std::pair<TreeItem, std::string>, Rows, std::less<>> present;
    std::vector<TreeItem> pending{root};
    while (!pending.empty()) {
        const TreeItem parent = pending.back();
        pending.pop_back();
        for (TreeItem child = m_tree.FirstChild(parent); child; child = m_tree.NextSibling(child)) {
            const std::string text = m_tree.Text(child);
            if (IsAttributeRow(text))
                present[{parent, std::string(ColumnZero(text))}].items.push_back(child);
            // A row may hold children when a category component has the
            // name of an attribute row above it (the lookup takes the first
            // item of that name).
            pending.push_back(child);
        }
    }

    std::string value;
    for (uint32_t i = 0; names && i < count; ++i) {
        const char* name = names[i];
        if (!name) continue;
        AttrInfo info{};
        if (api.MkAttrInfo(handle, name, &info) != 0) continue;
        const TreeItem parent = FindOrCreateCategory(info.category ? info.category : "");
        if (!parent) continue;
        GetValueText(name, info, value);
        const std::string text = AttributeRowText(name, value);
        const auto rows = present.find(std::make_pair(parent, std::string(name)));
        if (rows != present.end() && rows->second.claimed < rows->second.items.size())
            SetRowText(rows->second.items[rows->second.claimed++], text);
        else
            m_tree.InsertLast(parent, text);
    }

    for (auto& [key, rows] : present) {
        for (size_t i = rows.claimed; i < rows.items.size(); ++i) {
            if (m_tree.FirstChild(rows.items[i])) continue; // it carries a category's rows
            TreeItem parent = m_tree.Parent(rows.items[i]);
            m_tree.Delete(rows.items[i]);
            while (parent && parent != root && !m_tree.FirstChild(parent) && !IsAttributeRow(m_tree.Text(parent))) {
                const TreeItem up = m_tree.Parent(parent);
                m_tree.Delete(parent);
                parent = up;
            }
        }
    }

    m_tree.SortChildren(root);
    if (const TreeItem first = m_tree.FirstChild(root)) m_tree.ScrollToTop(first);
    m_tree.Expand(root);
    for (TreeItem child = m_tree.FirstChild(root); child; child = m_tree.NextSibling(child)) m_tree.Expand(child);
    m_tree.ScrollToTop(root);
}

void AttrTreeContent::SetRowText(TreeItem item, const std::string& text)
{
    // An unchanged row is left alone, so the periodic refresh repaints only
    // what changed.
    if (m_tree.Text(item) != text) m_tree.SetText(item, text);
}

void AttrTreeContent::RefreshItem(TreeItem item, uint32_t filter)
{
    const MkHandle handle = Handle();
    if (!handle || !item) return;
    const std::string text = m_tree.Text(item);
    const std::string name(ColumnZero(text));
    AttrInfo info{};
    if (Api().MkAttrInfo(handle, name.c_str(), &info) != 0) return;
    if (filter != 0 && !(info.flags & filter)) return;
    std::string value;
    GetValueText(name.c_str(), info, value);
    const std::string row = AttributeRowText(name, value);
    if (row != text) m_tree.SetText(item, row);
}

void AttrTreeContent::RefreshSubtree(TreeItem item, uint32_t filter)
{
    if (!item || !Handle()) return;
    TreeItem child = m_tree.FirstChild(item);
    if (!child) {
        RefreshItem(item, filter);
        return;
    }
    for (; child; child = m_tree.NextSibling(child)) RefreshSubtree(child, filter);
}

void AttrTreeContent::RefreshImpacts(std::string_view impacts)
{
    const MkHandle handle = Handle();
    if (!handle) return;
    size_t start = 0;
    while (start < impacts.size()) {
        size_t comma = impacts.find(',', start);
        if (comma == std::string_view::npos) comma = impacts.size();
        const std::string piece(impacts.substr(start, comma - start));
        start = comma + 1;
        TreeItem item = nullptr;
        if (!piece.empty() && piece.front() == '/') {
            item = FindItemByPath(piece, false);
        } else {
            AttrInfo info{};
            if (Api().MkAttrInfo(handle, piece.c_str(), &info) != 0) continue;
            item = FindItemByPath(std::string(info.category ? info.category : "") + "/" + piece, true);
        }
        if (item) RefreshSubtree(item, 0);
    }
}

} // namespace attr_editor
