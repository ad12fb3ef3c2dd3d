// Block transfers: StretchDIBits from device-independent bits and BitBlt between DCs.
//
// Both work as GDI does in three steps: the destination and source rectangles are put
// into device pixels and cut to what is visible on each side (with GDI's own rules for
// negative extents and flipped sources), every visible destination pixel is mapped to
// one source pixel, and the two are combined by the raster operation's truth table.
// All coordinate work is done in 64 bits; a call whose coordinates do not fit GDI's
// 32-bit arithmetic draws nothing.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "raster.h"

namespace sheenwork::gdi::raster {
namespace {

using i64 = long long;

bool FitsInt(i64 v) {
    return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
}

// A ternary raster operation is an 8-entry truth table in bits 16-23 of its code: bit
// (P << 2 | S << 1 | D) of the table is the result for those pattern, source and
// destination bits. Evaluated on all 24 colour bits at once.
ColorRef ApplyRop(std::uint32_t rop, ColorRef p, ColorRef s, ColorRef d) {
    const unsigned table = (rop >> 16) & 0xFFu;
    ColorRef out = 0;
    for (unsigned k = 0; k < 8; ++k) {
        if (((table >> k) & 1u) == 0) continue;
        out |= ((k & 4u) ? p : ~p) & ((k & 2u) ? s : ~s) & ((k & 1u) ? d : ~d);
    }
    return out & 0x00FFFFFFu;
}

// Whether the result depends on the source / on the pattern: the table differs when
// that input flips.
bool UsesSource(std::uint32_t rop) {
    const unsigned t = (rop >> 16) & 0xFFu;
    return ((t >> 2) & 0x33u) != (t & 0x33u);
}
bool UsesPattern(std::uint32_t rop) {
    const unsigned t = (rop >> 16) & 0xFFu;
    return ((t >> 4) & 0x0Fu) != (t & 0x0Fu);
}

// GDI dithers a solid brush on a monochrome bitmap with the 8 x 8 ordered (Bayer)
// matrix, anchored at the bitmap's origin: a pixel is white when the colour's luminance
// (30 R + 59 G + 11 B) / 100 plus 4 * matrix entry + 2 exceeds 255. The entry is built
// two bits per level: the lowest bits of x and y give its highest two bits.
int DitherOffset(int x, int y) {
    int entry = 0;
    for (int level = 0; level < 3; ++level) {
        const int xb = (x >> level) & 1, yb = (y >> level) & 1;
        entry |= (((xb ^ yb) << 1) | yb) << (2 * (2 - level));
    }
    return 4 * entry + 2;
}

// The pattern a DC's brush gives at destination pixel (x, y).
ColorRef PatternAt(const Dc& dc, int x, int y) {
    const ColorRef c = dc.brush->color & 0x00FFFFFFu;
    if (!dc.bitmap->mono) return c;
    const unsigned luminance = (30 * RedOf(c) + 59 * GreenOf(c) + 11 * BlueOf(c)) / 100;
    const unsigned offset = static_cast<unsigned>(DitherOffset(x & 7, y & 7));
    return luminance + offset > 255 ? 0xFFFFFF : 0x000000;
}

// One pixel of the destination under `rop`. A null brush gives no pattern at all: GDI
// then leaves out the pattern steps of the operation, which for MERGECOPY and the other
// operations whose last step is the pattern leaves the plain source copy; we give that
// copy for every pattern operation that reads a source.
ColorRef Combine(const Dc& dc, std::uint32_t rop, int x, int y, ColorRef s, ColorRef d) {
    if (rop == SRCCOPY) return s;
    if (UsesPattern(rop)) {
        if (dc.brush == nullptr || dc.brush->null) return s;
        return ApplyRop(rop, PatternAt(dc, x, y), s, d);
    }
    return ApplyRop(rop, 0, s, d);
}

// A half-open box of device pixels.
struct Box {
    i64 left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
};

// The pixels a rectangle of origin (x, y) and signed extents covers: a negative extent
// counts back from the origin, which stays covered (x + w + 1 .. x).
Box Bounding(i64 x, i64 y, i64 w, i64 h) {
    Box b;
    b.left = w < 0 ? x + w + 1 : x;
    b.right = w < 0 ? x + 1 : x + w;
    b.top = h < 0 ? y + h + 1 : y;
    b.bottom = h < 0 ? y + 1 : y + h;
    return b;
}

// a ∩ b; false (and an empty box) when they do not meet.
bool Intersect(Box& out, const Box& a, const Box& b) {
    Box r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
    if (r.Empty()) {
        out = Box{};
        return false;
    }
    out = r;
    return true;
}

void Order(Box& b) {
    if (b.left > b.right) std::swap(b.left, b.right);
    if (b.top > b.bottom) std::swap(b.top, b.bottom);
}

// One side of a transfer: origin and signed extents, and the part of it that is visible.
struct Side {
    i64 x = 0, y = 0, w = 0, h = 0;
    Box vis;
};

// Brings the visible parts of destination and source into agreement, as GDI does before
// it moves a pixel. Unstretched, the two boxes become the same pixels seen from either
// side. Stretched, each box is mapped onto the other side with a pixel of slack; when a
// flipped source hangs over the edge of its image, GDI moves the destination so that
// the visible part lands where an unflipped copy would have put it.
bool MatchVisible(Side& dst, Side& src) {
    if (src.w == dst.w && src.h == dst.h) {
        Box s = src.vis;
        s.left += dst.x - src.x;
        s.right += dst.x - src.x;
        s.top += dst.y - src.y;
        s.bottom += dst.y - src.y;
        Box r;
        if (!Intersect(r, s, dst.vis)) return false;
        dst.vis = r;
        src.vis = Box{r.left + src.x - dst.x, r.top + src.y - dst.y, r.right + src.x - dst.x,
                      r.bottom + src.y - dst.y};
        return true;
    }
    // Source box in destination pixels (C division: truncation towards zero).
    Box r = src.vis;
    const i64 sx0 = src.x + (src.w < 0 ? 1 : 0), sy0 = src.y + (src.h < 0 ? 1 : 0);
    r.left = (r.left - sx0) * dst.w / src.w;
    r.right = (r.right - sx0) * dst.w / src.w;
    r.top = (r.top - sy0) * dst.h / src.h;
    r.bottom = (r.bottom - sy0) * dst.h / src.h;
    Order(r);
    if (src.w < 0 && dst.w > 0 && (src.x + src.w + 1 < src.vis.left || src.x > src.vis.right))
        dst.x += (dst.w - r.right) - r.left;
    else if (src.w > 0 && dst.w < 0 && (src.x < src.vis.left || src.x + src.w > src.vis.right))
        dst.x -= r.right - (dst.w - r.left);
    if (src.h < 0 && dst.h > 0 && (src.y + src.h + 1 < src.vis.top || src.y > src.vis.bottom))
        dst.y += (dst.h - r.bottom) - r.top;
    else if (src.h > 0 && dst.h < 0 && (src.y < src.vis.top || src.y + src.h > src.vis.bottom))
        dst.y -= r.bottom - (dst.h - r.top);
    r = Box{r.left + dst.x - 1, r.top + dst.y - 1, r.right + dst.x + 1, r.bottom + dst.y + 1};
    if (!Intersect(dst.vis, r, dst.vis)) return false;

    // And the destination box back in source pixels.
    r = dst.vis;
    const i64 dx0 = dst.x + (dst.w < 0 ? 1 : 0), dy0 = dst.y + (dst.h < 0 ? 1 : 0);
    r.left = src.x + (r.left - dx0) * src.w / dst.w;
    r.right = src.x + (r.right - dx0) * src.w / dst.w;
    r.top = src.y + (r.top - dy0) * src.h / dst.h;
    r.bottom = src.y + (r.bottom - dy0) * src.h / dst.h;
    Order(r);
    r = Box{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};
    return Intersect(src.vis, r, src.vis);
}

// The source pixel along one axis for destination pixel `d`, or false when `d` lies
// outside the destination extent. Destination pixel i (counted from the origin in the
// direction of the extent) takes source pixel floor(i * |sw| / |dw|) counted likewise.
bool MapAxis(i64 d, i64 dst_origin, i64 dst_len, i64 src_origin, i64 src_len, i64& s) {
    const i64 i = dst_len > 0 ? d - dst_origin : dst_origin - d;
    const i64 n = dst_len > 0 ? dst_len : -dst_len;
    if (i < 0 || i >= n) return false;
    const i64 j = i * (src_len > 0 ? src_len : -src_len) / n;
    s = src_len > 0 ? src_origin + j : src_origin - j;
    return true;
}

bool Inside(const Box& b, i64 x, i64 y) {
    return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
}

// Visits every destination pixel of `dst.vis` that has a visible source pixel, calling
// paint(x, y, source_x, source_y). Unstretched transfers copy box to box, so two
// extents of the same sign never mirror; stretched or opposite-signed ones map each
// pixel with MapAxis.
template <typename Paint>
void ForEachPixel(const Side& dst, const Side& src, Paint paint) {
    if (src.w == dst.w && src.h == dst.h) {
        for (i64 y = dst.vis.top; y < dst.vis.bottom; ++y)
            for (i64 x = dst.vis.left; x < dst.vis.right; ++x)
                paint(x, y, src.vis.left + (x - dst.vis.left), src.vis.top + (y - dst.vis.top));
        return;
    }
    for (i64 y = dst.vis.top; y < dst.vis.bottom; ++y) {
        i64 sy;
        if (!MapAxis(y, dst.y, dst.h, src.y, src.h, sy)) continue;
        if (sy < src.vis.top || sy >= src.vis.bottom) continue;
        for (i64 x = dst.vis.left; x < dst.vis.right; ++x) {
            i64 sx;
            if (!MapAxis(x, dst.x, dst.w, src.x, src.w, sx)) continue;
            if (Inside(src.vis, sx, sy)) paint(x, y, sx, sy);
        }
    }
}

// The decoded layout of a BI_RGB DIB.
struct DibLayout {
    i64 width = 0, height = 0, stride = 0;
    int bpp = 0;
    bool top_down = false;
    ColorRef palette[256] = {};
};

// Reads and checks the header (and, for 1, 4 and 8 bits, the colour table after it).
// Refuses what GDI refuses and what we do not read: compressed or bit-field data, other
// depths, zero planes, palette-index colour tables, absurd sizes.
bool ReadLayout(const BitmapInfoHeader& info, unsigned usage, DibLayout& out) {
    if (info.biSize < sizeof(BitmapInfoHeader) || info.biCompression != 0) return false;
    if (info.biPlanes == 0) return false;
    const int bpp = info.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    // Without a colour table the usage does not matter; with one, only RGB entries.
    if (usage > 2 || (bpp <= 8 && usage != DIB_RGB_COLORS)) return false;
    const i64 w = info.biWidth;
    const i64 h = info.biHeight < 0 ? -static_cast<i64>(info.biHeight) : info.biHeight;
    if (w <= 0 || h <= 0 || w > (1 << 28) || h > (1 << 28) || w * h > (1LL << 28)) return false;
    out.width = w;
    out.height = h;
    out.bpp = bpp;
    out.top_down = info.biHeight < 0;
    out.stride = (w * bpp + 31) / 32 * 4;
    if (bpp <= 8) {
        // The table follows the header; entries beyond biClrUsed read as black.
        i64 entries = info.biClrUsed == 0 ? (1 << bpp) : info.biClrUsed;
        entries = std::min<i64>(entries, 1 << bpp);
        const auto* table = reinterpret_cast<const std::uint8_t*>(&info) + info.biSize;
        for (i64 i = 0; i < entries; ++i) {
            const std::uint8_t* q = table + i * 4;  // RGBQUAD: blue, green, red, reserved
            out.palette[i] = Rgb(q[2], q[1], q[0]);
        }
    }
    return true;
}

// The bytes of row y, y counted from the top of the picture (the first stored row of a
// top-down DIB, the last of a bottom-up one).
const std::uint8_t* DibRow(const DibLayout& l, const std::uint8_t* bits, i64 y) {
    return bits + (l.top_down ? y : l.height - 1 - y) * l.stride;
}

// The colour of pixel (x, y). 16-bit pixels are 5-5-5, each channel widened by
// repeating its top bits.
ColorRef DibPixel(const DibLayout& l, const std::uint8_t* bits, i64 x, i64 y) {
    const std::uint8_t* line = DibRow(l, bits, y);
    switch (l.bpp) {
        case 1: return l.palette[(line[x >> 3] >> (7 - (x & 7))) & 1];
        case 4: return l.palette[(line[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
        case 8: return l.palette[line[x]];
        case 16: {
            const unsigned v = line[x * 2] | (line[x * 2 + 1] << 8);
            const auto widen = [](unsigned c) { return (c << 3) | (c >> 2); };
            return Rgb(widen((v >> 10) & 31), widen((v >> 5) & 31), widen(v & 31));
        }
        case 24: return Rgb(line[x * 3 + 2], line[x * 3 + 1], line[x * 3]);
        default: return Rgb(line[x * 4 + 2], line[x * 4 + 1], line[x * 4]);
    }
}

// Whether pixel (x, y) becomes 1 on a monochrome destination. GDI compares the stored
// value with that of white, so the unused top bits of 16- and 32-bit pixels count.
bool IsWhite(const DibLayout& l, const std::uint8_t* bits, i64 x, i64 y) {
    const std::uint8_t* line = DibRow(l, bits, y);
    switch (l.bpp) {
        case 16: return line[x * 2] == 0xFF && line[x * 2 + 1] == 0x7F;
        case 32:
            return line[x * 4] == 0xFF && line[x * 4 + 1] == 0xFF && line[x * 4 + 2] == 0xFF &&
                   line[x * 4 + 3] == 0;
        default: return DibPixel(l, bits, x, y) == 0xFFFFFF;
    }
}

}  // namespace

// StretchDIBits: the (xSrc, ySrc, srcWidth, srcHeight) block of a BI_RGB DIB of 1, 4,
// 8 (DIB_RGB_COLORS table), 16, 24 or 32 bits onto (xDest, yDest, destWidth, destHeight).
//   Rows: ySrc counts from the bottom of the picture for a bottom-up DIB. For a
//     top-down one too, except that an unstretched SRCCOPY from the origin (or any other
//     raster operation) counts from the top: GDI's rule.
//   Extents: a negative one covers origin + extent + 1 .. origin; destination and
//     source of opposite sign mirror that axis. A flipped source that hangs over its
//     image shifts the destination (see MatchVisible).
//   Stretching: destination pixel i takes source pixel floor(i * |srcWidth| /
//     |destWidth|), rows alike; shrinking drops the pixels in between. This is our fixed
//     rule; Wine picks source column floor((4 i + 1) / w) when 4 columns stretch to w
//     and ANDs dropped columns when shrinking in its default mode.
//   Colours: a monochrome destination takes 1 exactly where the DIB pixel is white
//     (see IsWhite); its DC's colours play no part.
//   Only source pixels inside the picture are read; destination pixels without one stay.
// Returns the picture's height for SRCCOPY and biHeight (signed) for other operations,
// as GDI does, 0 when the source block misses the picture or the call is refused.
int RasterGdi::StretchDIBits(Hdc h, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                             int ySrc, int srcWidth, int srcHeight, const void* bits,
                             const BitmapInfoHeader* info, unsigned usage, std::uint32_t rop) {
    Dc* dc = Valid(h);
    if (dc == nullptr || bits == nullptr || info == nullptr) return 0;
    DibLayout layout;
    if (!ReadLayout(*info, usage, layout)) return 0;
    const i64 height = layout.height;
    Bitmap& b = *dc->bitmap;

    Side dst{xDest, yDest, destWidth, destHeight, {}};
    Side src{xSrc, ySrc, srcWidth, srcHeight, {}};
    // GDI's own coordinate arithmetic is 32-bit; beyond it the call means nothing.
    if (!FitsInt(dst.x + dst.w) || !FitsInt(dst.y + dst.h) || !FitsInt(src.x + src.w) ||
        !FitsInt(src.y + src.h) || !FitsInt(height - src.y - src.h))
        return 0;

    const bool from_origin = src.x == 0 && src.y == 0 && src.w == dst.w && src.h == dst.h;
    if (rop != SRCCOPY || from_origin) {
        // A one-pixel destination takes one pixel less of a wider source.
        if (dst.w == 1 && src.w > 1) --src.w;
        if (dst.h == 1 && src.h > 1) --src.h;
    }
    if (rop != SRCCOPY) {
        // Two equal negative extents are turned around one pixel further (GDI's
        // off-by-one): the block then covers origin + extent .. origin - 1.
        if (dst.w < 0 && dst.w == src.w) {
            dst.x += dst.w;
            src.x += src.w;
            dst.w = -dst.w;
            src.w = -src.w;
        }
        if (dst.h < 0 && dst.h == src.h) {
            dst.y += dst.h;
            src.y += src.h;
            dst.h = -dst.h;
            src.h = -src.h;
        }
    }
    // From here on source rows count from the top of the picture.
    if (!layout.top_down || (rop == SRCCOPY && !from_origin)) src.y = height - src.y - src.h;
    if (src.y >= height && src.y + src.h + 1 < height)
        src.y = height - 1;
    else if (src.y > 0 && src.y + src.h + 1 < 0)
        src.y = -src.h - 1;

    if (!Intersect(src.vis, Bounding(src.x, src.y, src.w, src.h), Box{0, 0, layout.width, height}))
        return 0;
    const int result = rop == SRCCOPY ? static_cast<int>(height) : info->biHeight;
    const Box bitmap_box{0, 0, b.width, b.height};
    if (!Intersect(dst.vis, Bounding(dst.x, dst.y, dst.w, dst.h), bitmap_box)) return result;
    if (!MatchVisible(dst, src)) return result;

    const auto* data = static_cast<const std::uint8_t*>(bits);
    ForEachPixel(dst, src, [&](i64 x, i64 y, i64 sx, i64 sy) {
        if (!b.Contains(static_cast<int>(x), static_cast<int>(y))) return;
        if (sx < 0 || sy < 0 || sx >= layout.width || sy >= height) return;
        ColorRef s = DibPixel(layout, data, sx, sy);
        if (b.mono) s = IsWhite(layout, data, sx, sy) ? 0xFFFFFF : 0x000000;
        ColorRef& d = b.At(static_cast<int>(x), static_cast<int>(y));
        d = Combine(*dc, rop, static_cast<int>(x), static_cast<int>(y), s, d);
    });
    return result;
}

// BitBlt: the width x height block at (xSrc, ySrc) of the source DC combined into the
// block at (x, y) of the destination DC by `rop`.
//   Extents: a negative one covers origin + extent + 1 .. origin on both sides alike,
//     so nothing mirrors.
//   Cutting: the block is cut to the destination bitmap and to the source bitmap;
//     destination pixels whose source lies outside the source bitmap stay as they were.
//   Overlap: the source block is read whole before anything is written, so blocks that
//     overlap within one bitmap copy as through a buffer.
//   Colours: monochrome -> colour turns 1 bits into the destination DC's background
//     colour and 0 bits into its text colour; colour -> monochrome gives 1 (white) to
//     pixels equal to the source DC's background colour and 0 to all others;
//     monochrome -> monochrome copies the bits.
//   Pattern: the destination DC's brush, dithered on a monochrome bitmap.
//   NEWTRANSPARENT: on a device with C1_TRANSPARENT, a SRCCOPY into a DC in that mode
//     leaves every pixel whose (converted) source is the destination's background colour.
// Operations that do not read the source ignore `src` (which may be null).
bool RasterGdi::BitBlt(Hdc dest, int x, int y, int width, int height, Hdc src, int xSrc, int ySrc,
                       std::uint32_t rop) {
    Dc* d = Valid(dest);
    if (d == nullptr) return false;
    Bitmap& db = *d->bitmap;
    const i64 w = width, h = height;
    if (!FitsInt(x + w) || !FitsInt(y + h)) return false;
    const Box dest_box{0, 0, db.width, db.height};

    if (!UsesSource(rop)) {
        Box vis;
        if (!Intersect(vis, Bounding(x, y, w, h), dest_box)) return true;
        if (UsesPattern(rop) && (d->brush == nullptr || d->brush->null)) return true;
        for (i64 py = vis.top; py < vis.bottom; ++py)
            for (i64 px = vis.left; px < vis.right; ++px) {
                ColorRef& c = db.At(static_cast<int>(px), static_cast<int>(py));
                const ColorRef p = UsesPattern(rop)
                                       ? PatternAt(*d, static_cast<int>(px), static_cast<int>(py))
                                       : 0;
                c = ApplyRop(rop, p, 0, c);
            }
        return true;
    }

    Dc* s = Valid(src);
    if (s == nullptr) return false;
    if (!FitsInt(xSrc + w) || !FitsInt(ySrc + h)) return false;
    const Bitmap& sb = *s->bitmap;
    Side ds{x, y, w, h, {}}, ss{xSrc, ySrc, w, h, {}};
    if (!Intersect(ds.vis, Bounding(x, y, w, h), dest_box)) return true;
    if (!Intersect(ss.vis, Bounding(xSrc, ySrc, w, h), Box{0, 0, sb.width, sb.height})) return true;
    if (!MatchVisible(ds, ss)) return true;

    // Read (and convert) the whole source block first.
    const i64 bw = ds.vis.right - ds.vis.left, bh = ds.vis.bottom - ds.vis.top;
    std::vector<ColorRef> block(static_cast<std::size_t>(bw * bh));
    const ColorRef src_bk = s->bk_color & 0x00FFFFFFu;
    for (i64 j = 0; j < bh; ++j)
        for (i64 i = 0; i < bw; ++i) {
            ColorRef c = sb.At(static_cast<int>(ss.vis.left + i), static_cast<int>(ss.vis.top + j));
            if (sb.mono && !db.mono)
                c = c != 0 ? (d->bk_color & 0x00FFFFFFu) : (d->text_color & 0x00FFFFFFu);
            else if (!sb.mono && db.mono)
                c = c == src_bk ? 0xFFFFFF : 0x000000;
            block[static_cast<std::size_t>(j * bw + i)] = c;
        }

    const bool transparent =
        (caps1_ & C1_TRANSPARENT) != 0 && d->bk_mode == NEWTRANSPARENT && rop == SRCCOPY;
    const ColorRef skip = ToBitmapColor(*d, d->bk_color);
    for (i64 j = 0; j < bh; ++j)
        for (i64 i = 0; i < bw; ++i) {
            const ColorRef sc = block[static_cast<std::size_t>(j * bw + i)];
            if (transparent && sc == skip) continue;
            const int px = static_cast<int>(ds.vis.left + i), py = static_cast<int>(ds.vis.top + j);
            ColorRef& c = db.At(px, py);
            c = Combine(*d, rop, px, py, sc, c);
        }
    return true;
}

}  // namespace sheenwork::gdi::raster
