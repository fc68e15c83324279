// A grabber plug-in for the framework's tests and for FramixHost: three
// simulated cameras, frames made by a worker thread, and a loopback command
// channel (type 1) beside the framework's serial port (type 0).
#include "CmdChannel.h"
#include "FramixExports.h"
#include "GrabberLog.h"
#include "UnifiedCamera.h"
#include "UnifiedGfxMode.h"
#include "UnifiedGrabber.h"

#include "config_store/IniFile.h"
#include "mk_api/MkApi.h"
#include "win32/module.h"
#include "win32/unique_handle.h"

#include <atomic>
#include <cstring>
#include <deque>
#include <string>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct SimCamera {
    uint32_t uid;
    const char* name;
    uint32_t width, height, components;
    UG_COLORCODING coding;
};

constexpr SimCamera kCameras[] = {
    {101, "Test Camera A", 64, 48, 1, UG_CC_MONO},
    {202, "Test Camera B", 32, 16, 3, UG_CC_RGB},
    {303, "Test Camera C", 8, 8, 1, UG_CC_RAW_CFA},
};

// Bytes written come back to be read, as from a device that echoes.
class CLoopbackChannel : public CCmdChannel {
public:
    CLoopbackChannel()
    {
        std::strcpy(m_TypeKey, "LOOPBACK");
        SetCmdName("LOOP0");
    }
    const char* GetTypeName() override
    {
        std::strcpy(m_TypeName, "Loopback");
        return m_TypeName;
    }
    UG_ERRCODE Open() override
    {
        if (m_bOpen)
            return UG_ERR_CMD_ALREADY_OPEN;
        m_bOpen = 1;
        return UG_OK;
    }
    UG_ERRCODE ReadByte(uint8_t* byte, uint32_t* count) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        *count = 0;
        if (!m_bOpen || pending_.empty())
            return UG_ERR_CMD_READ_FAILED;
        *byte = pending_.front();
        pending_.pop_front();
        *count = 1;
        return UG_OK;
    }
    UG_ERRCODE WriteByte(uint8_t byte, uint32_t* count) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        *count = 0;
        if (!m_bOpen)
            return UG_ERR_CMD_WRITE_FAILED;
        pending_.push_back(byte);
        *count = 1;
        return UG_OK;
    }
    UG_ERRCODE ReadBuffer(void* buffer, uint64_t size, uint64_t* count) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        *count = 0;
        if (!m_bOpen)
            return UG_ERR_CMD_READ_FAILED;
        uint8_t* out = static_cast<uint8_t*>(buffer);
        while (*count < size && !pending_.empty()) {
            out[(*count)++] = pending_.front();
            pending_.pop_front();
        }
        return UG_OK;
    }
    UG_ERRCODE WriteBuffer(const void* buffer, uint64_t size, uint64_t* count) override
    {
        if (m_InterCharDelay > 0)
            return WriteBufferWithDelay(buffer, size, count);
        *count = 0;
        for (uint64_t i = 0; i < size; ++i) {
            uint32_t one = 0;
            if (WriteByte(static_cast<const uint8_t*>(buffer)[i], &one) != UG_OK)
                return UG_ERR_CMD_WRITE_FAILED;
            ++*count;
        }
        return UG_OK;
    }
    UG_ERRCODE Purge(uint32_t flags) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!m_bOpen)
            return UG_ERR_CMD_PURGE_FAILED;
        if (flags & UG_PURGE_RX)
            pending_.clear();
        return UG_OK;
    }
    UG_ERRCODE Close() override
    {
        m_bOpen = 0;
        return UG_OK;
    }

private:
    std::mutex lock_;
    std::deque<uint8_t> pending_;
};

