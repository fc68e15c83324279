// The grabber: life, configuration, the camera list, the open camera,
// parameters, the timer, channels, the log and link events.
#include "FramixZelmkAPIClass.h"

#include "CamCntrlDlgBase.h"
#include "CmdChannel.h"
#include "CmdZelmkAPI.h"
#include "FramixExports.h"
#include "GrabberLog.h"
#include "UnifiedCameraZelmkAPI.h"
#include "ZelmkAPIFeatureCtrlDialog.h"
#include "app_framework/message_box.h"
#include "app_framework/module_state.h"
#include "config_store/IniFile.h"
#include "zelmk/PrintParameters.h"
#include "zelmk_dialogs/ZelmkAPIDeviceFinderDialog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <vector>

namespace {

constexpr DWORD kLinkWaitMs = 1000;
constexpr const char* kKeyUniqueId = "UniqueId";
// The camera control dialog of our cameras: the feature control dialog.
constexpr int32_t kFeatureCtrlDialogIndex = 2;

// The library calls link callbacks on its own thread and does not wait for a
// running one when it is unregistered; it also unregisters by function and
// event alone, whoever registered them. So the trampoline only reaches
// grabbers that are alive, and a grabber leaves this set (waiting for a
// running callback to finish) before any of it is freed.
std::recursive_mutex& LiveLock()
{
    static std::recursive_mutex lock;
    return lock;
}
std::set<CFramixZelmkAPIClass*>& LiveGrabbers()
{
    static std::set<CFramixZelmkAPIClass*> grabbers;
    return grabbers;
}

void MKAPI_CALL LinkTrampoline(void* context, uint32_t interfaceType, uint32_t event, uint32_t uniqueId)
{
    try {
        std::lock_guard<std::recursive_mutex> guard(LiveLock());
        auto* grabber = static_cast<CFramixZelmkAPIClass*>(context);
        if (LiveGrabbers().count(grabber)) grabber->LinkCallback(interfaceType, event, uniqueId);
    } catch (...) {
        // Nothing may leave into the library's thread.
    }
}

void CopyText(char* buffer, size_t size, const std::string& text)
{
    const size_t n = std::min(size - 1, text.size());
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

} // namespace

CFramixZelmkAPIClass::CFramixZelmkAPIClass(HINSTANCE module, const zelmk::CmkAPIAccess* api) : CUnifiedGrabber(module), m_pMkApi(api)
{
    std::lock_guard<std::recursive_mutex> guard(LiveLock());
    LiveGrabbers().insert(this);
}

void CFramixZelmkAPIClass::InitMembers()
{
    SetDriverDesc("Unified grabber DLL for Zel cameras");
    CopyText(m_DriverName, sizeof m_DriverName, "FramixZelmkAPI.dll");
    m_DriverVersion[0] = '\0';
    m_bCameraListValid = 0;
    m_FrameCounter = 0;
    m_SelectedUniqueId = 0;
    m_hCamera = nullptr;
    m_frameEvent.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_snapDoneEvent.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_hFrameEvent = m_frameEvent.get();
    m_hSnapDoneEvent = m_snapDoneEvent.get();
    m_mutex.reset(::CreateMutexA(nullptr, FALSE, nullptr));
    m_stopEvent.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_linkEvent.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_callbacksIdle.reset(::CreateEventA(nullptr, TRUE, TRUE, nullptr));
}

CFramixZelmkAPIClass::~CFramixZelmkAPIClass()
{
    try {
        DeInit();
        {
            std::lock_guard<std::recursive_mutex> guard(LiveLock());
            LiveGrabbers().erase(this);
        }
        // Last to first. Buffers a frame callback may still reach (a bound
        // gave up on them) are left to the process rather than freed under it.
        if (CallbacksOut() && !WaitForCallbacks("CFramixZelmkAPIClass::~CFramixZelmkAPIClass"))
            for (auto& buffer : m_FrameBuffers) static_cast<void>(buffer.release());
        while (!m_FrameBuffers.empty()) m_FrameBuffers.pop_back();
        DeleteCmdChannelList();
        delete m_pCamCntrlDlg;
        m_pCamCntrlDlg = nullptr;
    } catch (...) {
    }
    // The base may still look at the framework's events while it goes.
    m_hFrameEvent = nullptr;
    m_hSnapDoneEvent = nullptr;
}

zelmk::GrabberParamState CFramixZelmkAPIClass::ParamState() const
{
    return {m_bInitialized != 0, m_bCameraOpen != 0};
}

// ---------------------------------------------------------------- configuration

UG_ERRCODE CFramixZelmkAPIClass::LoadGrabberConfig()
{
    const UG_ERRCODE code = CUnifiedGrabber::LoadGrabberConfig();
    if (code != UG_OK) return code;
    char section[UG_SECTSTR_SIZE];
    InitGrabberSectStr(section, m_GrabberSectionNum);
    m_SelectedUniqueId = m_pIniFile ? m_pIniFile->GetUInt(section, kKeyUniqueId, 0, nullptr) : 0;
    return UG_OK;
}

UG_ERRCODE CFramixZelmkAPIClass::SaveGrabberConfig()
{
    if (m_pLog) m_pLog->Print(1, "CFramixZelmkAPIClass::SaveGrabberConfig");
    const UG_ERRCODE code = CUnifiedGrabber::SaveGrabberConfig();
    if (code != UG_OK) return code;
    char section[UG_SECTSTR_SIZE];
    InitGrabberSectStr(section, m_GrabberSectionNum);
    if (m_pIniFile->WriteUInt(section, kKeyUniqueId, m_SelectedUniqueId) != 0) return UG_ERR_FAILED;
    return UG_OK;
}

// ---------------------------------------------------------------- life

UG_ERRCODE CFramixZelmkAPIClass::Init()
{
    if (m_pLog) {
        m_pLog->Print(1, "CFramixZelmkAPIClass::Init");
        // The records are texts, not formats: a path may hold a '%'.
        if (m_pMkApi)
            for (const auto& record : m_pMkApi->LoadLog()) m_pLog->PrintText(record.ok, record.text.c_str());
    }
    if (!ApiUsable()) return UG_ERR_FAILED;
    if (m_bInitialized) return UG_ERR_ALREADY_INITIALIZED;

    uint32_t major = 0, minor = 0;
    (*m_pMkApi)->MkVersion(&major, &minor);
    if (m_pLog) m_pLog->Print(1, "Using mkAPI V%u.%u", major, minor);
    CopyText(m_DriverVersion, sizeof m_DriverVersion, zelmk::MkApiVersionText(major, minor, m_pMkApi->FileVersion()));

    CUnifiedGrabber::Init();
    (*m_pMkApi)->MkLinkCallbackRegister(&LinkTrampoline, MK_LINK_ADD, this);
    (*m_pMkApi)->MkLinkCallbackRegister(&LinkTrampoline, MK_LINK_REMOVE, this);
    m_linkRegistered = true;

    m_bInitialized = 1;
    const UG_ERRCODE code = BuildInternalList();
    if (code != UG_OK) {
        if (m_pLog) m_pLog->PrintError("ERROR: CFramixZelmkAPIClass::BuildInternalList failed!");
        return code;
    }
    return UG_OK;
}

UG_ERRCODE CFramixZelmkAPIClass::DeInit()
{
    if (m_hCamera || m_bCameraOpen) CloseActCamera();
    // Only what this grabber registered is given back: the library removes
    // registrations by function and event, so an unbalanced call could take
    // another grabber's.
    if (ApiUsable() && m_linkRegistered) {
        (*m_pMkApi)->MkLinkCallbackUnRegister(&LinkTrampoline, MK_LINK_ADD);
        (*m_pMkApi)->MkLinkCallbackUnRegister(&LinkTrampoline, MK_LINK_REMOVE);
        m_linkRegistered = false;
    }
    DeleteInternalList();
    CUnifiedGrabber::DeInit();
    m_bInitialized = 0;
    delete m_pCamCntrlDlg;
    m_pCamCntrlDlg = nullptr;
    return UG_OK;
}

// ---------------------------------------------------------------- the camera

UG_ERRCODE CFramixZelmkAPIClass::OpenActCamera()
{
    if (m_pLog) m_pLog->Print(1, "CFramixZelmkAPIClass::OpenActCamera");
    if (!m_bInitialized) return UG_ERR_NOT_INITIALIZED;
    CUnifiedCamera* camera = GetActCamera();
    if (!camera) return UG_ERR_NO_ACTIVE_CAMERA;
    // A second open would leave the first handle open and lost.
    if (m_hCamera) CloseActCamera();
    MkHandle handle = nullptr;
    const uint32_t code = (*m_pMkApi)->MkCameraOpen(camera->GetCameraUniqueID(), MK_ACCESS_MASTER, &handle);
    if (code != MK_ERR_SUCCESS || !handle) {
        PrintApiError("CFramixZelmkAPIClass::OpenActCamera", code != MK_ERR_SUCCESS ? code : uint32_t{MK_ERR_INTERNAL_FAULT});
        return UG_ERR_FAILED;
    }
    m_hCamera = handle;
    if (m_pLog) m_pLog->Print(1, "Successfully opened camera!");
    PrintParameters(m_hCamera);
    m_bCameraOpen = 1;
    SetDefaultIodTimerConfigToGrabber();
    UpdateCamCntrlDialogs(0xFFFFFFFF);
    return UG_OK;
}

int32_t CFramixZelmkAPIClass::IsActCameraOpen() { return m_bCameraOpen ? 1 : 0; }

UG_ERRCODE CFramixZelmkAPIClass::CloseActCamera()
{
    if (m_pLog) m_pLog->Print(1, "CFramixZelmkAPIClass::CloseActCamera");
    // Closing under a running acquisition would leave its frames' callbacks
    // re-queuing on a closed handle and the snap mode set for ever.
    StopSnap();
    if (m_hCamera) {
        const uint32_t code = (*m_pMkApi)->MkCameraClose(m_hCamera);
        if (code != MK_ERR_SUCCESS) PrintApiError("CFramixZelmkAPIClass::CloseActCamera", code);
        m_hCamera = nullptr;
    } else {
        m_bCameraOpen = 0;
    }
    m_bBuffersReady = 0;
    return m_bCameraOpen ? CUnifiedGrabber::CloseActCamera() : UG_ERR_CAMERA_NOT_OPEN;
}

const char* CFramixZelmkAPIClass::GetDriverVersion()
{
    if (m_pMkApi) CopyText(m_DriverVersion, sizeof m_DriverVersion, m_pMkApi->VersionText());
    return m_DriverVersion;
}

// ---------------------------------------------------------------- the camera list

UG_ERRCODE CFramixZelmkAPIClass::RescanCameras()
{
    if (!m_bInitialized) return UG_ERR_NOT_INITIALIZED;
    CloseActCamera();
    CUnifiedCamera* active = GetActCamera();
    const bool remembered = active != nullptr;
    const uint32_t id = remembered ? active->GetCameraUniqueID() : 0;
    DeleteInternalList();
    const UG_ERRCODE code = BuildInternalList();
    m_ActCameraIndex = remembered ? GetCameraIndexByCameraUniqueID(id) : -1;
    UpdateCamCntrlDialogs(0xFFFFFFFF);
    // A failed build leaves no list; the framework hears of it.
    return code;
}

UG_ERRCODE CFramixZelmkAPIClass::SelectCameraDialog(HWND parent, int32_t* exitCode)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!m_bInitialized) {
        AfxShowMessageBox(parent, "FramixZelmkAPI has not been properly initalized!", "Error", MB_OK | MB_ICONEXCLAMATION);
        return UG_ERR_NOT_INITIALIZED;
    }
    CZelmkAPIDeviceFinderDialog dialog(m_pMkApi->Functions(), CWnd::FromHandle(parent));
    dialog.SetSelectedUniqueId(m_SelectedUniqueId);
    const INT_PTR result = dialog.DoModal();
    if (result != IDOK) {
        if (exitCode) *exitCode = 0;
        // A dialog that could not be shown is no choice of the user's.
        return result == -1 ? UG_ERR_FAILED : UG_OK;
    }
    if (exitCode) *exitCode = 1;
    m_SelectedUniqueId = dialog.GetSelectedUniqueId();
    UG_ERRCODE code = UG_OK;
    if (!IsCameraListValid()) code = RescanCameras();
    m_ActCameraIndex = GetCameraIndexByCameraUniqueID(m_SelectedUniqueId);
    return code;
}

