// The graphics mode's live getters and their log lines.
#include "zelmk/LiveGfxMode.h"

#include <cstdarg>
#include <cstdio>

namespace zelmk {

void LiveGfxMode::Log(int level, const char* format, ...)
{
    if (!m_log) return;
    // The longest line carries an enumeration value of at most 1023 bytes.
    char text[1400];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_log(level, text);
}

uint32_t LiveGfxMode::ReadUint32(const char* getter, const char* attribute, const char* what)
{
    if (!m_api || !m_handle) {
        Log(0, "CUnifiedGfxModeZelmkAPI::%s: camera handle is NULL -> cannot get %s", getter, what);
        return 0;
    }
    uint32_t value = 0;
    if (m_api->MkAttrUint32Get(m_handle, attribute, &value) != MK_ERR_SUCCESS) {
        Log(0, "CUnifiedGfxModeZelmkAPI::%s: MkAttrUint32Get reports error -> cannot get %s", getter, what);
        return 0;
    }
    return value;
}

uint32_t LiveGfxMode::Width() { return ReadUint32("GetxRes", "Width", "width"); }
uint32_t LiveGfxMode::Height() { return ReadUint32("GetyRes", "Height", "height"); }
uint32_t LiveGfxMode::IntermediateBufferSize()
{
    return ReadUint32("GetIntermediateBufferSize", "TotalBytesPerFrame", "TotalBytesPerFrame");
}

const PixelFormatRow* LiveGfxMode::ReadFormat(const char* getter)
{
    if (!m_api || !m_handle) {
        Log(0, "CUnifiedGfxModeZelmkAPI::%s: camera handle is NULL -> cannot get pixelformat", getter);
        return nullptr;
    }
    char name[1024] = {};
    uint32_t length = 0;
    if (m_api->MkAttrEnumGet(m_handle, "PixelFormat", name, sizeof name, &length) != MK_ERR_SUCCESS) {
        Log(0, "CUnifiedGfxModeZelmkAPI::%s: MkAttrEnumGet reports error -> cannot get pixelformat", getter);
        return nullptr;
    }
    name[length < sizeof name ? length : sizeof name - 1] = '\0';
    const PixelFormatRow* row = FindPixelFormat(name);
    if (!row) Log(0, "CUnifiedGfxModeZelmkAPI::%s: MkAttrEnumGet reports pixelformat %s which is not supported!", getter, name);
    return row;
}

uint32_t LiveGfxMode::NumComponents()
{
    const PixelFormatRow* row = ReadFormat("GetNumComponents");
    return row ? row->components : 0;
}

uint32_t LiveGfxMode::AllocatedBitPerComponent()
{
    const PixelFormatRow* row = ReadFormat("GetAllocatedBitPerComponent");
    return row ? row->allocatedBits : 0;
}

UG_COLORCODING LiveGfxMode::ColorCoding()
{
    const PixelFormatRow* row = ReadFormat("GetColorCoding");
    return row ? row->colorCoding : UG_CC_MONO;
}

UG_CONVERSION_FUNCTION LiveGfxMode::ConversionFunction()
{
    const PixelFormatRow* row = ReadFormat("GetColorCoding");
    return row ? zelmk::ConversionFunction(row->conversion) : nullptr;
}

std::optional<uint32_t> LiveGfxMode::ReadFormatRegister()
{
    const uint32_t address = kPixelFormatRegister;
    uint32_t value = 0;
    if (m_api->_Mk_Factory_Test_10(m_handle, 1, &address, &value, nullptr) != MK_ERR_SUCCESS) return std::nullopt;
    return value;
}

uint32_t LiveGfxMode::BitPerComponent()
{
    const PixelFormatRow* row = ReadFormat("GetBitPerComponent");
    if (!row) return 0;
    if (row->bits != 16) return row->bits;
    // A 16-bit container may carry fewer significant bits; the register says how many.
    const std::optional<uint32_t> code = ReadFormatRegister();
    if (!code) {
        Log(0, "CUnifiedGfxModeZelmkAPI::GetBitStartComponent: unable to read pixel format from absolute address 0x%08X, assuming Mono16.",
            kPixelFormatRegister);
        return 16;
    }
    Log(1, "CUnifiedGfxModeZelmkAPI::GetBitStartComponent: read pixel format from absolute address 0x%08X -> 0x%08X",
        kPixelFormatRegister, *code);
    if (const std::optional<uint32_t> bits = SignificantBitsOf(*code)) return *bits;
    Log(0, "CUnifiedGfxModeZelmkAPI::GetBitStartComponent: unknown pixel format, assuming 16 BPC");
    return 16;
}

uint32_t LiveGfxMode::CfaOffset(const char* getter, bool y)
{
    if (ColorCoding() != UG_CC_RAW_CFA) return 0;
    const std::optional<uint32_t> code = ReadFormatRegister();
    if (!code) {
        Log(0, "CUnifiedGfxModeZelmkAPI::%s: MkAttrEnumGet reports error -> cannot get pixelformat", getter);
        return 0;
    }
    Log(1, "CUnifiedGfxModeZelmkAPI::%s: read pixel format from absolute address 0x%08X -> 0x%08X", getter,
        kPixelFormatRegister, *code);
    if (const std::optional<CfaOffsets> offsets = CfaOffsetsOf(*code)) return y ? offsets->y : offsets->x;
    Log(0, "CUnifiedGfxModeZelmkAPI::%s: unknown pixel format, assuming 0", getter);
    return 0;
}

uint32_t LiveGfxMode::CFAxOffset() { return CfaOffset("GetCFAxOffset", false); }
uint32_t LiveGfxMode::CFAyOffset() { return CfaOffset("GetCFAyOffset", true); }

} // namespace zelmk
