// CCmdZelmkAPI: a framework command channel on one of the serial ports of the
// grabber's open camera; every byte travels through the port's registers.
#pragma once

#include "CmdChannel.h"
#include "zelmk_serial/RegisterProtocol.h"
#include "zelmk_dialogs/DialogRules.h"

#include "win32/lean_windows.h"

#include <vector>

class CFramixZelmkAPIClass;

class CCmdZelmkAPI : public CCmdChannel {
public:
    using SerialPortEntry = zelmk::serial::SerialPortEntry;

    // Neither the grabber nor its mutex is owned; the grabber deletes its channels first.
    CCmdZelmkAPI(CFramixZelmkAPIClass* grabber, HANDLE mutex);

    // Overrides, in the base's slot order.
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
    ~CCmdZelmkAPI() override;
    uint32_t GetChannelType() override;

    // The channel's own operations.
    virtual void EnumeratePorts();
    virtual uint32_t PortNameToIndex(const char* name);
    virtual const char* PortIndexToName(uint32_t index);
    virtual int64_t FindPortEntry(const char* name, const std::vector<SerialPortEntry>& list);

    // How long an exchange waits for the grabber's mutex before it fails.
    static constexpr DWORD kLockWaitMs = 10000;

    // The transmit-ready wait's clock (GetTickCount64 and a 1 ms pause unless a test replaces it).
    void SetReadyClock(zelmk::serial::ReadyClock clock);

    // The configuration dialog (zelmk::RunSerialConfigDialog unless a test replaces it):
    // true on OK with the choices in the settings.
    using DialogFunction = bool (*)(HWND parent, const std::vector<SerialPortEntry>& ports,
                                    zelmk::SerialDialogSettings& settings);
    void SetDialogFunction(DialogFunction function);

    int32_t GetPortIndex() const { return m_PortIndex; }
    const zelmk::serial::LineSettings& GetLineSettings() const { return m_Settings; }
    void SetLineSettings(const zelmk::serial::LineSettings& settings) { m_Settings = settings; }
    const std::vector<SerialPortEntry>& GetPortList() const { return m_Ports; }

private:
    class Exchange;
    UG_ERRCODE Transmit(const uint8_t* bytes, uint64_t size, uint64_t* count);

    CFramixZelmkAPIClass* m_pGrabber;
    HANDLE m_hMutex;
    int32_t m_PortIndex = -1;
    zelmk::serial::LineSettings m_Settings;
    std::vector<SerialPortEntry> m_Ports;
    uint64_t m_PreviousTransmit = 0; // bytes of the last transmit, for the ready wait's limit
    zelmk::serial::ReadyClock m_ReadyClock;
    DialogFunction m_Dialog;
};
