// CUnifiedGrabber: configuration in the store, the grabber's life, the camera
// list, parameters, the timer, features and bits.
#include "GrabberImpl.h"

#include "CmdChannel.h"
#include "GrabberLog.h"
#include "UnifiedCamera.h"
#include "UnifiedGfxMode.h"

#include "FramixDialogs.h"

#include "app_framework/module_state.h"
#include "config_store/IniFile.h"
#include "framix_core/IniLayout.h"
#include "win32/module.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

void CopyText(char* target, size_t size, const char* text)
{
    std::snprintf(target, size, "%s", text ? text : "");
}

// Reads a text into the caller's buffer like the store does: the length, the
// default when there is no store.
size_t ReadString(CIniFile_0* store, const std::string& section, const char* key, const char* def, char* buf,
                  size_t bufLen)
{
    if (!key || !buf || bufLen == 0)
        return 0;
    if (!store) {
        CopyText(buf, bufLen, def);
        return std::string(def ? def : "").size();
    }
    return store->GetString(section.c_str(), key, def ? def : "", buf, bufLen, nullptr);
}

// 10^n for n = 0..12, exactly.
uint64_t PowerOfTen(int n)
{
    uint64_t result = 1, base = 10;
    for (unsigned e = static_cast<unsigned>(n); e; e >>= 1) {
        if (e & 1) result *= base;
        base *= base;
    }
    return result;
}

constexpr UG_GRABBERFEATURE kKnownFeatures[] = {
    UG_FEATURE_NUM_BUFFERS,
    UG_FEATURE_TIMER_MODE,
    UG_FEATURE_TIMER_TIMEBASE,
    UG_FEATURE_TRIGGER_SOURCE,
    UG_FEATURE_TRIGGER_POLARITY,
    UG_FEATURE_STROBE,
    UG_FEATURE_TIMER_OUTPUT,
    UG_FEATURE_FRAME_COUNTER,
};

constexpr uint64_t kMaxFrameBuffers = 100;

} // namespace

CUnifiedGrabber::CUnifiedGrabber(HINSTANCE module) : m_hModule(module), m_pImpl(new Impl)
{
    CopyText(m_DriverDesc, sizeof m_DriverDesc, "Unified grabber");
    const std::string path = win32::ModulePath(module);
    CopyText(m_DriverName, sizeof m_DriverName, path.substr(path.find_last_of('\\') + 1).c_str());
    m_DriverVersion[0] = 0;
}

CUnifiedGrabber::~CUnifiedGrabber()
{
    // Virtual calls here reach the base only: the plug-in's part (and its
    // dialog) is gone, so only the framework's own dialog is destroyed.
    DestroyOwnDialog();
    CUnifiedGrabber::DeleteCmdChannelList();
    DeleteInternalList();
    delete m_pImpl;
}

// ---------------------------------------------------------------- configuration

