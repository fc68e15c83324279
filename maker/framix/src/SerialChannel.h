// CCmdSerial: the framework's own command channel on a Windows serial port.
#pragma once

#include "CmdChannel.h"

#include "win32/unique_handle.h"

// The channel's name is the port ("COM3"); its settings live in its section
// as "PORTNAME", "BAUD", "PARITY", "BYTESIZE", "STOPBITS" beside the
// framework's keys. Reads never wait: they take what has arrived. Writes are
// bounded (1 s plus 10 ms per byte).
class CCmdSerial : public CCmdChannel {
public:
    CCmdSerial();
    ~CCmdSerial() override;

    const char* GetTypeName() override;
    const char* GetConfigString() override;
    UG_ERRCODE SetConfig() override;
    UG_ERRCODE GetConfig() override;
    UG_ERRCODE ConfigDialog(HWND parent, int32_t* exitCode) override;
    UG_ERRCODE Open() override;
    UG_ERRCODE ReadByte(uint8_t* byte, uint32_t* count) override;
    UG_ERRCODE WriteByte(uint8_t byte, uint32_t* count) override;
    UG_ERRCODE ReadBuffer(void* buffer, uint64_t size, uint64_t* count) override;
    UG_ERRCODE WriteBuffer(const void* buffer, uint64_t size, uint64_t* count) override;
    UG_ERRCODE Purge(uint32_t flags) override;
    UG_ERRCODE Close() override;
    uint32_t GetChannelType() override;

    uint32_t m_Baud = 115200;
    char m_Parity = 'N';     // 'N', 'O', 'E'
    uint32_t m_ByteSize = 8; // 5..8
    uint32_t m_StopBits = 0; // 0: 1, 1: 1.5, 2: 2

private:
    UG_ERRCODE WriteRaw(const void* buffer, uint64_t size, uint64_t* count);

    win32::UniqueFileHandle m_port;
};
