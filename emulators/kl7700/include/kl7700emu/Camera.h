// The KL-7700 / Sorvel SX-20 camera's side of the serial command protocol, driven by virtual time.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kl7700emu {

// Identity and behaviour of the emulated camera.
struct CameraConfig {
    std::string name = "Sorvel SX-20B";
    // A new-generation firmware (third field non-zero, fourth 7 or more): the
    // built-in exposure and frame-duration defaults follow the generation.
    std::string firmware = "3.2.1.8";
    uint16_t variant = 0x4000;
    uint32_t serial = 4711;
    // Cameras built without the second Camera Link output know no "S" command
    // and leave "S=" out of the dump.
    bool dualOutput = true;
    // How long a sensor calibration ("C=1") keeps the camera busy before the
    // reply; just under the host's one-second wait, so one attempt succeeds.
    uint64_t calibrationMs = 950;
    // How much later a reply appears under Fault::Delay.
    uint64_t delayFaultMs = 300;
    // Bounds: bytes of one command line, unread (and, apart, not yet sent) output
    // bytes, transcript entries.
    size_t maxCommandBytes = 4096;
    size_t maxUnreadOutputBytes = 64 * 1024;
    size_t maxTranscriptEntries = 100000;
};

// A fault that spoils one reply (the command itself is still carried out).
enum class Fault { None,
                   Drop,
                   Delay,
                   CorruptByte,
                   CutShort,
                   OmitPrompt,
                   Garbage };

// One chunk of bytes on the line: from the host (received) or to it (sent at atMs).
struct TranscriptEntry {
    bool fromHost;
    std::string bytes;
    uint64_t atMs;
};

// The camera: feed it host bytes with receive(), collect its replies with
// takeOutput(). Time is always passed in, never read from a clock, and must
// not run backwards between calls. Not thread-safe: one caller at a time.
class Camera {
public:
    explicit Camera(CameraConfig config = {});

    // Bytes from the host at (virtual) time nowMs; each CR completes a command.
    void receive(std::string_view bytes, uint64_t nowMs);
    // Bytes the camera has sent by nowMs (delayed replies appear later).
    std::string takeOutput(uint64_t nowMs);
    // Forgets a command line begun but not ended (a new host on the line).
    void discardPartialCommand();
    // When the next pending output is due, if any (lets a server sleep until then).
    std::optional<uint64_t> nextOutputAtMs() const;

    // Spoils the next `replies` replies (queued after earlier injected faults).
    void injectFault(Fault fault, int replies = 1);
    void clearFaults();

    // Current value of a parameter letter (A B C D E F G I J K M N S T U W s),
    // or of 'a' (serial number) and 'b' (variant code). N is the number of lines
    // (the wire carries N - 1); s includes bit 7 while it is set. Throws
    // std::invalid_argument for any other letter.
    int32_t value(char letter) const;
    // Test hook: stores the value as is, without the limits a host set obeys.
    void setValue(char letter, int32_t value);

    // Power off and on: pending input and output are lost, the stored defaults
    // are loaded and bit 7 of s is set until the host writes s.
    void powerCycle();

    const std::vector<TranscriptEntry>& transcript() const;
    void clearTranscript();

    const CameraConfig& config() const { return config_; }
    // True when the firmware text marks a new-generation camera.
    bool isNewGeneration() const;

private:
    struct Pending {
        uint64_t atMs;
        std::string bytes;
    };
    using Values = std::map<char, int32_t>;

    void handleByte(char byte, uint64_t nowMs);
    void handleCommand(const std::string& line, uint64_t nowMs);
    std::string replyBody(const std::string& line, uint64_t& busyMs);
    std::string setParameter(char letter, std::string_view valueText, uint64_t& busyMs);
    std::string queryParameter(char letter) const;
    std::string dump() const;
    bool knowsParameter(char letter) const;
    void emitReply(const std::string& echo, const std::string& body, uint64_t nowMs, uint64_t busyMs);
    void schedule(std::string bytes, uint64_t atMs);
    void advance(uint64_t nowMs);
    void record(bool fromHost, std::string bytes, uint64_t atMs);
    Fault nextFault();

    CameraConfig config_;
    Values values_;
    Values storedDefaults_;
    std::string line_;
    bool discardingLine_ = false;
    std::deque<Pending> pending_;
    size_t pendingBytes_ = 0; // replies still to leave; beyond the output bound they are lost
    uint64_t busyUntilMs_ = 0;
    std::string unread_;
    std::deque<Fault> faults_;
    uint32_t garbageSeed_ = 0x2545F491u;
    std::vector<TranscriptEntry> transcript_;
};

} // namespace kl7700emu
