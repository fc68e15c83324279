// CCmdSerial over the Windows comm API.
#include "SerialChannel.h"

#include "FramixDialogs.h"

#include "app_framework/module_state.h"
#include "config_store/IniFile.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* ParityText(char p)
{
    return p == 'O' ? "Odd" : p == 'E' ? "Even"
                                       : "No";
}

const char* StopBitsText(uint32_t s)
{
    return s == 1 ? "1.5" : s == 2 ? "2"
                                   : "1";
}

std::string ReadText(CIniFile_0* store, const char* section, const char* key, const std::string& def)
{
    char buffer[256];
    const size_t length = store->GetString(section, key, def.c_str(), buffer, sizeof buffer, nullptr);
    return length < sizeof buffer ? std::string(buffer) : def;
}

bool EqualsNoCase(const std::string& a, const char* b)
{
    return _stricmp(a.c_str(), b) == 0;
}

} // namespace

CCmdSerial::CCmdSerial()
{
    std::snprintf(m_TypeKey, sizeof m_TypeKey, "%s", "SERIALPORT");
    SetCmdName("COM1");
}

CCmdSerial::~CCmdSerial()
{
    CCmdSerial::Close();
}

const char* CCmdSerial::GetTypeName()
{
    std::snprintf(m_TypeName, sizeof m_TypeName, "%s", "Serial Port");
    return m_TypeName;
}

const char* CCmdSerial::GetConfigString()
{
    std::snprintf(m_ConfigString, sizeof m_ConfigString, "%s: %u Baud, Parity = %s, Bytesize = %u, Stopbits = %s", m_CmdName,
                  m_Baud, ParityText(m_Parity), m_ByteSize, StopBitsText(m_StopBits));
    return m_ConfigString;
}

UG_ERRCODE CCmdSerial::SetConfig()
{
    const UG_ERRCODE base = CCmdChannel::SetConfig();
    if (base != UG_OK)
        return base;
    try {
        const char* s = m_CmdSection;
        if (m_pIniFile->WriteString(s, "PORTNAME", m_CmdName) != 0 || m_pIniFile->WriteUInt(s, "BAUD", m_Baud) != 0 ||
            m_pIniFile->WriteString(s, "PARITY", ParityText(m_Parity)) != 0 ||
            m_pIniFile->WriteUInt(s, "BYTESIZE", m_ByteSize) != 0 ||
            m_pIniFile->WriteString(s, "STOPBITS", StopBitsText(m_StopBits)) != 0)
            return UG_ERR_CMD_CONFIG_NOT_SAVED;
        return UG_OK;
    } catch (...) {
        return UG_ERR_EXCEPTION;
    }
}

UG_ERRCODE CCmdSerial::GetConfig()
{
    const UG_ERRCODE base = CCmdChannel::GetConfig();
    if (base != UG_OK)
        return base;
    try {
        const char* s = m_CmdSection;
        const std::string port = ReadText(m_pIniFile, s, "PORTNAME", m_CmdName);
        if (!port.empty())
            SetCmdName(port.c_str());
        const uint32_t baud = m_pIniFile->GetUInt(s, "BAUD", m_Baud, nullptr);
        if (baud >= 50 && baud <= 4000000)
            m_Baud = baud;
        const std::string parity = ReadText(m_pIniFile, s, "PARITY", ParityText(m_Parity));
        m_Parity = EqualsNoCase(parity, "Odd") ? 'O' : EqualsNoCase(parity, "Even") ? 'E'
                                                                                    : 'N';
        const uint32_t bytes = m_pIniFile->GetUInt(s, "BYTESIZE", m_ByteSize, nullptr);
        m_ByteSize = bytes >= 5 && bytes <= 8 ? bytes : 8;
        const std::string stop = ReadText(m_pIniFile, s, "STOPBITS", StopBitsText(m_StopBits));
        m_StopBits = stop == "1.5" ? 1 : stop == "2" ? 2
                                                     : 0;
        return UG_OK;
    } catch (...) {
        return UG_ERR_EXCEPTION;
    }
}

UG_ERRCODE CCmdSerial::ConfigDialog(HWND parent, int32_t* exitCode)
{
    if (exitCode)
        *exitCode = 0;
    try {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        SerialSettings settings{m_CmdName, m_Baud, m_Parity, m_ByteSize, m_StopBits, m_InterCharDelay};
        CSerialConfigDialog dialog(settings, CWnd::FromHandle(parent));
        const INT_PTR result = dialog.DoModal();
        if (result == -1)
            return UG_ERR_DIALOG;
        if (result != IDOK)
            return UG_OK;
        // The settings take effect at the next Open.
        SetCmdName(dialog.m_settings.port.c_str());
        m_Baud = dialog.m_settings.baud;
        m_Parity = dialog.m_settings.parity;
        m_ByteSize = dialog.m_settings.byteSize;
        m_StopBits = dialog.m_settings.stopBits;
        m_InterCharDelay = dialog.m_settings.delay;
        if (exitCode)
            *exitCode = 1;
        return UG_OK;
    } catch (...) {
        return UG_ERR_EXCEPTION;
    }
}