UG_ERRCODE CFramixZelmkAPIClass::CamCntrlDialog(HWND parent)
{
    CUnifiedCamera* camera = GetActCamera();
    if (!camera) return UG_ERR_NO_ACTIVE_CAMERA;
    if (camera->GetCamCntrlDlgIndex() != kFeatureCtrlDialogIndex)
        return CUnifiedGrabber::CamCntrlDialog(parent);
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    try {
        if (!m_pCamCntrlDlg) {
            auto* dialog = new (std::nothrow) CZelmkAPIFeatureCtrlDialog;
            if (!dialog) return UG_ERR_FAILED;
            dialog->SetOwnerClass(this);
            m_pCamCntrlDlg = dialog;
        }
        // The dialog is kept for the next request; its window is made without
        // a parent. Escape and the close box destroy the window (the dialog
        // base's handling), so a kept dialog without one gets a new window.
        if (!m_pCamCntrlDlg->GetSafeHwnd() && !m_pCamCntrlDlg->CreateCamCntrlDlg(IDD_ZELMK_FEATURE_CTRL, nullptr))
            return UG_ERR_FAILED;
        m_pCamCntrlDlg->ShowWindow(SW_SHOW);
        return UG_OK;
    } catch (...) {
        return UG_ERR_FAILED;
    }
}

