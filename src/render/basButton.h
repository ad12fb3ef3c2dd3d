// The drawing module's gradient fill.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/vb/types.h>

namespace sheenwork {

// Fills the rectangle at `lRectPtr` of `hDC` with a two-colour gradient in one
// StretchDIBits call. `lDirection` 1 runs from `clrStart` at the bottom edge towards
// `clrEnd` at the top, through a 4-pixel-wide bottom-up DIB whose colour advances one
// step per pixel (so every row also shifts slightly from left to right); 0 runs from
// the left edge to the right through a one-row DIB stretched over the height. Any
// other direction, and a height (vertical) or width (horizontal) below 1, draws
// nothing. Colours are plain 0x00BBGGRR values; the top byte is ignored. The
// rectangle is copied at entry and never written.
void DrawGradient(gdi::Gdi& gdi, gdi::Hdc hDC, const gdi::Rect* lRectPtr, vb::Long clrStart,
                  vb::Long clrEnd, vb::Long lDirection);

// Copies the nWidth x nHeight block at (xSrc, ySrc) of hdcSrc to (xDest, yDest) of
// hdcDest, leaving the destination as it was wherever the source pixel equals
// `clrTransparent` (0x00BBGGRR, taken as it is). A device that blits transparently by
// itself (CAPS1 has C1_TRANSPARENT) does it in one BitBlt; otherwise a monochrome mask
// of the key colour cuts a hole into a copy of the destination that the masked source
// fills. The source looks the same afterwards, and every DC and bitmap made on the way
// is released.
void TransBlt(gdi::Gdi& gdi, gdi::Hdc hdcDest, vb::Long xDest, vb::Long yDest, vb::Long nWidth,
              vb::Long nHeight, gdi::Hdc hdcSrc, vb::Long xSrc, vb::Long ySrc,
              vb::Long clrTransparent);

}  // namespace sheenwork
