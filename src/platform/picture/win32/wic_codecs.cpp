// PNG, JPEG and GIF through the platform's own decoders, the Windows Imaging Component.
// (BMP and icons are read by our own code on every platform.) Each file is decoded by
// the decoder of its format, never guessed again from its content; the first frame is
// converted to straight 32-bit BGRA.
#include <cstdio>
#include <string>

#include "platform/picture/decode.h"
#include "platform/win32/com.h"
#include "platform/win32/windows_api.h"
// The imaging component's interfaces need the COM types above.
#include <wincodec.h>

namespace sheenwork::picture::detail {
namespace {

using win32::ComPtr;

// COM for the length of a decode, on a thread that has none yet (a tool's own thread);
// a host's thread keeps what it has.
class ComScope {
public:
    ComScope() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

[[noreturn]] void Damaged(const char* kind, const char* step, HRESULT hr) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    Fail(std::string("the ") + kind + " data is damaged: " + step + " failed (" + code + ")");
}

unsigned Metadata(IWICMetadataQueryReader* reader, const wchar_t* name) {
    if (!reader) return 0;
    PROPVARIANT v;
    PropVariantInit(&v);
    unsigned out = 0;
    if (SUCCEEDED(reader->GetMetadataByName(name, &v)) && v.vt == VT_UI2) out = v.uiVal;
    PropVariantClear(&v);
    return out;
}

Pixels Decode(Bytes file, const GUID& container, const char* kind) {
    const ComScope com;
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr =
        ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                           IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()));
    if (FAILED(hr)) Damaged(kind, "starting the imaging component", hr);
    ComPtr<IWICStream> stream;
    if (FAILED(hr = factory->CreateStream(stream.put()))) Damaged(kind, "a stream", hr);
    hr = stream->InitializeFromMemory(const_cast<BYTE*>(file.data()),
                                      static_cast<DWORD>(file.size()));
    if (FAILED(hr)) Damaged(kind, "reading the data", hr);
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(hr = factory->CreateDecoder(container, nullptr, decoder.put())))
        Damaged(kind, "finding the decoder", hr);
    if (FAILED(hr = decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnLoad)))
        Damaged(kind, "reading the header", hr);
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(hr = decoder->GetFrame(0, frame.put()))) Damaged(kind, "the first frame", hr);
    UINT width = 0, height = 0;
    if (FAILED(hr = frame->GetSize(&width, &height))) Damaged(kind, "the size", hr);
    CheckSize(width, height, (std::string("the ") + kind + " picture").c_str());
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(hr = factory->CreateFormatConverter(converter.put())))
        Damaged(kind, "a converter", hr);
    hr = converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                               nullptr, 0.0, WICBitmapPaletteTypeCustom);
    if (FAILED(hr)) Damaged(kind, "converting the pixels", hr);
    std::vector<std::uint32_t> frame_pixels(static_cast<std::size_t>(width) * height);
    hr = converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(frame_pixels.size() * 4),
                               reinterpret_cast<BYTE*>(frame_pixels.data()));
    if (FAILED(hr)) Damaged(kind, "decoding the pixels", hr);

    // A GIF is its logical screen with the first frame at its place; the rest is clear.
    unsigned left = 0, top = 0, screen_w = width, screen_h = height;
    if (container == GUID_ContainerFormatGif) {
        ComPtr<IWICMetadataQueryReader> whole, image;
        decoder->GetMetadataQueryReader(whole.put());
        frame->GetMetadataQueryReader(image.put());
        left = Metadata(image.get(), L"/imgdesc/Left");
        top = Metadata(image.get(), L"/imgdesc/Top");
        screen_w = Metadata(whole.get(), L"/logscrdesc/Width");
        screen_h = Metadata(whole.get(), L"/logscrdesc/Height");
        if (screen_w == 0 || screen_h == 0) screen_w = left + width, screen_h = top + height;
        CheckSize(screen_w, screen_h, "the GIF's screen");
    }
    Pixels out;
    out.width = static_cast<int>(screen_w);
    out.height = static_cast<int>(screen_h);
    if (screen_w == width && screen_h == height && left == 0 && top == 0) {
        out.argb = std::move(frame_pixels);
        return out;
    }
    out.argb.assign(static_cast<std::size_t>(screen_w) * screen_h, 0);
    for (UINT y = 0; y < height && top + y < screen_h; ++y)
        for (UINT x = 0; x < width && left + x < screen_w; ++x)
            out.argb[static_cast<std::size_t>(top + y) * screen_w + left + x] =
                frame_pixels[static_cast<std::size_t>(y) * width + x];
    return out;
}

}  // namespace

Pixels DecodePng(Bytes file) { return Decode(file, GUID_ContainerFormatPng, "PNG"); }
Pixels DecodeJpeg(Bytes file) { return Decode(file, GUID_ContainerFormatJpeg, "JPEG"); }
Pixels DecodeGif(Bytes file) { return Decode(file, GUID_ContainerFormatGif, "GIF"); }

}  // namespace sheenwork::picture::detail