UG_ERRCODE CFramixZelmkAPIClass::BuildInternalList()
{
    const auto& api = *m_pMkApi;
    api->MkCameraCount();
    // Cameras announce themselves a little after start-up; a link event ends the wait at once.
    ::ResetEvent(m_linkEvent.get());
    m_linkWait(m_linkEvent.get(), kLinkWaitMs);
    const uint32_t count = api->MkCameraCount();
    ::ResetEvent(m_linkEvent.get());
    if (count == 0 && m_pLog) m_pLog->Print(1, "CFramixZelmkAPIClass::BuildInternalList: Warning: currently no cameras found!");

    std::vector<struct MkCameraInfo> records;
    try {
        records.resize(count);
    } catch (...) {
        return UG_ERR_FAILED;
    }
    uint32_t n = 0;
    if (count != 0) n = std::min(api->MkCameraListEx(records.data(), count, nullptr, sizeof(struct MkCameraInfo)), count);

    if (m_pFirstCamera) {
        const UG_ERRCODE code = DeleteInternalList();
        if (code != UG_OK) return code;
    }
    m_ActCameraIndex = -1;
    CUnifiedCamera* first = nullptr;
    CUnifiedCamera* last = nullptr;
    UG_ERRCODE result = UG_OK;
    for (uint32_t i = 0; i < n; ++i) {
        auto* camera = new (std::nothrow) CUnifiedCameraZelmkAPI;
        if (!camera) {
            result = UG_ERR_FAILED;
            break;
        }
        if (last) {
            last->SetNext(camera);
            camera->SetPrev(last);
        } else {
            first = camera;
            camera->SetPrev(nullptr);
        }
        last = camera;
        camera->SetCameraSectionNum(-1);
        camera->SetCameraUniqueID(records[i].uniqueId);
        // The record's name need not be terminated inside its 32 bytes.
        const std::string name(records[i].name, strnlen(records[i].name, sizeof records[i].name));
        camera->SetCameraName(name.c_str());
        if (records[i].uniqueId == m_SelectedUniqueId) m_ActCameraIndex = i;
        camera->BuildGfxModeList(0, this);
    }
    SetFirstCamera(first);
    if (result == UG_OK) m_bCameraListValid = 1;
    return result;
}