UG_ERRCODE CCmdSerial::Open()
{
    if (m_port)
        return UG_ERR_CMD_ALREADY_OPEN;
    try {
        const std::string path = std::string("\\\\.\\") + m_CmdName;
        win32::UniqueFileHandle port(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!port)
            return UG_ERR_CMD_OPEN_FAILED;
        SetupComm(port.get(), 4096, 4096);
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(port.get(), &dcb))
            return UG_ERR_CMD_OPEN_FAILED;
        // Raw bytes without flow control.
        dcb.BaudRate = m_Baud;
        dcb.ByteSize = static_cast<BYTE>(m_ByteSize);
        dcb.Parity = m_Parity == 'O' ? ODDPARITY : m_Parity == 'E' ? EVENPARITY
                                                                   : NOPARITY;
        dcb.StopBits = m_StopBits == 1 ? ONE5STOPBITS : m_StopBits == 2 ? TWOSTOPBITS
                                                                        : ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = m_Parity != 'N';
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fNull = FALSE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fAbortOnError = FALSE;
        if (!SetCommState(port.get(), &dcb))
            return UG_ERR_CMD_OPEN_FAILED;
        // Reads return at once with what has arrived; writes are bounded.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.WriteTotalTimeoutMultiplier = 10;
        timeouts.WriteTotalTimeoutConstant = 1000;
        if (!SetCommTimeouts(port.get(), &timeouts))
            return UG_ERR_CMD_OPEN_FAILED;
        PurgeComm(port.get(), PURGE_RXCLEAR | PURGE_TXCLEAR);
        m_port = std::move(port);
        m_bOpen = 1;
        return UG_OK;
    } catch (...) {
        return UG_ERR_EXCEPTION;
    }
}

UG_ERRCODE CCmdSerial::ReadByte(uint8_t* byte, uint32_t* count)
{
    if (count)
        *count = 0;
    if (!byte)
        return UG_ERR_PARAMETER;
    if (!m_port)
        return UG_ERR_CMD_READ_FAILED;
    DWORD got = 0;
    if (!ReadFile(m_port.get(), byte, 1, &got, nullptr) || got != 1)
        return UG_ERR_CMD_READ_FAILED;
    if (count)
        *count = 1;
    return UG_OK;
}

UG_ERRCODE CCmdSerial::WriteByte(uint8_t byte, uint32_t* count)
{
    uint64_t written = 0;
    const UG_ERRCODE result = WriteRaw(&byte, 1, &written);
    if (count)
        *count = static_cast<uint32_t>(written);
    return result;
}

UG_ERRCODE CCmdSerial::ReadBuffer(void* buffer, uint64_t size, uint64_t* count)
{
    if (count)
        *count = 0;
    if (!buffer && size > 0)
        return UG_ERR_PARAMETER;
    if (!m_port)
        return UG_ERR_CMD_READ_FAILED;
    uint64_t total = 0;
    char* p = static_cast<char*>(buffer);
    while (total < size) {
        const DWORD chunk = size - total > 0x10000u ? 0x10000u : static_cast<DWORD>(size - total);
        DWORD got = 0;
        if (!ReadFile(m_port.get(), p + total, chunk, &got, nullptr)) {
            if (count)
                *count = total;
            return UG_ERR_CMD_READ_FAILED;
        }
        total += got;
        if (got < chunk)
            break; // nothing more has arrived
    }
    if (count)
        *count = total;
    return UG_OK;
}

UG_ERRCODE CCmdSerial::WriteBuffer(const void* buffer, uint64_t size, uint64_t* count)
{
    if (m_InterCharDelay > 0)
        return WriteBufferWithDelay(buffer, size, count);
    return WriteRaw(buffer, size, count);
}

UG_ERRCODE CCmdSerial::WriteRaw(const void* buffer, uint64_t size, uint64_t* count)
{
    if (count)
        *count = 0;
    if (!buffer && size > 0)
        return UG_ERR_PARAMETER;
    if (!m_port)
        return UG_ERR_CMD_WRITE_FAILED;
    uint64_t total = 0;
    const char* p = static_cast<const char*>(buffer);
    while (total < size) {
        const DWORD chunk = size - total > 0x10000u ? 0x10000u : static_cast<DWORD>(size - total);
        DWORD written = 0;
        const BOOL ok = WriteFile(m_port.get(), p + total, chunk, &written, nullptr);
        total += written;
        if (!ok || written < chunk) {
            if (count)
                *count = total;
            return UG_ERR_CMD_WRITE_FAILED;
        }
    }
    if (count)
        *count = total;
    return UG_OK;
}

UG_ERRCODE CCmdSerial::Purge(uint32_t flags)
{
    if (!m_port)
        return UG_ERR_CMD_PURGE_FAILED;
    DWORD what = 0;
    if (flags & UG_PURGE_RX)
        what |= PURGE_RXCLEAR | PURGE_RXABORT;
    if (flags & UG_PURGE_TX)
        what |= PURGE_TXCLEAR | PURGE_TXABORT;
    if (what && !PurgeComm(m_port.get(), what))
        return UG_ERR_CMD_PURGE_FAILED;
    return UG_OK;
}

UG_ERRCODE CCmdSerial::Close()
{
    m_port.reset();
    m_bOpen = 0;
    return UG_OK;
}

uint32_t CCmdSerial::GetChannelType()
{
    return UG_CMDTYPE_SERIAL;
}

extern "C" FRAMIX_API CCmdChannel* CreateCmdSerialInstance()
{
    try {
        return new CCmdSerial;
    } catch (...) {
        return nullptr;
    }
}

extern "C" FRAMIX_API void DeleteCmdSerialInstance(CCmdChannel* channel)
{
    if (channel && channel->GetChannelType() == UG_CMDTYPE_SERIAL)
        delete channel;
}
