// The framework's own camera control dialog: the active camera's identity and
// graphics mode, for cameras whose plug-in offers no dialog of its own.
#pragma once

#include "CamCntrlDlgBase.h"

#include <string>

class CFramixCamDialog : public CCamCntrlDlgBase {
public:
    CFramixCamDialog() : CCamCntrlDlgBase(kTemplate) {}
    static constexpr UINT kTemplate = 100;

    BOOL OnInitDialog() override;
    void OnCancel() override;
    void UpdateCamCntrlDlg(uint32_t mask) override;
    // The text the dialog shows for its owner's active camera.
    std::string InfoText();

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
