// A communication device over the in-process camera emulator in virtual time,
// with the clock the dialog under test waits on.
#pragma once

#include "kiv_testing/HapDeviceCommStub.h"
#include "kl7700/SessionPorts.h"
#include "kl7700emu/Camera.h"

#include <algorithm>
#include <cstring>
#include <string>

// Every wait of the dialog advances the virtual time at once.
class VirtualClock final : public kl7700::Clock {
public:
    void Sleep(unsigned long milliseconds) override { nowMs += milliseconds; }
    uint64_t nowMs = 0;
};

class EmulatedCommDevice final : public HapDeviceCommStub {
public:
    EmulatedCommDevice(VirtualClock& clock, kl7700emu::CameraConfig config = {}) : camera(config), clock_(clock) {}

    kl7700emu::Camera camera;
    int configDialogs = 0;
    int opens = 0, closes = 0;
    bool open = true;

    // Everything the host sent, in one text.
    std::string SentText() const
    {
        std::string text;
        for (const auto& entry : camera.transcript()) {
            if (entry.fromHost) text += entry.bytes;
        }
        return text;
    }

    int ShowConfigDialog(HWND) override
    {
        ++configDialogs;
        return 0;
    }
    int Lock(const void* owner, unsigned long) override
    {
        if (owner == nullptr || (owner_ != nullptr && owner_ != owner)) return 1;
        owner_ = owner;
        ++depth_;
        return 0;
    }
    const void* GetLockOwner() override { return owner_; }
    void Unlock(const void* owner) override
    {
        if (owner == owner_ && depth_ > 0 && --depth_ == 0) owner_ = nullptr;
    }
    int Open() override
    {
        ++opens;
        open = true;
        return 0;
    }
    int GetState() override { return open ? HAPCOMM_STATE_OPEN : HAPCOMM_STATE_CLOSED; }
    int Close() override
    {
        ++closes;
        open = false;
        return 0;
    }
    int ReadChar(char* c, unsigned long* count) override { return ReadData(c, 1, count); }
    int WriteChar(const char* c, unsigned long* count) override { return WriteData(c, 1, count); }
    int ReadData(void* buffer, unsigned long size, unsigned long* count) override
    {
        unread_ += camera.takeOutput(clock_.nowMs);
        const size_t n = std::min<size_t>(size, unread_.size());
        std::memcpy(buffer, unread_.data(), n);
        unread_.erase(0, n);
        *count = static_cast<unsigned long>(n);
        return 0;
    }
    int WriteData(const void* data, unsigned long size, unsigned long* count) override
    {
        camera.receive(std::string_view(static_cast<const char*>(data), size), clock_.nowMs);
        *count = size;
        return 0;
    }
    int WriteText(const char* text, unsigned long* count) override
    {
        return WriteData(text, static_cast<unsigned long>(std::strlen(text)), count);
    }
    int Purge(unsigned long flags) override
    {
        if ((flags & HAPCOMM_PURGE_RX) != 0) {
            camera.takeOutput(clock_.nowMs);
            unread_.clear();
        }
        return 0;
    }

private:
    VirtualClock& clock_;
    std::string unread_;
    const void* owner_ = nullptr;
    unsigned depth_ = 0;
};
