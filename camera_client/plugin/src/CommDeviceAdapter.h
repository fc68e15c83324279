// The framework's communication device and the system clock as the camera
// session sees them.
#pragma once

#include "HapDeviceComm.h"
#include "kl7700/SessionPorts.h"

#include "win32/lean_windows.h"

namespace kl7700plugin {

// Forwards the session's calls to the communication device handed over by Connect.
class HapCommDeviceAdapter final : public kl7700::CommDevice {
public:
    void Attach(CHapDeviceComm_0* device) { device_ = device; }
    CHapDeviceComm_0* Device() const { return device_; }

    int Lock(const void* owner, unsigned long timeoutMs) override { return device_->Lock(owner, timeoutMs); }
    void Unlock(const void* owner) override { device_->Unlock(owner); }
    int GetState() override { return device_->GetState(); }
    int WriteChar(const char* c, unsigned long* count) override { return device_->WriteChar(c, count); }
    int ReadData(void* buffer, unsigned long size, unsigned long* count) override
    {
        return device_->ReadData(buffer, size, count);
    }
    int WriteText(const char* text, unsigned long* count) override { return device_->WriteText(text, count); }
    int Purge(unsigned long flags) override { return device_->Purge(flags); }

private:
    CHapDeviceComm_0* device_ = nullptr;
};

// The protocol's waits really wait: the camera needs the time to answer.
class SystemClock final : public kl7700::Clock {
public:
    void Sleep(unsigned long milliseconds) override { ::Sleep(milliseconds); }
};

} // namespace kl7700plugin
