// CFramixZelmkAPIClass: the plug-in's grabber over the camera library binding:
// the camera list from the network, the open camera, the parameter answers,
// the selected camera in the configuration, link events.
#pragma once

#include "UnifiedGrabber.h"

#include "win32/unique_handle.h"
#include "zelmk/FrameBuffer.h"
#include "zelmk/GrabberRules.h"
#include "zelmk/MkApiAccess.h"

#include <atomic>
#include <memory>
#include <vector>

class CFramixZelmkAPIClass : public CUnifiedGrabber {
public:
    // The binding belongs to the plug-in's application object and outlives every grabber.
    CFramixZelmkAPIClass(HINSTANCE module, const zelmk::CmkAPIAccess* api);

    // Overrides, in the base's slot order.
    UG_ERRCODE LoadGrabberConfig() override;
    UG_ERRCODE SaveGrabberConfig() override;
    UG_ERRCODE Init() override;
    UG_ERRCODE DeInit() override;
    UG_ERRCODE OpenActCamera() override;
    int32_t IsActCameraOpen() override;
    UG_ERRCODE CloseActCamera() override;
    const char* GetDriverVersion() override;
    UG_ERRCODE SelectCameraDialog(HWND parent, int32_t* exitCode) override;
    UG_ERRCODE PrepareFrameBuffers() override;
    void* GetFrameBuffer(uint64_t index) override;
    UG_ERRCODE RescanCameras() override;
    UG_ERRCODE GetGrabberParamLimits(UG_GRABBERFEATURE feature, uint64_t* min1, uint64_t* max1, uint64_t* min2,
                                     uint64_t* max2) override;
    UG_ERRCODE GetGrabberParam(UG_GRABBERFEATURE feature, uint64_t* value1, uint64_t* value2) override;
    UG_ERRCODE SetGrabberParam(UG_GRABBERFEATURE feature, uint64_t value1, uint64_t value2) override;
    UG_ERRCODE Snap(int32_t type) override;
    int32_t GetSnapMode() override;
    UG_ERRCODE StopSnap() override;
    UG_ERRCODE CamCntrlDialog(HWND parent) override;
    UG_ERRCODE GrabberConfigDialog(HWND parent, int32_t* exitCode) override;
    UG_ERRCODE GetTimerPeriod(uint64_t* firstUs, uint64_t* secondUs) override;
    UG_ERRCODE SetTimerPeriod(uint64_t firstUs, uint64_t secondUs) override;
    uint32_t GetNumCmdChannelTypes() override;
    CCmdChannel* CreateCmdChannel(uint32_t type) override;
    void DeleteCmdChannel(CCmdChannel* channel) override;
    void SetSnapMode(int32_t mode) override;
    ~CFramixZelmkAPIClass() override;
    CUnifiedCamera* CreateCamera() override;

    // The plug-in's own operations.
    virtual void FrameCallback(MkFrame* frame);
    virtual void LinkCallback(uint32_t interfaceType, uint32_t event, uint32_t uniqueId);
    virtual void CameraEventCallback(MkHandle handle, void* ignored, uint32_t eventListLength);
    virtual void PrintApiError(const char* text, uint32_t code);
    virtual void PrintParameters(MkHandle handle);
    virtual void InitMembers();

    // The wait BuildInternalList gives a link event (WaitForSingleObject unless a test replaces it).
    using LinkWaitFunction = DWORD (*)(HANDLE event, DWORD milliseconds);
    void SetLinkWait(LinkWaitFunction wait) { m_linkWait = wait ? wait : &::WaitForSingleObject; }

    // The floor of every wait for a frame (2 s unless a test lowers it).
    void SetMinimumFrameWait(uint32_t milliseconds) { m_minimumFrameWaitMs = milliseconds; }
    // The frame buffer objects, for tests and hosts that look at the frame records.
    size_t GetNumFrameBufferObjects() const { return m_FrameBuffers.size(); }
    const zelmk::CFrameBuffer* GetFrameBufferObject(uint64_t index) const
    {
        return index < m_FrameBuffers.size() ? m_FrameBuffers[index].get() : nullptr;
    }

    MkHandle GetCameraHandle() const { return m_hCamera; }
    HANDLE GetMutex() const { return m_mutex.get(); }
    uint32_t GetSelectedUniqueId() const { return m_SelectedUniqueId; }
    void SetSelectedUniqueId(uint32_t id) { m_SelectedUniqueId = id; }
    bool IsCameraListValid() const { return m_bCameraListValid.load() != 0; }
    const zelmk::CmkAPIAccess* GetMkApi() const { return m_pMkApi; }

protected:
    UG_ERRCODE BuildInternalList();
    bool ApiUsable() const { return m_pMkApi && m_pMkApi->IsValid(); }
    zelmk::GrabberParamState ParamState() const;

    // The snap mode lives in the framework's field and is shared with the
    // library's thread: every access of the plug-in is atomic.
    int32_t SnapModeNow() const { return std::atomic_ref<int32_t>(const_cast<int32_t&>(m_SnapMode)).load(); }
    void StoreSnapMode(int32_t mode) { std::atomic_ref<int32_t>(m_SnapMode).store(mode); }
    // The wait for a frame, from the camera's frame rate.
    uint32_t FrameWaitMs();
    // Queues a buffer with the frame callback, counting it as out with the library.
    uint32_t QueueWithCallback(MkFrame& frame);
    // Waits, bounded, until no frame callback is pending or running; false when the bound ended it.
    bool WaitForCallbacks(const char* caller);
    void CallbackFinished();
    bool CallbacksOut() const { return m_callbacksOut.load() != 0; }
    void LogText(int level, const char* format, ...);
    // What the library calls for a finished frame: the grabber is the frame's context 0.
    static void MKAPI_CALL FrameTrampoline(MkFrame* frame);

    const zelmk::CmkAPIAccess* m_pMkApi;
    std::atomic<uint64_t> m_FrameCounter{0};
    std::atomic<int32_t> m_bCameraListValid{0};
    uint32_t m_SelectedUniqueId = 0;
    MkHandle m_hCamera = nullptr;
    bool m_linkRegistered = false;
    win32::UniqueHandle<win32::handle_traits::Kernel> m_frameEvent;
    win32::UniqueHandle<win32::handle_traits::Kernel> m_snapDoneEvent;
    win32::UniqueHandle<win32::handle_traits::Kernel> m_mutex;
    win32::UniqueHandle<win32::handle_traits::Kernel> m_stopEvent;
    win32::UniqueHandle<win32::handle_traits::Kernel> m_linkEvent;
    LinkWaitFunction m_linkWait = &::WaitForSingleObject;

    // Owned; allocated only in PrepareFrameBuffers, never on the frame path.
    std::vector<std::unique_ptr<zelmk::CFrameBuffer>> m_FrameBuffers;
    // Set with the stop event; the frame path reads it instead of the event.
    std::atomic<bool> m_stopping{false};
    // Frames queued with the callback whose callback has not finished yet, and
    // the event set when that count reaches 0.
    std::atomic<uint32_t> m_callbacksOut{0};
    win32::UniqueHandle<win32::handle_traits::Kernel> m_callbacksIdle;
    std::atomic<DWORD> m_callbackThread{0};
    uint32_t m_minimumFrameWaitMs = zelmk::kMinimumFrameWaitMs;
};
