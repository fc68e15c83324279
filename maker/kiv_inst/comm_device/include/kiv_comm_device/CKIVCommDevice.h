// The communication device (object id 0 of KIVInst): the lock shared by the
// hosts and the dialogs, the port configuration in the host's store, and the
// byte stream of the configured transport.
#pragma once

#include "HapDeviceComm.h"
#include "kiv_comm_device/CommErrors.h"
#include "kiv_comm_device/CommPlatform.h"
#include "kiv_comm_device/PortConfig.h"
#include "kiv_comm_device/SettingsStore.h"

#include <memory>
#include <optional>
#include <string>

namespace kivinst {

// Lock semantics: Lock(owner, wait) is re-entrant for the owner that holds the
// device and counts; each successful Lock needs one Unlock by the same owner.
// (A dialog's timer can run an exchange inside the modal configuration dialog
// that the same dialog opened under the lock; the count keeps the outer lock.)
// Another owner in this process (or another device object of this process
// on the same port) is refused at once: every caller runs on the one thread,
// so waiting could not end differently. Then the port's named kernel mutex
// keeps other programs off the same port; it is waited for up to `wait` ms
// (at most 60 s, so that even INFINITE comes back) and held until the last
// Unlock. A null owner is refused.
class CKIVCommDevice final : public CHapDeviceComm_0 {
public:
    explicit CKIVCommDevice(std::unique_ptr<CommPlatform> platform);
    ~CKIVCommDevice() override;
    CKIVCommDevice(const CKIVCommDevice&) = delete;
    CKIVCommDevice& operator=(const CKIVCommDevice&) = delete;

    unsigned long GetObjType() override;
    long GetParamLimits(unsigned long id, unsigned long long* min1, unsigned long long* max1,
                        unsigned long long* min2, unsigned long long* max2,
                        unsigned long long* min3, unsigned long long* max3,
                        unsigned long long* min4, unsigned long long* max4) override;
    long SetParam(unsigned long id, unsigned long long v1, unsigned long long v2,
                  unsigned long long v3, unsigned long long v4) override;
    long GetParam(unsigned long id, unsigned long long* v1, unsigned long long* v2,
                  unsigned long long* v3, unsigned long long* v4) override;

    void SetConfigStore(CIniFile_0* store) override;
    int Init() override;
    int Exit() override;
    int RestoreConfig() override;
    int Detach() override;
    int ShowConfigDialog(HWND parent) override;
    const char* GetInfoText(int which, long code) override;
    int Lock(const void* owner, unsigned long timeoutMs) override;
    const void* GetLockOwner() override;
    void Unlock(const void* owner) override;
    int Open() override;
    int GetState() override;
    int Close() override;
    int ReadChar(char* c, unsigned long* count) override;
    int WriteChar(const char* c, unsigned long* count) override;
    int ReadData(void* buffer, unsigned long size, unsigned long* count) override;
    int WriteData(const void* data, unsigned long size, unsigned long* count) override;
    int WriteText(const char* text, unsigned long* count) override;
    int Purge(unsigned long flags) override;

    // For the owner of the object and for tests.
    const std::optional<PortConfig>& config() const { return config_; }
    void setReadLimitMs(uint32_t ms) { readLimitMs_ = ms; }

private:
    int restoreConfig();
    int showConfigDialog(HWND parent);
    int lock(const void* owner, unsigned long timeoutMs);
    int open();
    int read(void* buffer, unsigned long size, unsigned long* count);
    int write(const void* data, unsigned long size, unsigned long* count);
    int purge(unsigned long flags);
    const char* infoText(int which, long code);
    void closePort();
    void releaseLock();
    int fail(int code, std::string detail);

    std::unique_ptr<CommPlatform> platform_;
    CIniFile_0* storeHandle_ = nullptr;
    std::unique_ptr<SettingsStore> store_;
    std::optional<PortConfig> config_;
    std::unique_ptr<Transport> transport_;
    const void* lockOwner_ = nullptr;
    unsigned lockDepth_ = 0;
    std::unique_ptr<PortMutex> portMutex_;
    uint32_t readLimitMs_ = 20;
    std::string detail_;   // why the last operation failed, for the error text
    std::string texts_[3]; // GetInfoText results, one per kind
};

} // namespace kivinst
