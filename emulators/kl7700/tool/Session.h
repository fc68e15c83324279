// Serves the camera over one byte link (a TCP client or a pseudo-terminal) in real time.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "kl7700emu/Camera.h"

namespace kl7700emu {

// A byte stream to the host; the platform files implement it.
class Link {
public:
    virtual ~Link() = default;
    // Waits at most timeoutMs for bytes: the count read, 0 when none came, -1 when the link is gone.
    virtual int read(char* buffer, int capacity, int timeoutMs) = 0;
    // Writes all bytes within a bounded time; false when the link is gone.
    virtual bool write(std::string_view bytes) = 0;
};

using MillisecondClock = std::function<uint64_t()>;

// Moves bytes between link and camera until the link is gone or `stop` is set.
// With `log`, every transcript entry is printed there and then forgotten.
void serveLink(Link& link, Camera& camera, const MillisecondClock& clock, std::ostream* log,
               const std::atomic<bool>& stop);

// One transcript entry as a log line: time, direction, bytes with control characters escaped.
std::string formatTranscriptEntry(const TranscriptEntry& entry);

} // namespace kl7700emu
