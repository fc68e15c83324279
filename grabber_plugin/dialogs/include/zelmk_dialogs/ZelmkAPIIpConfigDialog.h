// CZelmkAPIIpConfigDialog: one camera's IP configuration (mode, current and
// persistent address, mask and gateway) as an MkIpSettings record.
#pragma once

#include "app_framework/afx.h"
#include "mk_api/MkApi.h"
#include "zelmk_dialogs/DialogIds.h"

class CZelmkAPIIpConfigDialog : public CDialog {
public:
    enum { IDD = IDD_ZELMK_IP_CONFIG };

    explicit CZelmkAPIIpConfigDialog(CWnd* parent = nullptr);

    // The record shown; after OK the mode and the six addresses as edited
    // (the rest of the record as it was given).
    MkIpSettings& Settings() { return m_settings; }
    const MkIpSettings& Settings() const { return m_settings; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnPersistent();
    void OnDhcp();
    void OnAuto();
    DECLARE_MESSAGE_MAP()

private:
    void CheckOnly(int id);

    win32::UniqueIcon m_smallIcon;
    MkIpSettings m_settings{};
    CButton m_modes[3];
    CIPAddressCtrl m_addresses[6];
};
