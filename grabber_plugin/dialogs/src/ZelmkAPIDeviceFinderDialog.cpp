// The device finder: the camera list filled from the library, link events
// from the library's thread, the choice of a camera and the camera options.
#include "zelmk_dialogs/ZelmkAPIDeviceFinderDialog.h"

#include "zelmk_dialogs/DialogRules.h"
#include "zelmk_dialogs/TitleMenu.h"
#include "zelmk_dialogs/ZelmkAPIIpConfigDialog.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <vector>

namespace {

constexpr UINT kIpSettingsCommand = 1;
// A link event waits this long for a dialog thread that does not answer;
// the next refresh shows the change anyway.
constexpr UINT kLinkSendTimeoutMs = 5000;

// The library removes link registrations by function and event alone, and
// does not wait for a callback that is running. So the finders share one
// registration, made by the first open finder and given back by the last,
// and the callback reaches only the windows of finders still open.
std::mutex& FinderLock()
{
    static std::mutex lock;
    return lock;
}
std::set<HWND>& OpenFinders()
{
    static std::set<HWND> windows;
    return windows;
}

void MKAPI_CALL FinderLinkCallback(void*, uint32_t, uint32_t event, uint32_t uniqueId)
{
    try {
        std::vector<HWND> windows;
        {
            std::lock_guard<std::mutex> guard(FinderLock());
            windows.assign(OpenFinders().begin(), OpenFinders().end());
        }
        // Sent without the lock: the dialog's thread takes it when it closes.
        for (HWND window : windows) {
            DWORD_PTR ignored = 0;
            if (::IsWindow(window))
                ::SendMessageTimeoutA(window, CZelmkAPIDeviceFinderDialog::kLinkMessage, event, uniqueId, SMTO_NORMAL,
                                      kLinkSendTimeoutMs, &ignored);
        }
    } catch (...) {
        // Nothing may leave into the library's thread.
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CZelmkAPIDeviceFinderDialog, CDialog)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_MESSAGE(CZelmkAPIDeviceFinderDialog::kLinkMessage, OnLinkEvent)
    ON_MESSAGE(CZelmkAPIDeviceFinderDialog::kListMessage, OnListNotification)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_ZELMK_CAMERA_LIST, OnItemChanged)
END_MESSAGE_MAP()

CZelmkAPIDeviceFinderDialog::CZelmkAPIDeviceFinderDialog(const zelmk::MkApiFunctions& api, CWnd* parent) : CDialog(IDD, parent),
                                                                                                           m_api(api),
                                                                                                           m_list(api)
{
}

void CZelmkAPIDeviceFinderDialog::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_ZELMK_CAMERA_LIST, m_list);
}

BOOL CZelmkAPIDeviceFinderDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_smallIcon = AfxLoadSmallIcon(IDI_ZELMK_DEVICE_FINDER);
    if (m_smallIcon) SetIcon(m_smallIcon.get(), FALSE);
    m_list.SetNotification(this, kListMessage);
    m_list.Setup();
    Refresh();
    {
        std::lock_guard<std::mutex> guard(FinderLock());
        if (OpenFinders().empty()) {
            m_api.MkLinkCallbackRegister(&FinderLinkCallback, MK_LINK_ADD, nullptr);
            m_api.MkLinkCallbackRegister(&FinderLinkCallback, MK_LINK_REMOVE, nullptr);
        }
        OpenFinders().insert(m_hWnd);
        m_linked = true;
    }
    m_list.SetFocus();
    SetTimer(kRefreshTimer, kRefreshMs);
    return FALSE; // the focus is set
}

void CZelmkAPIDeviceFinderDialog::OnDestroy()
{
    KillTimer(kRefreshTimer);
    if (m_linked) {
        std::lock_guard<std::mutex> guard(FinderLock());
        OpenFinders().erase(m_hWnd);
        if (OpenFinders().empty()) {
            m_api.MkLinkCallbackUnRegister(&FinderLinkCallback, MK_LINK_ADD);
            m_api.MkLinkCallbackUnRegister(&FinderLinkCallback, MK_LINK_REMOVE);
        }
        m_linked = false;
    }
    CDialog::OnDestroy();
}