UG_ERRCODE CUnifiedGrabber::SetGrabberIni(CIniFile_0* store, int32_t sectionNum)
{
    m_pIniFile = store;
    m_GrabberSectionNum = sectionNum;
    for (CCmdChannel* c = m_pImpl->firstChannel; c; c = c->GetNext()) {
        c->SetIni(store);
        c->SetGrabberSectionNum(sectionNum);
    }
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::SetCameraIni(CIniFile_0* store)
{
    m_pCamIniFile = store;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::LoadGrabberConfig()
{
    if (!m_pIniFile)
        return UG_ERR_NO_CONFIG_STORE;
    return Guarded<UG_ERRCODE>(UG_ERR_EXCEPTION, [&]() -> UG_ERRCODE {
        const std::string section = framix::GrabberSection(m_GrabberSectionNum);
        const uint64_t buffers = m_pIniFile->GetUInt64(section.c_str(), framix::kKeyNumBuffers, m_NumFrameBuffers, nullptr);
        if (buffers >= 1 && buffers <= kMaxFrameBuffers)
            m_NumFrameBuffers = buffers;
        else if (m_pLog)
            m_pLog->Print(0, "CUnifiedGrabber::LoadGrabberConfig: %s=%llu is outside 1..%llu, keeping %llu",
                          framix::kKeyNumBuffers, (unsigned long long)buffers, (unsigned long long)kMaxFrameBuffers,
                          (unsigned long long)m_NumFrameBuffers);
        m_pImpl->bits = m_pIniFile->GetUInt64(section.c_str(), framix::kKeyGrabberBits, m_pImpl->bits, nullptr);
        SetDefaultIodTimerConfigToGrabber();

        // The command channels, each made by the plug-in for its stored type.
        DeleteCmdChannelList();
        const uint32_t count = m_pIniFile->GetUInt(section.c_str(), framix::kKeyNumCmdChannels, 0, nullptr);
        const uint32_t types = GetNumCmdChannelTypes();
        for (uint32_t k = 0; k < count && k < 256; ++k) {
            const std::string typeKey = framix::CmdChannelTypeKey(k);
            int found = 0;
            const uint32_t type = m_pIniFile->GetUInt(section.c_str(), typeKey.c_str(), 0, &found);
            if (!found || type >= types) {
                if (m_pLog)
                    m_pLog->Print(0, "CUnifiedGrabber::LoadGrabberConfig: command channel %u has no valid type, skipped", k);
                continue;
            }
            CCmdChannel* channel = CreateCmdChannel(type);
            if (!channel) {
                if (m_pLog)
                    m_pLog->Print(0, "CUnifiedGrabber::LoadGrabberConfig: command channel %u of type %u could not be made", k, type);
                continue;
            }
            channel->SetIni(m_pIniFile);
            channel->SetGrabberSectionNum(m_GrabberSectionNum);
            channel->SetIniKeyIndex(k);
            const UG_ERRCODE loaded = channel->GetConfig();
            if (loaded != UG_OK && m_pLog)
                m_pLog->Print(0, "CUnifiedGrabber::LoadGrabberConfig: command channel %u: configuration not read (code %u)", k, loaded);
            AddCmdChannel(channel, type);
        }
        const int32_t active = m_pIniFile->GetInt(section.c_str(), framix::kKeyActCmdChannel, -1, nullptr);
        m_pImpl->actChannel = (active >= 0 && active < GetNumCmdChannels()) ? active : (GetNumCmdChannels() > 0 ? 0 : -1);
        return UG_OK;
    });
}

int32_t CUnifiedGrabber::GetCamSpecInt32(int64_t cameraIndex, const char* key, int32_t def)
{
    return Guarded<int32_t>(def, [&] {
        CIniFile_0* store = m_pCamIniFile ? m_pCamIniFile : m_pIniFile;
        const std::string section = CameraSectionOf(GetCamera(cameraIndex), false);
        if (!store || !key || section.empty())
            return def;
        return store->GetInt(section.c_str(), key, def, nullptr);
    });
}

size_t CUnifiedGrabber::GetCamSpecString(int64_t cameraIndex, const char* key, const char* def, char* buf, size_t bufLen)
{
    return Guarded<size_t>(0, [&] {
        CIniFile_0* store = m_pCamIniFile ? m_pCamIniFile : m_pIniFile;
        const std::string section = CameraSectionOf(GetCamera(cameraIndex), false);
        return ReadString(section.empty() ? nullptr : store, section, key, def, buf, bufLen);
    });
}

int32_t CUnifiedGrabber::GetModeSpecInt32(int64_t cameraIndex, int64_t modeIndex, const char* key, int32_t def)
{
    return Guarded<int32_t>(def, [&] {
        CIniFile_0* store = m_pCamIniFile ? m_pCamIniFile : m_pIniFile;
        CUnifiedCamera* camera = GetCamera(cameraIndex);
        const std::string section = CameraSectionOf(camera, false);
        if (!store || !key || section.empty() || modeIndex < 0 || modeIndex > 0x7FFFFFFF)
            return def;
        const std::string mode = framix::ModeSection(m_GrabberSectionNum, camera->GetCameraSectionNum(), int32_t(modeIndex));
        return store->GetInt(mode.c_str(), key, def, nullptr);
    });
}

int32_t CUnifiedGrabber::GetGrabberInt32(const char* key, int32_t def)
{
    if (!m_pIniFile || !key)
        return def;
    return Guarded<int32_t>(def, [&] {
        return m_pIniFile->GetInt(framix::GrabberSection(m_GrabberSectionNum).c_str(), key, def, nullptr);
    });
}

size_t CUnifiedGrabber::GetGrabberString(const char* key, const char* def, char* buf, size_t bufLen)
{
    return Guarded<size_t>(0, [&] {
        return ReadString(m_pIniFile, framix::GrabberSection(m_GrabberSectionNum), key, def, buf, bufLen);
    });
}

int32_t CUnifiedGrabber::GetActCamSpecInt32(const char* key, int32_t def)
{
    return GetCamSpecInt32(m_ActCameraIndex, key, def);
}

size_t CUnifiedGrabber::GetActCamSpecString(const char* key, const char* def, char* buf, size_t bufLen)
{
    return GetCamSpecString(m_ActCameraIndex, key, def, buf, bufLen);
}

int32_t CUnifiedGrabber::GetActModeSpecInt32(const char* key, int32_t def)
{
    CUnifiedCamera* camera = GetActCamera();
    return camera ? GetModeSpecInt32(m_ActCameraIndex, camera->GetActGfxModeIndex(), key, def) : def;
}

size_t CUnifiedGrabber::GetActModeSpecString(const char* key, const char* def, char* buf, size_t bufLen)
{
    return Guarded<size_t>(0, [&] {
        CIniFile_0* store = m_pCamIniFile ? m_pCamIniFile : m_pIniFile;
        CUnifiedCamera* camera = GetActCamera();
        const std::string section = CameraSectionOf(camera, false);
        if (section.empty())
            return ReadString(nullptr, section, key, def, buf, bufLen);
        const int64_t mode = camera->GetActGfxModeIndex();
        return ReadString(store, framix::ModeSection(m_GrabberSectionNum, camera->GetCameraSectionNum(), int32_t(mode)), key,
                          def, buf, bufLen);
    });
}

UG_ERRCODE CUnifiedGrabber::SaveGrabberInt32(const char* key, int32_t value)
{
    if (!m_pIniFile)
        return UG_ERR_NO_CONFIG_STORE;
    if (!key)
        return UG_ERR_PARAMETER;
    return Guarded<UG_ERRCODE>(UG_ERR_EXCEPTION, [&]() -> UG_ERRCODE {
        return m_pIniFile->WriteInt(framix::GrabberSection(m_GrabberSectionNum).c_str(), key, value) == 0 ? UG_OK : UG_ERR_FAILED;
    });
}

UG_ERRCODE CUnifiedGrabber::SaveGrabberHex32(const char* key, uint32_t value)
{
    if (!m_pIniFile)
        return UG_ERR_NO_CONFIG_STORE;
    if (!key)
        return UG_ERR_PARAMETER;
    return Guarded<UG_ERRCODE>(UG_ERR_EXCEPTION, [&]() -> UG_ERRCODE {
        return m_pIniFile->WriteHex(framix::GrabberSection(m_GrabberSectionNum).c_str(), key, value) == 0 ? UG_OK : UG_ERR_FAILED;
    });
}

UG_ERRCODE CUnifiedGrabber::SaveGrabberString(const char* key, const char* value)
{
    if (!m_pIniFile)
        return UG_ERR_NO_CONFIG_STORE;
    if (!key || !value)
        return UG_ERR_PARAMETER;
    return Guarded<UG_ERRCODE>(UG_ERR_EXCEPTION, [&]() -> UG_ERRCODE {
        return m_pIniFile->WriteString(framix::GrabberSection(m_GrabberSectionNum).c_str(), key, value) == 0 ? UG_OK
                                                                                                             : UG_ERR_FAILED;
    });
}

UG_ERRCODE CUnifiedGrabber::SaveCameraModeConfig()
{
    CIniFile_0* store = m_pCamIniFile ? m_pCamIniFile : m_pIniFile;
    if (!store)
        return UG_ERR_NO_CONFIG_STORE;
    CUnifiedCamera* camera = GetActCamera();
    if (!camera)
        return UG_ERR_NO_ACTIVE_CAMERA;
    return Guarded<UG_ERRCODE>(UG_ERR_EXCEPTION, [&]() -> UG_ERRCODE {
        const std::string section = CameraSectionOf(camera, true);
        int failed = store->WriteUInt(section.c_str(), framix::kKeyUniqueId, camera->GetCameraUniqueID());
        failed |= store->WriteString(section.c_str(), framix::kKeyCameraName, camera->GetCameraName());
        failed |= store->WriteInt64(section.c_str(), framix::kKeyActGfxMode, camera->GetActGfxModeIndex());
        if (CUnifiedGfxMode* mode = camera->GetActGfxMode()) {
            const std::string m =
                framix::ModeSection(m_GrabberSectionNum, camera->GetCameraSectionNum(), int32_t(camera->GetActGfxModeIndex()));
            UG_GFXMODE_RECORD r;
            mode->StoreTo(r);
            failed |= store->WriteUInt(m.c_str(), "xRes", r.xRes);
            failed |= store->WriteUInt(m.c_str(), "yRes", r.yRes);
            failed |= store->WriteUInt(m.c_str(), "NumComponents", r.numComponents);
            failed |= store->WriteUInt(m.c_str(), "AllocatedBitPerComponent", r.allocatedBitPerComponent);
            failed |= store->WriteUInt(m.c_str(), "BitPerComponent", r.bitPerComponent);
            failed |= store->WriteUInt(m.c_str(), "ColorCoding", r.colorCoding);
            failed |= store->WriteString(m.c_str(), "ModeDesc", r.modeDesc);
        }
        return failed ? UG_ERR_FAILED : UG_OK;
    });
}

UG_ERRCODE CUnifiedGrabber::SaveGrabberConfig()
{
    if (!m_pIniFile)
        return UG_ERR_NO_CONFIG_STORE;
    return Guarded<UG_ERRCODE>(UG_ERR_EXCEPTION, [&]() -> UG_ERRCODE {
        const std::string section = framix::GrabberSection(m_GrabberSectionNum);
        const char* s = section.c_str();
        int failed = m_pIniFile->WriteUInt64(s, framix::kKeyNumBuffers, m_NumFrameBuffers);
        failed |= m_pIniFile->WriteHex64(s, framix::kKeyGrabberBits, m_pImpl->bits);
        const uint32_t oldCount = m_pIniFile->GetUInt(s, framix::kKeyNumCmdChannels, 0, nullptr);
        uint32_t k = 0;
        UG_ERRCODE channelResult = UG_OK;
        for (CCmdChannel* c = m_pImpl->firstChannel; c; c = c->GetNext(), ++k) {
            c->SetIni(m_pIniFile);
            c->SetGrabberSectionNum(m_GrabberSectionNum);
            c->SetIniKeyIndex(k);
            failed |= m_pIniFile->WriteUInt(s, framix::CmdChannelTypeKey(k).c_str(), m_pImpl->channelTypes[k]);
            const UG_ERRCODE saved = c->SetConfig();
            if (saved != UG_OK && channelResult == UG_OK)
                channelResult = saved;
        }
        // Channels that are gone leave no stale entries behind.
        for (uint32_t old = k; old < oldCount && old < 256; ++old) {
            m_pIniFile->DeleteKey(s, framix::CmdChannelTypeKey(old).c_str());
            m_pIniFile->DeleteSection(framix::CmdChannelSection(m_GrabberSectionNum, old).c_str());
        }
        failed |= m_pIniFile->WriteUInt(s, framix::kKeyNumCmdChannels, k);
        failed |= m_pIniFile->WriteInt64(s, framix::kKeyActCmdChannel, m_pImpl->actChannel);
        if (channelResult != UG_OK)
            return channelResult;
        return failed ? UG_ERR_FAILED : UG_OK;
    });
}

std::string CUnifiedGrabber::CameraSectionOf(CUnifiedCamera* camera, bool create)
{
    if (!camera)
        return {};
    CIniFile_0* store = m_pCamIniFile ? m_pCamIniFile : m_pIniFile;
    if (camera->GetCameraSectionNum() < 0 && store) {
        // A camera finds its section again by its unique id.
        const size_t count = store->GetSectionCount();
        for (size_t i = 0; count < 0x80000000u && i < count; ++i) {
            char name[framix::kSectionNameSize * 4];
            if (store->GetSectionName(i, name, sizeof name) >= sizeof name)
                continue;
            const auto number = framix::ParseCameraSection(name, m_GrabberSectionNum);
            int found = 0;
            if (number && store->GetUInt(name, framix::kKeyUniqueId, 0, &found) == camera->GetCameraUniqueID() && found) {
                camera->SetCameraSectionNum(*number);
                break;
            }
        }
    }
    if (camera->GetCameraSectionNum() < 0) {
        if (!create)
            return {};
        camera->SetCameraSectionNum(GetBiggestSectionNum() + 1);
    }
    return framix::CameraSection(m_GrabberSectionNum, camera->GetCameraSectionNum());
}

// ---------------------------------------------------------------- life

UG_ERRCODE CUnifiedGrabber::Init()
{
    if (m_pLog)
        m_pLog->Print(1, "CUnifiedGrabber::Init: grabber %d, %s", m_GrabberSectionNum, m_DriverName);
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::DeInit()
{
    CUnifiedGrabber::CloseCamCntrlDialog();
    for (CCmdChannel* c = m_pImpl->firstChannel; c; c = c->GetNext())
        c->Close();
    if (m_pLog)
        m_pLog->Print(1, "CUnifiedGrabber::DeInit: grabber %d", m_GrabberSectionNum);
    return UG_OK;
}

// The base knows no camera hardware.
UG_ERRCODE CUnifiedGrabber::OpenActCamera()
{
    return UG_ERR_NOT_SUPPORTED;
}

int32_t CUnifiedGrabber::IsActCameraOpen() { return m_bCameraOpen; }

UG_ERRCODE CUnifiedGrabber::CloseActCamera()
{
    m_bCameraOpen = 0;
    return UG_OK;
}

const char* CUnifiedGrabber::GetDriverDesc() { return m_DriverDesc; }
const char* CUnifiedGrabber::GetDriverName() { return m_DriverName; }
const char* CUnifiedGrabber::GetDriverVersion() { return m_DriverVersion; }
void CUnifiedGrabber::SetDriverDesc(const char* text) { CopyText(m_DriverDesc, sizeof m_DriverDesc, text); }

// ---------------------------------------------------------------- camera list

int64_t CUnifiedGrabber::GetNumCameras()
{
    int64_t n = 0;
    for (CUnifiedCamera* c = m_pFirstCamera; c; c = c->GetNext()) ++n;
    return n;
}

int64_t CUnifiedGrabber::GetActCameraIndex() { return m_ActCameraIndex; }

int64_t CUnifiedGrabber::GetCameraIndexByHAPCameraID(uint32_t id)
{
    int64_t i = 0;
    for (CUnifiedCamera* c = m_pFirstCamera; c; c = c->GetNext(), ++i)
        if (c->GetHAPCameraID() == id)
            return i;
    return -1;
}

int64_t CUnifiedGrabber::GetCameraIndexByCameraUniqueID(uint32_t id)
{
    int64_t i = 0;
    for (CUnifiedCamera* c = m_pFirstCamera; c; c = c->GetNext(), ++i)
        if (c->GetCameraUniqueID() == id)
            return i;
    return -1;
}

CUnifiedCamera* CUnifiedGrabber::GetFirstCamera() { return m_pFirstCamera; }

CUnifiedCamera* CUnifiedGrabber::GetCamera(int64_t index)
{
    if (index < 0)
        return nullptr;
    CUnifiedCamera* c = m_pFirstCamera;
    for (int64_t i = 0; c && i < index; ++i) c = c->GetNext();
    return c;
}

CUnifiedCamera* CUnifiedGrabber::GetActCamera() { return GetCamera(m_ActCameraIndex); }

CUnifiedCamera* CUnifiedGrabber::GetLastCamera()
{
    CUnifiedCamera* c = m_pFirstCamera;
    while (c && c->GetNext()) c = c->GetNext();
    return c;
}

UG_ERRCODE CUnifiedGrabber::SetActCameraIndex(int64_t index)
{
    if (index < -1 || index >= GetNumCameras())
        return UG_ERR_OUT_OF_RANGE;
    m_ActCameraIndex = index;
    return UG_OK;
}

void CUnifiedGrabber::SetFirstCamera(CUnifiedCamera* camera)
{
    m_pFirstCamera = camera;
    if (camera)
        camera->SetPrev(nullptr);
}

CUnifiedCamera* CUnifiedGrabber::CreateCamera()
{
    return Guarded<CUnifiedCamera*>(nullptr, [] { return new CUnifiedCamera; });
}

UG_ERRCODE CUnifiedGrabber::DeleteInternalList()
{
    CUnifiedCamera* c = m_pFirstCamera;
    m_pFirstCamera = nullptr;
    m_ActCameraIndex = -1;
    while (c) {
        CUnifiedCamera* next = c->GetNext();
        delete c;
        c = next;
    }
    return UG_OK;
}

int32_t CUnifiedGrabber::GetBiggestSectionNum()
{
    return Guarded<int32_t>(-1, [&] {
        int32_t biggest = -1;
        for (CUnifiedCamera* c = m_pFirstCamera; c; c = c->GetNext())
            if (c->GetCameraSectionNum() > biggest)
                biggest = c->GetCameraSectionNum();
        CIniFile_0* store = m_pCamIniFile ? m_pCamIniFile : m_pIniFile;
        const size_t count = store ? store->GetSectionCount() : 0;
        for (size_t i = 0; count < 0x80000000u && i < count; ++i) {
            char name[framix::kSectionNameSize * 4];
            if (store->GetSectionName(i, name, sizeof name) >= sizeof name)
                continue;
            const auto number = framix::ParseCameraSection(name, m_GrabberSectionNum);
            if (number && *number > biggest)
                biggest = *number;
        }
        return biggest;
    });
}

// The base offers the cameras of its list; OK with a choice makes it active (exit code 1).
UG_ERRCODE CUnifiedGrabber::SelectCameraDialog(HWND parent, int32_t* exitCode)
{
    if (exitCode)
        *exitCode = 0;
    return Guarded<UG_ERRCODE>(UG_ERR_EXCEPTION, [&]() -> UG_ERRCODE {
        std::vector<std::string> items;
        for (CUnifiedCamera* c = m_pFirstCamera; c; c = c->GetNext())
            items.push_back(std::string(c->GetCameraName()) + " (" + std::to_string(c->GetCameraUniqueID()) + ")");
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        CListChoiceDialog dialog("Select Camera", items, static_cast<int>(m_ActCameraIndex), CWnd::FromHandle(parent));
        const INT_PTR result = dialog.DoModal();
        if (result == -1)
            return UG_ERR_DIALOG;
        if (result != IDOK || dialog.m_selected < 0)
            return UG_OK;
        const UG_ERRCODE chosen = SetActCameraIndex(dialog.m_selected);
        if (chosen == UG_OK && exitCode)
            *exitCode = 1;
        return chosen;
    });
}

// The graphics modes of the active camera; OK with a choice makes it the camera's mode (exit code 1).
UG_ERRCODE CUnifiedGrabber::SelectModeDialog(HWND parent, int32_t* exitCode)
{
    if (exitCode)
        *exitCode = 0;
    CUnifiedCamera* camera = GetActCamera();
    if (!camera)
        return UG_ERR_NO_ACTIVE_CAMERA;
    // Through the virtual: a plug-in's asynchronous snap writes the mode on its library's thread.
    if (GetSnapMode() != 0)
        return UG_ERR_ACQUISITION_RUNNING;
    return Guarded<UG_ERRCODE>(UG_ERR_EXCEPTION, [&]() -> UG_ERRCODE {
        std::vector<std::string> items;
        for (CUnifiedGfxMode* m = camera->GetFirstGfxMode(); m; m = m->GetNext()) {
            char text[512];
            std::snprintf(text, sizeof text, "%u x %u, %u x %u bit, colour coding %u%s%s", m->GetxRes(), m->GetyRes(),
                          m->GetNumComponents(), m->GetBitPerComponent(), m->GetColorCoding(), *m->GetModeDesc() ? ": " : "",
                          m->GetModeDesc());
            items.push_back(text);
        }
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        CListChoiceDialog dialog("Select Graphics Mode", items, static_cast<int>(camera->GetActGfxModeIndex()),
                                 CWnd::FromHandle(parent));
        const INT_PTR result = dialog.DoModal();
        if (result == -1)
            return UG_ERR_DIALOG;
        if (result != IDOK || dialog.m_selected < 0)
            return UG_OK;
        const UG_ERRCODE chosen = camera->SetActGfxModeIndex(dialog.m_selected);
        if (chosen == UG_OK) {
            // Buffers sized for the old mode no longer fit.
            m_bBuffersReady = 0;
            if (exitCode)
                *exitCode = 1;
            UpdateCamCntrlDialogs(0xFFFFFFFFu);
        }
        return chosen;
    });
}

UG_ERRCODE CUnifiedGrabber::RescanCameras()
{
    return UG_ERR_NOT_SUPPORTED;
}

UG_ERRCODE CUnifiedGrabber::GrabberConfigDialog(HWND, int32_t* exitCode)
{
    if (exitCode)
        *exitCode = 0;
    return UG_ERR_NOT_SUPPORTED;
}

// ---------------------------------------------------------------- parameters

UG_ERRCODE CUnifiedGrabber::GetGrabberParamLimits(UG_GRABBERFEATURE feature, uint64_t* min1, uint64_t* max1, uint64_t* min2,
                                                  uint64_t* max2)
{
    uint64_t lo1 = 0, hi1 = 0, lo2 = 0, hi2 = 0;
    switch (feature) {
    case UG_FEATURE_NUM_BUFFERS: lo1 = 1, hi1 = kMaxFrameBuffers; break;
    case UG_FEATURE_TIMER_MODE: hi1 = 0xFFFFFFFFu, hi2 = 0xFFFFFFFFu; break;
    case UG_FEATURE_TIMER_TIMEBASE: lo1 = static_cast<uint64_t>(int64_t(-6)), hi1 = 0; break;
    case UG_FEATURE_FRAME_COUNTER: hi1 = UINT64_MAX, hi2 = UINT64_MAX; break;
    default: return UG_ERR_NOT_SUPPORTED;
    }
    if (min1) *min1 = lo1;
    if (max1) *max1 = hi1;
    if (min2) *min2 = lo2;
    if (max2) *max2 = hi2;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::GetGrabberParam(UG_GRABBERFEATURE feature, uint64_t* value1, uint64_t* value2)
{
    uint64_t v1 = 0, v2 = 0;
    switch (feature) {
    case UG_FEATURE_NUM_BUFFERS: v1 = m_NumFrameBuffers; break;
    case UG_FEATURE_TIMER_MODE: v1 = m_Timer.wordA, v2 = m_Timer.wordB; break;
    case UG_FEATURE_TIMER_TIMEBASE: v1 = static_cast<uint64_t>(int64_t(m_Timer.exponent)); break;
    case UG_FEATURE_FRAME_COUNTER: v1 = v2 = m_pImpl->delivered.load(); break;
    default: return UG_ERR_NOT_SUPPORTED;
    }
    if (value1) *value1 = v1;
    if (value2) *value2 = v2;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::SetGrabberParam(UG_GRABBERFEATURE feature, uint64_t value1, uint64_t value2)
{
    uint64_t min1 = 0, max1 = 0, min2 = 0, max2 = 0;
    const UG_ERRCODE limits = GetGrabberParamLimits(feature, &min1, &max1, &min2, &max2);
    if (limits != UG_OK)
        return limits;
    switch (feature) {
    case UG_FEATURE_NUM_BUFFERS:
        if (value1 < min1 || value1 > max1)
            return UG_ERR_OUT_OF_RANGE;
        if (GetSnapMode() != 0)
            return UG_ERR_ACQUISITION_RUNNING;
        m_NumFrameBuffers = value1;
        return UG_OK;
    case UG_FEATURE_TIMER_MODE:
        if (value1 < min1 || value1 > max1 || value2 < min2 || value2 > max2)
            return UG_ERR_OUT_OF_RANGE;
        m_Timer.wordA = m_TimerPending.wordA = static_cast<uint32_t>(value1);
        m_Timer.wordB = static_cast<uint32_t>(value2);
        return UG_OK;
    case UG_FEATURE_TIMER_TIMEBASE: {
        const int32_t e = static_cast<int32_t>(value1);
        if (e < static_cast<int32_t>(min1) || e > static_cast<int32_t>(max1))
            return UG_ERR_OUT_OF_RANGE;
        m_Timer.exponent = e;
        return UG_OK;
    }
    default: return UG_ERR_NOT_SUPPORTED; // the frame counter is read only
    }
}

// ---------------------------------------------------------------- bits and features

UG_ERRCODE CUnifiedGrabber::SetGrabberBit(uint32_t bit, int32_t value)
{
    if (bit > 63)
        return UG_ERR_OUT_OF_RANGE;
    if (value)
        m_pImpl->bits |= uint64_t(1) << bit;
    else
        m_pImpl->bits &= ~(uint64_t(1) << bit);
    return UG_OK;
}

int32_t CUnifiedGrabber::GetGrabberBit(uint32_t bit)
{
    return bit <= 63 && (m_pImpl->bits >> bit) & 1 ? 1 : 0;
}

int32_t CUnifiedGrabber::GetFeatureStatus(UG_GRABBERFEATURE feature)
{
    return GetGrabberParamLimits(feature, nullptr, nullptr, nullptr, nullptr) == UG_OK ? 1 : 0;
}

// Bit i: the i-th of the known features (1, 256, 261, 262, 263, 265, 267, 4096) answers now.
uint64_t CUnifiedGrabber::GetFeatureMask()
{
    uint64_t mask = 0;
    for (size_t i = 0; i < std::size(kKnownFeatures); ++i)
        if (GetFeatureStatus(kKnownFeatures[i]))
            mask |= uint64_t(1) << i;
    return mask;
}

UG_ERRCODE CUnifiedGrabber::SetFeature(UG_GRABBERFEATURE feature, uint64_t value)
{
    return SetGrabberParam(feature, value, 0);
}

UG_ERRCODE CUnifiedGrabber::GetFeature(UG_GRABBERFEATURE feature, uint64_t* value)
{
    if (!value)
        return UG_ERR_PARAMETER;
    return GetGrabberParam(feature, value, nullptr);
}

// ---------------------------------------------------------------- timer

UG_ERRCODE CUnifiedGrabber::StartTimer()
{
    if (!m_bInitialized)
        return UG_ERR_NOT_INITIALIZED;
    if (m_Timer.first >= m_Timer.second)
        return UG_ERR_OUT_OF_RANGE; // no period to run
    m_pImpl->timerRunning = true;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::StopTimer()
{
    m_pImpl->timerRunning = false;
    return UG_OK;
}

bool CUnifiedGrabber::IsTimerRunning() const
{
    return m_pImpl->timerRunning;
}

UG_ERRCODE CUnifiedGrabber::ChangeTimerTB(uint32_t firstTicks, uint32_t secondTicks, uint32_t wordB)
{
    if (m_TimerPending.exponent < -6 || m_TimerPending.exponent > 0)
        return UG_ERR_OUT_OF_RANGE;
    m_Timer.wordA = m_TimerPending.wordA;
    m_Timer.wordB = wordB;
    m_Timer.first = firstTicks;
    m_Timer.second = secondTicks;
    m_Timer.exponent = m_TimerPending.exponent;
    m_TimerPending.first = firstTicks;
    m_TimerPending.second = secondTicks;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::GetTimerPeriod(uint64_t* firstUs, uint64_t* secondUs)
{
    if (!firstUs || !secondUs)
        return UG_ERR_PARAMETER;
    const int32_t e = m_Timer.exponent < -6 ? -6 : (m_Timer.exponent > 0 ? 0 : m_Timer.exponent);
    const uint64_t factor = PowerOfTen(e + 6);
    *firstUs = uint64_t(m_Timer.first) * factor;
    *secondUs = uint64_t(m_Timer.second) * factor;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::SetTimerPeriod(uint64_t firstUs, uint64_t secondUs)
{
    if (firstUs >= secondUs)
        return UG_ERR_OUT_OF_RANGE;
    const int32_t e = m_Timer.exponent < -6 ? -6 : (m_Timer.exponent > 0 ? 0 : m_Timer.exponent);
    const uint64_t factor = PowerOfTen(e + 6);
    const uint64_t first = firstUs / factor, second = secondUs / factor;
    if (second > 0xFFFFFFFFu)
        return UG_ERR_OUT_OF_RANGE;
    m_TimerPending.exponent = e;
    m_TimerPending.first = static_cast<uint32_t>(first);
    m_TimerPending.second = static_cast<uint32_t>(second);
    const UG_ERRCODE result = ChangeTimerTB(m_TimerPending.first, m_TimerPending.second, m_Timer.wordB);
    UpdateCamCntrlDialogs(3);
    return result;
}

UG_ERRCODE CUnifiedGrabber::SetDefaultIodTimerConfigToGrabber()
{
    UG_TIMER_SETTINGS t = {0, 0, 0, 0, -3};
    if (m_pIniFile) {
        const std::string section = framix::GrabberSection(m_GrabberSectionNum);
        const char* s = section.c_str();
        t.wordA = m_pIniFile->GetUInt(s, framix::kKeyTimerWordA, t.wordA, nullptr);
        t.wordB = m_pIniFile->GetUInt(s, framix::kKeyTimerWordB, t.wordB, nullptr);
        t.first = m_pIniFile->GetUInt(s, framix::kKeyTimerFirst, t.first, nullptr);
        t.second = m_pIniFile->GetUInt(s, framix::kKeyTimerSecond, t.second, nullptr);
        const int32_t e = m_pIniFile->GetInt(s, framix::kKeyTimerExponent, t.exponent, nullptr);
        if (e >= -6 && e <= 0)
            t.exponent = e;
    }
    m_Timer = t;
    m_TimerPending = {t.wordA, t.first, t.second, t.exponent};
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::GetDefaultIodTimerConfigFromGrabber()
{
    if (!m_pIniFile)
        return UG_ERR_NO_CONFIG_STORE;
    return Guarded<UG_ERRCODE>(UG_ERR_EXCEPTION, [&]() -> UG_ERRCODE {
        const std::string section = framix::GrabberSection(m_GrabberSectionNum);
        const char* s = section.c_str();
        int failed = m_pIniFile->WriteUInt(s, framix::kKeyTimerWordA, m_Timer.wordA);
        failed |= m_pIniFile->WriteUInt(s, framix::kKeyTimerWordB, m_Timer.wordB);
        failed |= m_pIniFile->WriteUInt(s, framix::kKeyTimerFirst, m_Timer.first);
        failed |= m_pIniFile->WriteUInt(s, framix::kKeyTimerSecond, m_Timer.second);
        failed |= m_pIniFile->WriteInt(s, framix::kKeyTimerExponent, m_Timer.exponent);
        return failed ? UG_ERR_FAILED : UG_OK;
    });
}
