// Our raster with the two documented places where Wine 8's GDI differs from Windows
// put back in, so that a picture drawn through it can be compared exactly with the same
// picture drawn by real GDI under Wine:
//
// - RoundRect with a 5 x 5 corner ellipse and a hollow brush: Wine puts the pen on the
//   two pixels beside each corner's diagonal step, (1, 0) and (0, 1) from the corner,
//   and leaves the diagonal pixel (1, 1) alone; Windows (and our raster) do the reverse.
// - StretchDIBits from a 4-column source with rows one to one: Wine shows source column
//   floor((4x + 1) / w) at destination column x when stretching, and when shrinking
//   sends source column c to destination column floor((w c + 1) / 4), ANDing the columns
//   that land together (one sent past the last column lands on the last); Windows (and our raster)
//   show floor(4x / w).
//
// Everything else goes to the wrapped raster unchanged.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <memory>

namespace sheenwork::testing {

std::unique_ptr<gdi::Gdi> MakeWineModelGdi(gdi::Gdi& raster);

}  // namespace sheenwork::testing
