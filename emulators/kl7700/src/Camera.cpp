// The camera's command line: collects host bytes into commands, answers them and paces the replies in virtual time.
#include "kl7700emu/Camera.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "ParameterTable.h"
#include "ReplyFaults.h"

namespace kl7700emu {
namespace {

constexpr char kPromptReply[] = "\r\n>";
constexpr char kUnknownCommand[] = "\r\nError: unknown command\r\n>";
constexpr char kInvalidValue[] = "\r\nError: invalid value\r\n>";
constexpr char kOutOfRange[] = "\r\nError: value out of range\r\n>";
constexpr char kTooLong[] = "\r\nError: command too long\r\n>";
constexpr int32_t kPowerUpFlag = 0x80;

std::string hexValue(uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

std::string valueReply(const std::string& wireValue) { return "\r\n=" + wireValue + "\r\n>"; }

} // namespace

Camera::Camera(CameraConfig config) : config_(std::move(config))
{
    values_ = builtInDefaults(isNewGeneration());
    storedDefaults_ = values_;
    values_['s'] |= kPowerUpFlag;
}

bool Camera::isNewGeneration() const { return isNewGenerationFirmware(config_.firmware); }

void Camera::receive(std::string_view bytes, uint64_t nowMs)
{
    advance(nowMs);
    if (bytes.empty()) return;
    record(true, std::string(bytes), nowMs);
    for (char byte : bytes) handleByte(byte, nowMs);
    advance(nowMs);
}

std::string Camera::takeOutput(uint64_t nowMs)
{
    advance(nowMs);
    return std::exchange(unread_, std::string());
}

void Camera::discardPartialCommand()
{
    line_.clear();
    discardingLine_ = false;
}

std::optional<uint64_t> Camera::nextOutputAtMs() const
{
    if (pending_.empty()) return std::nullopt;
    return pending_.front().atMs;
}

void Camera::injectFault(Fault fault, int replies)
{
    for (int i = 0; i < replies; ++i) faults_.push_back(fault);
}

void Camera::clearFaults() { faults_.clear(); }

int32_t Camera::value(char letter) const
{
    if (letter == 'a') return static_cast<int32_t>(config_.serial);
    if (letter == 'b') return config_.variant;
    if (findParameter(letter) == nullptr)
        throw std::invalid_argument(std::string("no camera parameter '") + letter + "'");
    return values_.at(letter);
}

void Camera::setValue(char letter, int32_t value)
{
    if (letter == 'a') {
        config_.serial = static_cast<uint32_t>(value);
    } else if (letter == 'b') {
        config_.variant = static_cast<uint16_t>(value);
    } else if (findParameter(letter) != nullptr) {
        values_[letter] = value;
    } else {
        throw std::invalid_argument(std::string("no camera parameter '") + letter + "'");
    }
}

void Camera::powerCycle()
{
    values_ = storedDefaults_;
    values_['s'] |= kPowerUpFlag;
    discardPartialCommand();
    pending_.clear();
    pendingBytes_ = 0;
    unread_.clear();
    busyUntilMs_ = 0;
}

const std::vector<TranscriptEntry>& Camera::transcript() const { return transcript_; }

void Camera::clearTranscript() { transcript_.clear(); }

void Camera::handleByte(char byte, uint64_t nowMs)
{
    if (byte == '\r') {
        if (!discardingLine_) handleCommand(line_, nowMs);
        discardingLine_ = false;
        line_.clear();
    } else if (byte == '\n' || discardingLine_) {
        // Line feeds from terminals that end lines with CR LF carry no meaning.
    } else if (line_.size() >= config_.maxCommandBytes) {
        // Answer the overlong line once and ignore the rest of it up to its CR.
        line_.clear();
        discardingLine_ = true;
        emitReply("", kTooLong, nowMs, 0);
    } else {
        line_.push_back(byte);
    }
}

void Camera::handleCommand(const std::string& line, uint64_t nowMs)
{
    if (line.empty()) {
        emitReply("", kPromptReply, nowMs, 0);
        return;
    }
    uint64_t busyMs = 0;
    std::string body = replyBody(line, busyMs);
    emitReply(line + "\r", body, nowMs, busyMs);
}

std::string Camera::replyBody(const std::string& line, uint64_t& busyMs)
{
    if (line == "V")
        return "\r\n" + config_.name + "\r\nVersion: " + config_.firmware + "\r\n>";
    if (line.size() < 3 || line[1] != '=') return kUnknownCommand;
    const char letter = line[0];
    const std::string_view argument = std::string_view(line).substr(2);
    if (argument == "?") {
        if (knowsParameter(letter)) return queryParameter(letter);
        if (letter == 'a') return valueReply(hexValue(config_.serial, 8));
        if (letter == 'b') return valueReply(hexValue(config_.variant, 4));
        return kUnknownCommand;
    }
    if (argument == "1") {
        if (letter == 'Y') return dump();
        if (letter == 'X') {
            storedDefaults_ = values_;
            storedDefaults_['s'] &= ~kPowerUpFlag;
            return kPromptReply;
        }
        if (letter == 'Z') {
            const int32_t powerUpFlag = values_['s'] & kPowerUpFlag;
            values_ = storedDefaults_;
            values_['s'] |= powerUpFlag;
            return kPromptReply;
        }
    }
    if (knowsParameter(letter)) return setParameter(letter, argument, busyMs);
    return kUnknownCommand;
}

std::string Camera::setParameter(char letter, std::string_view valueText, uint64_t& busyMs)
{
    const ParameterInfo& info = *findParameter(letter);
    const std::optional<uint32_t> wire = parseHex(valueText);
    if (!wire) return kInvalidValue;
    // Values beyond the parameter's range are refused, never clamped: the host
    // takes an echoed set as confirmed, so a silently changed value would leave
    // it believing a value the camera does not hold.
    const int64_t value = static_cast<int64_t>(*wire) - info.wireOffset;
    if (value > info.maximum || !isAcceptable(info, static_cast<int32_t>(value))) return kOutOfRange;
    if (letter == 'C' && value == 1) {
        // Sensor calibration: the camera is busy before it answers, then corrects.
        busyMs = config_.calibrationMs;
        values_['C'] |= 1;
    } else if (letter == 's') {
        // Any host write of s acknowledges the power-up flag.
        values_['s'] = static_cast<int32_t>(value) & ~kPowerUpFlag;
    } else {
        values_[letter] = static_cast<int32_t>(value);
    }
    return kPromptReply;
}

std::string Camera::queryParameter(char letter) const
{
    return valueReply(formatWire(*findParameter(letter), values_.at(letter)));
}

std::string Camera::dump() const
{
    std::string text = "\r\n";
    for (const ParameterInfo& info : parameterTable()) {
        if (!knowsParameter(info.letter)) continue;
        text += info.letter;
        text += '=';
        text += formatWire(info, values_.at(info.letter));
        text += "\r\n";
    }
    return text + ">";
}

bool Camera::knowsParameter(char letter) const
{
    return findParameter(letter) != nullptr && (letter != 'S' || config_.dualOutput);
}

void Camera::emitReply(const std::string& echo, const std::string& body, uint64_t nowMs,
                       uint64_t busyMs)
{
    // Replies leave in order: a reply never overtakes one still being prepared.
    const uint64_t startMs = std::max(nowMs, busyUntilMs_);
    const Fault fault = nextFault();
    if (fault == Fault::Drop) {
        busyUntilMs_ = startMs + busyMs;
        return;
    }
    if (fault == Fault::Delay) {
        busyUntilMs_ = startMs + busyMs + config_.delayFaultMs;
        schedule(echo + body, busyUntilMs_);
        return;
    }
    // The echo leaves as the command arrives; the answer follows once the work is done.
    std::string text = spoilReply(echo + body, fault, garbageSeed_);
    const size_t echoBytes = std::min(echo.size(), text.size());
    busyUntilMs_ = startMs + busyMs;
    schedule(text.substr(0, echoBytes), startMs);
    schedule(text.substr(echoBytes), busyUntilMs_);
}

void Camera::schedule(std::string bytes, uint64_t atMs)
{
    if (bytes.empty() || pendingBytes_ + bytes.size() > config_.maxUnreadOutputBytes) return;
    pendingBytes_ += bytes.size();
    if (!pending_.empty() && pending_.back().atMs == atMs) {
        pending_.back().bytes += bytes; // what leaves at one instant is one chunk on the line
        return;
    }
    pending_.push_back({atMs, std::move(bytes)});
}

void Camera::advance(uint64_t nowMs)
{
    while (!pending_.empty() && pending_.front().atMs <= nowMs) {
        Pending chunk = std::move(pending_.front());
        pending_.pop_front();
        pendingBytes_ -= chunk.bytes.size();
        // A host that never reads loses what overflows its buffer, not the camera its memory.
        const size_t room = config_.maxUnreadOutputBytes - std::min(config_.maxUnreadOutputBytes, unread_.size());
        unread_.append(chunk.bytes, 0, std::min(room, chunk.bytes.size()));
        record(false, std::move(chunk.bytes), chunk.atMs);
    }
}

void Camera::record(bool fromHost, std::string bytes, uint64_t atMs)
{
    if (config_.maxTranscriptEntries == 0) return;
    if (transcript_.size() >= config_.maxTranscriptEntries)
        transcript_.erase(transcript_.begin(),
                          transcript_.begin() + static_cast<std::ptrdiff_t>(transcript_.size() / 2 + 1));
    transcript_.push_back({fromHost, std::move(bytes), atMs});
}

Fault Camera::nextFault()
{
    if (faults_.empty()) return Fault::None;
    const Fault fault = faults_.front();
    faults_.pop_front();
    return fault;
}

} // namespace kl7700emu
