// What the interpreter needs from the outside world: a device port, a clock and files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kivscript {

// The byte channel a script talks to. The communication device is adapted to it
// (HapCommPort.h); tests use a simulated camera.
class Port {
public:
    virtual ~Port() = default;
    // Takes the device for one run; false when another owner holds it.
    virtual bool Lock() = 0;
    virtual void Unlock() = 0;
    // Writes all bytes; false on a device error.
    virtual bool Write(std::string_view bytes) = 0;
    // Appends whatever has arrived so far and returns without waiting for more
    // (at most a short, bounded device time-out); false on a device error.
    virtual bool Read(std::string& received) = 0;
};

// Time source for waits and time limits, injected so that tests never sleep.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint64_t NowMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;
};

// The steady clock of the process.
Clock& SystemClock();

enum class ReadStatus { Ok,
                        Missing,
                        Unreadable,
                        TooLarge };

// Where script and job files come from.
class FileSource {
public:
    virtual ~FileSource() = default;
    virtual ReadStatus ReadFile(const std::string& path, std::string& content) = 0;
};

// Largest script or job file the interpreter accepts.
constexpr std::size_t kMaxFileSize = 1024 * 1024;

// Files on disk, read with the narrow path as given.
FileSource& DiskFiles();

} // namespace kivscript
