// CKIVDeviceClient: the base of every device client, with the modeless-dialog handling.
#pragma once

#include "HapDeviceClientApi.h"
#include "KIVObject.h"

#include "win32/lean_windows.h"

class CHapDeviceComm_0;
class CKIVDialog;

// A client keeps the communication device it was connected to and owns its
// dialog object from the first ShowDialogNonModal to CloseDialogNonModal or
// its own destruction. Closing the dialog window (close box, Cancel, OK)
// only destroys the window: the object stays with the client until the next
// ShowDialogNonModal replaces it or the client lets it go, so no window
// message can reach a deleted object and no pointer is left dangling.
// Every destroyed dialog window raises KIV_DLGEVENT_CLOSED through the
// callback registered with SetDlgEventData.
//
// A derived client overrides GetObjType and CreateDialogObject (null: the
// client has no dialog). Every operation catches what it throws: nothing
// crosses the virtual table into the host.
class HAPDC_API CKIVDeviceClient : public CKIVDeviceClient_0 {
public:
    CKIVDeviceClient();
    ~CKIVDeviceClient() override;
    CKIVDeviceClient(const CKIVDeviceClient&) = delete;
    CKIVDeviceClient& operator=(const CKIVDeviceClient&) = delete;

    unsigned long GetObjType() override; // 0 unless a derived client says otherwise
    // No parameters in the base: EKIV_ERR_NOT_SUPPORTED, out values set to 0.
    long GetParamLimits(unsigned long id, unsigned long long* min1, unsigned long long* max1,
                        unsigned long long* min2, unsigned long long* max2, unsigned long long* min3,
                        unsigned long long* max3, unsigned long long* min4, unsigned long long* max4) override;
    long SetParam(unsigned long id, unsigned long long v1, unsigned long long v2, unsigned long long v3,
                  unsigned long long v4) override;
    long GetParam(unsigned long id, unsigned long long* v1, unsigned long long* v2, unsigned long long* v3,
                  unsigned long long* v4) override;

    // Keeps the device (null: none) and hands it to an existing dialog too.
    EKIV_ERR_ERRCODE_ Connect(CHapDeviceComm_0* device) override;
    // No commands in the base: EKIV_ERR_NOT_SUPPORTED.
    EKIV_ERR_ERRCODE_ Call(unsigned long command, unsigned long long a1, unsigned long long a2,
                           unsigned long long a3, unsigned long long a4) override;
    // Creates the dialog (once per open window) and shows it; an open one is
    // brought to the front. EKIV_ERR_NOT_SUPPORTED without a dialog,
    // EKIV_ERR_FAILED when its window could not be created.
    EKIV_ERR_ERRCODE_ ShowDialogNonModal(HWND parent) override;
    // Destroys the window (if open) and the dialog object.
    EKIV_ERR_ERRCODE_ CloseDialogNonModal() override;
    int IsNonModalDialogOpen() override;
    // Keeps a copy of the record; null forgets the callback.
    void SetDlgEventData(_TKIV_DLGEVENTDATA* data) override;
    CKIVDialog* CreateDialogObject(HWND parent) override;

    CHapDeviceComm_0* GetDeviceComm() const { return m_pDeviceComm; }
    // The dialog object while the client holds one (its window may be closed).
    CKIVDialog* GetDialog() const { return m_pDialog; }

    // Called by the dialog as the last step after its window is gone.
    void OnDialogWindowDestroyed(CKIVDialog* dialog);

protected:
    // Calls the registered callback; its result, or 0 without one.
    unsigned long SignalDlgEvent(unsigned long event) override;

private:
    void DeleteDialog();

    CHapDeviceComm_0* m_pDeviceComm = nullptr;
    CKIVDialog* m_pDialog = nullptr;
    bool m_dialogWindowGone = false; // the window of m_pDialog was destroyed
    _TKIV_DLGEVENTDATA m_eventData = {};
    bool m_hasEventData = false;
};
