// What the camera session needs from outside: the communication device, a clock
// for the protocol's waits, and an owner that shows what happened.
#pragma once

#include <string_view>

namespace kl7700 {

// The serial command channel as the session uses it; the plug-in adapts the
// framework's communication device to it. Results as the device gives them:
// Lock 0 = granted, ReadData 0 = success with `count` bytes read.
class CommDevice {
public:
    virtual int Lock(const void* owner, unsigned long timeoutMs) = 0;
    virtual void Unlock(const void* owner) = 0;
    virtual int GetState() = 0;
    virtual int WriteChar(const char* c, unsigned long* count) = 0;
    virtual int ReadData(void* buffer, unsigned long size, unsigned long* count) = 0;
    virtual int WriteText(const char* text, unsigned long* count) = 0;
    virtual int Purge(unsigned long flags) = 0;

protected:
    ~CommDevice() = default;
};

// Source of the protocol's waits, so tests run without sleeping.
class Clock {
public:
    virtual void Sleep(unsigned long milliseconds) = 0;

protected:
    ~Clock() = default;
};

// Kinds of entries of the serial debug log.
enum class LogKind : int { Sent = 1,
                           Received = 2 };

// The session's owner (the control dialog) hears what it must show. Every
// notice has an empty default, so an owner overrides only what it shows.
class SessionObserver {
public:
    virtual void OnSerialLog(LogKind kind, std::string_view bytes) {}
    virtual void OnStatusText(std::string_view text) {}
    virtual void OnHeaderChanged() {}
    virtual void OnPagesChanged() {}
    virtual void OnVariantText(std::string_view text) {}
    virtual void OnWriteBackTimer(bool running) {}

protected:
    ~SessionObserver() = default;
};

} // namespace kl7700
