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

}  // namespace sheenwork
