// A communication device simulated for tests: lock owner, port state,
// what was written, and pending replies handed out in bounded reads.
#pragma once

#include "kiv_testing/HapDeviceCommStub.h"

#include <string>

namespace kivtest {

class SimDevice : public HapDeviceCommStub {
public:
    const void* lockOwner = nullptr;
    int locks = 0, unlocks = 0;
    bool open = true;
    int readError = 0;
    unsigned long lastLockWait = 12345;
    std::string written;
    std::string pending;
    int reads = 0;

    int Lock(const void* owner, unsigned long waitMs) override
    {
        lastLockWait = waitMs;
        if (lockOwner && lockOwner != owner)
            return 1;
        lockOwner = owner;
        ++locks;
        return 0;
    }
    const void* GetLockOwner() override { return lockOwner; }
    void Unlock(const void* owner) override
    {
        if (owner == lockOwner) {
            lockOwner = nullptr;
            ++unlocks;
        }
    }
    int Open() override
    {
        open = true;
        return 0;
    }
    int GetState() override { return open ? 1 : 0; }
    int Close() override
    {
        open = false;
        return 0;
    }
    int ReadChar(char*, unsigned long*) override { return 1; }
    int WriteChar(const char* c, unsigned long* n) override
    {
        written += *c;
        *n = 1;
        return 0;
    }
    int ReadData(void* buffer, unsigned long size, unsigned long* count) override
    {
        ++reads;
        if (readError)
            return readError;
        const size_t n = pending.size() < size ? pending.size() : size;
        pending.copy(static_cast<char*>(buffer), n);
        pending.erase(0, n);
        *count = static_cast<unsigned long>(n);
        return 0;
    }
    int WriteData(const void* data, unsigned long size, unsigned long* count) override
    {
        written.append(static_cast<const char*>(data), size);
        *count = size;
        return 0;
    }
    int WriteText(const char* text, unsigned long* count) override
    {
        return WriteData(text, static_cast<unsigned long>(std::char_traits<char>::length(text)), count);
    }
};

} // namespace kivtest
