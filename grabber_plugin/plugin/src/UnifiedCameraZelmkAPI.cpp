// The grabber's camera: the feature-control dialog, exactly one graphics mode.
#include "UnifiedCameraZelmkAPI.h"

#include "FramixZelmkAPIClass.h"

#include "GrabberLog.h"
#include "zelmk/LiveGfxMode.h"

#include <new>

// ---------------------------------------------------------------- the graphics mode

// Every getter reads the open camera through the grabber's handle at the time
// it is asked: the camera's format may have changed since the last question.
template <class Result, class Getter>
Result CUnifiedGfxModeZelmkAPI::Live(Getter getter)
{
    if (!m_pGrabber) return Result{};
    const zelmk::CmkAPIAccess* api = m_pGrabber->GetMkApi();
    CGrabberLog* log = m_pGrabber->GetLog();
    const zelmk::LogSink sink = [log](int level, const std::string& text) {
        if (log) log->PrintText(level, text.c_str());
    };
    zelmk::LiveGfxMode mode(api && api->IsValid() ? &api->Functions() : nullptr, m_pGrabber->GetCameraHandle(), sink);
    return getter(mode);
}

uint32_t CUnifiedGfxModeZelmkAPI::GetxRes()
{
    return Live<uint32_t>([](zelmk::LiveGfxMode& m) { return m.Width(); });
}
uint32_t CUnifiedGfxModeZelmkAPI::GetyRes()
{
    return Live<uint32_t>([](zelmk::LiveGfxMode& m) { return m.Height(); });
}
uint32_t CUnifiedGfxModeZelmkAPI::GetNumComponents()
{
    return Live<uint32_t>([](zelmk::LiveGfxMode& m) { return m.NumComponents(); });
}
uint32_t CUnifiedGfxModeZelmkAPI::GetAllocatedBitPerComponent()
{
    return Live<uint32_t>([](zelmk::LiveGfxMode& m) { return m.AllocatedBitPerComponent(); });
}
uint32_t CUnifiedGfxModeZelmkAPI::GetBitStartComponent() { return 0; }
uint32_t CUnifiedGfxModeZelmkAPI::GetBitPerComponent()
{
    return Live<uint32_t>([](zelmk::LiveGfxMode& m) { return m.BitPerComponent(); });
}
UG_COLORCODING CUnifiedGfxModeZelmkAPI::GetColorCoding()
{
    return Live<UG_COLORCODING>([](zelmk::LiveGfxMode& m) { return m.ColorCoding(); });
}
uint32_t CUnifiedGfxModeZelmkAPI::GetCFAxOffset()
{
    return Live<uint32_t>([](zelmk::LiveGfxMode& m) { return m.CFAxOffset(); });
}
uint32_t CUnifiedGfxModeZelmkAPI::GetCFAyOffset()
{
    return Live<uint32_t>([](zelmk::LiveGfxMode& m) { return m.CFAyOffset(); });
}
uint64_t CUnifiedGfxModeZelmkAPI::GetPixelCount() { return uint64_t(GetyRes()) * GetxRes(); }
uint64_t CUnifiedGfxModeZelmkAPI::GetFrameBufferSize()
{
    if (!m_pGrabber) return 0;
    const uint32_t components = GetNumComponents();
    const uint32_t allocatedBits = GetAllocatedBitPerComponent();
    const uint32_t height = GetyRes();
    return zelmk::FrameBufferBytes(components, allocatedBits, height, GetxRes());
}
UG_CONVERSION_FUNCTION CUnifiedGfxModeZelmkAPI::GetConversionFunction()
{
    return Live<UG_CONVERSION_FUNCTION>([](zelmk::LiveGfxMode& m) { return m.ConversionFunction(); });
}
uint32_t CUnifiedGfxModeZelmkAPI::GetIntermediateBufferSize()
{
    return Live<uint32_t>([](zelmk::LiveGfxMode& m) { return m.IntermediateBufferSize(); });
}

// ---------------------------------------------------------------- the camera

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
