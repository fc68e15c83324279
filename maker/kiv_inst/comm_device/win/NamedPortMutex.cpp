// The named kernel mutex that keeps other programs off a port while this
// process holds the communication device's lock.
#include "win32/unique_handle.h"
#include "WinTransports.h"

#include <mutex>
#include <set>

namespace kivinst {
namespace {

// Kernel mutexes are recursive for their owning thread, so a second device
// object of this process would be let in by the kernel; the names held here
// are therefore checked first. One thread cannot wait for itself, so a name
// held here is refused at once.
class NamesHeldHere {
public:
    bool claim(const std::string& name)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return names_.insert(name).second;
    }
    void drop(const std::string& name)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        names_.erase(name);
    }

private:
    std::mutex mutex_;
    std::set<std::string> names_;
};

NamesHeldHere& namesHeldHere()
{
    static NamesHeldHere names;
    return names;
}

class NamedPortMutex final : public PortMutex {
public:
    NamedPortMutex(win32::UniqueKernelHandle handle, std::string name) : handle_(std::move(handle)), name_(std::move(name)) {}
    ~NamedPortMutex() override { release(); }

    bool acquire(uint32_t timeoutMs) override
    {
        if (held_)
            return true;
        if (!namesHeldHere().claim(name_))
            return false;
        // An abandoned mutex (its holder ended without releasing it) is ours now.
        const DWORD result = WaitForSingleObject(handle_.get(), timeoutMs);
        held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
        if (!held_)
            namesHeldHere().drop(name_);
        return held_;
    }

    void release() override
    {
        if (!held_)
            return;
        ReleaseMutex(handle_.get());
        namesHeldHere().drop(name_);
        held_ = false;
    }

private:
    win32::UniqueKernelHandle handle_;
    std::string name_;
    bool held_ = false;
};

} // namespace

std::unique_ptr<PortMutex> makeNamedPortMutex(const std::string& name)
{
    win32::UniqueKernelHandle handle(CreateMutexA(nullptr, FALSE, name.c_str()));
    if (!handle)
        return nullptr;
    return std::make_unique<NamedPortMutex>(std::move(handle), name);
}

} // namespace kivinst
