// Page "Timer & Hardware Parameters": exposure timing, timers, serial channel, Camera Link and sync output.
#pragma once

#include "DialogPage.h"
#include "NumericRow.h"

class CConfig2DlgPage : public CDialogPage {
public:
    explicit CConfig2DlgPage(CKIV_KL7700CtrlDlg* owner);

    bool DataTransfer(bool save) override;
    void OnEnterKey(int focusId) override;

    // Right-click presets of the prescaler (8019) and time-base (8020) sliders.
    std::vector<PresetItem> PresetItems(int sliderId) const;
    void ApplyPreset(int sliderId, int index);

protected:
    BOOL OnInitDialog() override;

    void OnTimingMode();
    void OnTriggerSource();
    void OnFeatureMode();
    void OnPivMode();
    void OnSyncOutput();
    void OnSyncInvert();
    void OnBaudRate();
    void OnChannelO2();
    void OnChannelO4();
    void OnCameraLinkMode();
    void OnSwapHalves();
    void OnConfigure();
    void OnKillFocusExposure();
    void OnKillFocusFrameDuration();
    void OnKillFocusFrameRate();
    void OnKillFocusPrescaler();
    void OnKillFocusTimeBase();
    void OnSpin(NMHDR* header, LRESULT* result);
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnContextMenu(CWnd* window, CPoint point);

    DECLARE_MESSAGE_MAP()

private:
    void Change(int controlId, bool writeNow);
    void FieldChanged(int editId);
    void Load();
    void LoadTimers();
    void EnableAll(bool enable);
    double FrameRateFactor() const;
};
