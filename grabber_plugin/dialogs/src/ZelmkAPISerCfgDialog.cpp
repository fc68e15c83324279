// The serial configuration dialog: the camera's ports, the choices each port
// supports, and the read-back of what was chosen.
#include "zelmk_dialogs/ZelmkAPISerCfgDialog.h"

#include "zelmk_dialogs/SerialConfigDialog.h"

#include <string>

BEGIN_MESSAGE_MAP(CZelmkAPISerCfgDialog, CDialog)
    ON_LBN_SELCHANGE(IDC_ZELMK_PORTS, OnPortChanged)
    ON_CONTROL(CBN_KILLFOCUS, IDC_ZELMK_BAUD, OnBaudKillFocus)
    ON_CONTROL(CBN_KILLFOCUS, IDC_ZELMK_PARITY, OnParityKillFocus)
    ON_CONTROL(CBN_KILLFOCUS, IDC_ZELMK_BYTE_SIZE, OnByteSizeKillFocus)
    ON_CONTROL(CBN_KILLFOCUS, IDC_ZELMK_STOP_BITS, OnStopBitsKillFocus)
    ON_EN_KILLFOCUS(IDC_ZELMK_DELAY, OnDelayKillFocus)
END_MESSAGE_MAP()

CZelmkAPISerCfgDialog::CZelmkAPISerCfgDialog(std::vector<zelmk::SerialPortEntry> ports,
                                             const zelmk::SerialDialogSettings& settings, CWnd* parent) : CDialog(IDD, parent),
                                                                                                          m_ports(std::move(ports)),
                                                                                                          m_settings(settings)
{
}

void CZelmkAPISerCfgDialog::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_ZELMK_PORTS, m_portList);
    DDX_Control(dx, IDC_ZELMK_BAUD, m_baud);
    DDX_Control(dx, IDC_ZELMK_BYTE_SIZE, m_byteSize);
    DDX_Control(dx, IDC_ZELMK_STOP_BITS, m_stopBits);
    DDX_Control(dx, IDC_ZELMK_PARITY, m_parity);
    DDX_Control(dx, IDC_ZELMK_DELAY, m_delay);
}

BOOL CZelmkAPISerCfgDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_portList.ResetContent();
    for (size_t i = 0; i < m_ports.size(); ++i) {
        const int row = m_portList.AddString(m_ports[i].description.c_str());
        if (row >= 0) m_portList.SetItemData(row, static_cast<DWORD_PTR>(i));
    }
    for (int row = 0; row < m_portList.GetCount(); ++row)
        if (static_cast<int64_t>(m_portList.GetItemData(row)) == m_settings.position) m_portList.SetCurSel(row);
    Fill();
    m_delay.SetWindowText(std::to_string(m_settings.delayMs));
    return TRUE;
}

void CZelmkAPISerCfgDialog::OnPortChanged()
{
    // Only the choices follow the port: a delay being typed stays as it is.
    Fill();
}

void CZelmkAPISerCfgDialog::Fill()
{
    // The choices come from the port selected in the list box; with none there are none.
    const int row = m_portList.GetCurSel();
    uint32_t supported = 0;
    if (row >= 0) {
        const size_t position = static_cast<size_t>(m_portList.GetItemData(row));
        if (position < m_ports.size()) supported = m_ports[position].supportedSettings;
    }
    FillCombo(m_baud, zelmk::SerialSetting::Baud, supported, m_settings.baud);
    FillCombo(m_byteSize, zelmk::SerialSetting::ByteSize, supported, m_settings.byteSize);
    FillCombo(m_stopBits, zelmk::SerialSetting::StopBits, supported, m_settings.stopBits);
    FillCombo(m_parity, zelmk::SerialSetting::Parity, supported, m_settings.parity);
}

void CZelmkAPISerCfgDialog::FillCombo(CComboBox& combo, zelmk::SerialSetting setting, uint32_t supported, int32_t current)
{
    combo.ResetContent();
    for (const zelmk::SerialChoice& choice : zelmk::SerialChoices(setting, supported)) {
        const int item = combo.AddString(std::string(choice.text).c_str());
        if (item < 0) continue;
        combo.SetItemData(item, static_cast<DWORD_PTR>(choice.value));
        if (choice.value == current) combo.SetCurSel(item);
    }
}

void CZelmkAPISerCfgDialog::StoreSelection(const CComboBox& combo, int32_t& value)
{
    const int item = combo.GetCurSel();
    if (item >= 0) value = static_cast<int32_t>(combo.GetItemData(item));
}

void CZelmkAPISerCfgDialog::OnBaudKillFocus() { StoreSelection(m_baud, m_settings.baud); }
void CZelmkAPISerCfgDialog::OnParityKillFocus() { StoreSelection(m_parity, m_settings.parity); }
void CZelmkAPISerCfgDialog::OnByteSizeKillFocus() { StoreSelection(m_byteSize, m_settings.byteSize); }
void CZelmkAPISerCfgDialog::OnStopBitsKillFocus() { StoreSelection(m_stopBits, m_settings.stopBits); }

void CZelmkAPISerCfgDialog::OnDelayKillFocus()
{
    // The edit shows the number it will give; the stored delay changes only on OK.
    const std::optional<uint32_t> delay = zelmk::ParseDelayText(m_delay.GetWindowText());
    m_delay.SetWindowText(std::to_string(delay ? *delay : m_settings.delayMs));
}

void CZelmkAPISerCfgDialog::OnOK()
{
    zelmk::SerialDialogSettings chosen = m_settings;
    const int row = m_portList.GetCurSel();
    if (row >= 0) chosen.position = static_cast<int64_t>(m_portList.GetItemData(row));
    StoreSelection(m_baud, chosen.baud);
    StoreSelection(m_parity, chosen.parity);
    StoreSelection(m_byteSize, chosen.byteSize);
    StoreSelection(m_stopBits, chosen.stopBits);
    const std::optional<uint32_t> delay = zelmk::ParseDelayText(m_delay.GetWindowText());
    if (!delay) {
        AfxShowMessageBox(m_hWnd, "Invalid intercharacter delay", "Error", MB_OK | MB_ICONEXCLAMATION);
        m_delay.SetFocus();
        return;
    }
    chosen.delayMs = *delay;
    m_settings = chosen;
    EndDialog(IDOK);
}

namespace zelmk {

bool RunSerialConfigDialog(HWND parent, const std::vector<SerialPortEntry>& ports, SerialDialogSettings& settings)
{
    try {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        CZelmkAPISerCfgDialog dialog(ports, settings, CWnd::FromHandle(parent));
        if (dialog.DoModal() != IDOK) return false;
        settings = dialog.Settings();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace zelmk
