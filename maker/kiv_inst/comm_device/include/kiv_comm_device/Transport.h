// The byte stream under the communication device (serial port, TCP stream,
// in-process emulator), with every wait bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kivinst {

enum class IoStatus {
    Ok,      // done (a read may have got 0 bytes)
    Timeout, // a write could not finish within its time limit; the stream is still usable
    Broken,  // the stream is gone (peer closed, device removed); the port must be reopened
};

class Transport {
public:
    virtual ~Transport() = default;

    // Opens the stream within the transport's time limit; on failure `error`
    // says why in a sentence for the user.
    virtual bool open(std::string& error) = 0;
    virtual void close() = 0;
    // Sends all bytes or stops at the write time limit; `written` counts what went out.
    virtual IoStatus write(const char* data, size_t size, size_t& written) = 0;
    // Returns at most `size` bytes: what is there, or what arrives first
    // within `timeoutMs`; does not wait for `size` bytes.
    virtual IoStatus read(char* buffer, size_t size, uint32_t timeoutMs, size_t& got) = 0;
    // Drops unread input (flag 1) and unsent output (flag 2).
    virtual bool purge(unsigned long flags) = 0;
    // The stream for messages, e.g. "COM3" or "TCP 127.0.0.1:5000".
    virtual std::string describe() const = 0;
};

} // namespace kivinst
