// CZelmkAPIDeviceFinderDialog: the GigE cameras on the network, kept up to
// date from the library's link events and a two-second refresh; the user
// picks the camera to open or changes a camera's IP configuration.
#pragma once

#include "app_framework/afx.h"
#include "zelmk_dialogs/DeviceFinderListCtrl.h"
#include "zelmk_dialogs/DialogIds.h"

class CZelmkAPIDeviceFinderDialog : public CDialog {
public:
    enum { IDD = IDD_ZELMK_DEVICE_FINDER };
    // A link event handed from the library's thread: wParam the event, lParam the unique id.
    static constexpr UINT kLinkMessage = 0x8001;
    // The camera list's notifications: wParam 0 choose, 1 camera options.
    static constexpr UINT kListMessage = 0x8002;
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshMs = 2000;

    explicit CZelmkAPIDeviceFinderDialog(const zelmk::MkApiFunctions& api, CWnd* parent = nullptr);

    // The camera chosen: set before the dialog runs, read after OK.
    uint32_t GetSelectedUniqueId() const { return m_selectedUniqueId; }
    void SetSelectedUniqueId(uint32_t id) { m_selectedUniqueId = id; }
    CDeviceFinderListCtrl& List() { return m_list; }

    // Lists the cameras again (while the list window exists).
    void Refresh();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    LRESULT OnLinkEvent(WPARAM event, LPARAM uniqueId);
    LRESULT OnListNotification(WPARAM what, LPARAM);
    void OnItemChanged(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    void CameraOptions();
    void ShowError(const char* text);

    const zelmk::MkApiFunctions& m_api;
    win32::UniqueIcon m_smallIcon;
    uint32_t m_selectedUniqueId = 0;
    CDeviceFinderListCtrl m_list;
    bool m_linked = false;
};
