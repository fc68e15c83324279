// Sizing a frame buffer for a graphics mode, and converting one frame.
#include "zelmk/FrameBuffer.h"

#include "zelmk/GfxModeTables.h"

#include <cstdlib>
#include <cstring>

namespace zelmk {
namespace {

// Memory of a new size (contents not kept; the next frame overwrites them);
// false, leaving the old block, when it cannot be had. The pages are touched
// here, so that the system does not hand them out on the frame path.
template <class Size>
bool Resize(uint8_t*& block, Size& size, uint64_t wanted)
{
    if (wanted == size && (block || wanted == 0)) return true;
    if (wanted == 0) {
        std::free(block);
        block = nullptr;
        size = 0;
        return true;
    }
    if (wanted > SIZE_MAX) return false;
    auto* fresh = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(wanted)));
    if (!fresh) return false;
    std::memset(fresh, 0, static_cast<size_t>(wanted));
    std::free(block);
    block = fresh;
    size = static_cast<Size>(wanted);
    return true;
}

} // namespace

CFrameBuffer::CFrameBuffer(void* grabber, uint64_t index) : m_Index(index)
{
    std::memset(&m_Frame, 0, sizeof m_Frame);
    m_Frame.context[0] = grabber;
    m_Frame.context[1] = this;
    m_Frame.context[2] = reinterpret_cast<void*>(index);
}

CFrameBuffer::~CFrameBuffer()
{
    std::free(m_pIntermediate);
    std::free(m_pImage);
}

bool CFrameBuffer::SizeFor(FrameBufferMode& mode)
{
    const UG_CONVERSION_FUNCTION routine = mode.ConversionFunction();
    if (routine) {
        if (!Resize(m_pIntermediate, m_IntermediateSize, mode.IntermediateBufferSize())) return false;
        m_Frame.imageBuffer = m_pIntermediate;
        m_Frame.imageBufferSize = m_IntermediateSize;
        if (!Resize(m_pImage, m_ImageSize, mode.FrameBufferSize())) {
            m_Convert = nullptr;
            return false;
        }
        m_Convert = routine;
        m_Width = mode.Width();
        m_Height = mode.Height();
        return true;
    }
    const uint64_t size = mode.FrameBufferSize();
    // The record's size field has 32 bits.
    if (size > 0xFFFFFFFFu) return false;
    if (!Resize(m_pImage, m_ImageSize, size)) return false;
    m_Convert = nullptr;
    m_Width = mode.Width();
    m_Height = mode.Height();
    Resize(m_pIntermediate, m_IntermediateSize, 0);
    m_Frame.imageBuffer = m_pImage;
    m_Frame.imageBufferSize = static_cast<uint32_t>(m_ImageSize);
    return true;
}

CFrameBuffer::Converted CFrameBuffer::Convert()
{
    if (!m_pIntermediate || !m_pImage || !m_Convert) return Converted::NotNeeded;
    const uint64_t pixels = uint64_t(m_Width) * m_Height;
    // The routine reads a fixed count of bytes for the pixel count: a frame that
    // brought fewer (a camera reporting a smaller frame than the mode says)
    // must not make it read past the data or the buffer.
    const uint64_t reads = ConversionSourceBytes(m_Convert, pixels);
    if (reads > m_IntermediateSize || reads > m_Frame.imageSize || ConversionDestinationBytes(m_Convert, pixels) > m_ImageSize)
        return Converted::TooShort;
    m_Convert(m_pIntermediate, m_pImage, pixels);
    return Converted::Done;
}

} // namespace zelmk
