// Common-control wrappers that fill records or read text back.
#include "framework_internal.h"

#include "app_framework/common_controls.h"

#include <vector>

namespace {

// Text buffers for controls that copy into a caller's buffer of a given size.
constexpr int kTextBuffer = 1024;

} // namespace

// ---- image list

CImageList::~CImageList()
{
    DeleteImageList();
}

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow)
{
    return Attach(ImageList_Create(cx, cy, flags, initial, grow));
}

BOOL CImageList::Attach(HIMAGELIST list)
{
    if (m_hImageList || !list)
        return FALSE;
    m_hImageList = list;
    return TRUE;
}

HIMAGELIST CImageList::Detach()
{
    HIMAGELIST list = m_hImageList;
    m_hImageList = nullptr;
    return list;
}

BOOL CImageList::DeleteImageList()
{
    return m_hImageList ? ImageList_Destroy(Detach()) : FALSE;
}

// ---- header

std::string CHeaderCtrl::GetItemText(int index) const
{
    char text[kTextBuffer] = {};
    HDITEMA item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = kTextBuffer;
    return GetItem(index, &item) ? std::string(text) : std::string();
}

BOOL CHeaderCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, WC_HEADERA, nullptr, style | WS_CHILD, rect, parent, id);
}

// ---- list view

int CListCtrl::GetItemImage(int index) const
{
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    return GetItem(&item) ? item.iImage : -1;
}

int CListCtrl::FindItemByData(DWORD_PTR data, int start) const
{
    LVFINDINFOA find{};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(data);
    return FindItem(&find, start);
}

BOOL CListCtrl::GetItemRect(int index, LPRECT rect, UINT code) const
{
    rect->left = static_cast<LONG>(code); // the control takes the part in the left edge
    return static_cast<BOOL>(SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
}

int CListCtrl::HitTest(CPoint point, UINT* flags) const
{
    LVHITTESTINFO info{};
    info.pt = point;
    int row = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags)
        *flags = info.flags;
    return row;
}

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width, int subItem)
{
    LVCOLUMNA info{};
    info.mask = LVCF_FMT | LVCF_TEXT;
    info.fmt = format;
    info.pszText = const_cast<char*>(heading ? heading : "");
    if (width >= 0) {
        info.mask |= LVCF_WIDTH;
        info.cx = width;
    }
    if (subItem >= 0) {
        info.mask |= LVCF_SUBITEM;
        info.iSubItem = subItem;
    }
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)));
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const
{
    // A temporary object of the base class viewed as a header: it adds no data.
    return static_cast<CHeaderCtrl*>(CWnd::FromHandle(reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER))));
}

int CListCtrl::InsertItem(int index, const char* text)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text ? text : "");
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItemText(int index, int subItem, const char* text)
{
    LVITEMA item{};
    item.iSubItem = subItem;
    item.pszText = const_cast<char*>(text ? text : "");
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

std::string CListCtrl::GetItemText(int index, int subItem) const
{
    std::vector<char> buffer(kTextBuffer);
    for (;;) {
        LVITEMA item{};
        item.iSubItem = subItem;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        LRESULT length = SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        if (length < static_cast<LRESULT>(buffer.size()) - 1 || buffer.size() >= 65536)
            return std::string(item.pszText ? item.pszText : "");
        buffer.resize(buffer.size() * 4); // possibly cut: ask again with more room
    }
}

POSITION CListCtrl::GetFirstSelectedItemPosition() const
{
    int first = GetNextItem(-1, LVNI_SELECTED);
    return reinterpret_cast<POSITION>(static_cast<INT_PTR>(first + 1));
}

int CListCtrl::GetNextSelectedItem(POSITION& position) const
{
    int current = static_cast<int>(reinterpret_cast<INT_PTR>(position)) - 1;
    int next = GetNextItem(current, LVNI_SELECTED);
    position = reinterpret_cast<POSITION>(static_cast<INT_PTR>(next + 1));
    return current;
}

BOOL CListCtrl::SetItemState(int index, UINT state, UINT mask)
{
    LVITEMA item{};
    item.state = state;
    item.stateMask = mask;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItemData(int index, DWORD_PTR data)
{
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = static_cast<LPARAM>(data);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

DWORD_PTR CListCtrl::GetItemData(int index) const
{
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    return SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

// ---- tab control

int CTabCtrl::InsertItem(int index, const char* text)
{
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text ? text : "");
    return static_cast<int>(SendMessage(TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

std::string CTabCtrl::GetItemText(int index) const
{
    char text[kTextBuffer] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = kTextBuffer;
    return SendMessage(TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) ? std::string(text)
                                                                                                  : std::string();
}

// ---- tool tip

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style)
{
    if (!CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | style, RECT{0, 0, 0, 0}, parent, 0))
        return FALSE;
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

TOOLINFOA CToolTipCtrl::toolInfo(CWnd* tool, UINT flags) const
{
    TOOLINFOA info{};
    info.cbSize = sizeof(TOOLINFOA); // the Common Controls 6 size, with lpReserved
    info.uFlags = flags;
    info.hwnd = ::GetParent(tool->m_hWnd) ? ::GetParent(tool->m_hWnd) : tool->m_hWnd;
    info.uId = reinterpret_cast<UINT_PTR>(tool->m_hWnd);
    return info;
}

BOOL CToolTipCtrl::AddTool(CWnd* tool, const char* text, UINT flags)
{
    if (!tool || !tool->m_hWnd)
        return FALSE;
    TOOLINFOA info = toolInfo(tool, flags | TTF_IDISHWND);
    info.lpszText = const_cast<char*>(text ? text : LPSTR_TEXTCALLBACKA);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(const char* text, CWnd* tool)
{
    TOOLINFOA info = toolInfo(tool, TTF_IDISHWND);
    info.lpszText = const_cast<char*>(text ? text : "");
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

std::string CToolTipCtrl::GetText(CWnd* tool) const
{
    // The control copies up to 1024 characters whatever the size given.
    std::vector<char> text(kTextBuffer + 1, '\0');
    TOOLINFOA info = toolInfo(tool, TTF_IDISHWND);
    info.lpszText = text.data();
    SendMessage(TTM_GETTEXTA, text.size(), reinterpret_cast<LPARAM>(&info));
    return std::string(text.data());
}

void CToolTipCtrl::DelTool(CWnd* tool)
{
    TOOLINFOA info = toolInfo(tool, TTF_IDISHWND);
    SendMessage(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

// ---- status bar

BOOL CStatusBarCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, STATUSCLASSNAMEA, nullptr, style | WS_CHILD, rect, parent, id);
}

std::string CStatusBarCtrl::GetText(int pane) const
{
    LRESULT info = SendMessage(SB_GETTEXTLENGTHA, static_cast<WPARAM>(pane));
    std::vector<char> text(static_cast<size_t>(LOWORD(info)) + 1, '\0');
    SendMessage(SB_GETTEXTA, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(text.data()));
    return std::string(text.data());
}

// ---- IP address

BOOL CIPAddressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, WC_IPADDRESSA, nullptr, style | WS_CHILD, rect, parent, id);
}

int CIPAddressCtrl::GetAddress(BYTE& field0, BYTE& field1, BYTE& field2, BYTE& field3) const
{
    DWORD address = 0;
    int filled = GetAddress(address);
    field0 = static_cast<BYTE>(FIRST_IPADDRESS(address));
    field1 = static_cast<BYTE>(SECOND_IPADDRESS(address));
    field2 = static_cast<BYTE>(THIRD_IPADDRESS(address));
    field3 = static_cast<BYTE>(FOURTH_IPADDRESS(address));
    return filled;
}
