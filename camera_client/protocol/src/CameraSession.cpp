// Command exchanges with the camera, the full read and the write-back.
#include "kl7700/CameraSession.h"

#include <algorithm>
#include <array>

namespace kl7700 {

namespace {

constexpr unsigned long kPurgeBoth = 3; // receive and transmit queues
constexpr unsigned long kPurgeReceive = 1;
constexpr char kCr = '\r';
constexpr std::string_view kEchoTail = "\r\n>"; // after the echoed command

// The reply as text: the bytes up to the first NUL, as the camera's line
// protocol never sends one.
std::string asText(std::string bytes)
{
    if (size_t nul = bytes.find('\0'); nul != std::string::npos) bytes.resize(nul);
    return bytes;
}

} // namespace

CameraSession::CameraSession(CommDevice* device, Clock& clock, SessionObserver& observer)
    : device_(device), clock_(clock), observer_(observer)
{
    ResetRecords();
}

std::string CameraSession::MakeCommand(Item item, CommandForm form) const
{
    return kl7700::MakeCommand(item, form, working_);
}

bool CameraSession::ParseReply(Item item, std::string_view reply)
{
    const bool ok = kl7700::ParseReply(item, reply, camera_);
    working_ = camera_;
    return ok;
}

bool CameraSession::QueryParameter(Item item) { return Exchange(item, CommandForm::Query, false); }

bool CameraSession::SendParameter(Item item, bool echoCheck) { return Exchange(item, CommandForm::Set, echoCheck); }

bool CameraSession::Exchange(Item item, CommandForm form, bool echoCheck)
{
    const std::string command = MakeCommand(item, form);
    bool ok = false;
    if (device_ != nullptr && !command.empty() && device_->Lock(this, kLockTimeoutMs) == 0) {
        for (int attempt = 0; attempt < kMaxAttempts && !ok; ++attempt) {
            ok = Attempt(command, item, form, echoCheck);
            if (!ok) ProbePrompt();
        }
        device_->Unlock(this);
    }
    FinishExchange(command, ok);
    return ok;
}

bool CameraSession::Attempt(const std::string& command, Item item, CommandForm form, bool echoCheck)
{
    observer_.OnSerialLog(LogKind::Sent, command);
    device_->Purge(kPurgeBoth);
    unsigned long written = 0;
    device_->WriteText(command.c_str(), &written);
    clock_.Sleep(item == Item::Calibration ? kCalibrationWaitMs : kReplyWaitMs);
    const std::string reply = ReadReply();
    observer_.OnSerialLog(LogKind::Received, reply);
    if (form == CommandForm::Query) return ParseReply(item, reply);
    if (!echoCheck) return true;
    return reply.size() == command.size() + kEchoTail.size() && reply.starts_with(command) &&
        reply.ends_with(kEchoTail);
}

// Reads until the buffer is full or a read brings nothing. A device that
// reports more bytes than it was asked for is held to the buffer's size.
std::string CameraSession::ReadReply()
{
    std::string buffer(kReplyBufferSize, '\0');
    size_t held = 0;
    while (held < buffer.size()) {
        unsigned long count = 0;
        const auto room = static_cast<unsigned long>(buffer.size() - held);
        if (device_->ReadData(buffer.data() + held, room, &count) != 0 || count == 0) break;
        held += std::min(count, room);
    }
    buffer.resize(held);
    return asText(std::move(buffer));
}

bool CameraSession::ProbePrompt()
{
    if (device_ == nullptr) return false;
    unsigned long count = 0;
    device_->WriteChar(&kCr, &count);
    clock_.Sleep(kProbeSettleMs);
    device_->Purge(kPurgeReceive);
    device_->WriteChar(&kCr, &count);
    clock_.Sleep(kReplyWaitMs);
    std::array<char, kReplyBufferSize> buffer{};
    count = 0;
    if (device_->ReadData(buffer.data(), static_cast<unsigned long>(buffer.size()), &count) != 0 || count == 0) {
        return false;
    }
    return buffer[std::min<size_t>(count, buffer.size()) - 1] == '>';
}

bool CameraSession::WakeCamera()
{
    if (device_ == nullptr || device_->Lock(this, kLockTimeoutMs) != 0) return false;
    const bool prompt = ProbePrompt();
    device_->Unlock(this);
    return prompt;
}

void CameraSession::FinishExchange(const std::string& command, bool ok)
{
    commError_ = !ok;
    RefreshHeader();
    observer_.OnHeaderChanged();
    observer_.OnStatusText(lastCommandStatus(command));
}

void CameraSession::FetchCameraState()
{
    StopWriteBackTimer();
    if (QueryParameter(Item::s)) {
        if ((working_.s.value & kSerialChannelCameraBit) != 0) {
            working_.s.value &= ~kSerialChannelCameraBit;
            SendParameter(Item::s, false);
        }
        QueryParameter(Item::Version);
        if (CameraRecognised() && QueryParameter(Item::Dump)) {
            QueryParameter(Item::SerialNumber);
            QueryParameter(Item::VariantCode);
            observer_.OnVariantText(variantText(camera_.variantCode));
        }
    }
    if (!commError_) StartWriteBackTimer();
}

void CameraSession::ReadFromCamera()
{
    FetchCameraState();
    for (Rule rule : {Rule::Lines, Rule::LineIncrement, Rule::CameraLinkMode, Rule::FrameDuration}) {
        ApplyParameterRules(rule);
    }
    observer_.OnPagesChanged();
    RefreshHeader();
    observer_.OnHeaderChanged();
}

void CameraSession::WriteChangedParameters()
{
    StopWriteBackTimer();
    for (char letter : kWriteBackOrder) {
        const ParameterEntry& entry = *parameterEntryByLetter(letter);
        Parameter& confirmed = camera_.*entry.field;
        const Parameter& wanted = working_.*entry.field;
        if (wanted.value != confirmed.value && SendParameter(entry.item, true)) confirmed.value = wanted.value;
    }
    if (commError_) observer_.OnPagesChanged();
    if (!commError_) StartWriteBackTimer();
}

void CameraSession::ApplyParameterRules(Rule rule) { kl7700::ApplyParameterRules(rule, working_, camera_); }

void CameraSession::SetBuiltInDefaults() { kl7700::SetBuiltInDefaults(working_); }

void CameraSession::ResetRecords()
{
    SetBuiltInDefaults();
    working_.cameraName.clear();
    working_.versionText.clear();
    working_.versionField3 = 0;
    working_.versionField4 = 0;
    working_.serialNumber = 0;
    camera_ = working_;
}

bool CameraSession::Calibrate()
{
    StopWriteBackTimer();
    const bool ok = SendParameter(Item::Calibration, true);
    if (ok) {
        working_.C.value |= 1;
        camera_.C.value |= 1;
    }
    observer_.OnPagesChanged();
    if (!commError_) StartWriteBackTimer();
    return ok;
}

bool CameraSession::SaveDefaults() { return SendParameter(Item::SaveDefaults, true); }

bool CameraSession::LoadDefaults()
{
    const bool ok = SendParameter(Item::LoadDefaults, true);
    ReadFromCamera();
    return ok;
}

bool CameraSession::ResetToFactory()
{
    if (commError_) return false;
    SetBuiltInDefaults();
    ApplyParameterRules(Rule::CameraLinkMode);
    observer_.OnPagesChanged();
    RefreshHeader();
    observer_.OnHeaderChanged();
    return true;
}

const HeaderTexts& CameraSession::RefreshHeader()
{
    header_ = MakeHeaderTexts(working_, commError_, header_);
    return header_;
}

void CameraSession::StartWriteBackTimer() { observer_.OnWriteBackTimer(true); }
void CameraSession::StopWriteBackTimer() { observer_.OnWriteBackTimer(false); }

} // namespace kl7700
