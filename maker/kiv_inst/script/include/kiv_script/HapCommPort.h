// The communication device as a script port, and the script processor's Call
// behind the device-client object of KIVInst.dll.
#pragma once

#include "kiv_script/Interpreter.h"

#include "HapDeviceComm.h"

#include <string>
#include <vector>

namespace kivscript {

// Lock time-out when the script processor takes the communication device.
constexpr unsigned long kDeviceLockTimeoutMs = 500;

// Adapts CHapDeviceComm_0 to Port: Lock(owner, 500) and Unlock(owner) around a
// run, WriteData for sends, ReadData until nothing more has arrived.
class HapCommPort final : public Port {
public:
    HapCommPort(CHapDeviceComm_0& device, const void* owner) : m_device(device), m_owner(owner) {}
    bool Lock() override;
    void Unlock() override;
    bool Write(std::string_view bytes) override;
    bool Read(std::string& received) override;

private:
    CHapDeviceComm_0& m_device;
    const void* m_owner;
};

// What the script processor device client (object id 4098) does: it forwards
// Connect and Call here. Call never throws; every failure returns a nonzero
// code whose text kivinst::ErrorText gives (GetInfoText(2, code) of the device).
class ScriptProcessorCore {
public:
    void Connect(CHapDeviceComm_0* device) { m_device = device; }

    // KIV_SCRIPT_RUN_TEXT: a1 = script text; KIV_SCRIPT_RUN_FILE: a1 = script
    // file path; a2 = TKIV_PRINTCALLBACK or 0; a3 and a4 unused.
    long Call(unsigned long command, unsigned long long a1, unsigned long long a2, unsigned long long a3,
              unsigned long long a4) noexcept;

    // Every script and job file the last Call read, in order, as resolved.
    const std::vector<std::string>& FilesRead() const { return m_filesRead; }

    // Test seams: the clock and file source of later calls.
    void SetClock(Clock& clock) { m_clock = &clock; }
    void SetFiles(FileSource& files, PathStyle style)
    {
        m_files = &files;
        m_style = style;
    }

private:
    CHapDeviceComm_0* m_device = nullptr;
    Clock* m_clock = &SystemClock();
    FileSource* m_files = &DiskFiles();
    PathStyle m_style = NativePathStyle();
    std::vector<std::string> m_filesRead;
};

} // namespace kivscript
