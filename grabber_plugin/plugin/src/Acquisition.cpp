// The grabber's frame buffers and acquisition: preparing the buffers, the
// three kinds of snap, the frame callback on the library's thread, stopping.
//
// Waits on the library are bounded (the library would wait for ever on a
// camera that stopped sending): a frame gets ten frame periods of the camera's
// AcquisitionFrameRate, at least 2 s and at most a minute (FrameWaitBoundMs);
// StopSnap gives all its buffers together that long; the frame callbacks
// still pending after the acquisition ended get that long too. A bound that
// ends a wait is logged, and the grabber is left idle so that StopSnap,
// CloseActCamera and a new Snap work.
#include "FramixZelmkAPIClass.h"

#include "GrabberLog.h"
#include "UnifiedCamera.h"
#include "UnifiedGfxMode.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <new>

namespace {

constexpr uint64_t kMaxFrameBuffers = 100;
// A register exchange of a serial channel holds the mutex for at most a few
// library time-outs; far beyond them the mutex is taken to be stuck.
constexpr DWORD kMutexWaitMs = 30000;

// Sizing asks the framework's mode through its virtual getters, in this order.
class ModeOf final : public zelmk::FrameBufferMode {
public:
    explicit ModeOf(CUnifiedGfxMode& mode) : m_mode(mode) {}
    UG_CONVERSION_FUNCTION ConversionFunction() override { return m_mode.GetConversionFunction(); }
    uint32_t IntermediateBufferSize() override { return m_mode.GetIntermediateBufferSize(); }
    uint64_t FrameBufferSize() override { return m_mode.GetFrameBufferSize(); }
    uint32_t Width() override { return m_mode.GetxRes(); }
    uint32_t Height() override { return m_mode.GetyRes(); }

private:
    CUnifiedGfxMode& m_mode;
};

uint64_t Milliseconds() { return ::GetTickCount64(); }

DWORD Remaining(uint64_t deadline)
{
    const uint64_t now = Milliseconds();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

} // namespace

// Formatted on the stack: the frame path allocates nothing of its own.
void CFramixZelmkAPIClass::LogText(int level, const char* format, ...)
{
    if (!m_pLog) return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_pLog->PrintText(level, text);
}

uint32_t CFramixZelmkAPIClass::FrameWaitMs()
{
    float rate = 0;
    const bool read = m_hCamera && (*m_pMkApi)->MkAttrFloat32Get(m_hCamera, "AcquisitionFrameRate", &rate) == MK_ERR_SUCCESS;
    return zelmk::FrameWaitBoundMs(read ? std::optional<float>(rate) : std::nullopt, m_minimumFrameWaitMs);
}

// ---------------------------------------------------------------- buffers

UG_ERRCODE CFramixZelmkAPIClass::PrepareFrameBuffers()
{
    if (!m_bInitialized) return UG_ERR_NOT_INITIALIZED;
    if (!m_bCameraOpen) return UG_ERR_CAMERA_NOT_OPEN;
    CUnifiedCamera* camera = GetActCamera();
    CUnifiedGfxMode* mode = camera ? camera->GetActGfxMode() : nullptr;
    if (!mode) return UG_ERR_NO_GFXMODE;
    if (SnapModeNow() != UG_SNAP_IDLE) return UG_ERR_ACQUISITION_RUNNING;

    LogText(1, "CFramixZelmkAPIClass::PrepareFrameBuffers");
    const DWORD got = ::WaitForSingleObject(m_mutex.get(), kMutexWaitMs);
    if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) {
        LogText(0, "  ERROR: CFramixZelmkAPIClass::PrepareFrameBuffers: mutex not free within %lu ms, buffers unchanged",
                static_cast<unsigned long>(kMutexWaitMs));
        LogText(1, "CFramixZelmkAPIClass::PrepareFrameBuffers EXIT");
        return UG_ERR_FAILED;
    }
    LogText(1, "  CFramixZelmkAPIClass::PrepareFrameBuffers: got mutex");