void CFramixZelmkAPIClass::LinkCallback(uint32_t interfaceType, uint32_t event, uint32_t uniqueId)
{
    if (m_pLog)
        m_pLog->Print(1, "CFramixZelmkAPIClass::LinkCallback: Interface = %u, Event = %u, UniqueId = %u", interfaceType,
                      event, uniqueId);
    // Stale before the waiter wakes: a list built after this event must not
    // be marked stale by it afterwards.
    m_bCameraListValid = 0;
    ::SetEvent(m_linkEvent.get());
    SignalCamCfgChange();
}

void CFramixZelmkAPIClass::CameraEventCallback(MkHandle handle, void*, uint32_t eventListLength)
{
    if (m_pLog)
        m_pLog->Print(1, "CFramixZelmkAPIClass::CameraEventCallback: handle = %p, EventListLength = %u", handle,
                      eventListLength);
}

CUnifiedCamera* CFramixZelmkAPIClass::CreateCamera() { return new (std::nothrow) CUnifiedCameraZelmkAPI; }

// ---------------------------------------------------------------- the log

void CFramixZelmkAPIClass::PrintApiError(const char* text, uint32_t code)
{
    if (!m_pLog) return;
    // On the stack when it fits: frame callbacks report failed frames with it.
    char line[512];
    const int n = std::snprintf(line, sizeof line, zelmk::ApiErrorFormat(code), text ? text : "", code);
    if (n >= 0 && static_cast<size_t>(n) < sizeof line)
        m_pLog->PrintText(0, line);
    else
        m_pLog->PrintText(0, zelmk::ApiErrorLine(text, code).c_str());
}

