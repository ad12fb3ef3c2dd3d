// Lines: MoveToEx, LineTo and the solid one-pixel line every outline is made of.
//
// The pixel rule is Wine's dibdrv (objects.c: solid_pen_line, init_bres_params,
// clip_line, get_bias; primitives.c: solid_line), which matches Windows:
//   * horizontal and vertical lines are spans: [x0, x1) when x0 <= x1, else
//     (x1, x0]: the start pixel is in, the end pixel is out;
//   * any other line is a Bresenham walk with error term err = 2*minor - major,
//     stepping the minor axis when err + bias > 0, where bias is 1 in octants
//     3, 5, 6 and 8 (counted clockwise from +x with y down) and 0 elsewhere. The bias
//     decides the ties, so that a line and its reverse cover the same pixels except for
//     their end points. The walk covers `major` pixels: the start in, the end out;
//   * a point with a coordinate of magnitude 2^28 or more is divided by 8 (both
//     coordinates, truncating) before a slanted line is walked, as Wine does to keep its
//     error terms in range;
//   * clipping moves the start to the first visible pixel of the walk and recomputes the
//     error term there (Wine's exact formulas), so a clipped line has the same pixels as
//     the unclipped one, and the walk only covers the visible part.
#include "lines.h"

#include <algorithm>
#include <cstdlib>

