// The camera library over its backends: handles, frames, waits, callbacks and faults.
#include "mk_api_core/Library.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <sstream>

namespace mkapi {
namespace {

constexpr size_t kMaxQueuedFrames = 256;
constexpr uint64_t kIdleWakeUs = 100000; // the thread looks again at least this often
constexpr uint64_t kNoLimit = UINT64_MAX;

// Copies a text the way every text getter does: the full length always, the text only
// when it fits with its terminator.
Code copyText(const std::string& text, char* buffer, uint32_t size, uint32_t* length)
{
    if (length)
        *length = uint32_t(text.size());
    if (!buffer || size < text.size() + 1)
        return MK_ERR_BAD_PARAMETER;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 0;
}

void copyName(char (&field)[32], const std::string& text)
{
    const size_t n = std::min<size_t>(text.size(), sizeof field - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

void fillInfo(const CameraEntry& e, struct MkCameraInfo& info)
{
    std::memset(&info, 0, sizeof info);
    info.interfaceType = MK_INTERFACE_ETHERNET;
    info.uniqueId = e.uniqueId;
    copyName(info.name, e.name);
    copyName(info.model, e.model);
    copyName(info.vendor, e.vendor);
    copyName(info.serialNumber, e.serialNumber);
    copyName(info.firmwareVersion, e.firmwareVersion);
    info.permittedAccess = !e.reachable ? 0 : e.masterTaken ? MK_ACCESS_MONITOR
                                                            : MK_ACCESS_MONITOR | MK_ACCESS_MASTER;
    info.address = e.address;
}

} // namespace

uint64_t SteadyTimeSource::nowUs() const
{
    return uint64_t(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

void SteadyTimeSource::waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                                 uint64_t deadlineUs) const
{
    if (deadlineUs == kNoLimit) {
        cv.wait(lock);
        return;
    }
    cv.wait_until(lock, std::chrono::steady_clock::time_point(std::chrono::microseconds(deadlineUs)));
}

// One open camera: its session and its frame queue.
struct Library::OpenCamera {
    MkHandle handle = nullptr;
    uint32_t uniqueId = 0;
    std::unique_ptr<CameraSession> session;
    std::unique_ptr<Sink> sink;
    bool capturing = false, lost = false;
    std::deque<MkFrame*> queue; // queued, not yet handed to the backend, oldest first
    std::map<MkFrame*, FrameEntry> frames;
    std::map<uint64_t, MkFrame*> held; // handed to the backend, by token
    uint64_t nextToken = 1;
    std::vector<std::string> names;
    std::vector<const char*> namePointers;
    std::map<std::string, AttrDescription, std::less<>> descriptions;
    MkCameraEventCallback eventCallback = nullptr;
    void* eventContext = nullptr;
};

class Library::Sink : public StreamSink {
public:
    Sink(Library& library, OpenCamera& camera) : library_(library), camera_(camera) {}
    std::optional<FrameSlot> takeBuffer() override
    {
        std::lock_guard lock(library_.mutex_);
        if (!camera_.capturing || camera_.lost || camera_.queue.empty())
            return std::nullopt;
        MkFrame* frame = camera_.queue.front();
        camera_.queue.pop_front();
        FrameEntry& entry = camera_.frames[frame];
        entry.state = FrameEntry::State::Held;
        entry.token = camera_.nextToken++;
        camera_.held[entry.token] = frame;
        return FrameSlot{entry.token, static_cast<uint8_t*>(frame->imageBuffer), frame->imageBufferSize};
    }
    void frameDone(const FrameSlot& slot, const FrameResult& result) override
    {
        library_.frameDone(camera_, slot, result);
    }
    void cameraEvent(uint32_t event, uint64_t timestampUs) override
    {
        std::lock_guard lock(library_.mutex_);
        if (!camera_.eventCallback)
            return;
        const MkCameraEventCallback callback = camera_.eventCallback;
        void* context = camera_.eventContext;
        const MkHandle handle = camera_.handle;
        library_.post([=] {
            const MkCameraEvent e{event, 0, timestampUs};
            callback(context, handle, &e, 1);
        });
    }

private:
    Library& library_;
    OpenCamera& camera_;
};

Library::Library(std::vector<std::unique_ptr<Backend>> backends, const TimeSource& time, bool ownThread,
                 std::string diagnostics)
    : backends_(std::move(backends)), time_(time), diagnostics_(std::move(diagnostics))
{
    for (auto& backend : backends_) backend->start(*this);
    if (ownThread)
        thread_ = std::thread([this] { run(); });
}

Library::~Library()
{
    {
        std::lock_guard lock(tasksMutex_);
        stopping_ = true;
    }
    tasksChanged_.notify_all();
    if (thread_.joinable()) {
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach(); // only through deleteLibrary(), which never lets this happen
        else
            thread_.join();
    }
    std::vector<std::shared_ptr<OpenCamera>> open;
    {
        std::lock_guard lock(mutex_);
        for (auto& [id, camera] : handles_) open.push_back(camera);
    }
    for (auto& camera : open) close(camera->handle);
    for (auto& backend : backends_) backend->stop();
}

void Library::post(std::function<void()> task)
{
    {
        std::lock_guard lock(tasksMutex_);
        tasks_.push_back(std::move(task));
    }
    tasksChanged_.notify_all();
}

void Library::wake()
{
    {
        std::lock_guard lock(tasksMutex_);
        woken_ = true;
    }
    tasksChanged_.notify_all();
}

void Library::dispatch()
{
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(tasksMutex_);
            if (tasks_.empty())
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        try {
            task();
        } catch (...) {
            // A caller's callback that throws loses that one call, not the library's thread.
        }
    }
}

void Library::pump()
{
    const uint64_t now = time_.nowUs();
    for (auto& backend : backends_) backend->advance(now);
    dispatch();
    {
        std::lock_guard lock(mutex_);
    }
    frameDone_.notify_all();
}

void Library::run()
{
    for (;;) {
        {
            std::lock_guard lock(tasksMutex_);
            if (stopping_)
                return;
            woken_ = false;
        }
        const uint64_t now = time_.nowUs();
        for (auto& backend : backends_) backend->advance(now);
        dispatch();
        uint64_t due = now + kIdleWakeUs;
        for (auto& backend : backends_) due = std::min(due, backend->nextDueUs());
        std::unique_lock lock(tasksMutex_);
        if (stopping_)
            return;
        if (woken_ || !tasks_.empty() || due <= time_.nowUs())
            continue;
        time_.waitUntil(lock, tasksChanged_, due);
    }
}

void Library::linkEvent(uint32_t event, uint32_t uniqueId)
{
    std::lock_guard lock(mutex_);
    if (event == MK_LINK_REMOVE) {
        // Every frame and wait of the camera ends now, never later.
        for (auto& [id, camera] : handles_) {
            if (camera->uniqueId != uniqueId || camera->lost)
                continue;
            camera->lost = true;
            cancelAll(*camera, MK_ERR_UNPLUGGED);
        }
        frameDone_.notify_all();
    }
    post([this, event, uniqueId] {
        std::vector<LinkRegistration> links;
        {
            std::lock_guard lock(mutex_);
            links = links_;
        }
        for (const LinkRegistration& link : links) {
            if (link.event != event)
                continue;
            {
                // One unregistered since the event came is not called any more.
                std::lock_guard lock(mutex_);
                if (std::none_of(links_.begin(), links_.end(), [&](const LinkRegistration& r) {
                        return r.callback == link.callback && r.event == link.event && r.context == link.context;
                    }))
                    continue;
            }
            link.callback(link.context, MK_INTERFACE_ETHERNET, event, uniqueId);
        }
    });
}

bool Library::takeFault(std::map<std::string, Fault>::iterator it)
{
    if (it->second.remaining == 0)
        return false;
    if (it->second.remaining > 0)
        --it->second.remaining;
    return true;
}

Code Library::injected(const char* function)
{
    uint64_t delayUs = 0;
    Code code = 0;
    {
        std::lock_guard lock(mutex_);
        const auto delay = delays_.find(function);
        if (delay != delays_.end() && takeFault(delay))
            delayUs = uint64_t(delay->second.code) * 1000;
        const auto failure = failures_.find(function);
        if (failure != failures_.end() && takeFault(failure))
            code = failure->second.code;
    }
    if (delayUs) {
        // A late reply: the call waits on the library's clock, holding nothing.
        std::mutex m;
        std::condition_variable cv;
        std::unique_lock lock(m);
        const uint64_t until = time_.nowUs() + delayUs;
        while (time_.nowUs() < until) time_.waitUntil(lock, cv, until);
    }
    return code;
}

Code Library::linkRegister(MkLinkCallback callback, uint32_t event, void* context)
{
    if (!callback || (event != MK_LINK_ADD && event != MK_LINK_REMOVE))
        return MK_ERR_BAD_PARAMETER;
    std::lock_guard lock(mutex_);
    links_.push_back({callback, event, context});
    return 0;
}

Code Library::linkUnregister(MkLinkCallback callback, uint32_t event)
{
    // No wait for a callback that is running now: it may be sending a window message to the
    // very thread that unregisters (a dialog being destroyed), and waiting would hang both.
    std::lock_guard lock(mutex_);
    const auto it = std::find_if(links_.begin(), links_.end(), [&](const LinkRegistration& r) {
        return r.callback == callback && r.event == event;
    });
    if (it == links_.end())
        return MK_ERR_NOT_FOUND;
    links_.erase(it);
    return 0;
}

Backend* Library::backendOf(uint32_t uniqueId, CameraEntry* entry)
{
    for (auto& backend : backends_)
        for (const CameraEntry& e : backend->cameras())
            if (e.uniqueId == uniqueId) {
                if (entry)
                    *entry = e;
                return backend.get();
            }
    return nullptr;
}

uint32_t Library::cameraCount()
{
    uint32_t n = 0;
    for (auto& backend : backends_)
        for (const CameraEntry& e : backend->cameras()) n += e.reachable ? 1 : 0;
    return n;
}

uint32_t Library::cameraList(struct MkCameraInfo* list, uint32_t length, uint32_t* total, uint32_t recordSize,
                             bool reachable)
{
    if (recordSize != sizeof(struct MkCameraInfo) || (!list && length > 0))
        return 0;
    uint32_t filled = 0, seen = 0;
    for (auto& backend : backends_)
        for (const CameraEntry& e : backend->cameras()) {
            if (e.reachable != reachable)
                continue;
            ++seen;
            if (filled < length)
                fillInfo(e, list[filled++]);
        }
    if (total)
        *total = seen;
    return filled;
}

Code Library::cameraInfo(uint32_t uniqueId, struct MkCameraInfo* info, uint32_t recordSize)
{
    if (!info || recordSize != sizeof(struct MkCameraInfo))
        return MK_ERR_BAD_PARAMETER;
    CameraEntry entry;
    if (!backendOf(uniqueId, &entry))
        return MK_ERR_NOT_FOUND;
    fillInfo(entry, *info);
    return 0;
}

Code Library::cameraInfoByAddress(uint32_t address, struct MkCameraInfo* info, uint32_t recordSize)
{
    if (!info || recordSize != sizeof(struct MkCameraInfo))
        return MK_ERR_BAD_PARAMETER;
    for (auto& backend : backends_)
        for (const CameraEntry& e : backend->cameras())
            if (e.address == address) {
                fillInfo(e, *info);
                return 0;
            }
    return MK_ERR_NOT_FOUND;
}

Code Library::open(uint32_t uniqueId, uint32_t accessMode, MkHandle* handle)
{
    if (!handle || (accessMode != MK_ACCESS_MASTER && accessMode != MK_ACCESS_MONITOR))
        return MK_ERR_BAD_PARAMETER;
    *handle = nullptr;
    Backend* backend = backendOf(uniqueId, nullptr);
    if (!backend)
        return MK_ERR_NOT_FOUND;
    auto camera = std::make_shared<OpenCamera>();
    if (const Code code = backend->open(uniqueId, accessMode, camera->session))
        return code;
    camera->uniqueId = uniqueId;
    camera->sink = std::make_unique<Sink>(*this, *camera);
    std::lock_guard lock(mutex_);
    nextHandle_ += 0x10; // handles are never given out twice
    camera->handle = reinterpret_cast<MkHandle>(nextHandle_);
    handles_[nextHandle_] = camera;
    *handle = camera->handle;
    return 0;
}

Code Library::openByAddress(uint32_t address, uint32_t accessMode, MkHandle* handle)
{
    struct MkCameraInfo info;
    if (const Code code = cameraInfoByAddress(address, &info, sizeof info))
        return code;
    return open(info.uniqueId, accessMode, handle);
}

std::shared_ptr<Library::OpenCamera> Library::find(MkHandle handle)
{
    std::lock_guard lock(mutex_);
    const auto it = handles_.find(reinterpret_cast<uintptr_t>(handle));
    return it == handles_.end() ? nullptr : it->second;
}

Code Library::close(MkHandle handle)
{
    std::shared_ptr<OpenCamera> camera;
    bool capturing = false;
    {
        std::lock_guard lock(mutex_);
        const auto it = handles_.find(reinterpret_cast<uintptr_t>(handle));
        if (it == handles_.end())
            return MK_ERR_BAD_HANDLE;
        camera = it->second;
        handles_.erase(it);
        capturing = camera->capturing;
        camera->capturing = false;
    }
    if (capturing)
        camera->session->stopStream();
    {
        std::lock_guard lock(mutex_);
        cancelAll(*camera, camera->lost ? MK_ERR_UNPLUGGED : MK_ERR_CANCELLED);
    }
    frameDone_.notify_all();
    camera->session->close();
    return 0;
}

Code Library::ipSettingsGet(uint32_t uniqueId, MkIpSettings* settings)
{
    if (!settings)
        return MK_ERR_BAD_PARAMETER;
    Backend* backend = backendOf(uniqueId, nullptr);
    if (!backend)
        return MK_ERR_NOT_FOUND;
    IpConfig c;
    if (const Code code = backend->ipSettings(uniqueId, c))
        return code;
    settings->configMode = c.mode, settings->configModes = c.supportedModes;
    settings->currentAddress = c.address, settings->currentMask = c.mask, settings->currentGateway = c.gateway;
    settings->persistentAddress = c.persistentAddress, settings->persistentMask = c.persistentMask;
    settings->persistentGateway = c.persistentGateway;
    return 0;
}

Code Library::ipSettingsChange(uint32_t uniqueId, const MkIpSettings* settings)
{
    if (!settings)
        return MK_ERR_BAD_PARAMETER;
    Backend* backend = backendOf(uniqueId, nullptr);
    if (!backend)
        return MK_ERR_NOT_FOUND;
    IpConfig c;
    if (const Code code = backend->ipSettings(uniqueId, c))
        return code;
    c.mode = settings->configMode;
    c.persistentAddress = settings->persistentAddress, c.persistentMask = settings->persistentMask;
    c.persistentGateway = settings->persistentGateway;
    return backend->changeIpSettings(uniqueId, c);
}

void Library::complete(OpenCamera& camera, MkFrame* frame, Code status, const FrameResult* result)
{
    FrameEntry& entry = camera.frames[frame];
    entry.state = FrameEntry::State::Done;
    frame->status = status;
    if (result) {
        frame->imageSize = result->bytes;
        frame->width = result->width, frame->height = result->height;
        frame->regionX = result->offsetX, frame->regionY = result->offsetY;
        frame->pixelFormat = result->pixelFormat, frame->bitDepth = result->bitDepth;
        frame->frameCount = result->frameNumber;
        frame->timestampLo = uint32_t(result->timestampUs), frame->timestampHi = uint32_t(result->timestampUs >> 32);
    } else {
        frame->imageSize = 0;
    }
    if (entry.callback) {
        const MkFrameCallback callback = entry.callback;
        post([callback, frame] { callback(frame); });
    }
}

void Library::cancelAll(OpenCamera& camera, Code status)
{
    while (!camera.queue.empty()) {
        MkFrame* frame = camera.queue.front();
        camera.queue.pop_front();
        complete(camera, frame, status, nullptr);
    }
    // After stopStream (or an unplug) the backend hands nothing back any more.
    for (auto& [token, frame] : camera.held) complete(camera, frame, status, nullptr);
    camera.held.clear();
}

void Library::frameDone(OpenCamera& camera, const FrameSlot& slot, const FrameResult& result)
{
    {
        std::lock_guard lock(mutex_);
        const auto it = camera.held.find(slot.token);
        if (it == camera.held.end())
            return; // already ended by a close or an unplug
        MkFrame* frame = it->second;
        camera.held.erase(it);
        FrameEntry& entry = camera.frames[frame];
        FrameResult r = result;
        Code status = entry.cancelled ? Code(MK_ERR_CANCELLED) : result.status;
        entry.cancelled = false;
        if (status == 0 && frameStatus_.remaining != 0) {
            if (frameStatus_.remaining > 0)
                --frameStatus_.remaining;
            status = frameStatus_.code;
            r.bytes = status == MK_ERR_DATA_MISSING ? r.bytes / 2 : 0;
        }
        complete(camera, frame, status, &r);
    }
    frameDone_.notify_all();
}

Code Library::captureStart(MkHandle handle)
{
    const auto camera = find(handle);
    if (!camera)
        return MK_ERR_BAD_HANDLE;
    {
        std::lock_guard lock(mutex_);
        if (camera->lost)
            return MK_ERR_UNPLUGGED;
        if (camera->capturing)
            return MK_ERR_BAD_SEQUENCE;
        camera->capturing = true;
    }
    const Code code = camera->session->startStream(*camera->sink);
    if (code) {
        std::lock_guard lock(mutex_);
        camera->capturing = false;
    }
    return code;
}

Code Library::captureEnd(MkHandle handle)
{
    const auto camera = find(handle);
    if (!camera)
        return MK_ERR_BAD_HANDLE;
    {
        std::lock_guard lock(mutex_);
        if (camera->lost)
            return MK_ERR_UNPLUGGED;
        if (!camera->capturing)
            return MK_ERR_BAD_SEQUENCE;
        camera->capturing = false;
    }
    camera->session->stopStream();
    {
        std::lock_guard lock(mutex_);
        cancelAll(*camera, MK_ERR_CANCELLED);
    }
    frameDone_.notify_all();
    return 0;
}

Code Library::captureQuery(MkHandle handle, uint32_t* started)
{
    if (!started)
        return MK_ERR_BAD_PARAMETER;
    const auto camera = find(handle);
    if (!camera)
        return MK_ERR_BAD_HANDLE;
    std::lock_guard lock(mutex_);
    *started = camera->capturing ? 1 : 0;
    return camera->lost ? MK_ERR_UNPLUGGED : 0;
}

Code Library::adjustPacketSize(MkHandle handle, uint32_t largest)
{
    return session(handle, [&](CameraSession& s) { return s.adjustPacketSize(largest); });
}

Code Library::queueFrame(MkHandle handle, MkFrame* frame, MkFrameCallback callback)
{
    if (!frame || !frame->imageBuffer || frame->imageBufferSize == 0)
        return MK_ERR_BAD_PARAMETER;
    const auto camera = find(handle);
    if (!camera)
        return MK_ERR_BAD_HANDLE;
    {
        std::lock_guard lock(mutex_);
        if (camera->lost)
            return MK_ERR_UNPLUGGED;
        if (!camera->capturing)
            return MK_ERR_BAD_SEQUENCE;
        FrameEntry& entry = camera->frames[frame];
        if (entry.state != FrameEntry::State::Done)
            return MK_ERR_BAD_PARAMETER; // already on the queue
        if (camera->queue.size() + camera->held.size() >= kMaxQueuedFrames)
            return MK_ERR_QUEUE_FULL;
        entry.state = FrameEntry::State::Queued;
        entry.callback = callback;
        entry.cancelled = false;
        camera->queue.push_back(frame);
    }
    wake();
    return 0;
}

Code Library::queueClear(MkHandle handle)
{
    const auto camera = find(handle);
    if (!camera)
        return MK_ERR_BAD_HANDLE;
    {
        std::lock_guard lock(mutex_);
        if (camera->lost)
            return MK_ERR_UNPLUGGED;
        while (!camera->queue.empty()) {
            MkFrame* frame = camera->queue.front();
            camera->queue.pop_front();
            complete(*camera, frame, MK_ERR_CANCELLED, nullptr);
        }
        // A frame the camera is filling right now ends cancelled when it comes back.
        for (auto& [token, frame] : camera->held) camera->frames[frame].cancelled = true;
    }
    frameDone_.notify_all();
    return 0;
}

Code Library::waitFrame(MkHandle handle, MkFrame* frame, uint32_t timeoutMs)
{
    if (!frame)
        return MK_ERR_BAD_PARAMETER;
    const auto camera = find(handle);
    if (!camera)
        return MK_ERR_BAD_HANDLE;
    const uint64_t deadline = timeoutMs == 0xFFFFFFFF ? kNoLimit : time_.nowUs() + uint64_t(timeoutMs) * 1000;
    std::unique_lock lock(mutex_);
    const auto it = camera->frames.find(frame);
    if (it == camera->frames.end())
        return MK_ERR_BAD_PARAMETER; // never queued here: nothing would ever end the wait
    for (;;) {
        if (it->second.state == FrameEntry::State::Done)
            return frame->status == MK_ERR_UNPLUGGED ? Code(MK_ERR_UNPLUGGED) : Code(0);
        if (camera->lost)
            return MK_ERR_UNPLUGGED;
        if (deadline != kNoLimit && time_.nowUs() >= deadline)
            return MK_ERR_TIMEOUT;
        time_.waitUntil(lock, frameDone_, deadline);
    }
}

Code Library::session(MkHandle handle, const std::function<Code(CameraSession&)>& work)
{
    const auto camera = find(handle);
    if (!camera)
        return MK_ERR_BAD_HANDLE;
    return work(*camera->session);
}

Code Library::attrList(MkHandle handle, const char* const** names, uint32_t* count)
{
    if (!names || !count)
        return MK_ERR_BAD_PARAMETER;
    const auto camera = find(handle);
    if (!camera)
        return MK_ERR_BAD_HANDLE;
    std::vector<std::string> list;
    if (const Code code = camera->session->attributeNames(list))
        return code;
    std::lock_guard lock(mutex_);
    // The array stays the library's until the handle closes; a second call gives the same one.
    if (camera->names.empty()) {
        camera->names = std::move(list);
        for (const std::string& n : camera->names) camera->namePointers.push_back(n.c_str());
    }
    *names = camera->namePointers.data();
    *count = uint32_t(camera->namePointers.size());
    return 0;
}

Code Library::attrInfo(MkHandle handle, const char* name, struct MkAttrInfo* info)
{
    if (!name || !info)
        return MK_ERR_BAD_PARAMETER;
    const auto camera = find(handle);
    if (!camera)
        return MK_ERR_BAD_HANDLE;
    AttrDescription d;
    if (const Code code = camera->session->describe(name, d))
        return code;
    std::lock_guard lock(mutex_);
    auto it = camera->descriptions.find(name);
    if (it == camera->descriptions.end())
        it = camera->descriptions.emplace(name, std::move(d)).first;
    std::memset(info, 0, sizeof *info);
    info->type = it->second.type;
    info->flags = it->second.flags;
    info->category = it->second.category.c_str();
    info->impacts = it->second.impacts.c_str();
    return 0;
}

Code Library::attrExists(MkHandle handle, const char* name)
{
    if (!name)
        return MK_ERR_BAD_PARAMETER;
    AttrDescription d;
    return session(handle, [&](CameraSession& s) { return s.describe(name, d); });
}

Code Library::attrIsAvailable(MkHandle handle, const char* name)
{
    if (!name)
        return MK_ERR_BAD_PARAMETER;
    return session(handle, [&](CameraSession& s) { return s.isAvailable(name); });
}

Code Library::attrIsValid(MkHandle handle, const char* name)
{
    if (!name)
        return MK_ERR_BAD_PARAMETER;
    return session(handle, [&](CameraSession& s) { return s.isValid(name); });
}

Code Library::rangeEnum(MkHandle handle, const char* name, char* buffer, uint32_t size, uint32_t* length)
{
    if (!name)
        return MK_ERR_BAD_PARAMETER;
    AttrRange r;
    if (const Code code = session(handle, [&](CameraSession& s) { return s.range(name, MK_ATTR_ENUM, r); }))
        return code;
    std::string text;
    for (const std::string& choice : r.choices) text += (text.empty() ? "" : ",") + choice;
    return copyText(text, buffer, size, length);
}

namespace {

template <class T>
Code rangeOf(Code code, const AttrRange& r, T* minimum, T* maximum)
{
    if (code)
        return code;
    *minimum = std::get<T>(r.minimum);
    *maximum = std::get<T>(r.maximum);
    return 0;
}

} // namespace

template <typename T>
Code Library::rangeTyped(MkHandle handle, const char* name, uint32_t type, T* minimum, T* maximum)
{
    if (!name || !minimum || !maximum)
        return MK_ERR_BAD_PARAMETER;
    AttrRange r;
    return rangeOf(session(handle, [&](CameraSession& s) { return s.range(name, type, r); }), r, minimum, maximum);
}

Code Library::rangeUint32(MkHandle handle, const char* name, uint32_t* minimum, uint32_t* maximum)
{
    return rangeTyped(handle, name, MK_ATTR_UINT32, minimum, maximum);
}

Code Library::rangeFloat32(MkHandle handle, const char* name, float* minimum, float* maximum)
{
    return rangeTyped(handle, name, MK_ATTR_FLOAT32, minimum, maximum);
}

Code Library::rangeInt64(MkHandle handle, const char* name, int64_t* minimum, int64_t* maximum)
{
    return rangeTyped(handle, name, MK_ATTR_INT64, minimum, maximum);
}

Code Library::commandRun(MkHandle handle, const char* name)
{
    if (!name)
        return MK_ERR_BAD_PARAMETER;
    return session(handle, [&](CameraSession& s) { return s.run(name); });
}

Code Library::textGet(MkHandle handle, const char* name, uint32_t type, char* buffer, uint32_t size,
                      uint32_t* length)
{
    if (!name || (!buffer && size > 0))
        return MK_ERR_BAD_PARAMETER;
    AttrValue v;
    if (const Code code = session(handle, [&](CameraSession& s) { return s.get(name, type, v); }))
        return code;
    return copyText(std::get<std::string>(v), buffer, size, length);
}

Code Library::textSet(MkHandle handle, const char* name, uint32_t type, const char* value)
{
    if (!name || !value)
        return MK_ERR_BAD_PARAMETER;
    return session(handle, [&](CameraSession& s) { return s.set(name, type, std::string(value)); });
}

Code Library::valueGet(MkHandle handle, const char* name, uint32_t type, AttrValue& value)
{
    if (!name)
        return MK_ERR_BAD_PARAMETER;
    return session(handle, [&](CameraSession& s) { return s.get(name, type, value); });
}

Code Library::valueSet(MkHandle handle, const char* name, uint32_t type, const AttrValue& value)
{
    if (!name)
        return MK_ERR_BAD_PARAMETER;
    return session(handle, [&](CameraSession& s) { return s.set(name, type, value); });
}

Code Library::eventCallbackRegister(MkHandle handle, MkCameraEventCallback callback, void* context)
{
    const auto camera = find(handle);
    if (!camera)
        return MK_ERR_BAD_HANDLE;
    std::lock_guard lock(mutex_);
    camera->eventCallback = callback;
    camera->eventContext = context;
    return 0;
}

Code Library::registersRead(MkHandle handle, uint32_t count, const uint32_t* addresses, uint32_t* values,
                            uint32_t* done)
{
    if (done)
        *done = 0;
    if (count > 0 && (!addresses || !values))
        return MK_ERR_BAD_PARAMETER;
    uint32_t n = 0;
    const Code code = session(handle, [&](CameraSession& s) {
        return s.readRegisters({addresses, count}, {values, count}, n);
    });
    if (done)
        *done = n;
    return code;
}

Code Library::registersWrite(MkHandle handle, uint32_t count, const uint32_t* addresses, const uint32_t* values,
                             uint32_t* done)
{
    if (done)
        *done = 0;
    if (count > 0 && (!addresses || !values))
        return MK_ERR_BAD_PARAMETER;
    uint32_t n = 0;
    const Code code = session(handle, [&](CameraSession& s) {
        return s.writeRegisters({addresses, count}, {values, count}, n);
    });
    if (done)
        *done = n;
    return code;
}

Code Library::memoryRead(MkHandle handle, uint32_t address, uint32_t size, void* buffer, uint32_t* done)
{
    if (done)
        *done = 0;
    if (size > 0 && !buffer)
        return MK_ERR_BAD_PARAMETER;
    uint32_t n = 0;
    const Code code = session(handle, [&](CameraSession& s) {
        return s.readMemory(address, {static_cast<uint8_t*>(buffer), size}, n);
    });
    if (done)
        *done = n;
    return code;
}

Code Library::memoryWrite(MkHandle handle, uint32_t address, uint32_t size, const void* buffer, uint32_t* done)
{
    if (done)
        *done = 0;
    if (size > 0 && !buffer)
        return MK_ERR_BAD_PARAMETER;
    uint32_t n = 0;
    const Code code = session(handle, [&](CameraSession& s) {
        return s.writeMemory(address, {static_cast<const uint8_t*>(buffer), size}, n);
    });
    if (done)
        *done = n;
    return code;
}

std::string Library::status()
{
    std::string text = diagnostics_;
    for (auto& backend : backends_)
        for (const std::string& line : backend->problems()) text += line + "\n";
    return text.empty() ? "ok" : text;
}

std::string Library::controlCommand(const std::string& command, Code& code)
{
    std::istringstream in(command);
    std::string verb;
    in >> verb;
    code = 0;
    const auto count = [&](std::string word, int64_t& remaining) {
        if (word.empty() || word == "once")
            remaining = 1;
        else if (word == "always")
            remaining = -1;
        else {
            char* end = nullptr;
            remaining = std::strtoll(word.c_str(), &end, 10);
            if (*end || remaining <= 0)
                return false;
        }
        return true;
    };
    const auto bad = [&](std::string text) {
        code = MK_ERR_BAD_PARAMETER;
        return "error: " + text;
    };
    if (verb == "fail" || verb == "delay") {
        std::string function, valueText, times;
        in >> function >> valueText >> times;
        auto& table = verb == "fail" ? failures_ : delays_;
        std::lock_guard lock(mutex_);
        if (function == "clear") {
            table.clear();
            return "ok";
        }
        if (valueText == "off") {
            table.erase(function);
            return "ok";
        }
        char* end = nullptr;
        const unsigned long value = std::strtoul(valueText.c_str(), &end, 0);
        Fault f;
        if (function.empty() || valueText.empty() || *end || !count(times, f.remaining))
            return bad("usage: " + verb + " FUNCTION " + (verb == "fail" ? "CODE" : "MS") + " [once|N|always]");
        f.code = uint32_t(value);
        table[function] = f;
        return "ok";
    }
    if (verb == "frame-status") {
        std::string valueText, times;
        in >> valueText >> times;
        Fault f;
        if ((valueText != "15" && valueText != "16" && valueText != "0") || !count(times, f.remaining))
            return bad("usage: frame-status 15|16|0 [once|N|always]");
        f.code = uint32_t(std::stoul(valueText));
        if (f.code == 0)
            f.remaining = 0;
        std::lock_guard lock(mutex_);
        frameStatus_ = f;
        return "ok";
    }
    if (verb == "status")
        return status();
    for (auto& backend : backends_) {
        std::string reply;
        if (backend->control(command, code, reply)) {
            wake();
            return reply;
        }
    }
    code = MK_ERR_NOT_FOUND;
    return "error: unknown command '" + verb + "'";
}

Code Library::control(const char* command, char* reply, uint32_t size)
{
    if (!command)
        return MK_ERR_BAD_PARAMETER;
    Code code = 0;
    const std::string text = controlCommand(command, code);
    if (reply && size > 0) {
        const size_t n = std::min<size_t>(text.size(), size - 1);
        std::memcpy(reply, text.data(), n);
        reply[n] = '\0';
    }
    return code;
}

} // namespace mkapi
