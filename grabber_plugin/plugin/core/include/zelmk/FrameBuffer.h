// One frame buffer of the grabber: the library's frame record, the camera's raw
// data when the pixel format needs converting, and the framework's image.
#pragma once

#include "FramixTypes.h"
#include "mk_api/MkApi.h"

#include <cstdint>

namespace zelmk {

// What sizing asks of the graphics mode, in the order it asks.
class FrameBufferMode {
public:
    virtual UG_CONVERSION_FUNCTION ConversionFunction() = 0;
    virtual uint32_t IntermediateBufferSize() = 0;
    virtual uint64_t FrameBufferSize() = 0;
    virtual uint32_t Width() = 0;
    virtual uint32_t Height() = 0;

protected:
    ~FrameBufferMode() = default;
};

class CFrameBuffer {
public:
    // The record's contexts: 0 the grabber, 1 this buffer, 2 the index.
    CFrameBuffer(void* grabber, uint64_t index);
    ~CFrameBuffer();
    CFrameBuffer(const CFrameBuffer&) = delete;
    CFrameBuffer& operator=(const CFrameBuffer&) = delete;

    // Sizes the buffer for the mode; memory whose size did not change is kept.
    // False when memory ran out or the image does not fit the record's 32-bit size.
    bool SizeFor(FrameBufferMode& mode);

    enum class Converted { NotNeeded, // no routine, or a buffer missing
                           Done,
                           TooShort }; // the frame holds fewer bytes than the routine reads
    // Runs the routine from the raw data into the image, only when the raw data
    // holds every byte the routine reads for width x height pixels.
    Converted Convert();

    MkFrame& Frame() { return m_Frame; }
    const MkFrame& Frame() const { return m_Frame; }
    uint64_t Index() const { return m_Index; }
    uint8_t* ImageBuffer() const { return m_pImage; }
    uint64_t ImageSize() const { return m_ImageSize; }
    uint8_t* IntermediateBuffer() const { return m_pIntermediate; }
    uint32_t IntermediateSize() const { return m_IntermediateSize; }
    UG_CONVERSION_FUNCTION Routine() const { return m_Convert; }
    uint32_t Width() const { return m_Width; }
    uint32_t Height() const { return m_Height; }

    static CFrameBuffer* FromFrame(const MkFrame* frame) { return static_cast<CFrameBuffer*>(frame->context[1]); }
    static void* GrabberOf(const MkFrame* frame) { return frame->context[0]; }
    static uint64_t IndexOf(const MkFrame* frame) { return reinterpret_cast<uint64_t>(frame->context[2]); }

private:
    MkFrame m_Frame;
    uint64_t m_Index;
    uint8_t* m_pIntermediate = nullptr;
    uint32_t m_IntermediateSize = 0;
    uint8_t* m_pImage = nullptr;
    uint64_t m_ImageSize = 0;
    UG_CONVERSION_FUNCTION m_Convert = nullptr;
    uint32_t m_Width = 0;
    uint32_t m_Height = 0;
};

} // namespace zelmk
