// The IP configuration dialog: mode buttons as the camera supports them, the
// addresses in the address controls, and the read-back on OK.
#include "zelmk_dialogs/ZelmkAPIIpConfigDialog.h"

#include "zelmk_dialogs/DialogRules.h"

namespace {

constexpr int kModeIds[3] = {IDC_ZELMK_MODE_PERSISTENT, IDC_ZELMK_MODE_DHCP, IDC_ZELMK_MODE_AUTO};
constexpr int kAddressIds[6] = {IDC_ZELMK_CURRENT_ADDRESS, IDC_ZELMK_CURRENT_MASK, IDC_ZELMK_CURRENT_GATEWAY,
                                IDC_ZELMK_PERSISTENT_ADDRESS, IDC_ZELMK_PERSISTENT_MASK, IDC_ZELMK_PERSISTENT_GATEWAY};

// The record's six addresses in the order of the controls.
uint32_t* AddressField(MkIpSettings& settings, int index)
{
    uint32_t* fields[6] = {&settings.currentAddress, &settings.currentMask, &settings.currentGateway,
                           &settings.persistentAddress, &settings.persistentMask, &settings.persistentGateway};
    return fields[index];
}

} // namespace

BEGIN_MESSAGE_MAP(CZelmkAPIIpConfigDialog, CDialog)
    ON_BN_CLICKED(IDC_ZELMK_MODE_PERSISTENT, OnPersistent)
    ON_BN_CLICKED(IDC_ZELMK_MODE_DHCP, OnDhcp)
    ON_BN_CLICKED(IDC_ZELMK_MODE_AUTO, OnAuto)
END_MESSAGE_MAP()

CZelmkAPIIpConfigDialog::CZelmkAPIIpConfigDialog(CWnd* parent) : CDialog(IDD, parent) {}

void CZelmkAPIIpConfigDialog::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    for (int i = 0; i < 3; ++i) DDX_Control(dx, kModeIds[i], m_modes[i]);
    for (int i = 0; i < 6; ++i) DDX_Control(dx, kAddressIds[i], m_addresses[i]);
}

BOOL CZelmkAPIIpConfigDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_smallIcon = AfxLoadSmallIcon(IDI_ZELMK_IP_CONFIG);
    if (m_smallIcon) SetIcon(m_smallIcon.get(), FALSE);
    const auto states = zelmk::ModeButtonStates(m_settings.configMode, m_settings.configModes);
    for (int i = 0; i < 3; ++i) {
        m_modes[i].SetCheck(states[i].checked ? BST_CHECKED : BST_UNCHECKED);
        m_modes[i].EnableWindow(states[i].enabled);
    }
    for (int i = 0; i < 6; ++i) m_addresses[i].SetAddress(zelmk::SwapAddressOctets(*AddressField(m_settings, i)));
    // What the camera uses now is shown, not edited.
    for (int i = 0; i < 3; ++i) m_addresses[i].EnableWindow(FALSE);
    return TRUE;
}

void CZelmkAPIIpConfigDialog::CheckOnly(int id)
{
    for (int i = 0; i < 3; ++i) m_modes[i].SetCheck(kModeIds[i] == id ? BST_CHECKED : BST_UNCHECKED);
}

void CZelmkAPIIpConfigDialog::OnPersistent() { CheckOnly(IDC_ZELMK_MODE_PERSISTENT); }
void CZelmkAPIIpConfigDialog::OnDhcp() { CheckOnly(IDC_ZELMK_MODE_DHCP); }
void CZelmkAPIIpConfigDialog::OnAuto() { CheckOnly(IDC_ZELMK_MODE_AUTO); }

void CZelmkAPIIpConfigDialog::OnOK()
{
    m_settings.configMode = zelmk::ModeFromButtons(m_modes[0].GetCheck() == BST_CHECKED, m_modes[1].GetCheck() == BST_CHECKED,
                                                   m_modes[2].GetCheck() == BST_CHECKED);
    for (int i = 0; i < 6; ++i) {
        DWORD address = 0;
        m_addresses[i].GetAddress(address);
        *AddressField(m_settings, i) = zelmk::SwapAddressOctets(address);
    }
    EndDialog(IDOK);
}
