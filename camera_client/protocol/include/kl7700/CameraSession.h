// The control dialog's conversation with the camera: the two parameter records,
// the command exchanges with their waits and retries, the identification and
// full read, the write-back of changed values, and the communication-error flag.
#pragma once

#include "kl7700/Commands.h"
#include "kl7700/ParameterRules.h"
#include "kl7700/Parameters.h"
#include "kl7700/SessionPorts.h"
#include "kl7700/Timing.h"

#include <string>

namespace kl7700 {

class CameraSession {
public:
    static constexpr unsigned long kLockTimeoutMs = 500;
    static constexpr unsigned long kReplyWaitMs = 100;
    static constexpr unsigned long kCalibrationWaitMs = 1000;
    static constexpr unsigned long kProbeSettleMs = 50;
    static constexpr int kMaxAttempts = 6;
    static constexpr size_t kReplyBufferSize = 1024;

    // `device` may be null (no camera connected); the clock and the observer
    // must outlive the session.
    CameraSession(CommDevice* device, Clock& clock, SessionObserver& observer);
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    void SetDevice(CommDevice* device) { device_ = device; }
    CommDevice* Device() const { return device_; }

    const ParameterRecord& CameraRecord() const { return camera_; }
    const ParameterRecord& WorkingRecord() const { return working_; }
    ParameterRecord& WorkingRecord() { return working_; } // the pages edit it

    bool CommunicationError() const { return commError_; }
    bool CameraRecognised() const { return isRecognisedCameraName(working_.cameraName); }

    // Protocol operations. Exchanges return true on success and set the
    // communication-error flag to the opposite.
    std::string MakeCommand(Item item, CommandForm form) const;
    bool ParseReply(Item item, std::string_view reply);
    bool QueryParameter(Item item);
    bool SendParameter(Item item, bool echoCheck);
    bool ProbePrompt(); // the caller holds the device
    bool WakeCamera();  // ProbePrompt inside the device lock
    void FetchCameraState();
    void WriteChangedParameters();
    void ApplyParameterRules(Rule rule);
    void SetBuiltInDefaults();
    void ResetRecords();

    // "Read From Camera" and every other full read: the read, then the rules of
    // lines, line increment, Camera Link mode and frame duration, then a refresh.
    void ReadFromCamera();

    // The calibration asks the user first in image-on-demand mode; the dialog
    // asks, and calls Calibrate only on Yes.
    bool CalibrationNeedsConfirmation() const { return timingMode(working_) == 1; }
    bool Calibrate();
    bool SaveDefaults();
    bool LoadDefaults();
    // Built-in defaults into the working record only; the next write-back sends
    // whatever now differs. Not offered while the error flag is set.
    bool ResetToFactory();

    // The header for the current working record and error flag; the texts of
    // the previous call stand in where an error leaves a field alone.
    const HeaderTexts& RefreshHeader();
    const HeaderTexts& Header() const { return header_; }

private:
    bool Exchange(Item item, CommandForm form, bool echoCheck);
    bool Attempt(const std::string& command, Item item, CommandForm form, bool echoCheck);
    std::string ReadReply();
    void FinishExchange(const std::string& command, bool ok);
    void StartWriteBackTimer();
    void StopWriteBackTimer();

    CommDevice* device_;
    Clock& clock_;
    SessionObserver& observer_;
    ParameterRecord camera_;
    ParameterRecord working_;
    bool commError_ = false;
    HeaderTexts header_;
};

} // namespace kl7700
