// CCamCntrlDlgBase: the base of camera control dialogs, on the application
// framework's dialog. The grabber updates every registered dialog through it.
#pragma once

#include "FramixTypes.h"

#include "app_framework/dialog.h"

class CUnifiedGrabber;

// A dialog registers its window with its grabber (RegisterWindowHandle) from
// OnInitDialog to its destruction; UpdateCamCntrlDialogs(mask) then reaches
// UpdateCamCntrlDlg(mask) of each, through a registered window message that
// this base handles, so no object is reached after its window is gone.
class FRAMIX_API CCamCntrlDlgBase : public CDialog {
public:
    CCamCntrlDlgBase(UINT templateId, CWnd* parent = nullptr);
    ~CCamCntrlDlgBase() override;

    void SetOwnerClass(CUnifiedGrabber* owner) { m_pOwner = owner; }
    CUnifiedGrabber* GetOwnerClass() const { return m_pOwner; }
    // The mask of the latest update (what changed: bits the grabber defines).
    uint32_t GetUpdateMask() const { return m_UpdateMask; }

    void DoDataExchange(CDataExchange* dx) override;
    // The framework's dialog update operation; the base does nothing.
    virtual void UpdateCamCntrlDlg(uint32_t mask);
    // Disables and enables the dialog's window (while an operation runs).
    virtual void DisableCamCntrlDlg();
    virtual void EnableCamCntrlDlg();
    // Creates the dialog modeless from a template of the current module state.
    virtual BOOL CreateCamCntrlDlg(UINT templateId, CWnd* parent);

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The registered message UpdateCamCntrlDialogs sends (wParam: the mask).
    static UINT UpdateMessage();

protected:
    CUnifiedGrabber* m_pOwner = nullptr;
    uint32_t m_UpdateMask = 0;

    DECLARE_MESSAGE_MAP()
};
