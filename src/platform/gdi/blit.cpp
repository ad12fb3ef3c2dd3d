// Block transfers: StretchDIBits from device-independent bits and BitBlt between DCs.
//
// Both work as GDI does in three steps: the destination and source rectangles are put
// into device pixels and cut to what is visible on each side (with GDI's own rules for
// negative extents and flipped sources), every visible destination pixel is mapped to
// one source pixel, and the two are combined by the raster operation's truth table.
// All coordinate work is done in 64 bits; a call whose coordinates do not fit GDI's
// 32-bit arithmetic draws nothing.
#include <algorithm>
#include <array>
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

// The pattern a DC's brush gives at destination pixel (x, y), dithered on a
// monochrome bitmap (see BrushPixel).
ColorRef PatternAt(const Dc& dc, int x, int y) { return BrushPixel(dc, dc.brush->color, x, y); }

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

// The source pixels that destination pixel `d` takes along one axis, first..last in
// source coordinates, cut to [vis_lo, vis_hi); empty when `d` lies outside the
// destination extent or none of its sources is visible. With i the destination pixel
// and j the source pixel, each counted from its origin in the direction of its extent,
// n = |destination extent| and m = |source extent|:
//   `floor_rule`: j = floor(m i / n), one source pixel whatever the sizes.
//   equal sizes: j = i.
//   enlarging (m < n): j = floor((2 m i + m - 1) / (2 n)), the source pixel under the
//     centre of destination pixel i, a tie going to the lower one (GDI's walk, which
//     Wine follows).
//   shrinking (m > n): every j whose centre falls in destination pixel i, i.e. with
//     floor((2 n j + n - 1) / (2 m)) = i, which is (2 m i + n) / (2 n) <= j <
//     (2 m (i + 1) + n) / (2 n). The caller combines them.
// 128-bit products: extents may be anything an int holds.
struct Span {
    i64 first = 0, last = -1;
    bool Empty() const { return last < first; }
};
Span AxisSources(i64 d, i64 dst_origin, i64 dst_len, i64 src_origin, i64 src_len, i64 vis_lo,
                 i64 vis_hi, bool floor_rule) {
    using i128 = __int128;
    const i64 i = dst_len > 0 ? d - dst_origin : dst_origin - d;
    const i64 n = dst_len > 0 ? dst_len : -dst_len;
    const i64 m = src_len > 0 ? src_len : -src_len;
    if (i < 0 || i >= n) return {};
    i64 j0, j1;
    if (floor_rule) {
        j0 = j1 = static_cast<i64>(static_cast<i128>(i) * m / n);
    } else if (m == n) {
        j0 = j1 = i;
    } else if (m < n) {
        j0 = j1 = static_cast<i64>((2 * static_cast<i128>(m) * i + m - 1) / (2 * n));
    } else {
        j0 = static_cast<i64>((2 * static_cast<i128>(m) * i + n) / (2 * n));
        j1 = static_cast<i64>((2 * static_cast<i128>(m) * (i + 1) + n) / (2 * n)) - 1;
    }
    Span s = src_len > 0 ? Span{src_origin + j0, src_origin + j1}
                         : Span{src_origin - j1, src_origin - j0};
    s.first = std::max(s.first, vis_lo);
    s.last = std::min(s.last, vis_hi - 1);
    return s;
}

// floor((a i + b) / den) while i moves one step at a time (a, b >= 0, den > 0, a i + b
// >= 0 at every value read): quotient and remainder are carried from one i to the next,
// so that a step costs no division.
class StepQuotient {
public:
    StepQuotient(i64 a, i64 b, i64 den, i64 i) : den_(den), step_q_(a / den), step_r_(a % den) {
        const __int128 num = static_cast<__int128>(a) * i + b;
        q_ = static_cast<i64>(num / den);
        r_ = static_cast<i64>(num % den);
    }
    i64 Value() const { return q_; }
    void Up() {
        q_ += step_q_;
        r_ += step_r_;
        if (r_ >= den_) {
            r_ -= den_;
            ++q_;
        }
    }
    void Down() {
        q_ -= step_q_;
        r_ -= step_r_;
        if (r_ < 0) {
            r_ += den_;
            --q_;
        }
    }

private:
    i64 den_, step_q_, step_r_;
    i64 q_ = 0, r_ = 0;
};

