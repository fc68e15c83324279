// CZelmkAPISerCfgDialog: the settings of a serial channel through the camera
// (port, baud rate, byte size, stop bits, parity, intercharacter delay).
#pragma once

#include "app_framework/afx.h"
#include "zelmk_dialogs/DialogIds.h"
#include "zelmk_dialogs/DialogRules.h"

#include <vector>

class CZelmkAPISerCfgDialog : public CDialog {
public:
    enum { IDD = IDD_ZELMK_SERIAL_CONFIG };

    // The ports the camera reports and the channel's settings, shown as given
    // (a position outside the list selects no port).
    CZelmkAPISerCfgDialog(std::vector<zelmk::SerialPortEntry> ports, const zelmk::SerialDialogSettings& settings,
                          CWnd* parent = nullptr);

    // The settings; after OK the ones chosen.
    const zelmk::SerialDialogSettings& Settings() const { return m_settings; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* dx) override;

    void OnPortChanged();
    void OnBaudKillFocus();
    void OnParityKillFocus();
    void OnByteSizeKillFocus();
    void OnStopBitsKillFocus();
    void OnDelayKillFocus();
    DECLARE_MESSAGE_MAP()

private:
    void Fill();
    void FillCombo(CComboBox& combo, zelmk::SerialSetting setting, uint32_t supported, int32_t current);
    // The item data of the combo's selected item, when one is selected.
    static void StoreSelection(const CComboBox& combo, int32_t& value);

    std::vector<zelmk::SerialPortEntry> m_ports;
    zelmk::SerialDialogSettings m_settings;
    CListBox m_portList;
    CComboBox m_baud;
    CComboBox m_byteSize;
    CComboBox m_stopBits;
    CComboBox m_parity;
    CEdit m_delay;
};