class CTestGrabber : public CUnifiedGrabber {
public:
    explicit CTestGrabber(HINSTANCE module) : CUnifiedGrabber(module)
    {
        SetDriverDesc("Framix test grabber");
        std::strcpy(m_DriverVersion, "1.0");
        m_hFrameEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_hSnapDoneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    ~CTestGrabber() override
    {
        CTestGrabber::DeInit();
        FreeBuffers();
        DeleteCmdChannelList();
        CloseHandle(m_hFrameEvent);
        CloseHandle(m_hSnapDoneEvent);
    }

    UG_ERRCODE LoadGrabberConfig() override
    {
        const UG_ERRCODE base = CUnifiedGrabber::LoadGrabberConfig();
        if (base != UG_OK)
            return base;
        char section[UG_SECTSTR_SIZE];
        InitGrabberSectStr(section, m_GrabberSectionNum);
        selectedUid_ = m_pIniFile->GetUInt(section, "UniqueId", 0, nullptr);
        char library[1024] = {};
        m_pIniFile->GetString(section, "CameraLibrary", "", library, sizeof library, nullptr);
        cameraLibraryPath_ = library;
        return UG_OK;
    }
    UG_ERRCODE SaveGrabberConfig() override
    {
        const UG_ERRCODE base = CUnifiedGrabber::SaveGrabberConfig();
        if (base != UG_OK)
            return base;
        char section[UG_SECTSTR_SIZE];
        InitGrabberSectStr(section, m_GrabberSectionNum);
        const CUnifiedCamera* active = GetActCamera();
        if (active)
            selectedUid_ = const_cast<CUnifiedCamera*>(active)->GetCameraUniqueID();
        return m_pIniFile->WriteUInt(section, "UniqueId", selectedUid_) == 0 ? UG_OK : UG_ERR_FAILED;
    }

    UG_ERRCODE Init() override
    {
        if (m_pLog)
            m_pLog->Print(1, "CTestGrabber::Init");
        if (m_bInitialized)
            return UG_ERR_ALREADY_INITIALIZED;
        CUnifiedGrabber::Init();
        if (!cameraLibraryPath_.empty() && !StartCameraLibrary())
            return UG_ERR_FAILED;
        m_bInitialized = 1;
        BuildList();
        return UG_OK;
    }
    UG_ERRCODE DeInit() override
    {
        if (m_bCameraOpen)
            CloseActCamera();
        DeleteInternalList();
        CUnifiedGrabber::DeInit();
        if (m_bInitialized && uninitialize_)
            uninitialize_();
        m_bInitialized = 0;
        return UG_OK;
    }
    UG_ERRCODE OpenActCamera() override
    {
        if (!m_bInitialized)
            return UG_ERR_NOT_INITIALIZED;
        if (!GetActCamera())
            return UG_ERR_NO_ACTIVE_CAMERA;
        if (m_pLog)
            m_pLog->Print(1, "CTestGrabber::OpenActCamera: %s", GetActCamera()->GetCameraName());
        m_bCameraOpen = 1;
        SetDefaultIodTimerConfigToGrabber();
        UpdateCamCntrlDialogs(0xFFFFFFFFu);
        return UG_OK;
    }
    UG_ERRCODE CloseActCamera() override
    {
        StopSnap();
        m_bBuffersReady = 0;
        if (!m_bCameraOpen)
            return UG_ERR_CAMERA_NOT_OPEN;
        return CUnifiedGrabber::CloseActCamera();
    }
    UG_ERRCODE RescanCameras() override
    {
        if (!m_bInitialized)
            return UG_ERR_NOT_INITIALIZED;
        CloseActCamera();
        const CUnifiedCamera* active = GetActCamera();
        const uint32_t uid = active ? const_cast<CUnifiedCamera*>(active)->GetCameraUniqueID() : 0;
        DeleteInternalList();
        BuildList();
        m_ActCameraIndex = active ? GetCameraIndexByCameraUniqueID(uid) : -1;
        UpdateCamCntrlDialogs(0xFFFFFFFFu);
        return UG_OK;
    }

    UG_ERRCODE PrepareFrameBuffers() override
    {
        if (!m_bInitialized)
            return UG_ERR_NOT_INITIALIZED;
        if (!m_bCameraOpen)
            return UG_ERR_CAMERA_NOT_OPEN;
        CUnifiedGfxMode* mode = GetActCamera() ? GetActCamera()->GetActGfxMode() : nullptr;
        if (!mode)
            return UG_ERR_NO_GFXMODE;
        if (m_SnapMode != 0)
            return UG_ERR_ACQUISITION_RUNNING;
        CUnifiedGrabber::PrepareFrameBuffers();
        FreeBuffers();
        buffers_.assign(m_NumFrameBuffers, std::vector<uint8_t>(mode->GetFrameBufferSize()));
        m_bBuffersReady = 1;
        return UG_OK;
    }
    void* GetFrameBuffer(uint64_t index) override
    {
        return index < buffers_.size() ? buffers_[index].data() : nullptr;
    }

    UG_ERRCODE Snap(int32_t type) override
    {
        if (!m_bInitialized)
            return UG_ERR_NOT_INITIALIZED;
        if (!GetActCamera())
            return UG_ERR_NO_ACTIVE_CAMERA;
        if (!m_bCameraOpen)
            return UG_ERR_CAMERA_NOT_OPEN;
        if (!m_bBuffersReady)
            return UG_ERR_BUFFERS_NOT_PREPARED;
        if (m_SnapMode != 0)
            return UG_ERR_ACQUISITION_RUNNING;
        ResetEvent(m_hFrameEvent);
        ResetEvent(m_hSnapDoneEvent);
        if (type < 1 || type > 5)
            return UG_ERR_OUT_OF_RANGE;
        frames_ = 0;
        if (type >= 3) {
            Fill(0);
            frames_ = 1;
            DoPostProcess(0, 0);
            return UG_OK;
        }
        SetSnapMode(type);
        stop_ = false;
        worker_ = std::thread([this, type] { Produce(type); });
        return UG_OK;
    }
    UG_ERRCODE StopSnap() override
    {
        if (!m_bInitialized)
            return UG_ERR_NOT_INITIALIZED;
        JoinWorker();
        if (m_SnapMode != 0)
            SetSnapMode(0);
        return UG_OK;
    }

    UG_ERRCODE GetGrabberParamLimits(UG_GRABBERFEATURE f, uint64_t* min1, uint64_t* max1, uint64_t* min2,
                                     uint64_t* max2) override
    {
        if (f == UG_FEATURE_TRIGGER_SOURCE)
            return m_bInitialized ? (m_bCameraOpen ? UG_ERR_NOT_SUPPORTED : UG_ERR_CAMERA_NOT_OPEN) : UG_ERR_NOT_INITIALIZED;
        return CUnifiedGrabber::GetGrabberParamLimits(f, min1, max1, min2, max2);
    }
    UG_ERRCODE GetGrabberParam(UG_GRABBERFEATURE f, uint64_t* v1, uint64_t* v2) override
    {
        if (f == UG_FEATURE_FRAME_COUNTER) {
            if (v1) *v1 = frames_;
            if (v2) *v2 = frames_;
            return UG_OK;
        }
        return CUnifiedGrabber::GetGrabberParam(f, v1, v2);
    }

    uint32_t GetNumCmdChannelTypes() override { return 2; }
    CCmdChannel* CreateCmdChannel(uint32_t type) override
    {
        if (type == 0)
            return CreateCmdSerialInstance();
        if (type == 1)
            return new CLoopbackChannel;
        return nullptr;
    }

private:
    // With a camera library named in the grabber's section, its cameras are
    // listed instead of the three built in (so hosts can show what the library knows).
    bool StartCameraLibrary()
    {
        if (!library_)
            library_.reset(LoadLibraryA(cameraLibraryPath_.c_str()));
        using InitFn = uint32_t(MKAPI_CALL*)();
        using ListFn = uint32_t(MKAPI_CALL*)(struct MkCameraInfo*, uint32_t, uint32_t*, uint32_t);
        const auto initialize = win32::BindExport<InitFn>(library_.get(), "MkInitialize");
        uninitialize_ = win32::BindExport<void(MKAPI_CALL*)()>(library_.get(), "MkUnInitialize");
        const auto list = win32::BindExport<ListFn>(library_.get(), "MkCameraListEx");
        if (!initialize || !uninitialize_ || !list || initialize() != 0) {
            if (m_pLog)
                m_pLog->Print(0, "CTestGrabber::Init: camera library \"%s\" not usable", cameraLibraryPath_.c_str());
            uninitialize_ = nullptr;
            return false;
        }
        struct MkCameraInfo records[16];
        uint32_t total = 0;
        const uint32_t n = list(records, 16, &total, sizeof(struct MkCameraInfo));
        simulated_.clear();
        for (uint32_t i = 0; i < n && i < 16; ++i) {
            records[i].name[sizeof records[i].name - 1] = 0;
            names_[i] = records[i].name;
            simulated_.push_back({records[i].uniqueId, names_[i].c_str(), 64, 48, 1, UG_CC_MONO});
        }
        return true;
    }

    void BuildList()
    {
        m_ActCameraIndex = -1;
        CUnifiedCamera* prev = nullptr;
        const bool fromLibrary = uninitialize_ != nullptr;
        const SimCamera* first = fromLibrary ? simulated_.data() : kCameras;
        const size_t count = fromLibrary ? simulated_.size() : std::size(kCameras);
        for (const SimCamera& sim : std::vector<SimCamera>(first, first + count)) {
            CUnifiedCamera* camera = CreateCamera();
            camera->SetCameraSectionNum(-1);
            camera->SetCameraUniqueID(sim.uid);
            camera->SetCameraName(sim.name);
            camera->BuildGfxModeList(0, this);
            CUnifiedGfxMode* mode = camera->GetActGfxMode();
            mode->SetxRes(sim.width);
            mode->SetyRes(sim.height);
            mode->SetNumComponents(sim.components);
            mode->SetAllocatedBitPerComponent(8);
            mode->SetBitPerComponent(8);
            mode->SetColorCoding(sim.coding);
            camera->SetPrev(prev);
            if (prev)
                prev->SetNext(camera);
            else
                SetFirstCamera(camera);
            if (sim.uid == selectedUid_)
                m_ActCameraIndex = GetNumCameras() - 1;
            prev = camera;
        }
    }
    void Fill(size_t index)
    {
        if (index >= buffers_.size())
            return;
        auto& b = buffers_[index];
        for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i + frames_);
    }
    // The simulated camera: a frame about every millisecond until stopped.
    void Produce(int32_t type)
    {
        for (uint64_t i = 0; !stop_; ++i) {
            const size_t index = static_cast<size_t>(i % buffers_.size());
            Fill(index);
            ++frames_;
            DoPostProcess(index, 1);
            if (type == UG_SNAP_ASYNC_SINGLE) {
                SetSnapMode(0);
                return;
            }
            Sleep(1);
        }
    }
    void JoinWorker()
    {
        stop_ = true;
        if (worker_.joinable())
            worker_.join();
    }
    void FreeBuffers()
    {
        JoinWorker();
        buffers_.clear();
    }

    uint32_t selectedUid_ = 0;
    std::string cameraLibraryPath_;
    win32::UniqueModule library_;
    void(MKAPI_CALL* uninitialize_)() = nullptr;
    std::vector<SimCamera> simulated_;
    std::string names_[16];
    std::vector<std::vector<uint8_t>> buffers_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> frames_{0};
};

} // namespace

extern "C" __declspec(dllexport) CUnifiedGrabber* CreateGrabberInstance(HINSTANCE module)
{
    try {
        return new CTestGrabber(module);
    } catch (...) {
        return nullptr;
    }
}

extern "C" __declspec(dllexport) void DeleteGrabberInstance(CUnifiedGrabber* grabber)
{
    delete grabber;
}
