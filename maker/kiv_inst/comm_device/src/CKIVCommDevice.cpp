// The communication device: lock, configuration and port operations. No
// exception leaves an operation; every failure becomes a CommError code.
#include "kiv_comm_device/CKIVCommDevice.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "kiv_script/ErrorTexts.h"

namespace kivinst {
namespace {

// Even a caller that asks for an endless wait (INFINITE) gets an answer.
constexpr unsigned long kMaxLockWaitMs = 60000;

template <typename Fn>
int guarded(Fn&& fn) noexcept
{
    try {
        return fn();
    } catch (...) {
        return kCommInternal;
    }
}

void setCount(unsigned long* count, size_t value)
{
    if (count)
        *count = static_cast<unsigned long>(value);
}

} // namespace

const char* commErrorText(long code)
{
    switch (code) {
    case kCommOk: return "No error";
    case kCommLocked: return "The communication device is locked by another user";
    case kCommLockFailed: return "The port lock shared with other programs could not be created";
    case kCommNoConfig: return "No usable port configuration";
    case kCommNoStore: return "No configuration store";
    case kCommNotOpen: return "The port is not open";
    case kCommOpenFailed: return "The port could not be opened";
    case kCommBroken: return "The port failed and was closed";
    case kCommTimeout: return "Writing to the port timed out";
    case kCommParam: return "Invalid parameter";
    case kCommStoreFailed: return "The configuration could not be saved";
    case kCommCancelled: return "The configuration dialog was cancelled";
    case kCommInternal: return "Internal error of the communication device";
    default: return nullptr;
    }
}

CKIVCommDevice::CKIVCommDevice(std::unique_ptr<CommPlatform> platform) : platform_(std::move(platform)) {}

CKIVCommDevice::~CKIVCommDevice()
{
    Exit();
}

unsigned long CKIVCommDevice::GetObjType()
{
    return 0;
}

long CKIVCommDevice::GetParamLimits(unsigned long, unsigned long long*, unsigned long long*,
                                    unsigned long long*, unsigned long long*, unsigned long long*,
                                    unsigned long long*, unsigned long long*, unsigned long long*)
{
    return EKIV_ERR_NOT_SUPPORTED;
}

long CKIVCommDevice::SetParam(unsigned long, unsigned long long, unsigned long long, unsigned long long,
                              unsigned long long)
{
    return EKIV_ERR_NOT_SUPPORTED;
}

long CKIVCommDevice::GetParam(unsigned long, unsigned long long*, unsigned long long*, unsigned long long*,
                              unsigned long long*)
{
    return EKIV_ERR_NOT_SUPPORTED;
}

void CKIVCommDevice::SetConfigStore(CIniFile_0* store)
{
    guarded([&] {
        storeHandle_ = store;
        store_ = makeIniSettings(store);
        return 0;
    });
}

int CKIVCommDevice::Init()
{
    return kCommOk;
}

int CKIVCommDevice::Exit()
{
    closePort();
    releaseLock();
    store_.reset();
    storeHandle_ = nullptr;
    return kCommOk;
}

int CKIVCommDevice::Detach()
{
    closePort();
    store_.reset();
    storeHandle_ = nullptr;
    return kCommOk;
}

int CKIVCommDevice::RestoreConfig()
{
    return guarded([&] { return restoreConfig(); });
}

int CKIVCommDevice::restoreConfig()
{
    if (!store_)
        return fail(kCommNoStore, {});
    StoredPortKeys keys;
    keys.port = store_->read(kKeyPort);
    keys.baud = store_->read(kKeyBaud);
    keys.parity = store_->read(kKeyParity);
    keys.dataBits = store_->read(kKeyDataBits);
    keys.stopBits = store_->read(kKeyStopBits);
    ConfigResult result = parseStoredKeys(keys);
    // A stale configuration is worse than none: the host then asks the user.
    config_ = result.config;
    if (!config_)
        return fail(kCommNoConfig, result.error);
    return kCommOk;
}

int CKIVCommDevice::ShowConfigDialog(HWND parent)
{
    return guarded([&] { return showConfigDialog(parent); });
}

int CKIVCommDevice::showConfigDialog(HWND parent)
{
    PortConfig edited = config_.value_or(PortConfig{});
    if (!platform_->editPortConfig(parent, edited))
        return kCommCancelled;
    // The new settings take effect at the next Open; the hosts close the port
    // before they configure it and reopen it afterwards.
    config_ = edited;
    if (!store_)
        return fail(kCommNoStore, "The settings are used but not saved.");
    const StoredPortKeys keys = toStoredKeys(edited);
    store_->write(kKeyPort, *keys.port);
    store_->write(kKeyBaud, *keys.baud);
    store_->write(kKeyParity, *keys.parity);
    store_->write(kKeyDataBits, *keys.dataBits);
    store_->write(kKeyStopBits, *keys.stopBits);
    return store_->save() ? kCommOk : fail(kCommStoreFailed, {});
}

const char* CKIVCommDevice::GetInfoText(int which, long code)
{
    try {
        return infoText(which, code);
    } catch (...) {
        return nullptr;
    }
}

const char* CKIVCommDevice::infoText(int which, long code)
{
    if (which < HAPCOMM_INFO_PORT_DESCRIPTION || which > HAPCOMM_INFO_ERROR_TEXT)
        return nullptr;
    std::string& text = texts_[which];
    if (which == HAPCOMM_INFO_ERROR_TEXT) {
        if (const char* own = commErrorText(code)) {
            text = own;
            if (code != kCommOk && !detail_.empty())
                text += ": " + detail_;
        } else {
            const char* scriptText = ErrorText(code);
            text = scriptText ? scriptText : "";
            if (text.empty()) {
                char buffer[48];
                std::snprintf(buffer, sizeof buffer, "Error code %ld", code);
                text = buffer;
            }
        }
    } else if (!config_) {
        text = "No port configured";
    } else {
        text = which == HAPCOMM_INFO_PORT_DESCRIPTION ? describePort(*config_) : describeSettings(*config_);
    }
    return text.c_str();
}

int CKIVCommDevice::Lock(const void* owner, unsigned long timeoutMs)
{
    return guarded([&] { return lock(owner, timeoutMs); });
}

int CKIVCommDevice::lock(const void* owner, unsigned long timeoutMs)
{
    if (!owner)
        return kCommParam;
    if (lockDepth_ > 0) {
        if (owner != lockOwner_)
            return kCommLocked;
        ++lockDepth_;
        return kCommOk;
    }
    if (config_) {
        // The mutex names the port configured now; it is kept until the last Unlock.
        auto mutex = platform_->makePortMutex(portLockName(*config_));
        if (!mutex)
            return fail(kCommLockFailed, {});
        if (!mutex->acquire(std::min(timeoutMs, kMaxLockWaitMs)))
            return fail(kCommLocked, "Another program uses " + describePort(*config_));
        portMutex_ = std::move(mutex);
    }
    lockOwner_ = owner;
    lockDepth_ = 1;
    return kCommOk;
}

const void* CKIVCommDevice::GetLockOwner()
{
    return lockDepth_ > 0 ? lockOwner_ : nullptr;
}

void CKIVCommDevice::Unlock(const void* owner)
{
    if (lockDepth_ == 0 || owner != lockOwner_)
        return;
    if (--lockDepth_ == 0)
        releaseLock();
}

void CKIVCommDevice::releaseLock()
{
    if (portMutex_)
        portMutex_->release();
    portMutex_.reset();
    lockOwner_ = nullptr;
    lockDepth_ = 0;
}

int CKIVCommDevice::Open()
{
    return guarded([&] { return open(); });
}

int CKIVCommDevice::open()
{
    if (transport_)
        return kCommOk;
    if (!config_)
        return fail(kCommNoConfig, {});
    PortConfig config = *config_;
    if (config.kind == PortKind::Grabber) {
        // Framix is opened on the file the host names, read afresh at each open.
        const std::optional<std::string> ini = store_ ? store_->read(kKeyUGIni) : std::nullopt;
        if (!ini || ini->empty())
            return fail(kCommOpenFailed, "The configuration names no Framix.ini (key \"UGIni\" of \"CommDev_0\").");
        config.framixIni = *ini;
    }
    auto transport = platform_->makeTransport(config);
    if (!transport)
        return fail(kCommOpenFailed, describePort(*config_) + " is not available on this system");
    std::string error;
    if (!transport->open(error))
        return fail(kCommOpenFailed, error);
    transport_ = std::move(transport);
    detail_.clear();
    return kCommOk;
}

int CKIVCommDevice::GetState()
{
    return transport_ ? HAPCOMM_STATE_OPEN : HAPCOMM_STATE_CLOSED;
}

int CKIVCommDevice::Close()
{
    closePort();
    return kCommOk;
}

void CKIVCommDevice::closePort()
{
    if (transport_)
        transport_->close();
    transport_.reset();
}

int CKIVCommDevice::ReadChar(char* c, unsigned long* count)
{
    return guarded([&] { return read(c, 1, count); });
}

int CKIVCommDevice::ReadData(void* buffer, unsigned long size, unsigned long* count)
{
    return guarded([&] { return read(buffer, size, count); });
}

int CKIVCommDevice::read(void* buffer, unsigned long size, unsigned long* count)
{
    setCount(count, 0);
    if (!buffer)
        return kCommParam;
    if (!transport_)
        return kCommNotOpen;
    if (size == 0)
        return kCommOk;
    size_t got = 0;
    const IoStatus status = transport_->read(static_cast<char*>(buffer), size, readLimitMs_, got);
    setCount(count, got);
    if (status == IoStatus::Broken) {
        const std::string what = transport_->describe();
        closePort();
        return fail(kCommBroken, what);
    }
    return kCommOk;
}

int CKIVCommDevice::WriteChar(const char* c, unsigned long* count)
{
    return guarded([&] { return write(c, 1, count); });
}

int CKIVCommDevice::WriteText(const char* text, unsigned long* count)
{
    return guarded([&] {
        if (!text) {
            setCount(count, 0);
            return int(kCommParam);
        }
        return write(text, static_cast<unsigned long>(std::strlen(text)), count);
    });
}

int CKIVCommDevice::WriteData(const void* data, unsigned long size, unsigned long* count)
{
    return guarded([&] { return write(data, size, count); });
}

int CKIVCommDevice::write(const void* data, unsigned long size, unsigned long* count)
{
    setCount(count, 0);
    if (!data)
        return kCommParam;
    if (!transport_)
        return kCommNotOpen;
    size_t written = 0;
    const IoStatus status = transport_->write(static_cast<const char*>(data), size, written);
    setCount(count, written);
    if (status == IoStatus::Broken) {
        const std::string what = transport_->describe();
        closePort();
        return fail(kCommBroken, what);
    }
    return status == IoStatus::Timeout ? fail(kCommTimeout, {}) : kCommOk;
}

int CKIVCommDevice::Purge(unsigned long flags)
{
    return guarded([&] { return purge(flags); });
}

int CKIVCommDevice::purge(unsigned long flags)
{
    if (flags == 0 || (flags & ~(HAPCOMM_PURGE_RX | HAPCOMM_PURGE_TX)) != 0)
        return kCommParam;
    if (!transport_)
        return kCommNotOpen;
    if (!transport_->purge(flags)) {
        const std::string what = transport_->describe();
        closePort();
        return fail(kCommBroken, what);
    }
    return kCommOk;
}

int CKIVCommDevice::fail(int code, std::string detail)
{
    detail_ = std::move(detail);
    return code;
}

} // namespace kivinst
