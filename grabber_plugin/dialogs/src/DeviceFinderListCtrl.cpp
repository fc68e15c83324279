// The camera list: columns, rows by unique id, icons, selection and the
// notifications it sends its window.
#include "zelmk_dialogs/DeviceFinderListCtrl.h"

#include "zelmk_dialogs/DialogIds.h"
#include "zelmk_dialogs/DialogRules.h"

#include <cstring>
#include <string>

namespace {

// The record's texts need not be terminated inside their 32 bytes.
std::string FieldText(const char (&field)[32]) { return std::string(field, strnlen(field, sizeof field)); }

} // namespace

BEGIN_MESSAGE_MAP(CDeviceFinderListCtrl, CListCtrl)
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDoubleClick)
    ON_NOTIFY_REFLECT(NM_RCLICK, OnRightClick)
    ON_NOTIFY_REFLECT(LVN_KEYDOWN, OnKeyDownNotify)
END_MESSAGE_MAP()

void CDeviceFinderListCtrl::Setup()
{
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    CHeaderCtrl* header = GetHeaderCtrl();
    int columns = header ? header->GetItemCount() : 0;
    while (columns > 3) DeleteColumn(--columns);
    CRect client;
    GetClientRect(&client);
    const char* headings[3] = {"Name", "Serial Number", "IP Address/Subnet Mask"};
    const int widths[3] = {120, 120, zelmk::AddressColumnWidth(client.Width())};
    for (int column = 0; column < 3; ++column) {
        if (column >= columns) {
            InsertColumn(column, headings[column], LVCFMT_LEFT, widths[column], column);
            continue;
        }
        LVCOLUMNA info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH;
        info.pszText = const_cast<char*>(headings[column]);
        info.cx = widths[column];
        SetColumn(column, &info);
    }
    if (!m_images.GetSafeHandle()) {
        m_images.Create(16, 16, ILC_MASK | ILC_COLOR4, 4, 4);
        for (UINT id : {IDI_ZELMK_REACHABLE, IDI_ZELMK_UNREACHABLE}) {
            win32::UniqueIcon icon = AfxLoadIcon(id, 16, 16);
            if (icon) m_images.Add(icon.get());
        }
        // Overlays 1 and 2 are the same two icons, so the row's overlay index names its icon.
        m_images.SetOverlayImage(0, zelmk::FinderRowImage(true));
        m_images.SetOverlayImage(1, zelmk::FinderRowImage(false));
    }
    SetImageList(m_images.GetSafeHandle(), LVSIL_SMALL);
}

int CDeviceFinderListCtrl::InsertOrUpdate(const struct MkCameraInfo& camera, bool reachable)
{
    int row = FindCamera(camera.uniqueId);
    if (row < 0) {
        row = InsertItem(GetItemCount(), "");
        if (row < 0) return -1;
        SetItemData(row, camera.uniqueId);
    }
    MkIpSettings settings{};
    const bool haveSettings = m_api.MkCameraIpSettingsGet(camera.uniqueId, &settings) == MK_ERR_SUCCESS;
    // A camera whose settings cannot be read shows no address rather than a made-up one.
    const std::string texts[3] = {FieldText(camera.name), FieldText(camera.serialNumber),
                                  haveSettings ? zelmk::AddressColumnText(settings.currentAddress, settings.currentMask) : ""};
    // The refresh runs every two seconds: only what changed is drawn again.
    for (int column = 0; column < 3; ++column)
        if (GetItemText(row, column) != texts[column]) SetItemText(row, column, texts[column].c_str());
    const int image = zelmk::FinderRowImage(reachable);
    if (GetItemImage(row) == image - 1 && GetItemState(row, LVIS_OVERLAYMASK) == static_cast<UINT>(INDEXTOOVERLAYMASK(image)))
        return row;
    LVITEMA item{};
    item.mask = LVIF_IMAGE | LVIF_STATE;
    item.iItem = row;
    // The row's own image too: the overlay alone would be drawn over image 0, the reachable icon.
    item.iImage = image - 1;
    item.state = INDEXTOSTATEIMAGEMASK(image) | INDEXTOOVERLAYMASK(image);
    item.stateMask = LVIS_STATEIMAGEMASK | LVIS_OVERLAYMASK;
    SetItem(&item);
    return row;
}

bool CDeviceFinderListCtrl::DeleteCamera(uint32_t uniqueId)
{
    const int row = FindCamera(uniqueId);
    return row >= 0 && DeleteItem(row);
}

void CDeviceFinderListCtrl::SelectRow(int row)
{
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EnsureVisible(row, FALSE);
}

void CDeviceFinderListCtrl::SelectCamera(uint32_t uniqueId)
{
    const int row = FindCamera(uniqueId);
    if (row >= 0) SelectRow(row);
}

uint32_t CDeviceFinderListCtrl::GetSelectedCamera() const
{
    const int row = GetSelectedRow();
    return row < 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(GetItemData(row));
}

void CDeviceFinderListCtrl::Notify(uint32_t what)
{
    if (m_notifyWindow && m_notifyWindow->m_hWnd && m_notifyMessage != 0)
        ::SendMessageA(m_notifyWindow->m_hWnd, m_notifyMessage, what, 0);
}

LRESULT CDeviceFinderListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Enter in the list chooses the camera: the dialog's keyboard handling
    // would otherwise turn it into the default button's command first.
    if (message == WM_GETDLGCODE) {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        LRESULT code = CListCtrl::WindowProc(message, wParam, lParam);
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
        return code;
    }
    return CListCtrl::WindowProc(message, wParam, lParam);
}

void CDeviceFinderListCtrl::OnDoubleClick(NMHDR*, LRESULT* result)
{
    Notify(zelmk::kFinderChoose);
    *result = 0;
}

void CDeviceFinderListCtrl::OnRightClick(NMHDR*, LRESULT* result)
{
    Notify(zelmk::kFinderOptions);
    *result = 0;
}

void CDeviceFinderListCtrl::OnKeyDownNotify(NMHDR* header, LRESULT* result)
{
    const auto* key = reinterpret_cast<const NMLVKEYDOWN*>(header);
    if (const std::optional<uint32_t> what = zelmk::FinderKeyNotification(key->wVKey)) Notify(*what);
    *result = 0;
}
