// Page "Image Parameters": region of interest, fixed-pattern-noise correction, gain and test features.
#pragma once

#include "DialogPage.h"
#include "NumericRow.h"

class CConfig1DlgPage : public CDialogPage {
public:
    explicit CConfig1DlgPage(CKIV_KL7700CtrlDlg* owner);

    bool DataTransfer(bool save) override;
    void OnEnterKey(int focusId) override;

    // Right-click presets of the sliders of A (8032) and N (8034).
    std::vector<PresetItem> PresetItems(int sliderId) const;
    void ApplyPreset(int sliderId, int index);

protected:
    BOOL OnInitDialog() override;

    void OnKillFocusA();
    void OnKillFocusB();
    void OnKillFocusN();
    void OnKillFocusI();
    void OnKillFocusW();
    void OnSpin(NMHDR* header, LRESULT* result);
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnSecondRegion();
    void OnFpnActive();
    void OnCalibrate();
    void OnGain();
    void OnFrameCounter();
    void OnTestImage();
    void OnContextMenu(CWnd* window, CPoint point);

    DECLARE_MESSAGE_MAP()

private:
    void FieldChanged(int editId);
    void Change(int controlId, bool writeNow);
    void Load();
    bool Usable() const;
};
