// CCmdZelmkAPI: the channel's settings in the store, the port's register
// exchanges under the grabber's mutex, and the configuration dialog.
#include "CmdZelmkAPI.h"

#include "FramixZelmkAPIClass.h"
#include "zelmk_dialogs/SerialConfigDialog.h"

#include "app_framework/module_state.h"
#include "config_store/IniFile.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

namespace serial = zelmk::serial;

namespace {

void CopyText(char* target, size_t size, const std::string& text) { std::snprintf(target, size, "%s", text.c_str()); }

std::string ReadText(CIniFile_0* store, const char* section, const char* key, const char* def)
{
    char buffer[1025];
    const size_t length = store->GetString(section, key, def, buffer, sizeof buffer, nullptr);
    return length < sizeof buffer ? std::string(buffer) : std::string(def);
}

} // namespace

// One exchange with the camera: the grabber's mutex held (the same thread may
// take it again) and, while the grabber has its camera open, the register bus.
class CCmdZelmkAPI::Exchange {
public:
    explicit Exchange(const CCmdZelmkAPI& channel) : m_mutex(channel.m_hMutex)
    {
        // The grabber's preparation of frame buffers holds the same mutex for a
        // short while; a wait that long means something is stuck.
        const DWORD result = m_mutex ? ::WaitForSingleObject(m_mutex, kLockWaitMs) : WAIT_FAILED;
        m_locked = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
        if (!m_locked || !channel.m_pGrabber) return;
        const zelmk::CmkAPIAccess* api = channel.m_pGrabber->GetMkApi();
        const MkHandle handle = channel.m_pGrabber->GetCameraHandle();
        if (api && api->IsValid() && handle) m_bus.emplace(api->Functions(), handle);
    }
    ~Exchange()
    {
        if (m_locked) ::ReleaseMutex(m_mutex);
    }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    bool Locked() const { return m_locked; }
    // Null without the lock or without an open camera.
    serial::RegisterBus* Bus() { return m_bus ? &*m_bus : nullptr; }

private:
    HANDLE m_mutex;
    bool m_locked = false;
    std::optional<serial::MkRegisterBus> m_bus;
};

CCmdZelmkAPI::CCmdZelmkAPI(CFramixZelmkAPIClass* grabber, HANDLE mutex)
    : m_pGrabber(grabber), m_hMutex(mutex), m_Dialog(&zelmk::RunSerialConfigDialog)
{
    CopyText(m_TypeKey, sizeof m_TypeKey, "MKAPISERIALPORT");
    SetReadyClock({});
}

CCmdZelmkAPI::~CCmdZelmkAPI()
{
    try {
        CCmdZelmkAPI::Close();
    } catch (...) {
    }
}

void CCmdZelmkAPI::SetReadyClock(serial::ReadyClock clock)
{
    if (!clock.nowMs) clock.nowMs = [] { return static_cast<uint64_t>(::GetTickCount64()); };
    if (!clock.pause) clock.pause = [] { ::Sleep(1); };
    m_ReadyClock = std::move(clock);
}

void CCmdZelmkAPI::SetDialogFunction(DialogFunction function)
{
    m_Dialog = function ? function : &zelmk::RunSerialConfigDialog;
}

uint32_t CCmdZelmkAPI::GetChannelType() { return UG_CMDTYPE_PLUGIN; }

const char* CCmdZelmkAPI::GetTypeName()
{
    CopyText(m_TypeName, sizeof m_TypeName, "mkAPI Serial Port");
    return m_TypeName;
}

const char* CCmdZelmkAPI::GetConfigString()
{
    CopyText(m_ConfigString, sizeof m_ConfigString, serial::ConfigText(m_Settings));
    return m_ConfigString;
}

// ---------------------------------------------------------------- the store

UG_ERRCODE CCmdZelmkAPI::GetConfig()
{
    const UG_ERRCODE base = CCmdChannel::GetConfig();
    if (base != UG_OK) return base;
    try {
        const char* s = m_CmdSection;
        SetCmdName(ReadText(m_pIniFile, s, "PORTNAME", "").c_str());
        m_Settings.baud = serial::BaudIndexFromText(ReadText(m_pIniFile, s, "BAUD", serial::BaudText(m_Settings.baud)));
        m_Settings.parity = serial::ParityFromText(ReadText(m_pIniFile, s, "PARITY", serial::ParityText(m_Settings.parity)));
        m_Settings.byteSize =
            serial::ByteSizeFromText(ReadText(m_pIniFile, s, "BYTESIZE", serial::ByteSizeText(m_Settings.byteSize)));
        m_Settings.stopBits =
            serial::StopBitsFromText(ReadText(m_pIniFile, s, "STOPBITS", serial::StopBitsText(m_Settings.stopBits)));
        return UG_OK;
    } catch (...) {
        return UG_ERR_EXCEPTION;
    }
}

