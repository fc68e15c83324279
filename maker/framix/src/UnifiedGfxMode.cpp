// CUnifiedGfxMode: a graphics mode that keeps the values it is given.
#include "UnifiedGfxMode.h"

#include <cstdio>
#include <cstring>

CUnifiedGfxMode::CUnifiedGfxMode()
{
    std::memset(&m_Mode, 0, sizeof m_Mode);
    m_Mode.framesPerImage = 1;
}

CUnifiedGfxMode::~CUnifiedGfxMode() = default;

void CUnifiedGfxMode::SetPrev(CUnifiedGfxMode* prev) { m_pPrev = prev; }
void CUnifiedGfxMode::SetNext(CUnifiedGfxMode* next) { m_pNext = next; }
CUnifiedGfxMode* CUnifiedGfxMode::GetPrev() { return m_pPrev; }
CUnifiedGfxMode* CUnifiedGfxMode::GetNext() { return m_pNext; }
void CUnifiedGfxMode::SetRelatedCameraUniqueID(uint32_t id) { m_RelatedCameraUniqueID = id; }
void CUnifiedGfxMode::SetxRes(uint32_t v) { m_Mode.xRes = v; }
void CUnifiedGfxMode::SetyRes(uint32_t v) { m_Mode.yRes = v; }
void CUnifiedGfxMode::SetCompressed(uint32_t v) { m_Mode.compressed = v; }
void CUnifiedGfxMode::SetBinning(uint32_t v) { m_Mode.binning = v; }
void CUnifiedGfxMode::SetLineScan(uint32_t v) { m_Mode.lineScan = v; }
void CUnifiedGfxMode::SetNumComponents(uint32_t v) { m_Mode.numComponents = v; }
void CUnifiedGfxMode::SetAllocatedBitPerComponent(uint32_t v) { m_Mode.allocatedBitPerComponent = v; }
void CUnifiedGfxMode::SetBitStartComponent(uint32_t v) { m_Mode.bitStartComponent = v; }
void CUnifiedGfxMode::SetBitPerComponent(uint32_t v) { m_Mode.bitPerComponent = v; }
void CUnifiedGfxMode::SetFramesPerImage(uint32_t v) { m_Mode.framesPerImage = v; }
void CUnifiedGfxMode::SetInterlace(uint32_t v) { m_Mode.interlace = v; }
void CUnifiedGfxMode::SetColorCoding(UG_COLORCODING v) { m_Mode.colorCoding = v; }
void CUnifiedGfxMode::SetCFAxOffset(uint32_t v) { m_Mode.cfaXOffset = v; }
void CUnifiedGfxMode::SetCFAyOffset(uint32_t v) { m_Mode.cfaYOffset = v; }
void CUnifiedGfxMode::SetPixelPerSecond(uint64_t v) { m_Mode.pixelPerSecond = v; }
void CUnifiedGfxMode::SetLinesPerSecond(uint64_t v) { m_Mode.linesPerSecond = v; }
void CUnifiedGfxMode::SetMinDarkTime(uint32_t v) { m_Mode.minDarkTime = v; }
void CUnifiedGfxMode::SetFrameTransferDuration(uint32_t v) { m_Mode.frameTransferDuration = v; }

void CUnifiedGfxMode::SetModeDesc(const char* text)
{
    std::snprintf(m_Mode.modeDesc, sizeof m_Mode.modeDesc, "%s", text ? text : "");
}

uint32_t CUnifiedGfxMode::GetRelatedCameraUniqueID() { return m_RelatedCameraUniqueID; }
uint32_t CUnifiedGfxMode::GetxRes() { return m_Mode.xRes; }
uint32_t CUnifiedGfxMode::GetyRes() { return m_Mode.yRes; }
uint32_t CUnifiedGfxMode::GetCompressed() { return m_Mode.compressed; }
uint32_t CUnifiedGfxMode::GetBinning() { return m_Mode.binning; }
uint32_t CUnifiedGfxMode::GetLineScan() { return m_Mode.lineScan; }
uint32_t CUnifiedGfxMode::GetNumComponents() { return m_Mode.numComponents; }
uint32_t CUnifiedGfxMode::GetAllocatedBitPerComponent() { return m_Mode.allocatedBitPerComponent; }
uint32_t CUnifiedGfxMode::GetBitStartComponent() { return m_Mode.bitStartComponent; }
uint32_t CUnifiedGfxMode::GetBitPerComponent() { return m_Mode.bitPerComponent; }
uint32_t CUnifiedGfxMode::GetFramesPerImage() { return m_Mode.framesPerImage; }
uint32_t CUnifiedGfxMode::GetInterlace() { return m_Mode.interlace; }
UG_COLORCODING CUnifiedGfxMode::GetColorCoding() { return m_Mode.colorCoding; }
uint32_t CUnifiedGfxMode::GetCFAxOffset() { return m_Mode.cfaXOffset; }
uint32_t CUnifiedGfxMode::GetCFAyOffset() { return m_Mode.cfaYOffset; }
uint64_t CUnifiedGfxMode::GetPixelPerSecond() { return m_Mode.pixelPerSecond; }
uint64_t CUnifiedGfxMode::GetLinesPerSecond() { return m_Mode.linesPerSecond; }
uint32_t CUnifiedGfxMode::GetFrameTransferDuration() { return m_Mode.frameTransferDuration; }
uint32_t CUnifiedGfxMode::GetMinDarkTime() { return m_Mode.minDarkTime; }
const char* CUnifiedGfxMode::GetModeDesc() { return m_Mode.modeDesc; }