    CUnifiedGrabber::PrepareFrameBuffers();
    m_bBuffersReady = 0;
    const uint64_t wanted = m_NumFrameBuffers;
    UG_ERRCODE result = UG_OK;
    if (wanted > kMaxFrameBuffers) {
        if (m_pLog) m_pLog->PrintError("  ERROR: Requested %I64u buffers, but device supports only %I64u", wanted, kMaxFrameBuffers);
        result = UG_ERR_FAILED;
    } else if (CallbacksOut() && !WaitForCallbacks("CFramixZelmkAPIClass::PrepareFrameBuffers")) {
        // The library may still write into them: neither resized nor freed.
        result = UG_ERR_ACQUISITION_RUNNING;
    } else {
        while (m_FrameBuffers.size() > wanted) m_FrameBuffers.pop_back();
        while (m_FrameBuffers.size() < wanted) {
            const uint64_t index = m_FrameBuffers.size();
            std::unique_ptr<zelmk::CFrameBuffer> buffer(new (std::nothrow) zelmk::CFrameBuffer(this, index));
            try {
                if (buffer) m_FrameBuffers.push_back(std::move(buffer));
            } catch (...) {
                buffer.reset();
            }
            if (m_FrameBuffers.size() == index) {
                if (m_pLog) m_pLog->PrintError("  ERROR: could not allocate memory for frame buffers %I64u", index);
                result = UG_ERR_FAILED;
                break;
            }
        }
        ModeOf sizing(*mode);
        for (size_t i = 0; result == UG_OK && i < m_FrameBuffers.size(); ++i) {
            zelmk::CFrameBuffer& buffer = *m_FrameBuffers[i];
            if (!buffer.SizeFor(sizing)) {
                if (m_pLog) m_pLog->PrintError("  ERROR: could not allocate memory for frame buffers %I64u", uint64_t(i));
                result = UG_ERR_FAILED;
                break;
            }
            if (m_pLog)
                m_pLog->Print(1, "Allocated buffer %I64u adr = 0x%p, size = %I64u", uint64_t(i), static_cast<void*>(buffer.ImageBuffer()),
                              buffer.ImageSize());
        }
    }
    m_bBuffersReady = result == UG_OK ? 1 : 0;
    LogText(1, "%u Framebuffers are currently allocated.", static_cast<unsigned>(m_FrameBuffers.size()));
    ::ReleaseMutex(m_mutex.get());
    LogText(1, "CFramixZelmkAPIClass::PrepareFrameBuffers EXIT");
    return result;
}

void* CFramixZelmkAPIClass::GetFrameBuffer(uint64_t index)
{
    return index < m_FrameBuffers.size() ? m_FrameBuffers[index]->ImageBuffer() : nullptr;
}

int32_t CFramixZelmkAPIClass::GetSnapMode() { return SnapModeNow(); }

void CFramixZelmkAPIClass::SetSnapMode(int32_t mode)
{
    StoreSnapMode(mode);
    if (mode == UG_SNAP_IDLE && m_hSnapDoneEvent) ::SetEvent(m_hSnapDoneEvent);
}

// ---------------------------------------------------------------- callbacks out

uint32_t CFramixZelmkAPIClass::QueueWithCallback(MkFrame& frame)
{
    m_callbacksOut.fetch_add(1);
    const uint32_t code = (*m_pMkApi)->MkCaptureQueueFrame(m_hCamera, &frame, &FrameTrampoline);
    if (code != MK_ERR_SUCCESS) CallbackFinished();
    return code;
}

void CFramixZelmkAPIClass::CallbackFinished()
{
    if (m_callbacksOut.fetch_sub(1) == 1) ::SetEvent(m_callbacksIdle.get());
}

// Completed frames' callbacks run on the library's thread after the frame is
// done, so after MkCaptureEnd some may still be pending: the buffers they
// reach must outlive them.
bool CFramixZelmkAPIClass::WaitForCallbacks(const char* caller)
{
    // From inside a frame callback: that callback is this very call's caller.
    if (m_callbackThread.load() == ::GetCurrentThreadId()) return true;
    const uint32_t bound = FrameWaitMs();
    const uint64_t deadline = Milliseconds() + bound;
    while (CallbacksOut()) {
        // Reset before the second look, so a count that reaches 0 now still wakes the wait.
        ::ResetEvent(m_callbacksIdle.get());
        if (!CallbacksOut()) break;
        const DWORD left = Remaining(deadline);
        if (left == 0 || ::WaitForSingleObject(m_callbacksIdle.get(), left) == WAIT_FAILED) {
            LogText(0, "%s: %u frame callbacks still pending after %u ms, frame buffers kept", caller,
                    static_cast<unsigned>(m_callbacksOut.load()), bound);
            return false;
        }
    }
    return true;
}

