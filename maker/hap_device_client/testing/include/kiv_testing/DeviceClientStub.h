// A device client for test doubles: every operation succeeds and does nothing,
// no dialog exists, so a double overrides only what its test watches.
#pragma once

#include "KIVObject.h"

class DeviceClientStub : public CKIVDeviceClient_0 {
public:
    unsigned long GetObjType() override { return 0x10000; }
    long GetParamLimits(unsigned long, unsigned long long*, unsigned long long*, unsigned long long*,
                        unsigned long long*, unsigned long long*, unsigned long long*, unsigned long long*,
                        unsigned long long*) override
    {
        return EKIV_ERR_OK;
    }
    long SetParam(unsigned long, unsigned long long, unsigned long long, unsigned long long,
                  unsigned long long) override
    {
        return EKIV_ERR_OK;
    }
    long GetParam(unsigned long, unsigned long long*, unsigned long long*, unsigned long long*,
                  unsigned long long*) override
    {
        return EKIV_ERR_OK;
    }
    EKIV_ERR_ERRCODE_ Connect(CHapDeviceComm_0*) override { return EKIV_ERR_OK; }
    EKIV_ERR_ERRCODE_ Call(unsigned long, unsigned long long, unsigned long long, unsigned long long,
                           unsigned long long) override
    {
        return EKIV_ERR_OK;
    }
    EKIV_ERR_ERRCODE_ ShowDialogNonModal(HWND) override { return EKIV_ERR_OK; }
    EKIV_ERR_ERRCODE_ CloseDialogNonModal() override { return EKIV_ERR_OK; }
    int IsNonModalDialogOpen() override { return 0; }
    void SetDlgEventData(_TKIV_DLGEVENTDATA*) override {}
    CKIVDialog* CreateDialogObject(HWND) override { return nullptr; }

protected:
    unsigned long SignalDlgEvent(unsigned long) override { return 0; }
};
