// FramixView's main window: one grabber's active camera, its live picture scaled
// to the window, the commands of the menu and a status bar.
#pragma once

#include "framix_view/DisplayImage.h"

#include "app_framework/common_controls.h"
#include "app_framework/dialog.h"

#include <atomic>
#include <string>
#include <vector>

class CUnifiedGrabber;
class CIniFile_0;

namespace framixview {

// Messages the window takes (also from tests).
enum : UINT {
    WM_VIEW_FRAME = WM_APP + 40,  // a frame arrived since the last one drawn
    WM_VIEW_CAMCFG = WM_APP + 41, // the grabber's camera configuration changed
};

// The status bar's panes, left to right.
enum StatusPane { kPaneCamera,
                  kPaneSize,
                  kPaneFormat,
                  kPaneRate,
                  kPaneReceived,
                  kPaneLost,
                  kPaneMessage,
                  kPaneCount };

class CViewerDlg : public CDialog {
public:
    // The grabber must be initialised; the store (may be null) keeps the window's
    // placement in section "FramixView".
    CViewerDlg(CUnifiedGrabber& grabber, CIniFile_0* store, CWnd* parent = nullptr);
    ~CViewerDlg() override;

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // Frames the grabber delivered since the last live or snap started, and frames drawn.
    uint64_t FramesReceived() const { return received_.load(); }
    uint64_t FramesDrawn() const { return drawn_; }
    std::string StatusText(StatusPane pane) const;
    // Writes the picture as shown (the converted frame at its own size) as PNG; "" or the error.
    std::string SaveShownImage(const std::string& path);
    bool HasImage() const { return !image_.empty(); }

    // No frame for this long while live counts as the camera gone (2 s).
    void SetSilenceMs(uint64_t ms) { silenceMs_ = ms; }

protected:
    void OnOK() override {}
    void OnCancel() override;
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnSize(UINT type, int cx, int cy);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    LRESULT OnFrame(WPARAM, LPARAM);
    LRESULT OnCamCfgChange(WPARAM, LPARAM);
    void OnSelectCamera();
    void OnOpenCamera();
    void OnCloseCamera();
    void OnLive();
    void OnSnap();
    void OnStop();
    void OnFeatures();
    void OnSerialPort();
    void OnSavePng();
    void OnExit();
    DECLARE_MESSAGE_MAP()

private:
    static void FrameArrived(void* context, uint64_t bufferIndex, uint32_t flag);
    static void CamCfgChanged(void* context);
    bool StartSnap(int32_t type);
    void StopAcquisition();
    bool ReadLayout(FrameLayout& layout);
    void DrawLastFrame();
    void LayoutStatus();
    void UpdateStatus();
    void UpdateMenu();
    void Message(const std::string& text);
    void Failed(const char* what, uint32_t code);
    void RestorePlacement();
    void SavePlacement();

    CUnifiedGrabber& grabber_;
    CIniFile_0* store_;
    CStatusBarCtrl status_;
    // Written by the grabber's thread, read here.
    std::atomic<uint64_t> received_{0};
    std::atomic<uint64_t> lastIndex_{0};
    std::atomic<bool> framePending_{false};
    std::atomic<uint64_t> lastFrameMs_{0};
    uint64_t drawn_ = 0;
    FrameRate rate_;
    uint64_t rateSeen_ = 0; // frames counted into rate_
    bool live_ = false;
    bool silent_ = false; // live, but the camera stopped sending
    FrameLayout layout_;
    std::vector<uint8_t> image_; // the frame shown, BGRX
    std::string message_;
    uint64_t silenceMs_ = 2000;
};

} // namespace framixview
