// The grabber's camera and its one graphics mode.
#pragma once

#include "UnifiedCamera.h"
#include "UnifiedGfxMode.h"

class CFramixZelmkAPIClass;

// Answers live from the open camera through its grabber (null: a mode made by
// the camera's CreateGfxMode, which answers nothing live).
class CUnifiedGfxModeZelmkAPI : public CUnifiedGfxMode {
public:
    explicit CUnifiedGfxModeZelmkAPI(CFramixZelmkAPIClass* grabber) : m_pGrabber(grabber) {}
    CFramixZelmkAPIClass* GetGrabber() const { return m_pGrabber; }

private:
    CFramixZelmkAPIClass* m_pGrabber;
};

class CUnifiedCameraZelmkAPI : public CUnifiedCamera {
public:
    CUnifiedCameraZelmkAPI();

    uint32_t GetCameraStatus() override;
    ~CUnifiedCameraZelmkAPI() override;
    CUnifiedGfxMode* CreateGfxMode() override;
    const char* GetCameraDesc() override;
    int64_t BuildGfxModeList(uint32_t flags, CUnifiedGrabber* grabber) override;
};