UG_ERRCODE CCmdZelmkAPI::SetConfig()
{
    const UG_ERRCODE base = CCmdChannel::SetConfig();
    if (base != UG_OK) return base;
    try {
        const char* s = m_CmdSection;
        if (m_pIniFile->WriteString(s, "PORTNAME", m_CmdName) != 0 ||
            m_pIniFile->WriteString(s, "BAUD", serial::BaudText(m_Settings.baud)) != 0 ||
            m_pIniFile->WriteString(s, "PARITY", serial::ParityText(m_Settings.parity)) != 0 ||
            m_pIniFile->WriteString(s, "BYTESIZE", serial::ByteSizeText(m_Settings.byteSize)) != 0 ||
            m_pIniFile->WriteString(s, "STOPBITS", serial::StopBitsText(m_Settings.stopBits)) != 0)
            return UG_ERR_CMD_CONFIG_NOT_SAVED;
        return UG_OK;
    } catch (...) {
        return UG_ERR_EXCEPTION;
    }
}

// ---------------------------------------------------------------- the port

UG_ERRCODE CCmdZelmkAPI::Open()
{
    if (!m_pGrabber) return UG_ERR_CMD_OPEN_FAILED;
    try {
        Exchange exchange(*this);
        if (!exchange.Bus()) return UG_ERR_CMD_OPEN_FAILED;
        if (m_PortIndex != -1) return UG_ERR_CMD_ALREADY_OPEN;
        const uint32_t index = PortNameToIndex(m_CmdName);
        if (index >= serial::kPortCount) return UG_ERR_CMD_OPEN_FAILED;
        // A port the camera refused stays closed, so a later Open may try again.
        if (!serial::OpenPort(*exchange.Bus(), serial::kPorts[index].base, serial::ModeValue(m_Settings)))
            return UG_ERR_CMD_OPEN_FAILED;
        m_PortIndex = static_cast<int32_t>(index);
        m_PreviousTransmit = 0;
        m_bOpen = 1;
        return UG_OK;
    } catch (...) {
        return UG_ERR_EXCEPTION;
    }
}

UG_ERRCODE CCmdZelmkAPI::Close()
{
    if (m_pGrabber) {
        Exchange exchange(*this);
        if (exchange.Bus() && m_PortIndex >= 0 && m_PortIndex < static_cast<int32_t>(serial::kPortCount))
            serial::ClosePort(*exchange.Bus(), serial::kPorts[m_PortIndex].base);
    }
    m_bOpen = 0;
    m_PortIndex = -1;
    return UG_OK;
}

UG_ERRCODE CCmdZelmkAPI::Purge(uint32_t flags)
{
    if (!m_pGrabber) return UG_ERR_CMD_WRITE_FAILED;
    Exchange exchange(*this);
    if (!exchange.Bus()) return UG_ERR_CMD_WRITE_FAILED;
    if (m_PortIndex < 0 || m_PortIndex >= static_cast<int32_t>(serial::kPortCount)) return UG_ERR_CMD_PURGE_FAILED;
    return serial::PurgePort(*exchange.Bus(), serial::kPorts[m_PortIndex].base, flags) ? UG_OK : UG_ERR_CMD_PURGE_FAILED;
}

UG_ERRCODE CCmdZelmkAPI::ReadByte(uint8_t* byte, uint32_t* count)
{
    if (count) *count = 0;
    if (!m_pGrabber) return UG_ERR_CMD_READ_FAILED;
    try {
        Exchange exchange(*this);
        if (!exchange.Bus() || m_PortIndex < 0 || m_PortIndex >= static_cast<int32_t>(serial::kPortCount))
            return UG_ERR_CMD_READ_FAILED;
        uint8_t one = 0;
        if (serial::Receive(*exchange.Bus(), serial::kPorts[m_PortIndex].base, {&one, 1}) != 1)
            return UG_ERR_CMD_READ_FAILED;
        if (byte) *byte = one;
        if (count) *count = 1;
        return UG_OK;
    } catch (...) {
        return UG_ERR_EXCEPTION;
    }
}

UG_ERRCODE CCmdZelmkAPI::ReadBuffer(void* buffer, uint64_t size, uint64_t* count)
{
    if (count) *count = 0;
    if (!m_pGrabber) return UG_ERR_CMD_READ_FAILED;
    try {
        Exchange exchange(*this);
        if (!exchange.Bus()) return UG_ERR_CMD_READ_FAILED;
        if (!buffer && size > 0) return UG_ERR_PARAMETER;
        if (m_PortIndex < 0 || m_PortIndex >= static_cast<int32_t>(serial::kPortCount)) return UG_OK;
        const uint32_t base = serial::kPorts[m_PortIndex].base;
        const uint64_t waiting = serial::ReceiveLength(*exchange.Bus(), base).value_or(0);
        const uint64_t n = std::min(size, waiting);
        if (n == 0) return UG_OK;
        const uint32_t taken =
            serial::Receive(*exchange.Bus(), base, {static_cast<uint8_t*>(buffer), static_cast<size_t>(n)});
        if (taken == 0) return UG_ERR_CMD_READ_FAILED;
        if (count) *count = taken;
        return UG_OK;
    } catch (...) {
        return UG_ERR_EXCEPTION;
    }
}