void CFramixZelmkAPIClass::PrintParameters(MkHandle handle)
{
    if (!ApiUsable()) return;
    zelmk::PrintCameraParameters(m_pMkApi->Functions(), handle, [this](int level, const std::string& text) {
        if (m_pLog) m_pLog->PrintText(level, text.c_str());
    });
}

// ---------------------------------------------------------------- parameters

UG_ERRCODE CFramixZelmkAPIClass::GetGrabberParamLimits(UG_GRABBERFEATURE feature, uint64_t* min1, uint64_t* max1,
                                                       uint64_t* min2, uint64_t* max2)
{
    const zelmk::ParamLimits limits = zelmk::GrabberParamLimits(feature, ParamState());
    if (limits.framework) return CUnifiedGrabber::GetGrabberParamLimits(feature, min1, max1, min2, max2);
    if (limits.code != UG_OK) return limits.code;
    if (min1) *min1 = limits.min1;
    if (max1) *max1 = limits.max1;
    if (min2) *min2 = limits.min2;
    if (max2) *max2 = limits.max2;
    return UG_OK;
}

UG_ERRCODE CFramixZelmkAPIClass::GetGrabberParam(UG_GRABBERFEATURE feature, uint64_t* value1, uint64_t* value2)
{
    const zelmk::ParamGetAnswer answer = zelmk::GrabberParamGet(feature, ParamState());
    switch (answer.route) {
    case zelmk::ParamGet::Framework: return CUnifiedGrabber::GetGrabberParam(feature, value1, value2);
    case zelmk::ParamGet::Exponent:
        if (value1) *value1 = static_cast<uint64_t>(static_cast<int64_t>(m_Timer.exponent));
        if (value2) *value2 = 0;
        return UG_OK;
    case zelmk::ParamGet::FrameCounter:
        if (value1) *value1 = m_FrameCounter.load();
        if (value2) *value2 = m_FrameCounter.load();
        return UG_OK;
    case zelmk::ParamGet::Code: break;
    }
    return answer.code;
}

