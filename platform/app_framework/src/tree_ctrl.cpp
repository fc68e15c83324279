// CTreeCtrl: item records, texts of any length, geometry.
#include "framework_internal.h"

#include "app_framework/tree_ctrl.h"

#include <vector>

BOOL CTreeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, WC_TREEVIEWA, nullptr, style | WS_CHILD, rect, parent, id);
}

HTREEITEM CTreeCtrl::InsertItem(const char* text, HTREEITEM parent, HTREEITEM after)
{
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<char*>(text ? text : "");
    return InsertItem(&insert);
}

std::string CTreeCtrl::GetItemText(HTREEITEM item) const
{
    // The control only copies; a text that fills the buffer may have been cut,
    // so ask again with more room (bounded).
    std::vector<char> buffer(256);
    for (;;) {
        buffer.assign(buffer.size(), '\0');
        TVITEMA record{};
        record.mask = TVIF_TEXT;
        record.hItem = item;
        record.pszText = buffer.data();
        record.cchTextMax = static_cast<int>(buffer.size());
        if (!GetItem(&record))
            return {};
        const char* text = record.pszText ? record.pszText : "";
        size_t length = strnlen(text, buffer.size());
        if (text != buffer.data() || length < buffer.size() - 1 || buffer.size() >= 65536)
            return std::string(text, length);
        buffer.resize(buffer.size() * 4);
    }
}

BOOL CTreeCtrl::SetItemText(HTREEITEM item, const char* text)
{
    TVITEMA record{};
    record.mask = TVIF_TEXT;
    record.hItem = item;
    record.pszText = const_cast<char*>(text ? text : "");
    return SetItem(&record);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const
{
    TVITEMA record{};
    record.mask = TVIF_PARAM;
    record.hItem = item;
    return GetItem(&record) ? static_cast<DWORD_PTR>(record.lParam) : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data)
{
    TVITEMA record{};
    record.mask = TVIF_PARAM;
    record.hItem = item;
    record.lParam = static_cast<LPARAM>(data);
    return SetItem(&record);
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM item, LPRECT rect, BOOL textOnly) const
{
    // The control takes the item in the rectangle's first bytes.
    *reinterpret_cast<HTREEITEM*>(rect) = item;
    return static_cast<BOOL>(SendMessage(TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(rect)));
}

HTREEITEM CTreeCtrl::HitTest(CPoint point, UINT* flags) const
{
    TVHITTESTINFO info{};
    info.pt = point;
    auto item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags)
        *flags = info.flags;
    return item;
}
