// The software raster's objects and its Gdi implementation.
//
// A bitmap stores one 32-bit value per pixel in COLORREF order (0x00BBGGRR) so that
// GetPixel is a plain read. A monochrome bitmap uses the same storage, holding only
// 0x000000 (bit 0) and 0xFFFFFF (bit 1).
//
// Every primitive opens the same way: reach the bitmap through Drawn (which writes a
// pending whole fill first), clip to it, return when nothing is left, then loop. `Plot`
// and `FillSpan` are the writers of the shapes and they check bounds themselves, so no
// shape can write outside a bitmap whatever it computes; the whole-row fast paths of
// fills and blits, which write through `FillPixels` and memcpy, cut their blocks to the
// bitmap first.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <cstdint>
#include <memory>
#include <memory_resource>
#include <unordered_set>
#include <vector>

namespace sheenwork::text {
class RealizedFont;
}

namespace sheenwork::gdi::raster {

enum class Kind { Bitmap, Pen, Brush, Font };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
    bool stock = false;
    int selected_into = 0;  // number of DCs holding it; GDI refuses to delete those
};

struct Bitmap : Object {
    Bitmap(int w, int h, bool is_mono)
        : Object(Kind::Bitmap),
          width(w),
          height(h),
          mono(is_mono),
          pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0) {}
    int width;
    int height;
    bool mono;
    std::vector<ColorRef> pixels;
    // The alpha bytes of a bitmap made by CreateAlphaBitmap (empty for all others). Only
    // AlphaBlend reads and writes them; other drawing leaves them as they are (real GDI
    // leaves a 32-bit bitmap's alpha undefined after it draws).
    std::vector<std::uint8_t> alpha;
    // A FillRect of every pixel with one colour, not written yet: the next call that
    // reads or draws writes it first (Drawn). A repaint clears its surface and then fills
    // it with the body's colour; the clear is never written.
    bool fill_pending = false;
    ColorRef pending_color = 0;

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    ColorRef& At(int x, int y) {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    ColorRef At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

struct Pen : Object {
    Pen(int s, int w, ColorRef c) : Object(Kind::Pen), style(s), width(w), color(c) {}
    int style;
    int width;
    ColorRef color;
};

struct Brush : Object {
    Brush(bool hollow, ColorRef c) : Object(Kind::Brush), null(hollow), color(c) {}
    bool null;
    ColorRef color;
};

// A logical font; the text engine realises it on first use and keeps the result here.
struct Font : Object {
    explicit Font(const LogFont& f) : Object(Kind::Font), log(f) {}
    LogFont log;
    std::shared_ptr<text::RealizedFont> realized;
};

struct Dc {
    Bitmap* bitmap = nullptr;
    Pen* pen = nullptr;
    Brush* brush = nullptr;
    Font* font = nullptr;
    ColorRef bk_color = 0xFFFFFF;
    ColorRef text_color = 0x000000;
    int bk_mode = OPAQUE;
    Point position;
};

inline Dc* ToDc(Hdc h) { return reinterpret_cast<Dc*>(h); }
inline Hdc ToHdc(Dc* d) { return reinterpret_cast<Hdc>(d); }
inline Object* ToObject(Hgdiobj h) { return reinterpret_cast<Object*>(h); }
inline Hgdiobj ToHandle(Object* o) { return reinterpret_cast<Hgdiobj>(o); }

// The colour a pixel of `bitmap` takes when `color` is written to it: unchanged on a
// colour bitmap; on a monochrome one the nearer of black and white (GDI's
// nearest-palette-entry rule).
ColorRef ToBitmapColor(const Dc& dc, ColorRef color);

// The colour a pen draws with. On a monochrome bitmap pure black and pure white keep
// their bit; any other colour takes the background colour's bit when it is the
// background colour and the opposite bit otherwise, so that a coloured line on a
// monochrome mask always shows against the background (GDI's rule for pens).
ColorRef ToPenColor(const Dc& dc, ColorRef color);

// The pixel a solid brush of `color` gives at (x, y) of the DC's bitmap, for every brush
// fill (FillRect, the inside of Rectangle and RoundRect, the pattern of a blit). On a
// colour bitmap the colour itself. On a monochrome one GDI dithers every brush colour
// with the 8 x 8 ordered (Bayer) matrix anchored at the bitmap's origin: white where
// the colour's luminance (30 R + 59 G + 11 B) / 100 plus 4 * entry(x & 7, y & 7) + 2
// exceeds 255, so black and white stay solid and mid-grey comes out as a checker.
ColorRef BrushPixel(const Dc& dc, ColorRef color, int x, int y);

// The only pixel writers. Both ignore anything outside the bitmap.
inline void Plot(Bitmap& b, int x, int y, ColorRef c) {
    if (b.Contains(x, y)) b.At(x, y) = c;
}
void FillSpan(Bitmap& b, int y, int x0, int x1, ColorRef c);  // x0 inside, x1 exclusive

// Sets the n pixels from `p` on to `c`: the store every solid fill ends in, for callers
// that have already cut the run to a bitmap (a run of whole rows may span several).
void FillPixels(ColorRef* p, std::size_t n, ColorRef c);

// The bitmap with its pending fill written: how every call reaches the pixels it reads
// or draws.
inline Bitmap& Drawn(Bitmap& b) {
    if (b.fill_pending) {
        b.fill_pending = false;
        FillPixels(b.pixels.data(), b.pixels.size(), b.pending_color);
    }
    return b;
}

// `r` cut to the bitmap; empty when nothing of it lies inside.
Rect ClipToBitmap(const Bitmap& b, Rect r);

class RasterGdi final : public Gdi {
public:
    RasterGdi();
    ~RasterGdi() override;

    Hdc CreateCompatibleDC(Hdc like) override;
    bool DeleteDC(Hdc dc) override;
    Hgdiobj CreateCompatibleBitmap(Hdc like, int width, int height) override;
    Hgdiobj CreateBitmap(int width, int height, unsigned planes, unsigned bpp,
                         const void* bits) override;
    Hgdiobj CreateSurfaceBitmap(int width, int height) override;
    std::vector<ColorRef> ReadBitmap(Hgdiobj bitmap) override;
    Hgdiobj CreatePen(int style, int width, ColorRef color) override;
    Hgdiobj CreateSolidBrush(ColorRef color) override;
    Hgdiobj GetStockObject(int which) override;
    Hgdiobj SelectObject(Hdc dc, Hgdiobj obj) override;
    bool DeleteObject(Hgdiobj obj) override;

    ColorRef SetBkColor(Hdc dc, ColorRef color) override;
    ColorRef GetBkColor(Hdc dc) override;
    ColorRef SetTextColor(Hdc dc, ColorRef color) override;
    ColorRef GetTextColor(Hdc dc) override;
    int SetBkMode(Hdc dc, int mode) override;
    int GetBkMode(Hdc dc) override;
    int GetDeviceCaps(Hdc dc, int index) override;

    bool MoveToEx(Hdc dc, int x, int y, Point* previous) override;
    bool LineTo(Hdc dc, int x, int y) override;
    ColorRef SetPixel(Hdc dc, int x, int y, ColorRef color) override;
    ColorRef GetPixel(Hdc dc, int x, int y) override;
    bool Rectangle(Hdc dc, int left, int top, int right, int bottom) override;
    int FillRect(Hdc dc, const Rect* rect, Hgdiobj brush) override;
    bool RoundRect(Hdc dc, int left, int top, int right, int bottom, int width,
                   int height) override;
    bool DrawEdge(Hdc dc, Rect* rect, unsigned edge, unsigned flags) override;
    bool DrawFocusRect(Hdc dc, const Rect* rect) override;
    int StretchDIBits(Hdc dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                      int ySrc, int srcWidth, int srcHeight, const void* bits,
                      const BitmapInfoHeader* info, unsigned usage, std::uint32_t rop) override;
    bool BitBlt(Hdc dest, int x, int y, int width, int height, Hdc src, int xSrc, int ySrc,
                std::uint32_t rop) override;
    int PutPixels(Hdc dc, const ColorRef* pixels, int width, int height) override;
    Hgdiobj CreateAlphaBitmap(int width, int height, const std::uint32_t* argb) override;
    bool AlphaBlend(Hdc dest, int xDest, int yDest, int destWidth, int destHeight, Hdc src,
                    int xSrc, int ySrc, int srcWidth, int srcHeight, BlendFunction blend) override;
    // Text (raster_text.cpp, beside the text engine).
    Hgdiobj CreateFontIndirect(const LogFont& font) override;
    std::string GetTextFace(Hdc dc) override;
    bool GetTextMetrics(Hdc dc, TextMetric* metrics) override;
    bool GetTextExtentPoint32(Hdc dc, const char* text, int count, Size* size) override;
    int DrawTextA(Hdc dc, const char* text, int count, Rect* rect, unsigned format) override;

    LiveObjects Live() const { return live_; }
    // At most kSpares deleted objects of each kind are kept for reuse (see the spare
    // lists below), bitmaps only up to kSpareBitmapPixels.
    static constexpr std::size_t kSpares = 16;
    static constexpr std::size_t kSpareBitmapPixels = std::size_t{1} << 16;
    void SetCaps1(int caps1) { caps1_ = caps1; }
    int Caps1() const { return caps1_; }

private:
    Dc* Valid(Hdc h) const;
    Object* ValidObject(Hgdiobj h) const;
    void Release(Object* o);
    // The realised font of the DC's font (raster_text.cpp).
    text::RealizedFont& FontOf(Dc& dc);

    // Every live DC and object (stock ones included), looked up on every call: a form of
    // thousands of buttons holds thousands of them. The sets' nodes come from a pool, so a
    // handle made after one was deleted reuses its node and a warm paint allocates nothing.
    std::pmr::unsynchronized_pool_resource handle_pool_;
    std::pmr::unordered_set<Dc*> dcs_{&handle_pool_};
    mutable Dc* last_valid_dc_ = nullptr;  // the DC Valid found last, while it lives
    std::pmr::unordered_set<Object*> objects_{&handle_pool_};
    // Deleted pens, brushes, bitmaps (of up to kSpareBitmapPixels, without alpha) and
    // DCs, handed out again by the calls that make them (as GDI hands out handles again):
    // a painter that makes and deletes one for every line, fill or masked picture
    // allocates nothing.
    std::vector<Pen*> spare_pens_;
    std::vector<Brush*> spare_brushes_;
    std::vector<Bitmap*> spare_bitmaps_;
    std::vector<Dc*> spare_dcs_;
    // A bitmap as new (all 0): a spare of that size and kind, or a fresh one.
    Bitmap* NewBitmap(int width, int height, bool mono);
    Object* stock_[DEFAULT_GUI_FONT + 1] = {};
    Bitmap* default_bitmap_ = nullptr;
    LiveObjects live_;
    int caps1_ = 0;
};

}  // namespace sheenwork::gdi::raster
