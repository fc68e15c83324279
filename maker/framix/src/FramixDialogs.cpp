// The framework's modal dialogs over plain dialog controls.
#include "FramixDialogs.h"

#include "FramixResources.h"

#include <cstdlib>

namespace {

constexpr uint32_t kBauds[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};
constexpr char kParities[] = {'N', 'O', 'E'};
const char* const kParityNames[] = {"No", "Odd", "Even"};
const char* const kStopBitNames[] = {"1", "1.5", "2"};

int AddItem(HWND dialog, int id, const char* text)
{
    return static_cast<int>(::SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int Selection(HWND dialog, int id)
{
    return static_cast<int>(::SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

} // namespace

CSerialConfigDialog::CSerialConfigDialog(const SerialSettings& settings, CWnd* parent)
    : CDialog(IDD_FRAMIX_SERIAL, parent), m_settings(settings)
{
}

BOOL CSerialConfigDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND d = GetSafeHwnd();
    ::SetDlgItemTextA(d, IDC_SERIAL_PORT, m_settings.port.c_str());
    int baud = -1;
    for (size_t i = 0; i < std::size(kBauds); ++i) {
        AddItem(d, IDC_SERIAL_BAUD, std::to_string(kBauds[i]).c_str());
        if (kBauds[i] == m_settings.baud)
            baud = static_cast<int>(i);
    }
    // A rate from the store that the list lacks is offered as it is.
    if (baud < 0)
        baud = AddItem(d, IDC_SERIAL_BAUD, std::to_string(m_settings.baud).c_str());
    ::SendDlgItemMessageA(d, IDC_SERIAL_BAUD, CB_SETCURSEL, baud, 0);
    int parity = 0;
    for (size_t i = 0; i < std::size(kParities); ++i) {
        AddItem(d, IDC_SERIAL_PARITY, kParityNames[i]);
        if (kParities[i] == m_settings.parity)
            parity = static_cast<int>(i);
    }
    ::SendDlgItemMessageA(d, IDC_SERIAL_PARITY, CB_SETCURSEL, parity, 0);
    for (uint32_t bits = 5; bits <= 8; ++bits) AddItem(d, IDC_SERIAL_BYTESIZE, std::to_string(bits).c_str());
    ::SendDlgItemMessageA(d, IDC_SERIAL_BYTESIZE, CB_SETCURSEL, m_settings.byteSize >= 5 && m_settings.byteSize <= 8 ? m_settings.byteSize - 5 : 3, 0);
    for (const char* s : kStopBitNames) AddItem(d, IDC_SERIAL_STOPBITS, s);
    ::SendDlgItemMessageA(d, IDC_SERIAL_STOPBITS, CB_SETCURSEL, m_settings.stopBits <= 2 ? m_settings.stopBits : 0, 0);
    ::SetDlgItemTextA(d, IDC_SERIAL_DELAY, std::to_string(m_settings.delay).c_str());
    return TRUE;
}

void CSerialConfigDialog::OnOK()
{
    HWND d = GetSafeHwnd();
    char port[1025] = {};
    ::GetDlgItemTextA(d, IDC_SERIAL_PORT, port, sizeof port);
    char delay[32] = {};
    ::GetDlgItemTextA(d, IDC_SERIAL_DELAY, delay, sizeof delay);
    char* end = nullptr;
    const unsigned long ms = std::strtoul(delay, &end, 10);
    if (!*port) {
        ::SetDlgItemTextA(d, IDC_SERIAL_ERROR, "Enter a port name, e.g. COM1.");
        return;
    }
    if (!*delay || *end || ms > 10000) {
        ::SetDlgItemTextA(d, IDC_SERIAL_ERROR, "The delay is 0 to 10000 ms.");
        return;
    }
    char baud[32] = {};
    ::SendDlgItemMessageA(d, IDC_SERIAL_BAUD, CB_GETLBTEXT, Selection(d, IDC_SERIAL_BAUD), reinterpret_cast<LPARAM>(baud));
    m_settings.port = port;
    m_settings.baud = static_cast<uint32_t>(std::strtoul(baud, nullptr, 10));
    const int parity = Selection(d, IDC_SERIAL_PARITY);
    m_settings.parity = parity >= 0 && parity < 3 ? kParities[parity] : 'N';
    const int bytes = Selection(d, IDC_SERIAL_BYTESIZE);
    m_settings.byteSize = bytes >= 0 ? 5 + static_cast<uint32_t>(bytes) : 8;
    const int stop = Selection(d, IDC_SERIAL_STOPBITS);
    m_settings.stopBits = stop >= 0 ? static_cast<uint32_t>(stop) : 0;
    m_settings.delay = static_cast<uint32_t>(ms);
    EndDialog(IDOK);
}

CListChoiceDialog::CListChoiceDialog(std::string caption, std::vector<std::string> items, int selected, CWnd* parent)
    : CDialog(IDD_FRAMIX_SELECT, parent), m_selected(selected), m_caption(std::move(caption)), m_items(std::move(items))
{
}

BOOL CListChoiceDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND d = GetSafeHwnd();
    ::SetWindowTextA(d, m_caption.c_str());
    for (const auto& item : m_items)
        ::SendDlgItemMessageA(d, IDC_SELECT_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    ::SendDlgItemMessageA(d, IDC_SELECT_LIST, LB_SETCURSEL, m_selected, 0);
    return TRUE;
}

void CListChoiceDialog::OnOK()
{
    const LRESULT selected = ::SendDlgItemMessageA(GetSafeHwnd(), IDC_SELECT_LIST, LB_GETCURSEL, 0, 0);
    m_selected = selected == LB_ERR ? -1 : static_cast<int>(selected);
    EndDialog(IDOK);
}