void MKAPI_CALL CFramixZelmkAPIClass::FrameTrampoline(MkFrame* frame)
{
    auto* grabber = frame ? static_cast<CFramixZelmkAPIClass*>(zelmk::CFrameBuffer::GrabberOf(frame)) : nullptr;
    if (!grabber) return;
    grabber->m_callbackThread.store(::GetCurrentThreadId());
    try {
        grabber->FrameCallback(frame);
    } catch (...) {
        // Nothing may leave into the library's thread.
    }
    grabber->m_callbackThread.store(0);
    grabber->CallbackFinished();
}

// ---------------------------------------------------------------- the frame path

void CFramixZelmkAPIClass::FrameCallback(MkFrame* frame)
{
    const int32_t mode = SnapModeNow();
    zelmk::CFrameBuffer* buffer = zelmk::CFrameBuffer::FromFrame(frame);
    const uint64_t index = zelmk::CFrameBuffer::IndexOf(frame);
    const auto& api = *m_pMkApi;

    if (frame->status != MK_ERR_SUCCESS) {
        char text[128];
        std::snprintf(text, sizeof text, "CFramixZelmkAPIClass::FrameCallback: Unhandeled frame status at buffer idx = %" PRIu64, index);
        PrintApiError(text, frame->status);
    } else {
        const uint64_t count = m_FrameCounter.fetch_add(1) + 1;
        LogText(1, "CFramixZelmkAPIClass::FrameCallback: Successfully grabbed frame: buffer idx = %" PRIu64 ", total count = %" PRIu64,
                index, count);
        switch (buffer->Convert()) {
        case zelmk::CFrameBuffer::Converted::Done:
            LogText(1, "CFramixZelmkAPIClass::FrameCallback: Image conversion done");
            DoPostProcess(index, 1);
            break;
        case zelmk::CFrameBuffer::Converted::NotNeeded: DoPostProcess(index, 1); break;
        case zelmk::CFrameBuffer::Converted::TooShort:
            LogText(0, "CFramixZelmkAPIClass::FrameCallback: frame of %u bytes at buffer idx = %" PRIu64 " is too short for its conversion, not delivered",
                    frame->imageSize, index);
            break;
        }
    }

    switch (mode) {
    case UG_SNAP_IDLE: break;
    case UG_SNAP_CONTINUOUS:
        if (!m_stopping.load()) {
            const uint32_t code = QueueWithCallback(*frame);
            if (code != MK_ERR_SUCCESS) PrintApiError("CFramixZelmkAPIClass::FrameCallback: Cannot requeue frame", code);
        }
        break;
    case UG_SNAP_ASYNC_SINGLE: {
        LogText(1, "CFramixZelmkAPIClass::FrameCallback: An asynchronous single snap has finished");
        uint32_t code = api->MkCommandRun(m_hCamera, "AcquisitionStop");
        if (code == MK_ERR_SUCCESS)
            LogText(1, "CFramixZelmkAPIClass::FrameCallback: successfully stopped camera acquisition");
        else
            PrintApiError("CFramixZelmkAPIClass::FrameCallback: Sending acquisition stop command to camera failed", code);
        code = api->MkCaptureEnd(m_hCamera);
        if (code == MK_ERR_SUCCESS)
            LogText(1, "CFramixZelmkAPIClass::FrameCallback: MkCaptureEnd successful");
        else
            PrintApiError("CFramixZelmkAPIClass::FrameCallback: Calling MkCaptureEnd failed", code);
        SetSnapMode(UG_SNAP_IDLE);
        break;
    }
    default: LogText(0, "CFramixZelmkAPIClass::FrameCallback: unknown snap type"); break;
    }
}

// ---------------------------------------------------------------- snaps

