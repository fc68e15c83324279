// CKIVDialog: the base of device-client dialogs, which receive the communication device.
#pragma once

#include "HapDeviceClientApi.h"
#include "app_framework/dialog.h"

class CHapDeviceComm_0;
class CKIVDeviceClient;

// A modeless dialog owned by its device client. OK, Cancel and the close box
// destroy the window (a modal run ends as usual); when the window is gone the
// dialog tells its client, which raises the closed event. The object itself
// is deleted by the client, never by the dialog.
//
// A dialog that lives in a plug-in overrides Create(HWND) to create its window
// inside its module's resource state. Derived dialogs chain their message
// map to this one and pass every timer message on to CKIVDialog::OnTimer.
class HAPDC_API CKIVDialog : public CDialog {
public:
    explicit CKIVDialog(UINT templateId, CWnd* parent = nullptr);
    ~CKIVDialog() override;

    using CDialog::Create;
    // Creates the modeless window from the dialog's template.
    virtual BOOL Create(HWND parent);

    // The communication device the dialog works with; null = no camera.
    void SetDeviceComm(CHapDeviceComm_0* device) { m_pDeviceComm = device; }
    CHapDeviceComm_0* GetDeviceComm() const { return m_pDeviceComm; }

    // Set by the owning client; null detaches (no more notifications).
    void SetOwnerClient(CKIVDeviceClient* client) { m_pClient = client; }

protected:
    void OnOK() override;
    void OnCancel() override;
    void PostNcDestroy() override;
    void OnClose();
    void OnTimer(UINT_PTR id);

    CHapDeviceComm_0* m_pDeviceComm = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    CKIVDeviceClient* m_pClient = nullptr;
};
