// The communication device's configuration dialog: fields in and out of a
// PortForm, checked by the platform-neutral form parser.
#include "ConfigDialog.h"

#include "kiv_comm_device/ConfigDialogIds.h"

#include <string>
#include <utility>

namespace kivinst {
namespace {

constexpr const char* kParityNames[] = {"None", "Even", "Odd", "Mark", "Space"};
constexpr char kParityCodes[] = {'N', 'E', 'O', 'M', 'S'};
constexpr unsigned kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
constexpr StopBits kStopBits[] = {StopBits::One, StopBits::OneHalf, StopBits::Two};

void addItem(HWND dialog, int id, const std::string& text)
{
    SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string itemText(HWND dialog, int id)
{
    char buffer[256] = {};
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
}

int selection(HWND dialog, int id)
{
    const LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? 0 : static_cast<int>(index);
}

PortKind checkedKind(HWND dialog)
{
    if (IsDlgButtonChecked(dialog, IDC_COMM_KIND_TCP) == BST_CHECKED)
        return PortKind::Tcp;
    if (IsDlgButtonChecked(dialog, IDC_COMM_KIND_EMULATOR) == BST_CHECKED)
        return PortKind::Emulator;
    if (IsDlgButtonChecked(dialog, IDC_COMM_KIND_GRABBER) == BST_CHECKED)
        return PortKind::Grabber;
    return PortKind::Serial;
}

// Only the fields of the chosen kind can be edited.
void enableFields(HWND dialog)
{
    const PortKind kind = checkedKind(dialog);
    for (int id : {IDC_COMM_COM_NUMBER, IDC_COMM_BAUD, IDC_COMM_PARITY, IDC_COMM_DATA_BITS, IDC_COMM_STOP_BITS})
        EnableWindow(GetDlgItem(dialog, id), kind == PortKind::Serial);
    for (int id : {IDC_COMM_TCP_HOST, IDC_COMM_TCP_PORT})
        EnableWindow(GetDlgItem(dialog, id), kind == PortKind::Tcp);
    EnableWindow(GetDlgItem(dialog, IDC_COMM_GRABBER), kind == PortKind::Grabber);
}

void fillFields(HWND dialog, const PortForm& form)
{
    for (const char* name : kParityNames)
        addItem(dialog, IDC_COMM_PARITY, name);
    for (unsigned bits = 5; bits <= 8; ++bits)
        addItem(dialog, IDC_COMM_DATA_BITS, std::to_string(bits));
    for (StopBits bits : kStopBits)
        addItem(dialog, IDC_COMM_STOP_BITS, stopBitsText(bits));
    for (unsigned baud : kBaudRates)
        addItem(dialog, IDC_COMM_BAUD, std::to_string(baud));

    // The grabber's button is outside the others' id range, so each is set by itself.
    const std::pair<int, PortKind> kinds[] = {{IDC_COMM_KIND_SERIAL, PortKind::Serial},
                                              {IDC_COMM_KIND_TCP, PortKind::Tcp},
                                              {IDC_COMM_KIND_EMULATOR, PortKind::Emulator},
                                              {IDC_COMM_KIND_GRABBER, PortKind::Grabber}};
    for (const auto& [id, kind] : kinds)
        CheckDlgButton(dialog, id, kind == form.kind ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(dialog, IDC_COMM_GRABBER, form.grabber.c_str());
    SetDlgItemTextA(dialog, IDC_COMM_COM_NUMBER, form.comNumber.c_str());
    SetDlgItemTextA(dialog, IDC_COMM_BAUD, form.baud.c_str());
    int parity = 0;
    for (int i = 0; i < 5; ++i)
        if (kParityCodes[i] == form.parity)
            parity = i;
    SendDlgItemMessageA(dialog, IDC_COMM_PARITY, CB_SETCURSEL, parity, 0);
    SendDlgItemMessageA(dialog, IDC_COMM_DATA_BITS, CB_SETCURSEL, form.dataBits - 5, 0);
    int stop = 0;
    for (int i = 0; i < 3; ++i)
        if (kStopBits[i] == form.stopBits)
            stop = i;
    SendDlgItemMessageA(dialog, IDC_COMM_STOP_BITS, CB_SETCURSEL, stop, 0);
    SetDlgItemTextA(dialog, IDC_COMM_TCP_HOST, form.host.c_str());
    SetDlgItemTextA(dialog, IDC_COMM_TCP_PORT, form.tcpPort.c_str());
    enableFields(dialog);
}

PortForm readFields(HWND dialog)
{
    PortForm form;
    form.kind = checkedKind(dialog);
    form.comNumber = itemText(dialog, IDC_COMM_COM_NUMBER);
    form.baud = itemText(dialog, IDC_COMM_BAUD);
    form.parity = kParityCodes[selection(dialog, IDC_COMM_PARITY) % 5];
    form.dataBits = 5 + static_cast<unsigned>(selection(dialog, IDC_COMM_DATA_BITS) % 4);
    form.stopBits = kStopBits[selection(dialog, IDC_COMM_STOP_BITS) % 3];
    form.host = itemText(dialog, IDC_COMM_TCP_HOST);
    form.tcpPort = itemText(dialog, IDC_COMM_TCP_PORT);
    form.grabber = itemText(dialog, IDC_COMM_GRABBER);
    return form;
}

void confirm(HWND dialog, PortConfig& config)
{
    const ConfigResult result = parseForm(readFields(dialog));
    if (!result.config) {
        SetDlgItemTextA(dialog, IDC_COMM_ERROR, result.error.c_str());
        return;
    }
    config = *result.config;
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            fillFields(dialog, toForm(*reinterpret_cast<PortConfig*>(lParam)));
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
            case IDOK:
                confirm(dialog, *reinterpret_cast<PortConfig*>(GetWindowLongPtrA(dialog, DWLP_USER)));
                return TRUE;
            case IDCANCEL:
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            case IDC_COMM_KIND_SERIAL:
            case IDC_COMM_KIND_TCP:
            case IDC_COMM_KIND_EMULATOR:
            case IDC_COMM_KIND_GRABBER:
                if (HIWORD(wParam) == BN_CLICKED)
                    enableFields(dialog);
                return TRUE;
            }
            break;
        }
    } catch (...) {
        EndDialog(dialog, IDCANCEL); // out of memory: nothing is changed
        return TRUE;
    }
    return FALSE;
}

HMODULE thisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&dialogProc), &module);
    return module;
}

} // namespace

bool runConfigDialog(HWND parent, PortConfig& config)
{
    PortConfig edited = config;
    const INT_PTR result = DialogBoxParamA(thisModule(), MAKEINTRESOURCEA(IDD_COMM_CONFIG), parent, dialogProc,
                                           reinterpret_cast<LPARAM>(&edited));
    if (result != IDOK)
        return false;
    config = edited;
    return true;
}

} // namespace kivinst