UG_ERRCODE CFramixZelmkAPIClass::Snap(int32_t type)
{
    if (!m_bInitialized) return UG_ERR_NOT_INITIALIZED;
    CUnifiedCamera* camera = GetActCamera();
    if (!camera) return UG_ERR_NO_ACTIVE_CAMERA;
    if (!m_bCameraOpen || !m_hCamera) return UG_ERR_CAMERA_NOT_OPEN;
    if (!camera->GetActGfxMode()) return UG_ERR_NO_GFXMODE;
    if (!m_bBuffersReady || m_FrameBuffers.empty()) return UG_ERR_BUFFERS_NOT_PREPARED;
    if (SnapModeNow() != UG_SNAP_IDLE) return UG_ERR_ACQUISITION_RUNNING;
    if (!m_hFrameEvent || !m_hSnapDoneEvent) return UG_ERR_ACQUISITION_FAILED;
    ::ResetEvent(m_hFrameEvent);
    ::ResetEvent(m_hSnapDoneEvent);
    if (type < UG_SNAP_CONTINUOUS || type > 5) return UG_ERR_OUT_OF_RANGE;
    // Callbacks of an earlier acquisition that a bound gave up on still reach the buffers.
    if (CallbacksOut() && !WaitForCallbacks("CFramixZelmkAPIClass::Snap")) return UG_ERR_ACQUISITION_RUNNING;

    const auto& api = *m_pMkApi;
    StoreSnapMode(type);
    uint32_t packetSize = 8228;
    api->MkAttrUint32Get(m_hCamera, "PacketSize", &packetSize);
    uint32_t code = api->MkCaptureAdjustPacketSize(m_hCamera, packetSize);
    if (code == MK_ERR_SUCCESS)
        LogText(1, "CFramixZelmkAPIClass::Snap: Set packetsize to %u bytes", packetSize);
    else
        PrintApiError("CFramixZelmkAPIClass::Snap: Could not set packet size", code);
    code = api->MkAttrUint32Set(m_hCamera, "GvcpRetries", 10);
    if (code == MK_ERR_SUCCESS)
        LogText(1, "CFramixZelmkAPIClass::Snap: Set GvcpRetries to 10");
    else
        PrintApiError("CFramixZelmkAPIClass::Snap: Could not set GvcpRetries", code);
    code = api->MkCaptureStart(m_hCamera);
    if (code != MK_ERR_SUCCESS) {
        PrintApiError("CFramixZelmkAPIClass::Snap: MkCaptureStart failed", code);
        // A continuous or asynchronous snap keeps its mode until StopSnap.
        if (type >= UG_SNAP_SYNC_SINGLE) SetSnapMode(UG_SNAP_IDLE);
        return UG_ERR_ACQUISITION_FAILED;
    }
    LogText(1, "CFramixZelmkAPIClass::Snap: MkCaptureStart successful");

    if (type == UG_SNAP_CONTINUOUS || type == UG_SNAP_ASYNC_SINGLE) {
        m_stopping.store(false);
        ::ResetEvent(m_stopEvent.get());
        m_FrameCounter.store(0);
        if (type == UG_SNAP_CONTINUOUS) {
            for (const auto& buffer : m_FrameBuffers) {
                code = QueueWithCallback(buffer->Frame());
                if (code == MK_ERR_SUCCESS)
                    LogText(1, "CFramixZelmkAPIClass::Snap: Queued buffer %" PRIu64, buffer->Index());
                else
                    PrintApiError("CFramixZelmkAPIClass::Snap: MkCaptureQueueFrame failed", code);
            }
        } else {
            code = QueueWithCallback(m_FrameBuffers.front()->Frame());
            if (code == MK_ERR_SUCCESS)
                LogText(1, "CFramixZelmkAPIClass::Snap: queued one buffer");
            else
                PrintApiError("CFramixZelmkAPIClass::Snap: MkCaptureQueueFrame failed", code);
        }
        code = api->MkCommandRun(m_hCamera, "AcquisitionStart");
        if (code == MK_ERR_SUCCESS)
            LogText(1, "CFramixZelmkAPIClass::Snap: started camera acquisition");
        else
            PrintApiError("CFramixZelmkAPIClass::Snap: Sending acquisition start command to camera failed", code);
        return UG_OK;
    }

    // Synchronous single frame: queued without callback, waited for here.
    zelmk::CFrameBuffer& first = *m_FrameBuffers.front();
    code = api->MkCaptureQueueFrame(m_hCamera, &first.Frame(), nullptr);
    if (code != MK_ERR_SUCCESS) {
        PrintApiError("CFramixZelmkAPIClass::Snap: MkCaptureQueueFrame failed", code);
        // Started capture would refuse every later MkCaptureStart.
        api->MkCaptureEnd(m_hCamera);
        SetSnapMode(UG_SNAP_IDLE);
        return UG_ERR_ACQUISITION_FAILED;
    }
    LogText(1, "CFramixZelmkAPIClass::Snap: queued one buffer");
    UG_ERRCODE result = UG_OK;
    code = api->MkCommandRun(m_hCamera, "AcquisitionStart");
    if (code != MK_ERR_SUCCESS) {
        PrintApiError("CFramixZelmkAPIClass::Snap: Sending acquisition start command to camera failed", code);
        result = UG_ERR_ACQUISITION_FAILED;
    } else {
        LogText(1, "CFramixZelmkAPIClass::Snap: started camera acquisition");
        const uint32_t bound = FrameWaitMs();
        code = api->MkCaptureWaitForFrameDone(m_hCamera, &first.Frame(), bound);
        if (code != MK_ERR_SUCCESS) {
            PrintApiError("MkCaptureWaitForFrameDone returned with error", code);
            if (code == MK_ERR_TIMEOUT) LogText(0, "CFramixZelmkAPIClass::Snap: no frame within %u ms, wait ended", bound);
            result = UG_ERR_ACQUISITION_FAILED;
        } else if (first.Frame().status != MK_ERR_SUCCESS) {
            // A lost or half-filled frame is not an image.
            PrintApiError("CFramixZelmkAPIClass::Snap: Unhandeled frame status at buffer idx = 0", first.Frame().status);
            result = UG_ERR_ACQUISITION_FAILED;
        } else {
            LogText(1, "CFramixZelmkAPIClass::Snap: snapped one frame");
            m_FrameCounter.store(1);
            const zelmk::CFrameBuffer::Converted converted = first.Convert();
            if (converted == zelmk::CFrameBuffer::Converted::TooShort) {
                LogText(0, "CFramixZelmkAPIClass::Snap: frame of %u bytes is too short for its conversion, not delivered",
                        first.Frame().imageSize);
                result = UG_ERR_ACQUISITION_FAILED;
            } else {
                if (converted == zelmk::CFrameBuffer::Converted::Done) LogText(1, "CFramixZelmkAPIClass::Snap: Image conversion done");
                DoPostProcess(0, 0);
            }
        }
    }
    code = api->MkCommandRun(m_hCamera, "AcquisitionStop");
    if (code == MK_ERR_SUCCESS)
        LogText(1, "CFramixZelmkAPIClass::Snap: stopped camera acquisition");
    else
        PrintApiError("CFramixZelmkAPIClass::Snap: Sending acquisition stop command to camera failed", code);
    api->MkCaptureEnd(m_hCamera);
    SetSnapMode(UG_SNAP_IDLE);
    return result;
}

