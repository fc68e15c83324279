// CUnifiedCamera: list links, identity and the camera's graphics modes.
#include "UnifiedCamera.h"

#include "UnifiedGfxMode.h"

#include <cstdio>

CUnifiedCamera::CUnifiedCamera()
{
    m_CameraName[0] = 0;
    m_CameraDesc[0] = 0;
}

CUnifiedCamera::~CUnifiedCamera()
{
    DeleteGfxModeList();
}

void CUnifiedCamera::SetNext(CUnifiedCamera* next) { m_pNext = next; }
void CUnifiedCamera::SetPrev(CUnifiedCamera* prev) { m_pPrev = prev; }
CUnifiedCamera* CUnifiedCamera::GetNext() { return m_pNext; }
CUnifiedCamera* CUnifiedCamera::GetPrev() { return m_pPrev; }
void CUnifiedCamera::SetCameraSectionNum(int32_t section) { m_SectionNum = section; }
int32_t CUnifiedCamera::GetCameraSectionNum() { return m_SectionNum; }
void CUnifiedCamera::SetCameraUniqueID(uint32_t id) { m_UniqueID = id; }
uint32_t CUnifiedCamera::GetCameraUniqueID() { return m_UniqueID; }
void CUnifiedCamera::SetHAPCameraID(uint32_t id) { m_HAPCameraID = id; }

// Without an id of its own a camera is known by its unique id.
uint32_t CUnifiedCamera::GetHAPCameraID() { return m_HAPCameraID ? m_HAPCameraID : GetCameraUniqueID(); }

void CUnifiedCamera::SetCameraName(const char* name)
{
    std::snprintf(m_CameraName, sizeof m_CameraName, "%s", name ? name : "");
}

const char* CUnifiedCamera::GetCameraName() { return m_CameraName; }

void CUnifiedCamera::SetFirstGfxMode(CUnifiedGfxMode* mode)
{
    if (mode == m_pFirstGfxMode)
        return;
    DeleteGfxModeList();
    m_pFirstGfxMode = mode;
    if (mode)
        mode->SetPrev(nullptr);
}

CUnifiedGfxMode* CUnifiedCamera::GetFirstGfxMode() { return m_pFirstGfxMode; }

int64_t CUnifiedCamera::GetNumGfxModes()
{
    int64_t n = 0;
    for (CUnifiedGfxMode* m = m_pFirstGfxMode; m; m = m->GetNext()) ++n;
    return n;
}

CUnifiedGfxMode* CUnifiedCamera::GetGfxMode(int64_t index)
{
    if (index < 0)
        return nullptr;
    CUnifiedGfxMode* m = m_pFirstGfxMode;
    for (int64_t i = 0; m && i < index; ++i) m = m->GetNext();
    return m;
}

UG_ERRCODE CUnifiedCamera::SetActGfxModeIndex(int64_t index)
{
    if (!GetGfxMode(index))
        return UG_ERR_OUT_OF_RANGE;
    m_ActGfxModeIndex = index;
    return UG_OK;
}

int64_t CUnifiedCamera::GetActGfxModeIndex() { return m_ActGfxModeIndex; }
CUnifiedGfxMode* CUnifiedCamera::GetActGfxMode() { return GetGfxMode(m_ActGfxModeIndex); }
void CUnifiedCamera::SetCamCntrlDlgIndex(int32_t index) { m_CamCntrlDlgIndex = index; }
int32_t CUnifiedCamera::GetCamCntrlDlgIndex() { return m_CamCntrlDlgIndex; }

void CUnifiedCamera::DeleteGfxModeList()
{
    CUnifiedGfxMode* m = m_pFirstGfxMode;
    m_pFirstGfxMode = nullptr;
    while (m) {
        CUnifiedGfxMode* next = m->GetNext();
        delete m;
        m = next;
    }
    m_ActGfxModeIndex = 0;
}

uint32_t CUnifiedCamera::GetCameraStatus() { return 0; }

CUnifiedGfxMode* CUnifiedCamera::CreateGfxMode()
{
    try {
        return new CUnifiedGfxMode;
    } catch (...) {
        return nullptr;
    }
}

void CUnifiedCamera::SetCameraDesc(const char* text)
{
    std::snprintf(m_CameraDesc, sizeof m_CameraDesc, "%s", text ? text : "");
}

const char* CUnifiedCamera::GetCameraDesc() { return m_CameraDesc; }

// The base makes one mode of its own kind when the camera has none.
int64_t CUnifiedCamera::BuildGfxModeList(uint32_t, CUnifiedGrabber*)
{
    if (m_pFirstGfxMode)
        return GetNumGfxModes();
    CUnifiedGfxMode* mode = CreateGfxMode();
    if (!mode)
        return 0;
    mode->SetRelatedCameraUniqueID(GetCameraUniqueID());
    SetFirstGfxMode(mode);
    return 1;
}