UG_ERRCODE CFramixZelmkAPIClass::SetGrabberParam(UG_GRABBERFEATURE feature, uint64_t value1, uint64_t value2)
{
    zelmk::ParamLimits limits;
    const UG_ERRCODE limitsCode = GetGrabberParamLimits(feature, &limits.min1, &limits.max1, &limits.min2, &limits.max2);
    const zelmk::ParamSetAnswer answer = zelmk::GrabberParamSet(feature, limitsCode, limits, value1, value2);
    switch (answer.route) {
    case zelmk::ParamSet::Framework: return CUnifiedGrabber::SetGrabberParam(feature, value1, value2);
    case zelmk::ParamSet::TimerWordA:
        m_TimerPending.wordA = m_Timer.wordA;
        UpdateCamCntrlDialogs(6);
        return UG_OK;
    case zelmk::ParamSet::SetExponent:
        m_Timer.exponent = static_cast<int32_t>(static_cast<uint32_t>(value1));
        return UG_OK;
    case zelmk::ParamSet::Code: break;
    }
    return answer.code;
}

UG_ERRCODE CFramixZelmkAPIClass::GrabberConfigDialog(HWND parent, int32_t* exitCode)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    AfxShowMessageBox(parent, "This dialog is currently not implemented.\r\nPlease continue by selecting the camera.", "Info",
                      MB_OK | MB_ICONWARNING);
    if (exitCode) *exitCode = 1;
    return UG_OK;
}

// ---------------------------------------------------------------- the timer

UG_ERRCODE CFramixZelmkAPIClass::GetTimerPeriod(uint64_t* firstUs, uint64_t* secondUs)
{
    const std::optional<uint64_t> first = zelmk::TicksToMicroseconds(m_Timer.first, m_Timer.exponent);
    const std::optional<uint64_t> second = zelmk::TicksToMicroseconds(m_Timer.second, m_Timer.exponent);
    if (!first || !second) return UG_ERR_OUT_OF_RANGE;
    if (firstUs) *firstUs = *first;
    if (secondUs) *secondUs = *second;
    return UG_OK;
}

UG_ERRCODE CFramixZelmkAPIClass::SetTimerPeriod(uint64_t firstUs, uint64_t secondUs)
{
    // Refused rather than ignored in silence: the caller learns nothing changed.
    if (firstUs >= secondUs) return UG_ERR_OUT_OF_RANGE;
    const std::optional<uint32_t> first = zelmk::MicrosecondsToTicks(firstUs, m_Timer.exponent);
    const std::optional<uint32_t> second = zelmk::MicrosecondsToTicks(secondUs, m_Timer.exponent);
    if (!first || !second) return UG_ERR_OUT_OF_RANGE;
    m_TimerPending.exponent = m_Timer.exponent;
    m_TimerPending.first = *first;
    m_TimerPending.second = *second;
    ChangeTimerTB(*first, *second, m_Timer.wordB);
    UpdateCamCntrlDialogs(3);
    return UG_OK;
}

// ---------------------------------------------------------------- command channels

uint32_t CFramixZelmkAPIClass::GetNumCmdChannelTypes() { return 2; }

CCmdChannel* CFramixZelmkAPIClass::CreateCmdChannel(uint32_t type)
{
    if (type == 0) return CreateCmdSerialInstance();
    if (type == 1) return new (std::nothrow) CCmdZelmkAPI(this, m_mutex.get());
    return nullptr;
}

void CFramixZelmkAPIClass::DeleteCmdChannel(CCmdChannel* channel)
{
    if (!channel) return;
    const uint32_t tag = channel->GetChannelType();
    if (tag == UG_CMDTYPE_SERIAL)
        DeleteCmdSerialInstance(channel);
    else if (tag == UG_CMDTYPE_PLUGIN)
        delete channel;
}