// AxisSources for each destination pixel lo .. hi - 1 in turn, into `out`: the same
// spans, the divisions carried from pixel to pixel (StepQuotient) instead of made anew.
void AxisSourcesRange(i64 lo, i64 hi, i64 dst_origin, i64 dst_len, i64 src_origin, i64 src_len,
                      i64 vis_lo, i64 vis_hi, bool floor_rule, std::vector<Span>& out) {
    out.assign(static_cast<std::size_t>(hi - lo), Span{});
    const bool forward = dst_len > 0;
    const i64 n = forward ? dst_len : -dst_len;
    const i64 m = src_len > 0 ? src_len : -src_len;
    // The pixels whose i = forward ? d - dst_origin : dst_origin - d lies in [0, n).
    const i64 first = std::clamp(forward ? dst_origin : dst_origin - n + 1, lo, hi);
    const i64 end = std::clamp(forward ? dst_origin + n : dst_origin + 1, lo, hi);
    if (first >= end) return;
    const i64 i0 = forward ? first - dst_origin : dst_origin - first;
    // j0 and j1 as AxisSources computes them, each as floor((a i + b) / den) (j1 - 1 in
    // the shrinking case).
    i64 a = 1, b0 = 0, b1 = 0, den = 1, minus = 0;
    if (floor_rule) {
        a = m;
        den = n;
    } else if (m == n) {
        // j = i: the defaults.
    } else if (m < n) {
        a = 2 * m;
        b0 = b1 = m - 1;
        den = 2 * n;
    } else {
        a = 2 * m;
        b0 = n;
        b1 = 2 * m + n;
        den = 2 * n;
        minus = 1;
    }
    StepQuotient j0(a, b0, den, i0), j1(a, b1, den, i0);
    for (i64 d = first; d < end; ++d) {
        const i64 lo_j = j0.Value(), hi_j = j1.Value() - minus;
        Span s = src_len > 0 ? Span{src_origin + lo_j, src_origin + hi_j}
                             : Span{src_origin - hi_j, src_origin - lo_j};
        s.first = std::max(s.first, vis_lo);
        s.last = std::min(s.last, vis_hi - 1);
        out[static_cast<std::size_t>(d - lo)] = s;
        if (forward) {
            j0.Up();
            j1.Up();
        } else {
            j0.Down();
            j1.Down();
        }
    }
}

