// The line rasteriser shared by LineTo, Rectangle, RoundRect and DrawEdge.
#pragma once

#include "raster.h"

#include <cstdint>

namespace sheenwork::gdi::raster {

// A solid one-pixel line from `from` to `to` in colour `c` (already a bitmap colour):
// covers `from`, leaves out `to`, cut to the bitmap. The pixels are exactly those of
// Wine's dibdrv solid_pen_line (see lines.cpp). Coordinates may be anything an int
// holds; the arithmetic is 64-bit and the loop runs over the visible part only.
void SolidLine(Bitmap& bitmap, std::int64_t x0, std::int64_t y0, std::int64_t x1,
               std::int64_t y1, ColorRef c);

// Fills the pixels of [left, right) x [top, bottom) that lie inside the bitmap.
// Nothing for an empty or inverted rectangle. 64-bit so that callers may pass
// coordinates computed from extreme input without overflow.
void FillBox(Bitmap& bitmap, std::int64_t left, std::int64_t top, std::int64_t right,
             std::int64_t bottom, ColorRef c);

// Whether a pen draws at all (PS_NULL does not).
inline bool PenDraws(const Pen* pen) { return pen != nullptr && pen->style != PS_NULL; }

}  // namespace sheenwork::gdi::raster
