// The graphics mode's getters, asked of the open camera live through the bound
// library: one library call each (two for the refined depth and the
// colour-filter offsets), every failure one log line and the value 0.
#pragma once

#include "zelmk/GfxModeTables.h"
#include "zelmk/MkApiTable.h"
#include "zelmk/PrintParameters.h"

namespace zelmk {

class LiveGfxMode {
public:
    // api may be null (no usable library): every getter then answers as for a null handle.
    LiveGfxMode(const MkApiFunctions* api, MkHandle handle, const LogSink& log) : m_api(api), m_handle(handle), m_log(log) {}

    uint32_t Width();
    uint32_t Height();
    uint32_t IntermediateBufferSize(); // "TotalBytesPerFrame"
    uint32_t NumComponents();
    uint32_t AllocatedBitPerComponent();
    uint32_t BitPerComponent();
    UG_COLORCODING ColorCoding();
    UG_CONVERSION_FUNCTION ConversionFunction();
    uint32_t CFAxOffset();
    uint32_t CFAyOffset();

private:
    uint32_t ReadUint32(const char* getter, const char* attribute, const char* what);
    // The table row of the current "PixelFormat"; failures logged under the getter's name.
    const PixelFormatRow* ReadFormat(const char* getter);
    std::optional<uint32_t> ReadFormatRegister();
    uint32_t CfaOffset(const char* getter, bool y);
    void Log(int level, const char* format, ...);

    const MkApiFunctions* m_api;
    MkHandle m_handle;
    const LogSink& m_log;
};

} // namespace zelmk
