// gdi::Gdi over real HDCs and HGDIOBJs. Our opaque handles are the Win32 handle values
// themselves, so every call is a cast and a forward; the only real work is in
// CreateSurfaceBitmap and ReadBitmap, which give the pixel access the tests need.
#include "win32_gdi.h"

#include <windows.h>
// <windows.h> maps these to their A or W forms; here they are our interface's names.
#undef CreateFontIndirect
#undef GetTextFace
#undef GetTextMetrics
#undef GetTextExtentPoint32

#include <cstddef>
#include <cstring>
#include <string>

namespace sheenwork::gdi {
namespace {

static_assert(sizeof(Rect) == sizeof(RECT));
static_assert(offsetof(Rect, left) == offsetof(RECT, left));
static_assert(offsetof(Rect, top) == offsetof(RECT, top));
static_assert(offsetof(Rect, right) == offsetof(RECT, right));
static_assert(offsetof(Rect, bottom) == offsetof(RECT, bottom));
static_assert(sizeof(Point) == sizeof(POINT));
static_assert(sizeof(Size) == sizeof(SIZE));
static_assert(sizeof(LogFont) == sizeof(LOGFONTA));
static_assert(offsetof(LogFont, lfFaceName) == offsetof(LOGFONTA, lfFaceName));
static_assert(offsetof(LogFont, lfQuality) == offsetof(LOGFONTA, lfQuality));
static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
static_assert(offsetof(BitmapInfoHeader, biBitCount) == offsetof(BITMAPINFOHEADER, biBitCount));
static_assert(offsetof(BitmapInfoHeader, biClrImportant) ==
              offsetof(BITMAPINFOHEADER, biClrImportant));

HDC D(Hdc h) { return reinterpret_cast<HDC>(h); }
Hdc H(HDC d) { return reinterpret_cast<Hdc>(d); }
HGDIOBJ O(Hgdiobj h) { return reinterpret_cast<HGDIOBJ>(h); }
Hgdiobj H(HGDIOBJ o) { return reinterpret_cast<Hgdiobj>(o); }

// 0xAARRGGBB as a 32-bit DIB stores it (B, G, R, unused in memory) to 0x00BBGGRR.
ColorRef FromDibPixel(std::uint32_t p) {
    return Rgb((p >> 16) & 0xFFu, (p >> 8) & 0xFFu, p & 0xFFu);
}

class Win32Gdi final : public Gdi {
public:
    Hdc CreateCompatibleDC(Hdc like) override { return H(::CreateCompatibleDC(D(like))); }
    bool DeleteDC(Hdc dc) override { return ::DeleteDC(D(dc)) != FALSE; }
    Hgdiobj CreateCompatibleBitmap(Hdc like, int width, int height) override {
        return H(static_cast<HGDIOBJ>(::CreateCompatibleBitmap(D(like), width, height)));
    }
    Hgdiobj CreateBitmap(int width, int height, unsigned planes, unsigned bpp,
                         const void* bits) override {
        return H(static_cast<HGDIOBJ>(::CreateBitmap(width, height, planes, bpp, bits)));
    }

    // A 32-bit top-down DIB section; CreateDIBSection hands out zeroed memory, and the
    // explicit clear keeps "starts black" true whatever the allocator does.
    Hgdiobj CreateSurfaceBitmap(int width, int height) override {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap == nullptr) return nullptr;
        if (bits != nullptr)
            std::memset(bits, 0,
                        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
        return H(static_cast<HGDIOBJ>(bitmap));
    }

