// The camera library itself, platform-neutral: handles, argument checks, frame queues,
// waits with time-outs, callbacks on the library's own thread, injected faults and the
// control commands, over one or more backends. The 55 exports call one Library.
#pragma once

#include "mk_api/MkApi.h"
#include "mk_api_core/Backend.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mkapi {

// The library's clock, with the one wait the library does: until `deadlineUs` on this
// clock or until `cv` is notified (spurious returns allowed; callers re-check).
class TimeSource : public Clock {
public:
    virtual void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                           uint64_t deadlineUs) const = 0;
};

// The steady clock of the machine.
class SteadyTimeSource : public TimeSource {
public:
    uint64_t nowUs() const override;
    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   uint64_t deadlineUs) const override;
};

class Library : private BackendEvents {
public:
    // With `ownThread` the library runs its backends and calls back on a thread of its own;
    // without, pump() does that on the caller's thread (tests on virtual time).
    Library(std::vector<std::unique_ptr<Backend>> backends, const TimeSource& time, bool ownThread,
            std::string diagnostics = {});
    ~Library() override;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Whether the caller runs on the library's own thread (a callback).
    bool onOwnThread() const { return thread_.get_id() == std::this_thread::get_id(); }

    // One round of backend work and queued callbacks, and waiters woken to look at the clock.
    void pump();

    // A fault injected for the named function: its code (0: none). Delays run here too.
    Code injected(const char* function);

    Code linkRegister(MkLinkCallback callback, uint32_t event, void* context);
    Code linkUnregister(MkLinkCallback callback, uint32_t event);
    uint32_t cameraCount();
    uint32_t cameraList(struct MkCameraInfo* list, uint32_t length, uint32_t* total, uint32_t recordSize, bool reachable);
    Code cameraInfo(uint32_t uniqueId, struct MkCameraInfo* info, uint32_t recordSize);
    Code cameraInfoByAddress(uint32_t address, struct MkCameraInfo* info, uint32_t recordSize);
    Code open(uint32_t uniqueId, uint32_t accessMode, MkHandle* handle);
    Code openByAddress(uint32_t address, uint32_t accessMode, MkHandle* handle);
    Code close(MkHandle handle);
    Code ipSettingsGet(uint32_t uniqueId, MkIpSettings* settings);
    Code ipSettingsChange(uint32_t uniqueId, const MkIpSettings* settings);

    Code captureStart(MkHandle handle);
    Code captureEnd(MkHandle handle);
    Code captureQuery(MkHandle handle, uint32_t* started);
    Code adjustPacketSize(MkHandle handle, uint32_t largest);
    Code queueFrame(MkHandle handle, MkFrame* frame, MkFrameCallback callback);
    Code queueClear(MkHandle handle);
    Code waitFrame(MkHandle handle, MkFrame* frame, uint32_t timeoutMs);

    Code attrList(MkHandle handle, const char* const** names, uint32_t* count);
    Code attrInfo(MkHandle handle, const char* name, struct MkAttrInfo* info);
    Code attrExists(MkHandle handle, const char* name);
    Code attrIsAvailable(MkHandle handle, const char* name);
    Code attrIsValid(MkHandle handle, const char* name);
    Code rangeEnum(MkHandle handle, const char* name, char* buffer, uint32_t size, uint32_t* length);
    Code rangeUint32(MkHandle handle, const char* name, uint32_t* minimum, uint32_t* maximum);
    Code rangeFloat32(MkHandle handle, const char* name, float* minimum, float* maximum);
    Code rangeInt64(MkHandle handle, const char* name, int64_t* minimum, int64_t* maximum);
    Code commandRun(MkHandle handle, const char* name);
    // `type` is MK_ATTR_STRING or MK_ATTR_ENUM.
    Code textGet(MkHandle handle, const char* name, uint32_t type, char* buffer, uint32_t size, uint32_t* length);
    Code textSet(MkHandle handle, const char* name, uint32_t type, const char* value);
    Code valueGet(MkHandle handle, const char* name, uint32_t type, AttrValue& value);
    Code valueSet(MkHandle handle, const char* name, uint32_t type, const AttrValue& value);
    Code eventCallbackRegister(MkHandle handle, MkCameraEventCallback callback, void* context);

    Code registersRead(MkHandle handle, uint32_t count, const uint32_t* addresses, uint32_t* values, uint32_t* done);
    Code registersWrite(MkHandle handle, uint32_t count, const uint32_t* addresses, const uint32_t* values,
                        uint32_t* done);
    Code memoryRead(MkHandle handle, uint32_t address, uint32_t size, void* buffer, uint32_t* done);
    Code memoryWrite(MkHandle handle, uint32_t address, uint32_t size, const void* buffer, uint32_t* done);

    Code control(const char* command, char* reply, uint32_t size);
    // "ok", or the description's errors and what does not work now, one line each.
    std::string status();

private:
    struct OpenCamera;
    class Sink;
    struct FrameEntry {
        enum class State { Queued,
                           Held,
                           Done } state = State::Done;
        MkFrameCallback callback = nullptr;
        uint64_t token = 0;
        bool cancelled = false;
    };
    struct LinkRegistration {
        MkLinkCallback callback;
        uint32_t event;
        void* context;
    };
    struct Fault {
        uint32_t code = 0;
        int64_t remaining = 0; // -1: always
    };

    void linkEvent(uint32_t event, uint32_t uniqueId) override;
    void wake() override;

    void run();
    void dispatch(); // runs queued callbacks outside every lock
    void post(std::function<void()> task);
    std::shared_ptr<OpenCamera> find(MkHandle handle);
    Backend* backendOf(uint32_t uniqueId, CameraEntry* entry);
    // Under mutex_: completes a frame, queues its callback.
    void complete(OpenCamera& camera, MkFrame* frame, Code status, const FrameResult* result);
    void cancelAll(OpenCamera& camera, Code status);
    Code session(MkHandle handle, const std::function<Code(CameraSession&)>& work);
    template <typename T>
    Code rangeTyped(MkHandle handle, const char* name, uint32_t type, T* minimum, T* maximum);
    void frameDone(OpenCamera& camera, const FrameSlot& slot, const FrameResult& result);
    bool takeFault(std::map<std::string, Fault>::iterator it);
    std::string controlCommand(const std::string& command, Code& code);

    std::vector<std::unique_ptr<Backend>> backends_;
    const TimeSource& time_;
    const std::string diagnostics_;

    std::mutex mutex_; // handles, queues, registrations, faults; never held while calling out
    std::condition_variable frameDone_;
    std::map<uintptr_t, std::shared_ptr<OpenCamera>> handles_;
    uintptr_t nextHandle_ = 0x100;
    std::vector<LinkRegistration> links_;
    std::map<std::string, Fault> failures_;
    std::map<std::string, Fault> delays_;
    Fault frameStatus_;

    std::mutex tasksMutex_; // the callback queue and the thread's wake-up
    std::condition_variable tasksChanged_;
    std::deque<std::function<void()>> tasks_;
    bool woken_ = false, stopping_ = false;
    std::thread thread_;
};

} // namespace mkapi