// Both through the virtual getters, so a mode that answers live is sized live.
uint64_t CUnifiedGfxMode::GetPixelCount()
{
    return uint64_t(GetyRes()) * GetxRes();
}

uint64_t CUnifiedGfxMode::GetFrameBufferSize()
{
    return (uint64_t(GetNumComponents()) * GetAllocatedBitPerComponent() * GetyRes() * GetxRes()) >> 3;
}

UG_ERRCODE CUnifiedGfxMode::GfxModeConfigDialog(HWND, int32_t* exitCode)
{
    if (exitCode)
        *exitCode = 0;
    return UG_ERR_NOT_SUPPORTED;
}

CUnifiedGfxMode* CUnifiedGfxMode::operator[](uint64_t index)
{
    CUnifiedGfxMode* mode = this;
    for (uint64_t i = 0; mode && i < index; ++i)
        mode = mode->GetNext();
    return mode;
}

CUnifiedGfxMode& CUnifiedGfxMode::operator=(const UG_GFXMODE_RECORD& record)
{
    m_Mode = record;
    m_Mode.modeDesc[sizeof m_Mode.modeDesc - 1] = 0;
    return *this;
}

// Through the getters: a live mode stores what it answers now.
void CUnifiedGfxMode::StoreTo(UG_GFXMODE_RECORD& r)
{
    std::memset(&r, 0, sizeof r);
    r.xRes = GetxRes();
    r.yRes = GetyRes();
    r.compressed = GetCompressed();
    r.binning = GetBinning();
    r.lineScan = GetLineScan();
    r.numComponents = GetNumComponents();
    r.allocatedBitPerComponent = GetAllocatedBitPerComponent();
    r.bitStartComponent = GetBitStartComponent();
    r.bitPerComponent = GetBitPerComponent();
    r.framesPerImage = GetFramesPerImage();
    r.interlace = GetInterlace();
    r.colorCoding = GetColorCoding();
    r.cfaXOffset = GetCFAxOffset();
    r.cfaYOffset = GetCFAyOffset();
    r.pixelPerSecond = GetPixelPerSecond();
    r.linesPerSecond = GetLinesPerSecond();
    r.minDarkTime = GetMinDarkTime();
    r.frameTransferDuration = GetFrameTransferDuration();
    std::snprintf(r.modeDesc, sizeof r.modeDesc, "%s", GetModeDesc() ? GetModeDesc() : "");
}

bool CUnifiedGfxMode::operator==(const UG_GFXMODE_RECORD& record)
{
    UG_GFXMODE_RECORD mine;
    StoreTo(mine);
    return mine.xRes == record.xRes && mine.yRes == record.yRes && mine.compressed == record.compressed &&
        mine.binning == record.binning && mine.lineScan == record.lineScan && mine.numComponents == record.numComponents &&
        mine.allocatedBitPerComponent == record.allocatedBitPerComponent &&
        mine.bitStartComponent == record.bitStartComponent && mine.bitPerComponent == record.bitPerComponent &&
        mine.framesPerImage == record.framesPerImage && mine.interlace == record.interlace &&
        mine.colorCoding == record.colorCoding && mine.cfaXOffset == record.cfaXOffset &&
        mine.cfaYOffset == record.cfaYOffset && mine.pixelPerSecond == record.pixelPerSecond &&
        mine.linesPerSecond == record.linesPerSecond && mine.minDarkTime == record.minDarkTime &&
        mine.frameTransferDuration == record.frameTransferDuration &&
        std::strncmp(mine.modeDesc, record.modeDesc, sizeof mine.modeDesc) == 0;
}

uint32_t CUnifiedGfxMode::GetGrabberXRes() { return m_GrabberXRes ? m_GrabberXRes : GetxRes(); }
void CUnifiedGfxMode::SetGrabberXRes(uint32_t value) { m_GrabberXRes = value; }

UG_ERRCODE CUnifiedGfxMode::GfxModeConfigExtDialog(HWND, int32_t* exitCode, uint32_t)
{
    if (exitCode)
        *exitCode = 0;
    return UG_ERR_NOT_SUPPORTED;
}

UG_CONVERSION_FUNCTION CUnifiedGfxMode::GetConversionFunction() { return nullptr; }
uint32_t CUnifiedGfxMode::GetIntermediateBufferSize() { return 0; }
