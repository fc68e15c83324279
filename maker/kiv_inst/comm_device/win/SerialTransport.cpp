// A Windows serial port (COM1 ... COM255) as the communication device's stream.
#include "SystemError.h"
#include "WinTransports.h"
#include "win32/unique_handle.h"

namespace kivinst {
namespace {

constexpr DWORD kWriteLimitMs = 2000;

BYTE parityCode(char parity)
{
    switch (parity) {
    case 'E': return EVENPARITY;
    case 'O': return ODDPARITY;
    case 'M': return MARKPARITY;
    case 'S': return SPACEPARITY;
    default: return NOPARITY;
    }
}

BYTE stopBitsCode(StopBits bits)
{
    switch (bits) {
    case StopBits::OneHalf: return ONE5STOPBITS;
    case StopBits::Two: return TWOSTOPBITS;
    case StopBits::One: break;
    }
    return ONESTOPBIT;
}

class SerialTransport final : public Transport {
public:
    explicit SerialTransport(const PortConfig& config) : config_(config) {}

    bool open(std::string& error) override
    {
        const std::string path = "\\\\.\\COM" + std::to_string(config_.serial.comNumber);
        win32::UniqueFileHandle port(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!port) {
            error = "Cannot open " + describe() + ": " + systemErrorText(GetLastError());
            return false;
        }
        SetupComm(port.get(), 4096, 4096);
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(port.get(), &dcb)) {
            error = "Cannot read the settings of " + describe() + ": " + systemErrorText(GetLastError());
            return false;
        }
        // Raw bytes, no flow control: the camera's command line has none.
        dcb.BaudRate = config_.serial.baud;
        dcb.ByteSize = static_cast<BYTE>(config_.serial.dataBits);
        dcb.Parity = parityCode(config_.serial.parity);
        dcb.StopBits = stopBitsCode(config_.serial.stopBits);
        dcb.fBinary = TRUE;
        dcb.fParity = config_.serial.parity != 'N';
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fNull = FALSE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fAbortOnError = FALSE;
        if (!SetCommState(port.get(), &dcb)) {
            error = "Cannot apply " + describeSettings(config_) + ": " + systemErrorText(GetLastError());
            return false;
        }
        port_ = std::move(port);
        currentReadLimit_ = kUnset;
        if (!setReadLimit(20)) {
            error = "Cannot set the time limits of " + describe() + ": " + systemErrorText(GetLastError());
            port_.reset();
            return false;
        }
        PurgeComm(port_.get(), PURGE_RXCLEAR | PURGE_TXCLEAR);
        return true;
    }

    void close() override { port_.reset(); }

    IoStatus write(const char* data, size_t size, size_t& written) override
    {
        written = 0;
        if (!port_)
            return IoStatus::Broken;
        if (size == 0)
            return IoStatus::Ok;
        DWORD done = 0;
        const BOOL ok = WriteFile(port_.get(), data, static_cast<DWORD>(size), &done, nullptr);
        written = done;
        if (!ok)
            return IoStatus::Broken;
        return done == size ? IoStatus::Ok : IoStatus::Timeout;
    }

    IoStatus read(char* buffer, size_t size, uint32_t timeoutMs, size_t& got) override
    {
        got = 0;
        if (!port_)
            return IoStatus::Broken;
        if (!setReadLimit(timeoutMs))
            return IoStatus::Broken;
        DWORD done = 0;
        if (!ReadFile(port_.get(), buffer, static_cast<DWORD>(size), &done, nullptr))
            return IoStatus::Broken;
        got = done;
        return IoStatus::Ok;
    }

    bool purge(unsigned long flags) override
    {
        if (!port_)
            return false;
        DWORD what = 0;
        if (flags & 1)
            what |= PURGE_RXCLEAR | PURGE_RXABORT;
        if (flags & 2)
            what |= PURGE_TXCLEAR | PURGE_TXABORT;
        return PurgeComm(port_.get(), what) != FALSE;
    }

    std::string describe() const override { return describePort(config_); }

private:
    // A read returns at once with what is buffered; with nothing buffered it
    // returns with the first bytes that arrive, or empty after timeoutMs.
    bool setReadLimit(DWORD timeoutMs)
    {
        if (timeoutMs == currentReadLimit_)
            return true;
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
        timeouts.ReadTotalTimeoutConstant = timeoutMs == 0 ? 1 : timeoutMs;
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = kWriteLimitMs;
        if (!SetCommTimeouts(port_.get(), &timeouts))
            return false;
        currentReadLimit_ = timeoutMs;
        return true;
    }

    PortConfig config_;
    win32::UniqueFileHandle port_;
    static constexpr DWORD kUnset = MAXDWORD;
    DWORD currentReadLimit_ = kUnset;
};

} // namespace

std::unique_ptr<Transport> makeSerialTransport(const PortConfig& config)
{
    return std::make_unique<SerialTransport>(config);
}

} // namespace kivinst