void CZelmkAPIDeviceFinderDialog::Refresh()
{
    if (!m_list.m_hWnd) return;
    const std::vector<zelmk::ListedCamera> cameras = zelmk::ListFinderCameras(m_api);
    for (const zelmk::ListedCamera& camera : cameras) {
        const int row = m_list.InsertOrUpdate(camera.info, camera.reachable);
        if (row >= 0 && camera.info.uniqueId == m_selectedUniqueId) m_list.SelectRow(row);
    }
    for (int row = m_list.GetItemCount() - 1; row >= 0; --row) {
        const auto id = static_cast<uint32_t>(m_list.GetItemData(row));
        const bool listed = std::any_of(cameras.begin(), cameras.end(),
                                        [id](const zelmk::ListedCamera& c) { return c.info.uniqueId == id; });
        if (!listed) m_list.DeleteItem(row);
    }
}

void CZelmkAPIDeviceFinderDialog::OnTimer(UINT_PTR id)
{
    if (id == kRefreshTimer)
        Refresh();
    else
        CDialog::OnTimer(id);
}

LRESULT CZelmkAPIDeviceFinderDialog::OnLinkEvent(WPARAM event, LPARAM uniqueId)
{
    const auto id = static_cast<uint32_t>(uniqueId);
    if (event == MK_LINK_ADD && m_list.FindCamera(id) < 0) {
        struct MkCameraInfo info {};
        m_api.MkCameraInfoEx(id, &info, sizeof info);
        // The record is taken as filled; it names the camera the event was for.
        info.uniqueId = id;
        const int row = m_list.InsertOrUpdate(info, true);
        if (row >= 0 && id == m_selectedUniqueId) m_list.SelectRow(row);
    } else if (event == MK_LINK_REMOVE) {
        m_list.DeleteCamera(id);
    }
    return 0;
}

void CZelmkAPIDeviceFinderDialog::OnItemChanged(NMHDR* header, LRESULT* result)
{
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) && change->iItem >= 0)
        m_selectedUniqueId = static_cast<uint32_t>(m_list.GetItemData(change->iItem));
    *result = 0;
}

LRESULT CZelmkAPIDeviceFinderDialog::OnListNotification(WPARAM what, LPARAM)
{
    if (what == zelmk::kFinderChoose)
        EndDialog(IDOK);
    else if (what == zelmk::kFinderOptions)
        CameraOptions();
    return 0;
}

void CZelmkAPIDeviceFinderDialog::OnOK()
{
    // Enter elsewhere in the dialog does not choose: only the OK button does.
    CWnd* ok = GetDlgItem(IDOK);
    if (ok && CWnd::GetFocus() == ok) EndDialog(IDOK);
}

void CZelmkAPIDeviceFinderDialog::ShowError(const char* text)
{
    AfxShowMessageBox(m_hWnd, text, "Error", MB_OK | MB_ICONEXCLAMATION);
}

void CZelmkAPIDeviceFinderDialog::CameraOptions()
{
    const int row = m_list.GetSelectedRow();
    if (row < 0) {
        ShowError("No valid camera selected");
        return;
    }
    const auto id = static_cast<uint32_t>(m_list.GetItemData(row));
    CTitleMenu menu;
    if (!menu.CreatePopupMenu()) return;
    menu.AppendMenu(MF_STRING, kIpSettingsCommand, "IP Address Settings");
    menu.AddMenuTitle("Camera Options");
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const UINT command =
        static_cast<UINT>(menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, this));
    if (command != kIpSettingsCommand) return;

    MkIpSettings settings{};
    if (m_api.MkCameraIpSettingsGet(id, &settings) != MK_ERR_SUCCESS) {
        ShowError("Cannot get IP settings from camera");
        return;
    }
    CZelmkAPIIpConfigDialog ipDialog(nullptr);
    ipDialog.Settings() = settings;
    if (ipDialog.DoModal() != IDOK) return;
    if (m_api.MkCameraIpSettingsChange(id, &ipDialog.Settings()) != MK_ERR_SUCCESS) {
        ShowError("Cannot write IP settings to camera");
        return;
    }
    Refresh();
}
