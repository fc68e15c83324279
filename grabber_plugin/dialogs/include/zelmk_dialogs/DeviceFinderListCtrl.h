// CDeviceFinderListCtrl: the device finder's list of cameras, one row per
// camera keyed by its unique id, with an icon for reachable and unreachable.
#pragma once

#include "app_framework/afx.h"
#include "zelmk/MkApiTable.h"

class CDeviceFinderListCtrl : public CListCtrl {
public:
    // The table reads each camera's IP settings for the address column.
    explicit CDeviceFinderListCtrl(const zelmk::MkApiFunctions& api) : m_api(api) {}

    // Where double click, right click, Space and Enter are reported (message 0: none).
    void SetNotification(CWnd* window, UINT message)
    {
        m_notifyWindow = window;
        m_notifyMessage = message;
    }
    // Grid lines and full-row select, exactly the three columns, the two icons.
    void Setup();

    // The row of the camera, appended when it has none, with its texts and icon.
    int InsertOrUpdate(const struct MkCameraInfo& camera, bool reachable);
    bool DeleteCamera(uint32_t uniqueId);
    int FindCamera(uint32_t uniqueId) const { return FindItemByData(uniqueId); }
    void SelectRow(int row);
    void SelectCamera(uint32_t uniqueId);
    int GetSelectedRow() const { return GetNextItem(-1, LVNI_SELECTED); }
    // 0xFFFFFFFF when no row is selected.
    uint32_t GetSelectedCamera() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDoubleClick(NMHDR* header, LRESULT* result);
    void OnRightClick(NMHDR* header, LRESULT* result);
    void OnKeyDownNotify(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    void Notify(uint32_t what);

    const zelmk::MkApiFunctions& m_api;
    CWnd* m_notifyWindow = nullptr;
    UINT m_notifyMessage = 0;
    CImageList m_images;
};