namespace sheenwork::gdi::raster {
namespace {

using i64 = std::int64_t;

struct P {
    i64 x, y;
};

struct Box {  // left/top inside, right/bottom exclusive
    i64 left, top, right, bottom;
    bool Empty() const { return right <= left || bottom <= top; }
};

Box Intersect(Box a, Box b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

Box BitmapBox(const Bitmap& b) { return {0, 0, b.width, b.height}; }

// Octant masks as Wine numbers them: bit (octant - 1), octants clockwise from +x.
constexpr unsigned kYIncreasing = 0x0f;
constexpr unsigned kXIncreasing = 0xc3;
constexpr unsigned kXMajor = 0x99;
constexpr unsigned kPosSlope = 0x33;
constexpr unsigned kBiased = 0xb4;  // octants 3, 5, 6 and 8

unsigned OctantMask(i64 dx, i64 dy) {
    int octant;
    if (dy > 0)
        octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    else
        octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    return 1u << (octant - 1);
}

P Crop(P p) {
    constexpr i64 kLimit = 0x10000000;
    if (p.x >= kLimit || p.x <= -kLimit || p.y >= kLimit || p.y <= -kLimit) {
        p.x /= 8;  // C++ division truncates toward zero, like C's
        p.y /= 8;
    }
    return p;
}

enum : unsigned { kOutLeft = 1, kOutRight = 2, kOutTop = 4, kOutBottom = 8 };

unsigned OutCode(P p, const Box& clip) {
    unsigned out = 0;
    if (p.x < clip.left)
        out |= kOutLeft;
    else if (p.x >= clip.right)
        out |= kOutRight;
    if (p.y < clip.top)
        out |= kOutTop;
    else if (p.y >= clip.bottom)
        out |= kOutBottom;
    return out;
}

struct Bres {
    i64 dx, dy;  // absolute
    unsigned octant;
    int bias;
};

// Wine's clip_line: moves both ends into `clip` along the Bresenham walk. Returns 0
// when nothing is visible, 1 when clipped, 2 when the line was inside already.
int ClipLine(P start, P end, const Box& clip, const Bres& br, P* p1, P* p2) {
    const i64 bias = br.bias, dx = br.dx, dy = br.dy, two_dx = 2 * dx, two_dy = 2 * dy;
    const bool xmajor = (br.octant & kXMajor) != 0;
    const bool neg_slope = (br.octant & kPosSlope) == 0;
    *p1 = start;
    *p2 = end;
    unsigned start_oc = OutCode(start, clip), end_oc = OutCode(end, clip);
    bool clipped = false;
    // Every pass moves one end onto a clip edge, so a handful of passes suffice; the
    // bound only guards against a degenerate (zero-length) walk.
    for (int pass = 0; pass < 16; ++pass) {
        if (start_oc == 0 && end_oc == 0) return clipped ? 1 : 2;
        if ((start_oc & end_oc) != 0) return 0;
        clipped = true;
        i64 m, n;
        if (start_oc & (kOutLeft | kOutRight)) {
            const bool left = (start_oc & kOutLeft) != 0;
            if (two_dx == 0) return 0;
            m = left ? clip.left - start.x : start.x - clip.right + 1;
            n = xmajor ? (m * two_dy + bias + dx - 1) / two_dx
                       : (m * two_dy - bias - dy) / two_dx + 1;
            if (neg_slope) n = -n;
            p1->x = left ? clip.left : clip.right - 1;
            p1->y = left ? start.y + n : start.y - n;
            start_oc = OutCode(*p1, clip);
        } else if (start_oc & (kOutTop | kOutBottom)) {
            const bool top = (start_oc & kOutTop) != 0;
            if (two_dy == 0) return 0;
            n = top ? clip.top - start.y : start.y - clip.bottom + 1;
            m = xmajor ? (n * two_dx - bias - dx) / two_dy + 1
                       : (n * two_dx + bias + dy - 1) / two_dy;
            if (neg_slope) m = -m;
            p1->y = top ? clip.top : clip.bottom - 1;
            p1->x = top ? start.x + m : start.x - m;
            start_oc = OutCode(*p1, clip);
        } else if (end_oc & (kOutLeft | kOutRight)) {
            const bool left = (end_oc & kOutLeft) != 0;
            if (two_dx == 0) return 0;
            m = left ? clip.left - end.x : end.x - clip.right + 1;
            n = xmajor ? (m * two_dy - bias + dx) / two_dx
                       : (m * two_dy + bias - dy - 1) / two_dx + 1;
            if (neg_slope) n = -n;
            p2->x = left ? clip.left : clip.right - 1;
            p2->y = left ? end.y + n : end.y - n;
            end_oc = OutCode(*p2, clip);
        } else {
            const bool top = (end_oc & kOutTop) != 0;
            if (two_dy == 0) return 0;
            n = top ? clip.top - end.y : end.y - clip.bottom + 1;
            m = xmajor ? (n * two_dx + bias - dx - 1) / two_dy + 1
                       : (n * two_dx - bias + dy) / two_dy;
            if (neg_slope) m = -m;
            p2->y = top ? clip.top : clip.bottom - 1;
            p2->x = top ? end.x + m : end.x - m;
            end_oc = OutCode(*p2, clip);
        }
    }
    return 0;
}

void SlantedLine(Bitmap& bitmap, P start, P end, ColorRef c) {
    const P p1 = Crop(start), p2 = Crop(end);
    const i64 dx = p2.x - p1.x, dy = p2.y - p1.y;
    const auto inside = [&](P p) {
        return p.x >= 0 && p.y >= 0 && p.x < bitmap.width && p.y < bitmap.height;
    };
    if (std::llabs(dx) == std::llabs(dy) && inside(p1) && inside(p2)) {
        // A diagonal inside the bitmap: the error term starts at the major length and
        // never changes, so the walk steps both axes every time.
        const i64 sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
        for (i64 i = 0, n = std::llabs(dx); i < n; ++i)
            bitmap.At(static_cast<int>(p1.x + i * sx), static_cast<int>(p1.y + i * sy)) = c;
        return;
    }
    Bres br;
    br.dx = std::llabs(dx);
    br.dy = std::llabs(dy);
    br.octant = OctantMask(dx, dy);
    br.bias = (br.octant & kBiased) ? 1 : 0;
    const bool x_major = (br.octant & kXMajor) != 0;
    const int x_inc = (br.octant & kXIncreasing) ? 1 : -1;
    const int y_inc = (br.octant & kYIncreasing) ? 1 : -1;
    const i64 err_add_1 = x_major ? 2 * br.dy - 2 * br.dx : 2 * br.dx - 2 * br.dy;
    const i64 err_add_2 = x_major ? 2 * br.dy : 2 * br.dx;

    const Box bounds{std::min(p1.x, p2.x), std::min(p1.y, p2.y), std::max(p1.x, p2.x) + 1,
                     std::max(p1.y, p2.y) + 1};
    const Box clip = Intersect(bounds, BitmapBox(bitmap));
    if (clip.Empty()) return;

    P from, to;
    if (ClipLine(p1, p2, clip, br, &from, &to) == 0) return;
    const i64 m = std::llabs(from.x - p1.x), n = std::llabs(from.y - p1.y);
    i64 err, length;
    if (x_major) {
        err = 2 * br.dy - br.dx + m * 2 * br.dy - n * 2 * br.dx;
        length = std::llabs(to.x - from.x) + 1;
    } else {
        err = 2 * br.dx - br.dy + n * 2 * br.dx - m * 2 * br.dy;
        length = std::llabs(to.y - from.y) + 1;
    }
    if (to.x == p2.x && to.y == p2.y) --length;

    // `from` and `to` lie in `clip`, so the walk is at most one bitmap side long.
    i64 x = from.x, y = from.y;
    for (; length > 0; --length) {
        Plot(bitmap, static_cast<int>(x), static_cast<int>(y), c);
        if (err + br.bias > 0) {
            if (x_major)
                y += y_inc;
            else
                x += x_inc;
            err += err_add_1;
        } else {
            err += err_add_2;
        }
        if (x_major)
            x += x_inc;
        else
            y += y_inc;
    }
}

}  // namespace

void FillBox(Bitmap& bitmap, i64 left, i64 top, i64 right, i64 bottom, ColorRef c) {
    const Box box = Intersect({left, top, right, bottom}, BitmapBox(bitmap));
    if (box.Empty()) return;
    const auto width = static_cast<std::size_t>(box.right - box.left);
    ColorRef* first = &bitmap.At(static_cast<int>(box.left), static_cast<int>(box.top));
    if (width == static_cast<std::size_t>(bitmap.width)) {
        // Whole rows lie end to end: one run.
        FillPixels(first, width * static_cast<std::size_t>(box.bottom - box.top), c);
        return;
    }
    if (width == 1) {
        for (i64 y = box.top; y < box.bottom; ++y, first += bitmap.width) *first = c;
        return;
    }
    if (width < 8) {
        // A column or a narrow box: too short a run per row to be worth a call.
        for (i64 y = box.top; y < box.bottom; ++y, first += bitmap.width)
            for (std::size_t i = 0; i < width; ++i) first[i] = c;
        return;
    }
    for (i64 y = box.top; y < box.bottom; ++y, first += bitmap.width) FillPixels(first, width, c);
}

void SolidLine(Bitmap& bitmap, i64 x0, i64 y0, i64 x1, i64 y1, ColorRef c) {
    if (y0 == y1) {
        // Wine's order_end_points: a right-to-left span is (x1, x0].
        i64 l = x0, r = x1;
        if (l > r) {
            l = x1 + 1;
            r = x0 + 1;
        }
        FillBox(bitmap, l, y0, r, y0 + 1, c);
    } else if (x0 == x1) {
        i64 t = y0, b = y1;
        if (t > b) {
            t = y1 + 1;
            b = y0 + 1;
        }
        FillBox(bitmap, x0, t, x0 + 1, b, c);
    } else {
        SlantedLine(bitmap, {x0, y0}, {x1, y1}, c);
    }
}

// MoveToEx: sets the current position, answers the previous one; draws nothing.
bool RasterGdi::MoveToEx(Hdc h, int x, int y, Point* previous) {
    Dc* d = Valid(h);
    if (d == nullptr) return false;
    if (previous != nullptr) *previous = d->position;
    d->position = Point{x, y};
    return true;
}

// LineTo: a solid line in the pen's colour from the current position to (x, y), the
// start pixel in and (x, y) out (SolidLine above); a PS_NULL pen draws nothing. The
// current position becomes (x, y) either way. Pens wider than one pixel are drawn one
// pixel wide.
bool RasterGdi::LineTo(Hdc h, int x, int y) {
    Dc* d = Valid(h);
    if (d == nullptr) return false;
    if (PenDraws(d->pen))
        SolidLine(Drawn(*d->bitmap), d->position.x, d->position.y, x, y,
                  ToPenColor(*d, d->pen->color));
    d->position = Point{x, y};
    return true;
}

}  // namespace sheenwork::gdi::raster
