// DrawEdge and DrawFocusRect, the two user32 helpers the control paints with.
#include "lines.h"

#include <algorithm>
#include <cstdint>

namespace sheenwork::gdi::raster {
namespace {

using i64 = std::int64_t;

// Flags beyond the public set, as Win32 numbers them.
enum : unsigned {
    kBdrOuter = 0x3,
    kBdrInner = 0xC,
    kBfTopLeft = BF_TOP | BF_LEFT,
    kBfTopRight = BF_TOP | BF_RIGHT,
    kBfBottomLeft = BF_BOTTOM | BF_LEFT,
    kBfBottomRight = BF_BOTTOM | BF_RIGHT,
    kBfDiagonal = 0x10,
    kBfSoft = 0x1000,
    kBfFlat = 0x4000,
    kBfMono = 0x8000,
};

enum : signed char {
    kNone = -1,
    kWindow = 5,
    kWindowFrame = 6,
    kFace = COLOR_3DFACE,
    kShadow = COLOR_3DSHADOW,
    kHilight = COLOR_3DHILIGHT,
    kDkShadow = COLOR_3DDKSHADOW,
    kLight = COLOR_3DLIGHT,
};

// user32's colour tables, indexed by the border kinds (edge & 0xF); -1 = no line.
constexpr signed char kLtInnerNormal[16] = {
    kNone, kNone, kNone, kNone, kNone, kHilight, kHilight, kNone,
    kNone, kDkShadow, kDkShadow, kNone, kNone, kNone, kNone, kNone};
constexpr signed char kLtOuterNormal[16] = {
    kNone, kLight, kShadow, kNone, kHilight, kLight, kShadow, kNone,
    kDkShadow, kLight, kShadow, kNone, kNone, kLight, kShadow, kNone};
constexpr signed char kRbInnerNormal[16] = {
    kNone, kNone, kNone, kNone, kNone, kShadow, kShadow, kNone,
    kNone, kLight, kLight, kNone, kNone, kNone, kNone, kNone};
constexpr signed char kRbOuterNormal[16] = {
    kNone, kDkShadow, kHilight, kNone, kShadow, kDkShadow, kHilight, kNone,
    kLight, kDkShadow, kHilight, kNone, kNone, kDkShadow, kHilight, kNone};
constexpr signed char kLtInnerSoft[16] = {
    kNone, kNone, kNone, kNone, kNone, kLight, kLight, kNone,
    kNone, kShadow, kShadow, kNone, kNone, kNone, kNone, kNone};
constexpr signed char kLtOuterSoft[16] = {
    kNone, kHilight, kDkShadow, kNone, kLight, kHilight, kDkShadow, kNone,
    kShadow, kHilight, kDkShadow, kNone, kNone, kHilight, kDkShadow, kNone};
constexpr const signed char* kRbInnerSoft = kRbInnerNormal;
constexpr const signed char* kRbOuterSoft = kRbOuterNormal;
constexpr signed char kOuterMono[16] = {
    kNone, kWindowFrame, kWindowFrame, kWindowFrame, kWindow, kWindowFrame, kWindowFrame, kWindowFrame,
    kWindow, kWindowFrame, kWindowFrame, kWindowFrame, kWindow, kWindowFrame, kWindowFrame, kWindowFrame};
constexpr signed char kInnerMono[16] = {
    kNone, kNone, kNone, kNone, kNone, kWindow, kWindow, kWindow,
    kNone, kWindow, kWindow, kWindow, kNone, kWindow, kWindow, kWindow};
constexpr signed char kOuterFlat[16] = {
    kNone, kShadow, kShadow, kShadow, kFace, kShadow, kShadow, kShadow,
    kFace, kShadow, kShadow, kShadow, kFace, kShadow, kShadow, kShadow};
constexpr signed char kInnerFlat[16] = {
    kNone, kNone, kNone, kNone, kNone, kFace, kFace, kFace,
    kNone, kFace, kFace, kFace, kNone, kFace, kFace, kFace};

// One band of DrawEdge: user32 paints it with PatBlt(l, t, r - l, b - t), and PatBlt
// takes a negative width or height as the span (r, l] or (b, t]: the same one-pixel
// shift as a backwards line. Zero width or height paints nothing.
void PatBox(Bitmap& bm, i64 l, i64 t, i64 r, i64 b, ColorRef c) {
    if (r < l) {
        const i64 old_l = l;
        l = r + 1;
        r = old_l + 1;
    }
    if (b < t) {
        const i64 old_t = t;
        t = b + 1;
        b = old_t + 1;
    }
    FillBox(bm, l, t, r, b, c);
}

}  // namespace

// DrawEdge (rectangular edges; BF_DIAGONAL is not supported and returns false without
// drawing). As user32 (Wine 8's draw_rect_edge, one-pixel borders), with r = *rect and
// each band painted like PatBlt (PatBox above):
//   outer bands, in the outer colours:
//     top    [l, r) x [t, t+1)     left  [l, l+1) x [t, b)     top-left colour
//     bottom [l, r) x [b-1, b)     right [r-1, r) x [t, b)     bottom-right colour
//   then the inner bands one pixel further in, in the inner colours:
//     top    [l+lt, r-rt) x [t+1, t+2)    left  [l+1, l+2) x [t+lt, b-lb)
//     bottom [l+lb, r-rb) x [b-2, b-1)    right [r-2, r-1) x [t+rt, b-rb)
//   where lt, rt, lb, rb are 1 when both sides of that corner are drawn, else 0.
// Later bands overwrite earlier ones at the corners. The colours (system colours) come
// from user32's tables by border kind; for EDGE_RAISED: outer 3DLIGHT / 3DDKSHADOW,
// inner 3DHILIGHT / 3DSHADOW. BF_SOFT, BF_FLAT and BF_MONO take their own tables.
// BF_MIDDLE fills the inside (the rect moved in by the drawn borders' width on each
// flagged side) with 3DFACE (WINDOW for BF_MONO), also like PatBlt; BF_ADJUST stores
// that inside rectangle in *rect. Returns false for impossible border combinations
// (both inner kinds or both outer kinds, unless flat or mono), drawing what the tables
// give all the same.
bool RasterGdi::DrawEdge(Hdc h, Rect* rect, unsigned edge, unsigned flags) {
    Dc* d = Valid(h);
    if (d == nullptr || rect == nullptr) return false;
    if (flags & kBfDiagonal) return false;
    Bitmap& bm = Drawn(*d->bitmap);
    const unsigned kind = edge & (kBdrInner | kBdrOuter);
    const bool retval = !(((edge & kBdrInner) == kBdrInner || (edge & kBdrOuter) == kBdrOuter) &&
                          !(flags & (kBfFlat | kBfMono)));

    signed char lt_inner, lt_outer, rb_inner, rb_outer;
    if (flags & kBfMono) {
        lt_inner = rb_inner = kInnerMono[kind];
        lt_outer = rb_outer = kOuterMono[kind];
    } else if (flags & kBfFlat) {
        lt_inner = rb_inner = kInnerFlat[kind];
        lt_outer = rb_outer = kOuterFlat[kind];
        if (lt_inner != kNone) lt_inner = rb_inner = kFace;
    } else if (flags & kBfSoft) {
        lt_inner = kLtInnerSoft[kind];
        lt_outer = kLtOuterSoft[kind];
        rb_inner = kRbInnerSoft[kind];
        rb_outer = kRbOuterSoft[kind];
    } else {
        lt_inner = kLtInnerNormal[kind];
        lt_outer = kLtOuterNormal[kind];
        rb_inner = kRbInnerNormal[kind];
        rb_outer = kRbOuterNormal[kind];
    }
    const i64 lb = (flags & kBfBottomLeft) == kBfBottomLeft ? 1 : 0;
    const i64 rt = (flags & kBfTopRight) == kBfTopRight ? 1 : 0;
    const i64 rb = (flags & kBfBottomRight) == kBfBottomRight ? 1 : 0;
    const i64 lt = (flags & kBfTopLeft) == kBfTopLeft ? 1 : 0;

    const i64 l = rect->left, t = rect->top, r = rect->right, b = rect->bottom;
    const auto band = [&](signed char color, i64 x0, i64 y0, i64 x1, i64 y1) {
        if (color != kNone) PatBox(bm, x0, y0, x1, y1, ToBitmapColor(*d, SysColor(color)));
    };
    if (flags & BF_TOP) band(lt_outer, l, t, r, t + 1);
    if (flags & BF_LEFT) band(lt_outer, l, t, l + 1, b);
    if (flags & BF_BOTTOM) band(rb_outer, l, b - 1, r, b);
    if (flags & BF_RIGHT) band(rb_outer, r - 1, t, r, b);
    if (flags & BF_TOP) band(lt_inner, l + lt, t + 1, r - rt, t + 2);
    if (flags & BF_LEFT) band(lt_inner, l + 1, t + lt, l + 2, b - lb);
    if (flags & BF_BOTTOM) band(rb_inner, l + lb, b - 2, r - rb, b - 1);
    if (flags & BF_RIGHT) band(rb_inner, r - 2, t + rt, r - 1, b - rb);

    if (((flags & BF_MIDDLE) && retval) || (flags & BF_ADJUST)) {
        const i64 add = (kInnerMono[kind] != kNone ? 1 : 0) + (kOuterMono[kind] != kNone ? 1 : 0);
        // user32 does this in int; saturating keeps extreme rectangles defined.
        const auto move = [](int v, i64 by) {
            return static_cast<int>(std::clamp<i64>(v + by, INT32_MIN, INT32_MAX));
        };
        Rect inner = *rect;
        if (flags & BF_LEFT) inner.left = move(inner.left, add);
        if (flags & BF_RIGHT) inner.right = move(inner.right, -add);
        if (flags & BF_TOP) inner.top = move(inner.top, add);
        if (flags & BF_BOTTOM) inner.bottom = move(inner.bottom, -add);
        if ((flags & BF_MIDDLE) && retval)
            band((flags & kBfMono) ? kWindow : kFace, inner.left, inner.top, inner.right, inner.bottom);
        if (flags & BF_ADJUST) *rect = inner;
    }
    return retval;
}

// DrawFocusRect: inverts (XOR 0xFFFFFF) every other pixel of the outline of the
// normalised rectangle (l, t)-(r-1, b-1), as Wine draws it: a Rectangle with an
// alternate (on/off) pen, walked from the top right corner counter-clockwise
//   (r-1, t) -> (l, t) -> (l, b-1) -> (r-1, b-1) -> (r-1, t),
// each side covering its start but not its end, the first pixel on. On a rectangle at
// least 2 x 2 that inverts the outline pixels whose x + y has the parity of r-1 + t.
// A rectangle one pixel wide or high is walked down and back up, so its pixels are
// inverted twice (restored) except at the ends. Zero width or height draws nothing.
// Drawing the same rectangle twice restores the bitmap.
bool RasterGdi::DrawFocusRect(Hdc h, const Rect* rect) {
    Dc* d = Valid(h);
    if (d == nullptr || rect == nullptr) return false;
    Bitmap& bm = Drawn(*d->bitmap);
    const i64 l = std::min<i64>(rect->left, rect->right);
    const i64 r = std::max<i64>(rect->left, rect->right) - 1;
    const i64 t = std::min<i64>(rect->top, rect->bottom);
    const i64 b = std::max<i64>(rect->top, rect->bottom) - 1;
    if (r < l || b < t) return true;  // zero width or height (r, b are inclusive now)

    const ColorRef flip = 0xFFFFFF;
    i64 index = 0;  // position along the walk; even = on
    // One side from (x0, y0) towards (x1, y1), axis-aligned, start in, end out.
    const auto side = [&](i64 x0, i64 y0, i64 x1, i64 y1) {
        const bool horizontal = y0 == y1;
        const i64 from = horizontal ? x0 : y0, to = horizontal ? x1 : y1;
        const i64 length = from <= to ? to - from : from - to;
        const i64 step = from <= to ? 1 : -1;
        const i64 fixed = horizontal ? y0 : x0;
        const i64 extent = horizontal ? bm.height : bm.width;
        const i64 along = horizontal ? bm.width : bm.height;
        if (fixed >= 0 && fixed < extent && length > 0) {
            // Visible range of k in [0, length): from + step * k within [0, along).
            i64 k0, k1;
            if (step > 0) {
                k0 = std::max<i64>(0, -from);
                k1 = std::min<i64>(length, along - from);
            } else {
                k0 = std::max<i64>(0, from - (along - 1));
                k1 = std::min<i64>(length, from + 1);
            }
            for (i64 k = k0 + ((index + k0) & 1); k < k1; k += 2) {
                const i64 v = from + step * k;
                const int x = static_cast<int>(horizontal ? v : fixed);
                const int y = static_cast<int>(horizontal ? fixed : v);
                Plot(bm, x, y, bm.At(x, y) ^ flip);
            }
        }
        index += length;
    };
    side(r, t, l, t);
    side(l, t, l, b);
    side(l, b, r, b);
    side(r, b, r, t);
    return true;
}

}  // namespace sheenwork::gdi::raster