    std::vector<ColorRef> ReadBitmap(Hgdiobj bitmap) override {
        HGDIOBJ object = O(bitmap);
        if (object == nullptr || ::GetObjectType(object) != OBJ_BITMAP) return {};
        ::GdiFlush();  // pending drawing must reach the bits before they are read
        DIBSECTION section{};
        const int size = ::GetObjectW(object, sizeof(section), &section);
        const int width = section.dsBm.bmWidth;
        const int height = section.dsBm.bmHeight;
        if (size == 0 || width <= 0 || height <= 0) return {};
        std::vector<ColorRef> out(static_cast<std::size_t>(width) *
                                  static_cast<std::size_t>(height));

        // A 32-bit top-down DIB section (the surfaces): read its memory directly, which
        // also works while it is selected into a DC.
        if (size == sizeof(DIBSECTION) && section.dsBm.bmBits != nullptr &&
            section.dsBmih.biBitCount == 32 && section.dsBmih.biHeight < 0 &&
            section.dsBmih.biCompression == BI_RGB) {
            const auto* base = static_cast<const unsigned char*>(section.dsBm.bmBits);
            for (int y = 0; y < height; ++y) {
                const auto* row = base + static_cast<std::size_t>(y) * section.dsBm.bmWidthBytes;
                for (int x = 0; x < width; ++x) {
                    std::uint32_t p;
                    std::memcpy(&p, row + static_cast<std::size_t>(x) * 4, 4);
                    out[static_cast<std::size_t>(y) * width + x] = FromDibPixel(p);
                }
            }
            return out;
        }

        // Anything else (monochrome and device-dependent bitmaps, other DIB formats):
        // let GDI convert to 32-bit top-down rows. A monochrome bitmap comes back through
        // its black/white colour table.
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<std::uint32_t> raw(out.size());
        HDC screen = ::CreateCompatibleDC(nullptr);
        const int lines = ::GetDIBits(screen, static_cast<HBITMAP>(object), 0,
                                      static_cast<UINT>(height), raw.data(), &info, DIB_RGB_COLORS);
        ::DeleteDC(screen);
        if (lines != height) return {};
        for (std::size_t i = 0; i < raw.size(); ++i) out[i] = FromDibPixel(raw[i]);
        return out;
    }

    Hgdiobj CreatePen(int style, int width, ColorRef color) override {
        return H(static_cast<HGDIOBJ>(::CreatePen(style, width, color)));
    }
    Hgdiobj CreateSolidBrush(ColorRef color) override {
        return H(static_cast<HGDIOBJ>(::CreateSolidBrush(color)));
    }
    Hgdiobj GetStockObject(int which) override { return H(::GetStockObject(which)); }
    Hgdiobj SelectObject(Hdc dc, Hgdiobj obj) override {
        HGDIOBJ previous = ::SelectObject(D(dc), O(obj));
        return previous == HGDI_ERROR ? nullptr : H(previous);
    }
    bool DeleteObject(Hgdiobj obj) override { return ::DeleteObject(O(obj)) != FALSE; }

    ColorRef SetBkColor(Hdc dc, ColorRef color) override { return ::SetBkColor(D(dc), color); }
    ColorRef GetBkColor(Hdc dc) override { return ::GetBkColor(D(dc)); }
    ColorRef SetTextColor(Hdc dc, ColorRef color) override { return ::SetTextColor(D(dc), color); }
    ColorRef GetTextColor(Hdc dc) override { return ::GetTextColor(D(dc)); }
    int SetBkMode(Hdc dc, int mode) override { return ::SetBkMode(D(dc), mode); }
    int GetBkMode(Hdc dc) override { return ::GetBkMode(D(dc)); }
    int GetDeviceCaps(Hdc dc, int index) override { return ::GetDeviceCaps(D(dc), index); }

