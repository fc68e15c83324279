// What the attribute tree shows and how it follows the camera: the rows filled
// from the camera library's attribute list, each under the item of its category
// path, and the refreshes after a write, along an impact list and on the timer.
#pragma once

#include "attr_editor/AttrTree.h"
#include "zelmk/MkApiTable.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace attr_editor {

// The library's attribute information record (its name is also a function's).
using AttrInfo = struct ::MkAttrInfo;

// The camera the content reads: the bound library and the open camera's handle,
// asked afresh on every operation (0: no owner or no camera open).
struct CameraAccess {
    const zelmk::MkApiFunctions* api = nullptr;
    std::function<MkHandle()> handle;
};

class AttrTreeContent {
public:
    AttrTreeContent(AttrTree& tree, CameraAccess camera) : m_tree(tree), m_camera(std::move(camera)) {}

    AttrTree& Tree() { return m_tree; }

    // Fills the tree from the camera's attribute list (the mask is not used).
    // Rows already present are brought up to date rather than inserted again:
    // see UpdateAttributeTree in the source for how.
    void UpdateAttributeTree(uint32_t mask);

    // The attribute's value as the "Values" column shows it; false only
    // without a camera.
    bool GetValueText(const char* name, const AttrInfo& info, std::string& text) const;

    // The first child whose column 0 equals text (case-sensitive), or null.
    TreeItem LookupChildItem(TreeItem parent, std::string_view text) const;
    // The deepest item of a category path ("/A/B"), created where missing;
    // "/" and "" give the root; null when an item cannot be made.
    TreeItem FindOrCreateCategory(std::string_view path);
    // The same walk without creating: a missing component gives null when
    // exact is set, else it is skipped and the walk goes on from where it is.
    TreeItem FindItemByPath(std::string_view path, bool exact) const;

    // Reads the row's attribute again when its flags meet the filter (0: any).
    void RefreshItem(TreeItem item, uint32_t filter);
    // Every row below item (the item itself when it has no children).
    void RefreshSubtree(TreeItem item, uint32_t filter);
    // The rows a write may have changed: attribute names and category paths,
    // separated by commas.
    void RefreshImpacts(std::string_view impacts);

private:
    MkHandle Handle() const { return m_camera.api && m_camera.handle ? m_camera.handle() : nullptr; }
    const zelmk::MkApiFunctions& Api() const { return *m_camera.api; }
    void SetRowText(TreeItem item, const std::string& text);

    AttrTree& m_tree;
    CameraAccess m_camera;
};

} // namespace attr_editor