UG_ERRCODE CFramixZelmkAPIClass::StopSnap()
{
    if (!m_bInitialized) return UG_ERR_NOT_INITIALIZED;
    const int32_t mode = SnapModeNow();
    if (mode != UG_SNAP_CONTINUOUS && mode != UG_SNAP_ASYNC_SINGLE) return UG_OK;

    const auto& api = *m_pMkApi;
    m_stopping.store(true);
    ::SetEvent(m_stopEvent.get());
    uint32_t code = api->MkCaptureQueueClear(m_hCamera);
    if (code == MK_ERR_SUCCESS)
        LogText(1, "CFramixZelmkAPIClass::StopSnap: successfully cleared queue");
    else
        PrintApiError("CFramixZelmkAPIClass::StopSnap: MkCaptureQueueClear failed", code);

    // One bound for all buffers together: a cleared queue gives every buffer
    // back at once, only one being filled takes a frame's time.
    const uint32_t bound = FrameWaitMs();
    const uint64_t deadline = Milliseconds() + bound;
    for (const auto& buffer : m_FrameBuffers) {
        code = api->MkCaptureWaitForFrameDone(m_hCamera, &buffer->Frame(), Remaining(deadline));
        if (code == MK_ERR_SUCCESS) {
            LogText(1, "CFramixZelmkAPIClass::StopSnap: MkCaptureWaitForFrameDone for buffer %" PRIu64 " successful", buffer->Index());
        } else {
            PrintApiError("CFramixZelmkAPIClass::StopSnap: MkCaptureWaitForFrameDone failed", code);
            if (code == MK_ERR_TIMEOUT)
                LogText(0, "CFramixZelmkAPIClass::StopSnap: buffer %" PRIu64 " not back within %u ms, wait ended", buffer->Index(), bound);
        }
    }

    code = api->MkCommandRun(m_hCamera, "AcquisitionStop");
    if (code == MK_ERR_SUCCESS)
        LogText(1, "CFramixZelmkAPIClass::StopSnap: stopped camera acquisition");
    else
        PrintApiError("CFramixZelmkAPIClass::StopSnap: Sending acquisition stop command to camera failed", code);
    // Ends whatever a bound left with the library.
    code = api->MkCaptureEnd(m_hCamera);
    if (code == MK_ERR_SUCCESS)
        LogText(1, "CFramixZelmkAPIClass::StopSnap: MkCaptureEnd successful");
    else
        PrintApiError("CFramixZelmkAPIClass::StopSnap: MkCaptureEnd failed", code);
    WaitForCallbacks("CFramixZelmkAPIClass::StopSnap");
    SetSnapMode(UG_SNAP_IDLE);
    return UG_OK;
}
