// The grabber's camera and its one graphics mode.
#pragma once

#include "UnifiedCamera.h"
#include "UnifiedGfxMode.h"

class CFramixZelmkAPIClass;

// Answers live from the open camera through its grabber (null: a mode made by
// the camera's CreateGfxMode, which answers 0 to every getter, silently).
class CUnifiedGfxModeZelmkAPI : public CUnifiedGfxMode {
public:
    explicit CUnifiedGfxModeZelmkAPI(CFramixZelmkAPIClass* grabber) : m_pGrabber(grabber) {}
    CFramixZelmkAPIClass* GetGrabber() const { return m_pGrabber; }

    // Overrides, in the base's slot order.
    uint32_t GetxRes() override;
    uint32_t GetyRes() override;
    uint32_t GetNumComponents() override;
    uint32_t GetAllocatedBitPerComponent() override;
    uint32_t GetBitStartComponent() override;
    uint32_t GetBitPerComponent() override;
    UG_COLORCODING GetColorCoding() override;
    uint32_t GetCFAxOffset() override;
    uint32_t GetCFAyOffset() override;
    uint64_t GetPixelCount() override;
    uint64_t GetFrameBufferSize() override;
    UG_CONVERSION_FUNCTION GetConversionFunction() override;
    uint32_t GetIntermediateBufferSize() override;

private:
    template <class Result, class Getter>
    Result Live(Getter getter);

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