// Visits every destination pixel of `dst.vis` that has a visible source pixel, calling
// paint(x, y, source). Unstretched transfers copy box to box, so two extents of the same
// sign never mirror; the source is pixel(sx, sy). Stretched or opposite-signed ones map
// each axis with AxisSources (the columns by the floor rule when `column_floor_rule`)
// and hand paint the AND of every source pixel that falls together, pixel(sx, sy)
// each: GDI's default stretch mode, BLACKONWHITE, keeps the dark pixels it drops.
template <typename Pixel, typename Paint>
void ForEachPixel(const Side& dst, const Side& src, bool column_floor_rule, Pixel pixel,
                  Paint paint) {
    if (src.w == dst.w && src.h == dst.h) {
        for (i64 y = dst.vis.top; y < dst.vis.bottom; ++y)
            for (i64 x = dst.vis.left; x < dst.vis.right; ++x)
                paint(x, y,
                      pixel(src.vis.left + (x - dst.vis.left), src.vis.top + (y - dst.vis.top)));
        return;
    }
    std::vector<Span> columns;
    columns.reserve(static_cast<std::size_t>(dst.vis.right - dst.vis.left));
    for (i64 x = dst.vis.left; x < dst.vis.right; ++x)
        columns.push_back(AxisSources(x, dst.x, dst.w, src.x, src.w, src.vis.left, src.vis.right,
                                      column_floor_rule));
    for (i64 y = dst.vis.top; y < dst.vis.bottom; ++y) {
        const Span rows =
            AxisSources(y, dst.y, dst.h, src.y, src.h, src.vis.top, src.vis.bottom, false);
        if (rows.Empty()) continue;
        for (i64 x = dst.vis.left; x < dst.vis.right; ++x) {
            const Span& cols = columns[static_cast<std::size_t>(x - dst.vis.left)];
            if (cols.Empty()) continue;
            ColorRef c = 0xFFFFFF;
            for (i64 sy = rows.first; sy <= rows.last; ++sy)
                for (i64 sx = cols.first; sx <= cols.last; ++sx) c &= pixel(sx, sy);
            paint(x, y, c);
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

// --- Fast paths --------------------------------------------------------------------------
//
// Each one takes over after the general code has cut both sides, and writes exactly the
// pixels the general per-pixel loop would, with the same values.

// StretchDIBits' fast path applies to SRCCOPY from 24- or 32-bit pixels onto a colour
// bitmap: every destination pixel then simply takes its source colour (or the AND of
// several when shrinking), with no monochrome rule and no raster operation.
bool CanCopyDibRows(const DibLayout& l, const Bitmap& b, std::uint32_t rop) {
    return rop == SRCCOPY && !b.mono && (l.bpp == 24 || l.bpp == 32);
}

// n 32-bit DIB pixels (blue, green, red, unused in memory) as 0x00BBGGRR. Source and
// destination never overlap, which lets the compiler turn the loop into vector code.
void SwapRedBlue(const std::uint8_t* __restrict from, ColorRef* __restrict out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t v;
        std::memcpy(&v, from + i * 4, sizeof v);
        out[i] = ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
    }
}

// Pixels x0 .. x1 - 1 of source row y of a 24- or 32-bit DIB, as DibPixel reads them.
void DecodeRow(const DibLayout& l, const std::uint8_t* bits, i64 y, i64 x0, i64 x1, ColorRef* out) {
    const i64 step = l.bpp / 8;
    const std::uint8_t* p = DibRow(l, bits, y) + x0 * step;
    if (step == 4) {
        SwapRedBlue(p, out, static_cast<std::size_t>(x1 - x0));
        return;
    }
    for (i64 x = x0; x < x1; ++x, p += step) *out++ = Rgb(p[2], p[1], p[0]);
}

// How the destination columns of a stretch take the source columns: the spans as
// offsets into a decoded row (from the left edge of the visible source), whether none is
// empty (`complete`), and whether each takes exactly one (`single`); then the runs of
// neighbouring columns that take the same one.
struct ColumnPlan {
    struct Run {
        std::size_t offset, length, source;
    };
    std::vector<Span> spans;
    std::vector<Run> runs;
    bool single = true, complete = true;

    void Compute(const Side& dst, const Side& src, bool floor_rule) {
        AxisSourcesRange(dst.vis.left, dst.vis.right, dst.x, dst.w, src.x, src.w, src.vis.left,
                         src.vis.right, floor_rule, spans);
        const i64 lo = src.vis.left;
        single = complete = true;
        runs.clear();
        for (std::size_t i = 0; i < spans.size(); ++i) {
            Span& c = spans[i];
            if (!c.Empty()) c = Span{c.first - lo, c.last - lo};
            complete = complete && !c.Empty();
            single = single && !c.Empty() && c.first == c.last;
            if (!single) continue;
            const auto source = static_cast<std::size_t>(c.first);
            if (!runs.empty() && runs.back().source == source)
                ++runs.back().length;
            else
                runs.push_back(Run{i, 1, source});
        }
    }
};

// The column plan and row spans of the last few stretch geometries. A button draws the
// same bands at the same places on every repaint, so each map is worked out once per
// band rather than on every paint; they depend on nothing but the key.
struct StretchMaps {
    struct Entry {
        std::array<i64, 16> key{};
        bool floor_rule = false;
        bool used = false;
        ColumnPlan columns;
        std::vector<Span> rows;
    };
    std::array<Entry, 4> entries;
    std::size_t next = 0;

    const Entry& Of(const Side& dst, const Side& src, bool floor_rule) {
        const std::array<i64, 16> key{
            dst.x, dst.y, dst.w, dst.h, dst.vis.left, dst.vis.top, dst.vis.right, dst.vis.bottom,
            src.x, src.y, src.w, src.h, src.vis.left, src.vis.top, src.vis.right, src.vis.bottom};
        for (Entry& e : entries)
            if (e.used && e.key == key && e.floor_rule == floor_rule) return e;
        Entry& e = entries[next];
        next = (next + 1) % entries.size();
        e.key = key;
        e.floor_rule = floor_rule;
        e.used = true;
        e.columns.Compute(dst, src, floor_rule);
        AxisSourcesRange(dst.vis.top, dst.vis.bottom, dst.y, dst.h, src.y, src.h, src.vis.top,
                         src.vis.bottom, false, e.rows);
        return e;
    }
};

// StretchDIBits' fast path (see CanCopyDibRows). Unstretched, each row is decoded
// straight into the destination. Stretched, the column and row maps come from
// StretchMaps; each run of source rows that a destination row takes is decoded (and
// ANDed together) once into a buffer, and each destination pixel ANDs its source columns
// from there: the same source pixels ForEachPixel ANDs, grouped differently. Shortcuts
// on top: when every column takes exactly one source column (any enlargement) a row is a
// gather from the buffer, or, when neighbouring columns mostly take the same source
// column (a gradient band widened to a button), a fill of each run of them; and a row
// that takes the same source rows as the row just written, with no column left out, is
// a copy of that row. Buffers and maps are kept between calls: a repaint allocates
// nothing.
void CopyDibRows(const DibLayout& l, const std::uint8_t* bits, const Side& dst, const Side& src,
                 bool column_floor_rule, Bitmap& b) {
    const i64 width = dst.vis.right - dst.vis.left;
    if (src.w == dst.w && src.h == dst.h) {
        for (i64 y = dst.vis.top; y < dst.vis.bottom; ++y)
            DecodeRow(l, bits, src.vis.top + (y - dst.vis.top), src.vis.left, src.vis.left + width,
                      &b.At(static_cast<int>(dst.vis.left), static_cast<int>(y)));
        return;
    }
    thread_local StretchMaps maps;
    thread_local std::vector<ColorRef> row, extra;
    const StretchMaps::Entry& map = maps.Of(dst, src, column_floor_rule);
    const ColumnPlan& columns = map.columns;
    // A fill per run pays off from runs of about 16 pixels on; shorter, the gather wins.
    const bool by_runs = columns.single && columns.runs.size() * 16 <= columns.spans.size();
    const i64 lo = src.vis.left;
    const std::size_t source_width = static_cast<std::size_t>(src.vis.right - lo);
    row.resize(source_width);
    extra.resize(source_width);
    Span decoded;                        // the source rows `row` holds; none yet
    const ColorRef* previous = nullptr;  // the last row written, when it holds `decoded`
    for (i64 y = dst.vis.top; y < dst.vis.bottom; ++y) {
        const Span& span = map.rows[static_cast<std::size_t>(y - dst.vis.top)];
        if (span.Empty()) continue;
        ColorRef* out = &b.At(static_cast<int>(dst.vis.left), static_cast<int>(y));
        const bool same_rows =
            !decoded.Empty() && span.first == decoded.first && span.last == decoded.last;
        if (same_rows && columns.complete && previous != nullptr) {
            std::memcpy(out, previous, static_cast<std::size_t>(width) * sizeof(ColorRef));
            previous = out;
            continue;
        }
        if (!same_rows) {
            DecodeRow(l, bits, span.first, lo, src.vis.right, row.data());
            for (i64 sy = span.first + 1; sy <= span.last; ++sy) {
                DecodeRow(l, bits, sy, lo, src.vis.right, extra.data());
                for (std::size_t i = 0; i < source_width; ++i) row[i] &= extra[i];
            }
            decoded = span;
        }
        if (by_runs) {
            for (const ColumnPlan::Run& r : columns.runs)
                FillPixels(out + r.offset, r.length, row[r.source]);
        } else if (columns.single) {
            for (std::size_t i = 0; i < columns.spans.size(); ++i)
                out[i] = row[static_cast<std::size_t>(columns.spans[i].first)];
        } else {
            for (i64 i = 0; i < width; ++i) {
                const Span& cols = columns.spans[static_cast<std::size_t>(i)];
                if (cols.Empty()) continue;
                ColorRef c = row[static_cast<std::size_t>(cols.first)];
                for (i64 sx = cols.first + 1; sx <= cols.last; ++sx)
                    c &= row[static_cast<std::size_t>(sx)];
                out[i] = c;
            }
        }
        previous = out;
    }
}

// The raster operations that combine each source pixel with the destination pixel under
// it and nothing else (no pattern).
bool IsPlainSourceRop(std::uint32_t rop) {
    return rop == SRCCOPY || rop == SRCAND || rop == SRCPAINT || rop == NOTSRCCOPY ||
           rop == SRCINVERT;
}

// out[i] = rop(src[i], out[i]) for a plain source operation, as Combine computes it:
// SRCCOPY moves the stored value as it is (memmove, so `src` may overlap `out`), the
// others keep the low 24 bits as ApplyRop does (`src` must not overlap `out`).
void CombineRow(std::uint32_t rop, const ColorRef* src, ColorRef* out, std::size_t n) {
    constexpr ColorRef kMask = 0x00FFFFFFu;
    switch (rop) {
        case SRCCOPY: std::memmove(out, src, n * sizeof(ColorRef)); return;
        case SRCAND:
            for (std::size_t i = 0; i < n; ++i) out[i] = src[i] & out[i] & kMask;
            return;
        case SRCPAINT:
            for (std::size_t i = 0; i < n; ++i) out[i] = (src[i] | out[i]) & kMask;
            return;
        case NOTSRCCOPY:
            for (std::size_t i = 0; i < n; ++i) out[i] = ~src[i] & kMask;
            return;
        case SRCINVERT:
            for (std::size_t i = 0; i < n; ++i) out[i] = (src[i] ^ out[i]) & kMask;
            return;
        default: return;
    }
}

// BitBlt's fast path: a plain source operation (IsPlainSourceRop) from a colour bitmap
// onto a colour bitmap, without NEWTRANSPARENT, on the blocks `from` and `to` (the same
// size, already cut to both bitmaps). Row by row instead of through a copy of the whole
// block. When both blocks lie in one bitmap the result must still be that of reading
// the whole source first: the rows are taken from the end the destination moves away
// from, so no source row is overwritten before it is read, and a row that overlaps
// itself goes through a one-row buffer (memmove for SRCCOPY).
void BlitRows(std::uint32_t rop, const Bitmap& sb, const Box& from, Bitmap& db, const Box& to) {
    const std::size_t width = static_cast<std::size_t>(to.right - to.left);
    const i64 height = to.bottom - to.top;
    const bool same = &sb == &db;
    if (width == static_cast<std::size_t>(sb.width) &&
        width == static_cast<std::size_t>(db.width) && (!same || rop == SRCCOPY)) {
        // Whole rows on both sides lie end to end: the block is one run. Within one
        // bitmap only SRCCOPY may take it so, as memmove reads before it writes.
        CombineRow(rop, sb.pixels.data() + static_cast<std::size_t>(from.top) * width,
                   &db.At(0, static_cast<int>(to.top)), width * static_cast<std::size_t>(height));
        return;
    }
    const bool bottom_up = same && to.top > from.top;
    thread_local std::vector<ColorRef> buffer;
    buffer.resize(same && rop != SRCCOPY ? width : 0);
    for (i64 k = 0; k < height; ++k) {
        const i64 j = bottom_up ? height - 1 - k : k;
        const ColorRef* in =
            sb.pixels.data() + static_cast<std::size_t>((from.top + j) * sb.width + from.left);
        ColorRef* out = &db.At(static_cast<int>(to.left), static_cast<int>(to.top + j));
        if (!buffer.empty()) {
            std::memcpy(buffer.data(), in, width * sizeof(ColorRef));
            in = buffer.data();
        }
        CombineRow(rop, in, out, width);
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
//   Stretching (see AxisSources), with i counted from the destination origin:
//     enlarged rows: source row floor((2 s i + s - 1) / (2 d)) for s source and d
//       destination rows (the source row under the destination row's centre), as GDI;
//     shrunk rows: each source row goes to the destination row under its centre, and
//       the rows that land together are ANDed (in the destination's colours), as GDI
//       does in its default stretch mode BLACKONWHITE;
//     columns alike, except from a source block 4 columns wide (the gradient band):
//       there destination column i shows source column floor(4 i / w) at every width w,
//       our fixed rule, where Wine shows floor((4 i + 1) / w) when stretching and ANDs
//       when shrinking.
//   Colours: a monochrome destination takes 1 exactly where the DIB pixel is white
//     (see IsWhite) before pixels are ANDed; its DC's colours play no part.
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
    Bitmap& b = *dc->bitmap;  // its pending fill is written below, unless the copy covers it

    Side dst{xDest, yDest, destWidth, destHeight, {}};
    Side src{xSrc, ySrc, srcWidth, srcHeight, {}};
    // GDI's own coordinate arithmetic is 32-bit; beyond it the call means nothing.
    if (!FitsInt(dst.x + dst.w) || !FitsInt(dst.y + dst.h) || !FitsInt(src.x + src.w) ||
        !FitsInt(src.y + src.h) || !FitsInt(height - src.y - src.h))
        return 0;

    const bool from_origin = src.x == 0 && src.y == 0 && src.w == dst.w && src.h == dst.h;
    const bool four_columns = srcWidth == 4 || srcWidth == -4;
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

    // src.vis lies inside the picture and dst.vis inside the bitmap (MatchVisible only
    // narrows them), so every pixel visited can be read and written.
    const auto* data = static_cast<const std::uint8_t*>(bits);
    const bool whole = dst.vis.left == 0 && dst.vis.top == 0 && dst.vis.right == b.width &&
                       dst.vis.bottom == b.height;
    if (CanCopyDibRows(layout, b, rop) && whole && src.w == dst.w && src.h == dst.h)
        b.fill_pending = false;  // every pixel is about to be replaced: the fill is never seen
    else
        Drawn(b);
    if (CanCopyDibRows(layout, b, rop)) {
        CopyDibRows(layout, data, dst, src, four_columns, b);
        return result;
    }
    const auto source = [&](i64 sx, i64 sy) -> ColorRef {
        if (b.mono) return IsWhite(layout, data, sx, sy) ? 0xFFFFFF : 0x000000;
        return DibPixel(layout, data, sx, sy);
    };
    ForEachPixel(dst, src, four_columns, source, [&](i64 x, i64 y, ColorRef s) {
        ColorRef& d = b.At(static_cast<int>(x), static_cast<int>(y));
        d = Combine(*dc, rop, static_cast<int>(x), static_cast<int>(y), s, d);
    });
    return result;
}

// PutPixels: onto a colour bitmap of exactly their size the values are copied as they
// come (the bitmap keeps 0x00BBGGRR too); a pending fill is dropped unwritten, as every
// pixel is replaced. Anything else takes the general way through StretchDIBits.
int RasterGdi::PutPixels(Hdc h, const ColorRef* pixels, int width, int height) {
    Dc* dc = Valid(h);
    if (dc == nullptr) return 0;
    Bitmap& b = *dc->bitmap;
    if (pixels == nullptr || b.mono || width != b.width || height != b.height)
        return Gdi::PutPixels(h, pixels, width, height);
    b.fill_pending = false;
    std::memcpy(b.pixels.data(), pixels, b.pixels.size() * sizeof(ColorRef));
    return height;
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
    Bitmap& db = Drawn(*d->bitmap);
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
    const Bitmap& sb = Drawn(*s->bitmap);
    Side ds{x, y, w, h, {}}, ss{xSrc, ySrc, w, h, {}};
    if (!Intersect(ds.vis, Bounding(x, y, w, h), dest_box)) return true;
    if (!Intersect(ss.vis, Bounding(xSrc, ySrc, w, h), Box{0, 0, sb.width, sb.height})) return true;
    if (!MatchVisible(ds, ss)) return true;

    // Fast path: see BlitRows. NEWTRANSPARENT, which skips pixels, keeps the general path.
    const bool skips_background =
        (caps1_ & C1_TRANSPARENT) != 0 && d->bk_mode == NEWTRANSPARENT && rop == SRCCOPY;
    if (!sb.mono && !db.mono && IsPlainSourceRop(rop) && !skips_background) {
        BlitRows(rop, sb, ss.vis, db, ds.vis);
        return true;
    }

    // Read (and convert) the whole source block first, into memory kept for the next
    // call unless it grew beyond a button's needs.
    const i64 bw = ds.vis.right - ds.vis.left, bh = ds.vis.bottom - ds.vis.top;
    thread_local std::vector<ColorRef> block;
    block.resize(static_cast<std::size_t>(bw * bh));
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
    if (block.capacity() > (std::size_t{1} << 20)) std::vector<ColorRef>().swap(block);
    return true;
}

}  // namespace sheenwork::gdi::raster

namespace sheenwork::gdi::raster {

// A 32-bit bitmap whose alpha bytes AlphaBlend can read. Refused like any other bitmap
// of an absurd size.
Hgdiobj RasterGdi::CreateAlphaBitmap(int width, int height, const std::uint32_t* argb) {
    if (argb == nullptr || width <= 0 || height <= 0 || width > (1 << 16) || height > (1 << 16) ||
        static_cast<long long>(width) * height > (1LL << 28))
        return nullptr;
    auto* b = new Bitmap(width, height, false);
    const std::size_t n = b->pixels.size();
    b->alpha.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        b->pixels[i] = Rgb((argb[i] >> 16) & 0xFFu, (argb[i] >> 8) & 0xFFu, argb[i] & 0xFFu);
        b->alpha[i] = static_cast<std::uint8_t>(argb[i] >> 24);
    }
    objects_.insert(b);
    ++live_.objects;
    return ToHandle(b);
}

namespace {

// x * a / 255 rounded to nearest, in the integer form GDI's blender uses.
unsigned Scale(unsigned x, unsigned a) { return (x * a + 127) / 255; }

}  // namespace

// AlphaBlend (AC_SRC_OVER):
//   Refused: a negative extent, a source block reaching outside the source bitmap or an
//     unknown alpha format. BlendOp is not looked at: AC_SRC_OVER is the only operation
//     there is, and real GDI blends whatever the field holds.
//   Mapping: GDI stretches the source first in the COLORONCOLOR mode, whatever the
//     DC's stretch mode: enlarged, each destination pixel takes the source pixel under
//     its centre (AxisSources); shrunk, of the source pixels that fall together a row
//     takes the first and a column the last (GDI's walk keeps the first row it meets
//     but writes every column over the one before). The destination is cut to its
//     bitmap, and both sides brought into agreement, as for StretchDIBits.
//   Per channel, with constant alpha K: with AC_SRC_ALPHA the source (premultiplied,
//     with alpha A; a bitmap without alpha bytes counts as A = 0) is first scaled by K,
//     then d' = s + d * (255 - A') / 255 with A' = A * K / 255; without it
//     d' = (s * K + d * (255 - K)) / 255. Every division rounds to nearest; results above
//     255 (from a source that is not truly premultiplied) saturate.
bool RasterGdi::AlphaBlend(Hdc dest, int xDest, int yDest, int destWidth, int destHeight, Hdc src,
                           int xSrc, int ySrc, int srcWidth, int srcHeight, BlendFunction blend) {
    Dc* d = Valid(dest);
    Dc* s = Valid(src);
    if (d == nullptr || s == nullptr) return false;
    if ((blend.AlphaFormat & ~AC_SRC_ALPHA) != 0) return false;
    if (destWidth < 0 || destHeight < 0 || srcWidth < 0 || srcHeight < 0) return false;
    const Bitmap& sb = Drawn(*s->bitmap);
    if (xSrc < 0 || ySrc < 0 || static_cast<i64>(xSrc) + srcWidth > sb.width ||
        static_cast<i64>(ySrc) + srcHeight > sb.height)
        return false;
    if (!FitsInt(static_cast<i64>(xDest) + destWidth) ||
        !FitsInt(static_cast<i64>(yDest) + destHeight))
        return false;
    if (destWidth == 0 || destHeight == 0 || srcWidth == 0 || srcHeight == 0) return true;
    Bitmap& db = Drawn(*d->bitmap);
    Side dst{xDest, yDest, destWidth, destHeight, {}};
    Side from{xSrc, ySrc, srcWidth, srcHeight, {}};
    from.vis = Bounding(from.x, from.y, from.w, from.h);
    if (!Intersect(dst.vis, Bounding(dst.x, dst.y, dst.w, dst.h), Box{0, 0, db.width, db.height}))
        return true;
    if (!MatchVisible(dst, from)) return true;
    const unsigned k = blend.SourceConstantAlpha;
    const bool per_pixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
    auto channel = [&](unsigned sc, unsigned dc, unsigned a) {
        const unsigned v =
            per_pixel ? Scale(sc, k) + Scale(dc, 255 - a) : (sc * k + dc * (255 - k) + 127) / 255;
        return std::min(v, 255u);
    };
    std::vector<Span> columns;
    columns.reserve(static_cast<std::size_t>(dst.vis.right - dst.vis.left));
    for (i64 x = dst.vis.left; x < dst.vis.right; ++x)
        columns.push_back(
            AxisSources(x, dst.x, dst.w, from.x, from.w, from.vis.left, from.vis.right, false));
    for (i64 y = dst.vis.top; y < dst.vis.bottom; ++y) {
        const Span rows =
            AxisSources(y, dst.y, dst.h, from.y, from.h, from.vis.top, from.vis.bottom, false);
        if (rows.Empty()) continue;
        const i64 sy = rows.first;
        for (i64 x = dst.vis.left; x < dst.vis.right; ++x) {
            const Span& cols = columns[static_cast<std::size_t>(x - dst.vis.left)];
            if (cols.Empty()) continue;
            const i64 sx = cols.last;
            const std::size_t si = static_cast<std::size_t>(sy * sb.width + sx);
            const ColorRef sc = sb.pixels[si];
            const unsigned sa = sb.alpha.empty() ? 0u : sb.alpha[si];
            const unsigned a = per_pixel ? Scale(sa, k) : k;
            ColorRef& dp = db.At(static_cast<int>(x), static_cast<int>(y));
            const ColorRef out =
                Rgb(channel(RedOf(sc), RedOf(dp), a), channel(GreenOf(sc), GreenOf(dp), a),
                    channel(BlueOf(sc), BlueOf(dp), a));
            dp = ToBitmapColor(*d, out);
            if (!db.alpha.empty()) {
                std::uint8_t& da = db.alpha[static_cast<std::size_t>(y * db.width + x)];
                da = static_cast<std::uint8_t>(std::min(a + Scale(da, 255 - a), 255u));
            }
        }
    }
    return true;
}

}  // namespace sheenwork::gdi::raster
