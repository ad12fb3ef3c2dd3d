// Block transfers: StretchDIBits from device-independent bits and BitBlt between DCs,
// with every raster operation evaluated from its truth table.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "raster.h"

namespace sheenwork::gdi::raster {
namespace {

// A ternary raster operation is an 8-entry truth table in bits 16-23 of its code:
// bit (P << 2 | S << 1 | D) of the table is the result for those pattern, source and
// destination bits. Evaluated on all 24 colour bits at once, so there is no per-ROP code.
ColorRef ApplyRop(std::uint32_t rop, ColorRef p, ColorRef s, ColorRef d) {
    const unsigned table = (rop >> 16) & 0xFFu;
    ColorRef out = 0;
    for (unsigned k = 0; k < 8; ++k) {
        if (((table >> k) & 1u) == 0) continue;
        const ColorRef mp = (k & 4u) ? p : ~p;
        const ColorRef ms = (k & 2u) ? s : ~s;
        const ColorRef md = (k & 1u) ? d : ~d;
        out |= mp & ms & md;
    }
    return out & 0x00FFFFFFu;
}

// Whether the operation reads the source at all (BLACKNESS, DSTINVERT... do not).
bool UsesSource(std::uint32_t rop) {
    const unsigned table = (rop >> 16) & 0xFFu;
    return (((table >> 2) ^ table) & 0x33u) != 0;
}

ColorRef PatternOf(const Dc& dc) {
    if (dc.brush == nullptr || dc.brush->null) return 0;
    return ToBitmapColor(dc, dc.brush->color);
}

// Extent [origin, origin + length) put in order. A negative length counts back from
// the origin, which stays covered: origin + length + 1 .. origin.
struct Span {
    long long start, length;
    bool mirrored;
};
Span Ordered(long long origin, long long length) {
    if (length < 0) return {origin + length + 1, -length, true};
    return {origin, length, false};
}

}  // namespace

// StretchDIBits: 24- and 32-bit BI_RGB bits, bottom-up or top-down; either way ySrc
// counts from the bottom row of the picture, as GDI does. Destination pixel i of a span of dw takes source
// pixel floor(i * sw / dw) in both axes, so rows or columns of equal count map one to
// one and a 4-column band stretches evenly. A negative destination or source extent
// mirrors that axis; the destination then covers x + w + 1 .. x. Source pixels outside
// the image leave their destination unchanged. Returns the number of source rows used.
int RasterGdi::StretchDIBits(Hdc h, int xDest, int yDest, int destWidth, int destHeight,
                             int xSrc, int ySrc, int srcWidth, int srcHeight, const void* bits,
                             const BitmapInfoHeader* info, unsigned usage, std::uint32_t rop) {
    Dc* dc = Valid(h);
    if (dc == nullptr || bits == nullptr || info == nullptr || usage != DIB_RGB_COLORS) return 0;
    if (info->biCompression != 0 || (info->biBitCount != 24 && info->biBitCount != 32)) return 0;
    const long long img_w = info->biWidth;
    const long long img_h = info->biHeight < 0 ? -static_cast<long long>(info->biHeight)
                                               : info->biHeight;
    if (img_w <= 0 || img_h <= 0 || img_w * img_h > (1LL << 28)) return 0;
    const bool top_down = info->biHeight < 0;
    const long long bytes_pp = info->biBitCount / 8;
    const long long stride = ((img_w * info->biBitCount + 31) / 32) * 4;

    const Span dx = Ordered(xDest, destWidth), dy = Ordered(yDest, destHeight);
    const Span sx = Ordered(xSrc, srcWidth), sy = Ordered(ySrc, srcHeight);
    if (dx.length == 0 || dy.length == 0 || sx.length == 0 || sy.length == 0) return 0;
    const bool flip_x = dx.mirrored != sx.mirrored;
    const bool flip_y = dy.mirrored != sy.mirrored;

    Bitmap& b = *dc->bitmap;
    // Only destination pixels inside the bitmap are visited, whatever the extents.
    const long long x0 = std::max<long long>(dx.start, 0);
    const long long x1 = std::min<long long>(dx.start + dx.length, b.width);
    const long long y0 = std::max<long long>(dy.start, 0);
    const long long y1 = std::min<long long>(dy.start + dy.length, b.height);
    if (x0 >= x1 || y0 >= y1) return static_cast<int>(sy.length);

    const auto* data = static_cast<const std::uint8_t*>(bits);
    const ColorRef pattern = PatternOf(*dc);
    for (long long y = y0; y < y1; ++y) {
        long long j = y - dy.start;
        if (flip_y) j = dy.length - 1 - j;
        // Row within the source rectangle counted from its top edge.
        const long long row_in_rect = j * sy.length / dy.length;
        // ySrc is the bottom edge of the rectangle, counted from the image's bottom.
        const long long image_row = img_h - (sy.start + sy.length) + row_in_rect;
        if (image_row < 0 || image_row >= img_h) continue;
        const long long memory_row = top_down ? image_row : img_h - 1 - image_row;
        const std::uint8_t* line = data + memory_row * stride;
        for (long long x = x0; x < x1; ++x) {
            long long i = x - dx.start;
            if (flip_x) i = dx.length - 1 - i;
            const long long col = sx.start + i * sx.length / dx.length;
            if (col < 0 || col >= img_w) continue;
            const std::uint8_t* p = line + col * bytes_pp;
            const ColorRef src = ToBitmapColor(*dc, Rgb(p[2], p[1], p[0]));
            ColorRef& dst = b.At(static_cast<int>(x), static_cast<int>(y));
            dst = rop == SRCCOPY ? src : ApplyRop(rop, pattern, src, dst);
        }
    }
    return static_cast<int>(sy.length);
}

// BitBlt: the width x height block at (xSrc, ySrc) of the source combined into the
// block at (x, y) of the destination by `rop`. A negative extent counts back from the
// origin, which stays covered (x + w + 1 .. x), on both sides alike, without mirroring. The block is cut to both bitmaps: destination pixels
// whose source lies outside the source bitmap stay as they were. The source is read
// completely before anything is written, so overlapping blocks of one bitmap copy as if
// through a buffer. Colour conversion between the two formats:
//   monochrome -> colour: 1 bits become the destination DC's background colour, 0 bits
//                         its text colour;
//   colour -> monochrome: pixels equal to the source DC's background colour become 1
//                         (white), all others 0.
// With a device that has C1_TRANSPARENT and the destination in NEWTRANSPARENT mode, a
// SRCCOPY leaves every pixel whose source equals the destination's background colour.
bool RasterGdi::BitBlt(Hdc dest, int x, int y, int width, int height, Hdc src, int xSrc,
                       int ySrc, std::uint32_t rop) {
    Dc* d = Valid(dest);
    if (d == nullptr) return false;
    const bool uses_source = UsesSource(rop);
    Dc* s = uses_source ? Valid(src) : nullptr;
    if (uses_source && s == nullptr) return false;

    long long dx = x, dy = y, sx = xSrc, sy = ySrc, w = width, h = height;
    if (w < 0) {
        dx += w + 1;
        sx += w + 1;
        w = -w;
    }
    if (h < 0) {
        dy += h + 1;
        sy += h + 1;
        h = -h;
    }
    Bitmap& db = *d->bitmap;

    // Cut the block to the destination, then (when read) to the source.
    long long left = std::max<long long>(0, -dx), top = std::max<long long>(0, -dy);
    long long right = std::min<long long>(w, db.width - dx);
    long long bottom = std::min<long long>(h, db.height - dy);
    if (s != nullptr) {
        const Bitmap& sb = *s->bitmap;
        left = std::max(left, -sx);
        top = std::max(top, -sy);
        right = std::min(right, sb.width - sx);
        bottom = std::min(bottom, sb.height - sy);
    }
    if (left >= right || top >= bottom) return true;

    const int bw = static_cast<int>(right - left), bh = static_cast<int>(bottom - top);
    std::vector<ColorRef> block;
    if (s != nullptr) {
        const Bitmap& sb = *s->bitmap;
        block.resize(static_cast<std::size_t>(bw) * bh);
        const ColorRef src_bk = s->bk_color & 0x00FFFFFFu;
        for (int j = 0; j < bh; ++j)
            for (int i = 0; i < bw; ++i) {
                ColorRef c = sb.At(static_cast<int>(sx + left + i), static_cast<int>(sy + top + j));
                if (sb.mono && !db.mono)
                    c = c != 0 ? (d->bk_color & 0x00FFFFFFu) : (d->text_color & 0x00FFFFFFu);
                else if (!sb.mono && db.mono)
                    c = c == src_bk ? 0xFFFFFF : 0x000000;
                block[static_cast<std::size_t>(j) * bw + i] = c;
            }
    }
    const bool transparent = (caps1_ & C1_TRANSPARENT) != 0 && d->bk_mode == NEWTRANSPARENT &&
                             rop == SRCCOPY && s != nullptr;
    const ColorRef skip = d->bk_color & 0x00FFFFFFu;
    const ColorRef pattern = PatternOf(*d);
    for (int j = 0; j < bh; ++j)
        for (int i = 0; i < bw; ++i) {
            const ColorRef sc = s != nullptr ? block[static_cast<std::size_t>(j) * bw + i] : 0;
            if (transparent && sc == skip) continue;
            ColorRef& dc = db.At(static_cast<int>(dx + left + i), static_cast<int>(dy + top + j));
            ColorRef out = ApplyRop(rop, pattern, sc, dc);
            if (db.mono) out = out != 0 ? 0xFFFFFF : 0;  // keep monochrome bits 0 or 1
            dc = out;
        }
    return true;
}

}  // namespace sheenwork::gdi::raster
