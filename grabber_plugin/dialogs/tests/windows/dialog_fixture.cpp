// The camera dialogs' test fixture: the library on its test network, and the modal driver.
#include "dialog_fixture.h"

#include "Win32BindingPlatform.h"
#include "win32/module.h"

#include <filesystem>
#include <fstream>

namespace dialogs_test {

namespace {

const char kNetwork[] = "[Network]\nHostAddress=192.168.10.1\nHostMask=255.255.255.0\nReconfigureMs=100\n"
                        "[Camera Alpha]\nUniqueId=601\nSerialNumber=A-0601\nAddress=192.168.10.31\nMask=255.255.255.0\n"
                        "Gateway=192.168.10.1\n"
                        "[Camera Beta]\nUniqueId=602\nSerialNumber=B-0602\nAddress=192.168.10.32\nMask=255.255.255.0\n"
                        "Gateway=192.168.10.1\nIpModes=dhcp\nIpMode=dhcp\n"
                        "[Camera Far]\nUniqueId=603\nSerialNumber=F-0603\nAddress=10.0.0.50\nMask=255.255.255.0\n"
                        "Gateway=10.0.0.1\n"
                        "[Camera Away]\nUniqueId=604\nSerialNumber=W-0604\nAddress=10.0.0.60\nMask=255.255.255.0\n"
                        "Gateway=10.0.0.1\n";

struct DriverState {
    std::vector<ModalDriver::Step> steps;
    std::string caption;
    size_t next = 0;
    int ticks = 0;
};
DriverState g_driver;

} // namespace

const zelmk::CmkAPIAccess& Api()
{
    static zelmk::Win32BindingPlatform platform;
    static const zelmk::CmkAPIAccess* access = [] {
        namespace fs = std::filesystem;
        const fs::path file = fs::temp_directory_path() / ("zelmk_dialogs_" + std::to_string(::GetCurrentProcessId()) + ".ini");
        std::ofstream(file) << kNetwork;
        // The library reads it through the C runtime, which keeps its own copy.
        _putenv(("MKAPI_NETWORK=" + file.string()).c_str());
        return new zelmk::CmkAPIAccess(platform);
    }();
    return *access;
}

const zelmk::MkApiFunctions& Functions() { return Api().Functions(); }

std::string Sim(const std::string& command)
{
    const auto control = win32::BindExport<MkSimControlFn>(static_cast<HMODULE>(Api().Module()), "MkSimControl");
    if (!control) return "no MkSimControl";
    char reply[4096] = {};
    const uint32_t code = control(command.c_str(), reply, sizeof reply);
    return code == 0 ? std::string(reply) : "error " + std::to_string(code) + ": " + reply;
}

ModalDriver::ModalDriver(const char* caption, std::vector<Step> steps)
{
    g_driver = {std::move(steps), caption, 0, 0};
    m_timer = ::SetTimer(nullptr, 0, 20, &ModalDriver::OnTimer);
}

ModalDriver::~ModalDriver()
{
    ::KillTimer(nullptr, m_timer);
    g_driver = {};
}

bool ModalDriver::AllStepsRan() const { return g_driver.next == g_driver.steps.size(); }

void CALLBACK ModalDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = ::FindWindowA(nullptr, g_driver.caption.c_str());
    if (!dialog || !::IsWindowVisible(dialog)) return;
    if (++g_driver.ticks > 150 || g_driver.next >= g_driver.steps.size()) {
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    // The step may run a nested loop (a message box): it is counted before it runs.
    const size_t step = g_driver.next++;
    g_driver.steps[step](dialog);
}

void Press(HWND dialog, int id)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void NotifyCommand(HWND dialog, int id, UINT code)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

bool IsChecked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool IsEnabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

std::string AddressText(HWND dialog, int id)
{
    DWORD address = 0;
    ::SendDlgItemMessageA(dialog, id, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    return std::to_string(FIRST_IPADDRESS(address)) + "." + std::to_string(SECOND_IPADDRESS(address)) + "." +
        std::to_string(THIRD_IPADDRESS(address)) + "." + std::to_string(FOURTH_IPADDRESS(address));
}

void SetAddress(HWND dialog, int id, BYTE a, BYTE b, BYTE c, BYTE d)
{
    ::SendDlgItemMessageA(dialog, id, IPM_SETADDRESS, 0, static_cast<LPARAM>(MAKEIPADDRESS(a, b, c, d)));
}

} // namespace dialogs_test
