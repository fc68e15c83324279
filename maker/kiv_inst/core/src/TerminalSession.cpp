// The terminal's exchanges with the communication device, one lock per exchange.
#include "kiv_inst_core/TerminalSession.h"

#include <string>

namespace kivinst {

// Holds the device lock for one exchange and always gives it back.
class TerminalSession::Hold {
public:
    Hold(CHapDeviceComm_0& device, const void* owner, unsigned long waitMs)
        : device_(device), owner_(owner), held_(device.Lock(owner, waitMs) == 0) {}
    ~Hold()
    {
        if (held_)
            device_.Unlock(owner_);
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    bool Held() const { return held_; }

private:
    CHapDeviceComm_0& device_;
    const void* owner_;
    bool held_;
};

const char* TerminalStatusText(TerminalStatus status)
{
    switch (status) {
    case TerminalStatus::Ok:
        return "";
    case TerminalStatus::NoDevice:
        return "No communication device";
    case TerminalStatus::Locked:
        return "Communication device is locked";
    case TerminalStatus::NotOpen:
        return "Port is not open";
    case TerminalStatus::IoError:
        return "Communication error";
    }
    return "";
}

TerminalStatus TerminalSession::SendLine(std::string_view line)
{
    if (!device_)
        return TerminalStatus::NoDevice;
    Hold hold(*device_, owner_, kSendLockWaitMs);
    if (!hold.Held())
        return TerminalStatus::Locked;
    if (device_->GetState() != HAPCOMM_STATE_OPEN)
        return TerminalStatus::NotOpen;
    const std::string bytes = EncodeTypedLine(line);
    unsigned long written = 0;
    const int rc = device_->WriteData(bytes.data(), static_cast<unsigned long>(bytes.size()), &written);
    if (rc != 0 || written != bytes.size())
        return TerminalStatus::IoError;
    return TerminalStatus::Ok;
}

TerminalStatus TerminalSession::Poll(TerminalScreen& screen)
{
    if (!device_)
        return TerminalStatus::NoDevice;
    Hold hold(*device_, owner_, 0);
    if (!hold.Held())
        return TerminalStatus::Locked;
    if (device_->GetState() != HAPCOMM_STATE_OPEN)
        return TerminalStatus::NotOpen;
    char buffer[kReadChunk];
    for (int i = 0; i < kMaxReadsPerPoll; ++i) {
        unsigned long count = 0;
        if (device_->ReadData(buffer, sizeof buffer, &count) != 0)
            return TerminalStatus::IoError;
        if (count > sizeof buffer)
            return TerminalStatus::IoError; // a device must never claim more than it was given room for
        if (count == 0)
            break;
        screen.AppendReceived(std::string_view(buffer, count));
    }
    return TerminalStatus::Ok;
}

} // namespace kivinst