UG_ERRCODE CCmdZelmkAPI::WriteByte(uint8_t byte, uint32_t* count)
{
    if (count) *count = 0;
    uint64_t sent = 0;
    const UG_ERRCODE code = Transmit(&byte, 1, &sent);
    if (count) *count = static_cast<uint32_t>(sent);
    return code;
}

UG_ERRCODE CCmdZelmkAPI::WriteBuffer(const void* buffer, uint64_t size, uint64_t* count)
{
    if (count) *count = 0;
    if (!m_pGrabber || !m_pGrabber->GetCameraHandle()) return UG_ERR_CMD_WRITE_FAILED;
    if (m_InterCharDelay != 0) return WriteBufferWithDelay(buffer, size, count);
    if (size == 0) return UG_OK;
    if (!buffer) return UG_ERR_PARAMETER;
    return Transmit(static_cast<const uint8_t*>(buffer), size, count);
}

UG_ERRCODE CCmdZelmkAPI::Transmit(const uint8_t* bytes, uint64_t size, uint64_t* count)
{
    if (!m_pGrabber) return UG_ERR_CMD_WRITE_FAILED;
    try {
        Exchange exchange(*this);
        if (!exchange.Bus() || m_PortIndex < 0 || m_PortIndex >= static_cast<int32_t>(serial::kPortCount))
            return UG_ERR_CMD_WRITE_FAILED;
        // Pieces of one transmit buffer: a larger transmit would run past it into the receive block.
        const serial::TransmitOutcome outcome =
            serial::TransmitAll(*exchange.Bus(), serial::kPorts[m_PortIndex].base, {bytes, static_cast<size_t>(size)},
                                m_Settings, m_ReadyClock, m_PreviousTransmit);
        if (count) *count = outcome.sent;
        return outcome.ok ? UG_OK : UG_ERR_CMD_WRITE_FAILED;
    } catch (...) {
        return UG_ERR_EXCEPTION;
    }
}

// ---------------------------------------------------------------- ports and names

void CCmdZelmkAPI::EnumeratePorts()
{
    m_Ports.clear();
    if (!m_pGrabber) return;
    Exchange exchange(*this);
    if (exchange.Bus()) m_Ports = serial::EnumeratePorts(*exchange.Bus());
}

uint32_t CCmdZelmkAPI::PortNameToIndex(const char* name) { return serial::PortNameToIndex(name ? name : ""); }

const char* CCmdZelmkAPI::PortIndexToName(uint32_t index)
{
    return index < serial::kPortCount ? serial::kPorts[index].name : "";
}

int64_t CCmdZelmkAPI::FindPortEntry(const char* name, const std::vector<SerialPortEntry>& list)
{
    return serial::FindPortEntry(name ? name : "", list);
}

// ---------------------------------------------------------------- the dialog

UG_ERRCODE CCmdZelmkAPI::ConfigDialog(HWND parent, int32_t* exitCode)
{
    if (exitCode) *exitCode = 0;
    try {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        std::vector<SerialPortEntry> ports;
        zelmk::SerialDialogSettings settings;
        {
            Exchange exchange(*this);
            if (!exchange.Locked()) return UG_ERR_DIALOG;
            EnumeratePorts(); // takes the mutex again on this thread
            ports = m_Ports;
            settings.position = FindPortEntry(m_CmdName, m_Ports);
            settings.baud = m_Settings.baud;
            settings.parity = m_Settings.parity;
            settings.byteSize = m_Settings.byteSize;
            settings.stopBits = m_Settings.stopBits;
            settings.delayMs = m_InterCharDelay;
        }
        // Shown without the mutex: frames and the other channels go on meanwhile.
        if (!m_Dialog(parent, ports, settings)) return UG_OK;
        Exchange exchange(*this);
        if (!exchange.Locked()) return UG_ERR_DIALOG;
        if (settings.position >= 0 && settings.position < static_cast<int64_t>(ports.size()))
            SetCmdName(ports[static_cast<size_t>(settings.position)].name.c_str());
        m_Settings = {settings.baud, settings.parity, settings.byteSize, settings.stopBits};
        m_InterCharDelay = settings.delayMs;
        if (exitCode) *exitCode = 1;
        return UG_OK;
    } catch (...) {
        return UG_ERR_EXCEPTION;
    }
}
