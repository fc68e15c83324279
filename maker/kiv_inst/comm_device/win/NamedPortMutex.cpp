// The named kernel mutex that keeps other programs off a port while this
// process holds the communication device's lock.
#include "WinHandle.h"
#include "WinTransports.h"

namespace kivinst {
namespace {

class NamedPortMutex final : public PortMutex {
public:
    explicit NamedPortMutex(WinHandle handle) : handle_(std::move(handle)) {}
    ~NamedPortMutex() override { release(); }

    bool acquire(uint32_t timeoutMs) override
    {
        if (held_)
            return true;
        // An abandoned mutex (its holder ended without releasing it) is ours now.
        const DWORD result = WaitForSingleObject(handle_.get(), timeoutMs);
        held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
        return held_;
    }

    void release() override
    {
        if (held_)
            ReleaseMutex(handle_.get());
        held_ = false;
    }

private:
    WinHandle handle_;
    bool held_ = false;
};

} // namespace

std::unique_ptr<PortMutex> makeNamedPortMutex(const std::string& name)
{
    WinHandle handle(CreateMutexA(nullptr, FALSE, name.c_str()));
    if (!handle)
        return nullptr;
    return std::make_unique<NamedPortMutex>(std::move(handle));
}

} // namespace kivinst
