// The grabber's camera: the feature-control dialog, exactly one graphics mode.
#include "UnifiedCameraZelmkAPI.h"

#include "FramixZelmkAPIClass.h"

#include <new>

CUnifiedCameraZelmkAPI::CUnifiedCameraZelmkAPI() { SetCamCntrlDlgIndex(2); }

uint32_t CUnifiedCameraZelmkAPI::GetCameraStatus() { return 0; }

CUnifiedCameraZelmkAPI::~CUnifiedCameraZelmkAPI() = default;

CUnifiedGfxMode* CUnifiedCameraZelmkAPI::CreateGfxMode() { return new (std::nothrow) CUnifiedGfxModeZelmkAPI(nullptr); }

const char* CUnifiedCameraZelmkAPI::GetCameraDesc() { return ""; }

int64_t CUnifiedCameraZelmkAPI::BuildGfxModeList(uint32_t, CUnifiedGrabber* grabber)
{
    if (GetFirstGfxMode()) return GetNumGfxModes();
    auto* mode = new (std::nothrow) CUnifiedGfxModeZelmkAPI(static_cast<CFramixZelmkAPIClass*>(grabber));
    if (!mode) return 0;
    SetFirstGfxMode(mode);
    return 1;
}
