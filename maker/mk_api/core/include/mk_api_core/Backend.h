// What a camera network must offer the camera library: the simulated network today, a
// GigE Vision network beside it. The library keeps handles, frame queues, callbacks,
// waits and argument checks; a backend only finds cameras and talks to them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace mkapi {

// A code of the library's error table (MK_ERR_* in MkApi.h), 0 = success.
using Code = uint32_t;

// An IP configuration, with the meaning of MkIpSettings (addresses with the first octet in
// the lowest byte).
struct IpConfig {
    uint32_t mode = 0;
    uint32_t supportedModes = 0;
    uint32_t address = 0, mask = 0, gateway = 0;
    uint32_t persistentAddress = 0, persistentMask = 0, persistentGateway = 0;
};

// One camera as a backend sees it now.
struct CameraEntry {
    uint32_t uniqueId = 0;
    std::string name, model, vendor, serialNumber, firmwareVersion;
    uint32_t address = 0;
    bool reachable = false;   // false: seen on the wire but outside the host's subnet
    bool masterTaken = false; // some application holds full control
};

// The attribute information record's content (MK_ATTR_* type, MK_FLAG_* flags).
struct AttrDescription {
    uint32_t type = 0;
    uint32_t flags = 0;
    std::string category;
    std::string impacts;
};

// A typed value. String and enumeration values are both texts; the type tag passed beside
// the value says which the caller meant.
using AttrValue = std::variant<std::string, uint32_t, float, int64_t, bool>;

// A range: minimum and maximum of the attribute's type, or the enumeration's value names.
struct AttrRange {
    AttrValue minimum, maximum;
    std::vector<std::string> choices;
};

// One queued frame's buffer handed to a backend; the token names it when it is handed back.
struct FrameSlot {
    uint64_t token = 0;
    uint8_t* data = nullptr;
    uint32_t size = 0;
};

// What a backend writes about a finished frame.
struct FrameResult {
    Code status = 0; // 0, MK_ERR_DATA_LOST, MK_ERR_DATA_MISSING or MK_ERR_BUFFER_TOO_SMALL
    uint32_t bytes = 0;
    uint32_t width = 0, height = 0, offsetX = 0, offsetY = 0;
    uint32_t pixelFormat = 0; // GigE Vision code
    uint32_t bitDepth = 0;
    uint32_t frameNumber = 0;
    uint64_t timestampUs = 0;
};

// The library's side of one open camera's stream. A backend may call it from any thread;
// calls return at once and never call back into the backend.
class StreamSink {
public:
    virtual ~StreamSink() = default;
    // The oldest queued buffer not yet handed out, or none: the camera's frame is dropped.
    virtual std::optional<FrameSlot> takeBuffer() = 0;
    // Hands a buffer back filled (or failed). Every slot taken comes back exactly once.
    virtual void frameDone(const FrameSlot& slot, const FrameResult& result) = 0;
    // A camera event (MK_EVENT_*).
    virtual void cameraEvent(uint32_t event, uint64_t timestampUs) = 0;
};

// One open camera. Every call may come from any thread; the session serialises itself.
// After the camera is unplugged every call answers MK_ERR_UNPLUGGED (close() answers 0).
class CameraSession {
public:
    virtual ~CameraSession() = default;

    virtual bool lost() const = 0;
    virtual Code close() = 0;

    virtual Code attributeNames(std::vector<std::string>& names) = 0;
    virtual Code describe(std::string_view name, AttrDescription& description) = 0;
    virtual Code isAvailable(std::string_view name) = 0; // 0 or MK_ERR_UNAVAILABLE
    virtual Code isValid(std::string_view name) = 0;     // 0 or MK_ERR_OUT_OF_RANGE
    // `type` is the MK_ATTR_* the caller's function stands for; a mismatch answers
    // MK_ERR_WRONG_TYPE.
    virtual Code range(std::string_view name, uint32_t type, AttrRange& range) = 0;
    virtual Code get(std::string_view name, uint32_t type, AttrValue& value) = 0;
    virtual Code set(std::string_view name, uint32_t type, const AttrValue& value) = 0;
    virtual Code run(std::string_view command) = 0;

    // Register and memory access; `done` counts the registers (bytes) that went through.
    virtual Code readRegisters(std::span<const uint32_t> addresses, std::span<uint32_t> values, uint32_t& done) = 0;
    virtual Code writeRegisters(std::span<const uint32_t> addresses, std::span<const uint32_t> values,
                                uint32_t& done) = 0;
    virtual Code readMemory(uint32_t address, std::span<uint8_t> bytes, uint32_t& done) = 0;
    virtual Code writeMemory(uint32_t address, std::span<const uint8_t> bytes, uint32_t& done) = 0;

    // The largest packet size at most `largest` that reaches the host; sets "PacketSize".
    virtual Code adjustPacketSize(uint32_t largest) = 0;
    // Frames flow into the sink (which outlives the stream) until stopStream() returns;
    // after that the backend touches no buffer of it again.
    virtual Code startStream(StreamSink& sink) = 0;
    virtual void stopStream() = 0;
};

// What a backend tells the library; callable from any thread, also while the backend holds
// its own locks (the library only queues the event).
class BackendEvents {
public:
    virtual ~BackendEvents() = default;
    // MK_LINK_ADD or MK_LINK_REMOVE for a camera.
    virtual void linkEvent(uint32_t event, uint32_t uniqueId) = 0;
    // Something became due earlier than nextDueUs() said: the library's thread looks again.
    virtual void wake() = 0;
};

class Backend {
public:
    virtual ~Backend() = default;

    // Called once before any other call; the events object outlives the backend.
    virtual void start(BackendEvents& events) = 0;
    // Ends the backend's own threads; called once, after every session is closed.
    virtual void stop() = 0;

    // Reachable and unreachable cameras; unique ids are unique across backends.
    virtual std::vector<CameraEntry> cameras() = 0;
    virtual Code ipSettings(uint32_t uniqueId, IpConfig& config) = 0;
    virtual Code changeIpSettings(uint32_t uniqueId, const IpConfig& config) = 0;
    // MK_ACCESS_MONITOR or MK_ACCESS_MASTER; MK_ERR_NOT_FOUND for an id it does not know,
    // MK_ERR_ACCESS_DENIED when the camera is unreachable or its control is taken.
    virtual Code open(uint32_t uniqueId, uint32_t accessMode, std::unique_ptr<CameraSession>& session) = 0;

    // Time-driven work (frames, serial bytes, re-plugged cameras) due by `nowUs` on the
    // library's clock. A backend with threads of its own does nothing here.
    virtual void advance(uint64_t nowUs) = 0;
    // When advance() next has work; kNever when it has none by itself.
    static constexpr uint64_t kNever = UINT64_MAX;
    virtual uint64_t nextDueUs() = 0;

    // A run-time control command (plug, unplug, attach, set...). False when the backend
    // knows no such command, so that the library can offer it to the next backend;
    // otherwise `code` and `reply` hold the answer.
    virtual bool control(std::string_view command, Code& code, std::string& reply) { return false; }
    // What does not work now although it was asked for (a serial device that cannot be
    // reached...), one line each; the control command "status" answers them.
    virtual std::vector<std::string> problems() { return {}; }
};

// The library's clock, in microseconds from an arbitrary start; a backend that runs on
// virtual time reads it to know "now".
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint64_t nowUs() const = 0;
};

} // namespace mkapi
