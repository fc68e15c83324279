// The camera's modeless control dialog: header, tab pages, buttons, status bar and the camera session.
#pragma once

#include "CommDeviceAdapter.h"
#include "Config1DlgPage.h"
#include "Config2DlgPage.h"
#include "DialogPage.h"
#include "KIVDialog.h"
#include "kl7700/CameraSession.h"
#include "kl7700_controls/ColorStatic.h"
#include "kl7700_controls/RxTxDebugDlg.h"

#include <memory>
#include <string>

class CKIV_KL7700CtrlDlg : public CKIVDialog, private kl7700::SessionObserver {
public:
    static constexpr UINT_PTR kWriteBackTimerId = 10;
    static constexpr UINT kWriteBackPeriodMs = 1000;

    // `clock` stands in for the system clock (tests); null: the protocol's waits really wait.
    explicit CKIV_KL7700CtrlDlg(CWnd* parent, kl7700::Clock* clock = nullptr);
    ~CKIV_KL7700CtrlDlg() override;

    BOOL Create(HWND parent) override;
    // Wakes the camera's command line inside the device lock.
    virtual bool ProbePrompt();

    kl7700::CameraSession& Session() { return m_session; }
    const void* LockOwner() const { return &m_session; }
    // Pages and header show the working record.
    void RefreshPages();
    void RefreshHeader();
    void LayoutWindow();
    CDialogPageCtrl& Pages() { return m_pages; }
    CConfig1DlgPage& ImagePage() { return m_page1; }
    CConfig2DlgPage& TimerPage() { return m_page2; }
    CToolTipCtrl& ToolTip() { return m_toolTip; }
    CStatusBarCtrl& StatusBar() { return m_statusBar; }
    // The "Load Defaults" pop-up menu: its single item, greyed on a communication error.
    bool ResetMenuItemEnabled() const { return !m_session.CommunicationError(); }
    CRxTxDebugDlg* DebugWindow() { return m_debugWindow.get(); }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnReadFromCamera();
    void OnSaveDefaults();
    void OnLoadDefaults();
    void OnRxTxDebug();
    void OnTabChange(NMHDR* header, LRESULT* result);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnPaint();
    void OnClose();
    void OnContextMenu(CWnd* window, CPoint point);
    void OnShowWindow(BOOL show, UINT status);
    LRESULT OnDebugWindowHidden(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    // Session notices.
    void OnSerialLog(kl7700::LogKind kind, std::string_view bytes) override;
    void OnStatusText(std::string_view text) override;
    void OnHeaderChanged() override;
    void OnPagesChanged() override;
    void OnVariantText(std::string_view text) override;
    void OnWriteBackTimer(bool running) override;

    void CreateStatusBar();
    void SizeStatusPanes();
    void EnablePageThemes();
    void CreateToolTips();
    void ReadCameraAndShow();
    void HideDebugWindow();
    void ResetToFactory();
    bool Ask(const char* question);

    std::unique_ptr<kl7700plugin::SystemClock> m_ownClock;
    kl7700plugin::HapCommDeviceAdapter m_device;
    kl7700::CameraSession m_session;

    CButton m_readButton, m_debugButton, m_loadButton, m_saveButton, m_closeButton;
    CDialogPageCtrl m_pages;
    CConfig1DlgPage m_page1;
    CConfig2DlgPage m_page2;
    CStatusBarCtrl m_statusBar;
    CToolTipCtrl m_toolTip;
    std::string m_cameraName, m_serialNumber, m_version, m_resolution, m_variantCode, m_frameRate, m_dataRate;
    CColorStatic m_headerFields[7];
    bool m_nameShowsError = false;
    std::unique_ptr<CRxTxDebugDlg> m_debugWindow;
    win32::UniqueModule m_themeLibrary;
    int m_tabGap = 0;     // between the tab control and the button row
    int m_sideMargin = 0; // dialog width minus tab width
    int m_versionPaneWidth = 0;
    bool m_initialised = false;
    bool m_firstShow = true;
};