    bool MoveToEx(Hdc dc, int x, int y, Point* previous) override {
        return ::MoveToEx(D(dc), x, y, reinterpret_cast<POINT*>(previous)) != FALSE;
    }
    bool LineTo(Hdc dc, int x, int y) override { return ::LineTo(D(dc), x, y) != FALSE; }
    ColorRef SetPixel(Hdc dc, int x, int y, ColorRef color) override {
        return ::SetPixel(D(dc), x, y, color);
    }
    ColorRef GetPixel(Hdc dc, int x, int y) override { return ::GetPixel(D(dc), x, y); }
    bool Rectangle(Hdc dc, int left, int top, int right, int bottom) override {
        return ::Rectangle(D(dc), left, top, right, bottom) != FALSE;
    }
    int FillRect(Hdc dc, const Rect* rect, Hgdiobj brush) override {
        return ::FillRect(D(dc), reinterpret_cast<const RECT*>(rect),
                          static_cast<HBRUSH>(O(brush)));
    }
    bool RoundRect(Hdc dc, int left, int top, int right, int bottom, int width,
                   int height) override {
        return ::RoundRect(D(dc), left, top, right, bottom, width, height) != FALSE;
    }
    bool DrawEdge(Hdc dc, Rect* rect, unsigned edge, unsigned flags) override {
        return ::DrawEdge(D(dc), reinterpret_cast<RECT*>(rect), edge, flags) != FALSE;
    }
    bool DrawFocusRect(Hdc dc, const Rect* rect) override {
        return ::DrawFocusRect(D(dc), reinterpret_cast<const RECT*>(rect)) != FALSE;
    }
    int StretchDIBits(Hdc dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                      int ySrc, int srcWidth, int srcHeight, const void* bits,
                      const BitmapInfoHeader* info, unsigned usage, std::uint32_t rop) override {
        return ::StretchDIBits(D(dc), xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth,
                               srcHeight, bits, reinterpret_cast<const BITMAPINFO*>(info), usage,
                               rop);
    }
    bool BitBlt(Hdc dest, int x, int y, int width, int height, Hdc src, int xSrc, int ySrc,
                std::uint32_t rop) override {
        return ::BitBlt(D(dest), x, y, width, height, D(src), xSrc, ySrc, rop) != FALSE;
    }

    Hgdiobj CreateAlphaBitmap(int width, int height, const std::uint32_t* argb) override {
        Hgdiobj bitmap = CreateSurfaceBitmap(width, height);
        if (bitmap == nullptr) return nullptr;
        DIBSECTION section{};
        ::GetObjectW(O(bitmap), sizeof(section), &section);
        // 0xAARRGGBB little-endian is B, G, R, A in memory: the DIB's own layout.
        std::memcpy(section.dsBm.bmBits, argb,
                    static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
        return bitmap;
    }
    bool AlphaBlend(Hdc dest, int xDest, int yDest, int destWidth, int destHeight, Hdc src,
                    int xSrc, int ySrc, int srcWidth, int srcHeight, BlendFunction blend) override {
        BLENDFUNCTION f{blend.BlendOp, blend.BlendFlags, blend.SourceConstantAlpha,
                        blend.AlphaFormat};
        return ::GdiAlphaBlend(D(dest), xDest, yDest, destWidth, destHeight, D(src), xSrc, ySrc,
                               srcWidth, srcHeight, f) != FALSE;
    }

    Hgdiobj CreateFontIndirect(const LogFont& font) override {
        LOGFONTA lf;
        std::memcpy(&lf, &font, sizeof lf);
        return H(static_cast<HGDIOBJ>(::CreateFontIndirectA(&lf)));
    }
    std::string GetTextFace(Hdc dc) override {
        char name[LF_FACESIZE] = {};
        return ::GetTextFaceA(D(dc), LF_FACESIZE, name) > 0 ? std::string(name) : std::string();
    }
    bool GetTextMetrics(Hdc dc, TextMetric* metrics) override {
        TEXTMETRICA tm;
        if (metrics == nullptr || !::GetTextMetricsA(D(dc), &tm)) return false;
        metrics->tmHeight = tm.tmHeight;
        metrics->tmAscent = tm.tmAscent;
        metrics->tmDescent = tm.tmDescent;
        metrics->tmInternalLeading = tm.tmInternalLeading;
        metrics->tmExternalLeading = tm.tmExternalLeading;
        metrics->tmAveCharWidth = tm.tmAveCharWidth;
        metrics->tmMaxCharWidth = tm.tmMaxCharWidth;
        metrics->tmWeight = tm.tmWeight;
        return true;
    }
    bool GetTextExtentPoint32(Hdc dc, const char* text, int count, Size* size) override {
        return ::GetTextExtentPoint32A(D(dc), text, count, reinterpret_cast<SIZE*>(size)) != FALSE;
    }
    int DrawTextA(Hdc dc, const char* text, int count, Rect* rect, unsigned format) override {
        return ::DrawTextA(D(dc), text, count, reinterpret_cast<RECT*>(rect), format);
    }
};

}  // namespace

std::unique_ptr<Gdi> MakeWin32Gdi() { return std::make_unique<Win32Gdi>(); }

std::unique_ptr<Gdi> MakePlatformGdi() { return MakeWin32Gdi(); }

}  // namespace sheenwork::gdi
