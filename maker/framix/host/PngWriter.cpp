// PNG through WIC: the encoder takes the buffer's own layout where it can;
// RGB orders are turned into the BGR orders the encoder takes.
#include "PngWriter.h"

#include "win32/lean_windows.h"

#include <objbase.h>
#include <wincodec.h>

#include <vector>

namespace {

template <class T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr()
    {
        if (p)
            p->Release();
    }
    T** out() { return &p; }
    T* operator->() const { return p; }
};

struct ComScope {
    HRESULT result;
    ComScope() : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(result))
            CoUninitialize();
    }
};

std::string Failed(const char* what, HRESULT hr)
{
    char text[128];
    wsprintfA(text, "%s failed (0x%08lX)", what, static_cast<unsigned long>(hr));
    return text;
}

} // namespace

std::string WritePng(const std::string& path, const FrameImage& image)
{
    if (!image.pixels || image.width == 0 || image.height == 0)
        return "no image";
    WICPixelFormatGUID format;
    uint32_t bytesPerPixel = image.components * image.allocatedBits / 8;
    bool swapRedBlue = false;
    const bool wide = image.allocatedBits == 16;
    if (image.allocatedBits != 8 && image.allocatedBits != 16)
        return "unsupported bit depth";
    switch (image.colorCoding) {
    case UG_CC_MONO:
    case UG_CC_RAW_CFA:
        if (image.components != 1)
            return "unsupported layout";
        format = wide ? GUID_WICPixelFormat16bppGray : GUID_WICPixelFormat8bppGray;
        break;
    case UG_CC_RGB:
    case UG_CC_BGR:
        if (image.components != 3 || wide)
            return "unsupported layout";
        format = GUID_WICPixelFormat24bppBGR;
        swapRedBlue = image.colorCoding == UG_CC_RGB;
        break;
    case UG_CC_RGBA:
    case UG_CC_BGRA:
        if (image.components != 4 || wide)
            return "unsupported layout";
        format = GUID_WICPixelFormat32bppBGRA;
        swapRedBlue = image.colorCoding == UG_CC_RGBA;
        break;
    default: return "unsupported colour coding";
    }
    const uint64_t stride64 = uint64_t(image.width) * bytesPerPixel;
    const uint64_t size64 = stride64 * image.height;
    if (size64 > 0x7FFFFFFF)
        return "image too large";
    const UINT stride = static_cast<UINT>(stride64);
    std::vector<BYTE> pixels(static_cast<const BYTE*>(image.pixels), static_cast<const BYTE*>(image.pixels) + size64);
    if (swapRedBlue)
        for (size_t i = 0; i + 2 < pixels.size(); i += bytesPerPixel) std::swap(pixels[i], pixels[i + 2]);

    ComScope com;
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(factory.out()));
    if (FAILED(hr))
        return Failed("creating the imaging factory", hr);
    ComPtr<IWICStream> stream;
    if (FAILED(hr = factory->CreateStream(stream.out())))
        return Failed("creating a stream", hr);
    std::vector<wchar_t> wide_path(path.size() + 1);
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide_path.data(), static_cast<int>(wide_path.size()));
    if (FAILED(hr = stream->InitializeFromFilename(wide_path.data(), GENERIC_WRITE)))
        return Failed("opening the file", hr);
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out())))
        return Failed("creating the PNG encoder", hr);
    if (FAILED(hr = encoder->Initialize(stream.p, WICBitmapEncoderNoCache)))
        return Failed("starting the encoder", hr);
    ComPtr<IWICBitmapFrameEncode> frame;
    if (FAILED(hr = encoder->CreateNewFrame(frame.out(), nullptr)))
        return Failed("creating the frame", hr);
    if (FAILED(hr = frame->Initialize(nullptr)))
        return Failed("starting the frame", hr);
    if (FAILED(hr = frame->SetSize(image.width, image.height)))
        return Failed("sizing the frame", hr);
    WICPixelFormatGUID chosen = format;
    if (FAILED(hr = frame->SetPixelFormat(&chosen)))
        return Failed("choosing the pixel format", hr);
    if (!IsEqualGUID(chosen, format))
        return "the encoder does not take this pixel format";
    if (FAILED(hr = frame->WritePixels(image.height, stride, static_cast<UINT>(size64), pixels.data())))
        return Failed("writing the pixels", hr);
    if (FAILED(hr = frame->Commit()))
        return Failed("finishing the frame", hr);
    if (FAILED(hr = encoder->Commit()))
        return Failed("finishing the file", hr);
    return {};
}
