// The emulated camera at the end of a serial line in virtual time, and the
// communication device over it, for every device interface of the suite.
#pragma once

#include "kl7700emu/Camera.h"
#include "kl7700emu_testing/VirtualClock.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace kl7700emu::testing {

// What the host writes reaches the camera at the clock's time; a read takes
// what the camera has sent by then (delayed replies appear as time passes).
class EmulatedLine {
public:
    explicit EmulatedLine(const VirtualTime& time, CameraConfig config = {}) : camera(std::move(config)), time_(time)
    {
    }

    Camera camera;

    void write(std::string_view bytes) { camera.receive(bytes, time_.now); }
    // Up to `size` bytes of what has arrived; 0 when nothing has.
    size_t read(char* buffer, size_t size)
    {
        unread_ += camera.takeOutput(time_.now);
        const size_t n = std::min(size, unread_.size());
        std::memcpy(buffer, unread_.data(), n);
        unread_.erase(0, n);
        return n;
    }
    // Everything that has arrived.
    std::string readAll()
    {
        std::string all = std::move(unread_) + camera.takeOutput(time_.now);
        unread_.clear();
        return all;
    }
    // Drops what has arrived and was not read (a receive purge).
    void dropInput()
    {
        (void)camera.takeOutput(time_.now);
        unread_.clear();
    }

    // Everything the host sent, in one text.
    std::string hostText() const
    {
        std::string text;
        for (const auto& entry : camera.transcript()) {
            if (entry.fromHost)
                text += entry.bytes;
        }
        return text;
    }
    // The host's commands as the camera saw them, the bare CR of a prompt probe left out.
    std::vector<std::string> hostCommands() const
    {
        std::vector<std::string> commands;
        for (const auto& entry : camera.transcript()) {
            if (entry.fromHost && entry.bytes != "\r")
                commands.push_back(entry.bytes);
        }
        return commands;
    }

private:
    const VirtualTime& time_;
    std::string unread_;
};

// The framework's communication device (CHapDeviceComm_0) and the camera
// session's CommDevice share their calls' names and results (0 = done,
// state 1 = open, purge flag 1 = receive side); this device serves whichever
// it derives from over an emulated line. The lock has an owner: another owner
// is refused until the first has unlocked as often as it locked, and a null
// owner is refused. The port starts open; Open and Close are counted.
template <class DeviceInterface>
class EmulatedDevice : public DeviceInterface, public EmulatedLine {
public:
    explicit EmulatedDevice(const VirtualTime& time, CameraConfig config = {}) : EmulatedLine(time, std::move(config))
    {
    }

    int opens = 0, closes = 0;
    bool open = true;

    int Lock(const void* owner, unsigned long)
    {
        if (owner == nullptr || (owner_ != nullptr && owner_ != owner))
            return 1;
        owner_ = owner;
        ++depth_;
        return 0;
    }
    const void* GetLockOwner() { return owner_; }
    void Unlock(const void* owner)
    {
        if (owner == owner_ && depth_ > 0 && --depth_ == 0)
            owner_ = nullptr;
    }
    int Open()
    {
        ++opens;
        open = true;
        return 0;
    }
    int Close()
    {
        ++closes;
        open = false;
        return 0;
    }
    int GetState() { return open ? 1 : 0; }
    int ReadChar(char* c, unsigned long* count) { return ReadData(c, 1, count); }
    int WriteChar(const char* c, unsigned long* count) { return WriteData(c, 1, count); }
    int ReadData(void* buffer, unsigned long size, unsigned long* count)
    {
        *count = static_cast<unsigned long>(read(static_cast<char*>(buffer), size));
        return 0;
    }
    int WriteData(const void* data, unsigned long size, unsigned long* count)
    {
        write(std::string_view(static_cast<const char*>(data), size));
        *count = size;
        return 0;
    }
    int WriteText(const char* text, unsigned long* count)
    {
        return WriteData(text, static_cast<unsigned long>(std::strlen(text)), count);
    }
    int Purge(unsigned long flags)
    {
        if ((flags & 1) != 0)
            dropInput();
        return 0;
    }

private:
    const void* owner_ = nullptr;
    unsigned depth_ = 0;
};

} // namespace kl7700emu::testing
